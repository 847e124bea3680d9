#pragma once
// A thin owner of one pop-up menu: items with text, attributes and a
// command, submenus, enabling, and a modal pop-up at a screen point that
// reports the chosen menu and item. Items are numbered from 1; item 0 means
// the whole menu.
//
// The pop-up is a toolkit window with one menu-item element per item, named
// "mece_<position>", so it runs on every backend; on the headless one a test
// answers it like any modal window (qel::headless::AnswerNextModal("mece_2")).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qel/QelTypes.h"

class MacQelMenu;
typedef MacQelMenu* MenuRef;

class MacQelMenu {
 public:
  // Item attributes, as the platform numbers them.
  static constexpr uint32_t kAttrDisabled = 1u << 0;
  static constexpr uint32_t kAttrHidden = 1u << 5;
  static constexpr uint32_t kAttrSeparator = 1u << 6;

  struct Item {
    std::u16string text;
    uint32_t attributes = 0;
    uint16_t command = 0;
    bool enabled = true;
    MacQelMenu* child = nullptr;  // not owned
  };

  MacQelMenu();
  ~MacQelMenu();
  MacQelMenu(const MacQelMenu&) = delete;
  MacQelMenu& operator=(const MacQelMenu&) = delete;

  // Makes an empty menu with that id (a menu made before is dropped);
  // 1 on success.
  int CreateMenu(int16_t id);
  // Inserts an item after position `after` (0: first; past the end:
  // last); answers menu id x 1000 + after, or 0 without a menu or for a
  // negative position.
  int CreateNewMenuItem(int after, const WCHAR* text, uint32_t attributes, uint16_t command);
  // Attaches `child` (not owned; it must outlive the pop-up) as the submenu
  // of an item; 1 on success.
  int SetChildren(MacQelMenu* child, int item);
  // Enables or disables an item (0: the whole menu); 1 on success.
  int Enable(int item, uint16_t enable);
  // Pops the menu up at a screen point and waits for the user: menuId and
  // item name the chosen item (of a submenu when it was chosen there);
  // both 0 when nothing was chosen. Answers 1 when an item was chosen.
  int PopupMenu(POINT where, int16_t& menuId, uint16_t& item);
  // The submenu of an item into *child and its item count; 0 (and a null
  // child) when the item has none.
  int GetChildren(uint16_t item, MenuRef* child) const;

  bool IsCreated() const { return created_; }
  int16_t GetMenuID() const { return id_; }
  int CountItems() const { return int(items_.size()); }
  const Item* GetItem(int item) const;  // null when out of range
  bool IsEnabled() const { return enabled_; }

 private:
  bool created_ = false;
  bool enabled_ = true;
  int16_t id_ = 0;
  std::vector<Item> items_;
};
