#pragma once
// A window's menu bar and the program's menu commands. A menu bar is a list
// of menus, each with an id, a title and items; an item carries a
// four-character command id and optionally a key. Choosing an item (with
// the pointer or its key) runs the command handlers, newest first, until one
// takes it; a command is not run while a pop-up (a combo box's list, a
// pop-up menu) is open.
#include <cstdint>
#include <string>
#include <vector>

#include "qel/QelCore.h"

class CQelWindow;

namespace qel {

struct MenuBarItem {
  std::u16string text;
  uint32_t command = 0;   // four-character code; 0 for a separator
  bool separator = false;
  bool enabled = true;
  // The item's key in GTK's accelerator notation ("<Control>comma", "F1");
  // empty for none. With keyShownOnly the key is only shown beside the item
  // (the window already answers that key itself).
  std::string key;
  bool keyShownOnly = false;
};

struct MenuBarMenu {
  int16_t id = 0;
  std::u16string title;
  std::vector<MenuBarItem> items;
};

using MenuBar = std::vector<MenuBarMenu>;

}  // namespace qel

// A command as the handlers receive it: kind 1 processes a command, kind 2
// asks for its menu state; the menu and the item (from 1) it came from.
struct QelHICommand {
  uint32_t kind = 1;
  uint32_t commandID = 0;
  int16_t menuID = 0;
  uint16_t menuItem = 0;
};

constexpr uint32_t QEL_CMD_PROCESS = 1;
constexpr uint32_t QEL_CMD_UPDATE_STATUS = 2;
// What a handler answers when it leaves the command to the next one.
constexpr int32_t QEL_EVENT_NOT_HANDLED = -9874;

// A handler answers 0 when it took the command, QEL_EVENT_NOT_HANDLED to
// pass it on (as calling the next handler would).
typedef int32_t (*QelCommandHandler)(const QelHICommand& command, void* data);

// Installs a handler in front of those already installed; the answer is
// the handle to remove it with.
QEL_API void* QelInstallCommandHandler(QelCommandHandler handler, void* data);
QEL_API void QelRemoveCommandHandler(void* installed);
// Runs the handlers, newest first, until one takes the command. Without
// one, "quit" closes the program's main window (through its close
// question). Answers 0 when taken, QEL_EVENT_NOT_HANDLED otherwise.
QEL_API int32_t QelProcessCommand(const QelHICommand& command);
// The item of the window's menu bar with that command, as the user chooses
// it: the handlers are first asked for its state (QEL_CMD_UPDATE_STATUS, a
// handler may disable it then); nothing for a missing or disabled item.
// True when it was delivered.
QEL_API bool QelChooseMenuCommand(CQelWindow* window, uint32_t command);
// Enables or disables every item of the window's menu bar with that command
// (every item for command 0); true when one changed.
QEL_API bool QelEnableMenuCommand(CQelWindow* window, uint32_t command, bool enabled);

// The pop-up in front (a window of class 3 in its modal loop), or null.
// While a backend shows a pop-up of its own it counts here too.
QEL_API CQelWindow* QelGetPopupSurface();
QEL_API bool QelIsPopupOpen();
namespace qel {
// A backend's own pop-up opens / closes.
QEL_API void PopupOpened();
QEL_API void PopupClosed();
}  // namespace qel
