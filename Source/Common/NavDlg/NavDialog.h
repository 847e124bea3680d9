#pragma once
// The main program's file dialogs: open a file of given formats, save under
// a name whose extension follows the chosen format, or choose a folder. The
// desktop's chooser shows them (qel/QelFileChooser.h); the object keeps the
// formats, runs the chooser and holds the reply until it is released.
#include <cstdint>
#include <string>
#include <vector>

#include "FSRefHelper.h"
#include "qel/QelFileChooser.h"
#include "qel/QelTypes.h"

class CQelWindow;

enum NAV_TYPE : int32_t { NAV_OPEN = 0, NAV_SAVE = 1, NAV_FOLDER = 2 };

// One entry of the format list: what the list shows and the extensions it
// stands for, each with its dot, separated by "|" (".JPG|.JPEG").
struct tagNavFormat {
  const WCHAR* description;
  const WCHAR* extensions;
};

// What the user answered.
struct NavReplyRecord {
  bool validRecord = false;
  std::vector<FSRef> selection;  // the chosen items, in order
  int32_t format = -1;           // the format in use when answered
};

// Option flags of the dialogs (the values the callers pass).
inline constexpr uint32_t kNavAllowPreviews = 0x40;
inline constexpr uint32_t kNavAllowStationery = 0x20;
inline constexpr uint32_t kNavDontAddTranslateItems = 0x04;
inline constexpr uint32_t kNavDefaultFlags = 228;

class CNavDialog {
 public:
  CNavDialog();
  virtual ~CNavDialog();
  CNavDialog(const CNavDialog&) = delete;
  CNavDialog& operator=(const CNavDialog&) = delete;

  // Parent window (or null), title (or null) and option flags; 1.
  virtual int32_t InitNavDialog(CQelWindow* parent, const WCHAR* title, uint32_t flags);
  // Runs the dialog of that type, starting in `location` (a folder, or a
  // file whose folder is meant; null or missing: the chooser's own). 1 when
  // a dialog was shown (the user answered), 0 when none could be.
  virtual int32_t RunNavDialog(NAV_TYPE type, const FSRef* location);
  virtual void ReleaseNavDialog();
  virtual void NavDialogCreated() {}
  // The format chosen in the list.
  virtual void SetFormatSelection(int32_t index);
  virtual void HandleUserAction(int32_t action, NavReplyRecord& reply) {}

  // Drops the formats before taking the new ones; `selected` is the one the
  // list starts with.
  void ResetNavFormat(const tagNavFormat* formats, int32_t count, int32_t selected);
  void ClearNavFormat();
  int32_t FormatCount() const { return int32_t(formats_.size()); }
  int32_t SelectedFormat() const { return selected_; }

  // The reply of the last run; false when there is none.
  bool GetNavReply(NavReplyRecord& reply) const;
  // The first chosen item; 1 when there is one.
  static int32_t GetFSRefFromNavReply(const NavReplyRecord& reply, FSRef* out);

  // Whether the open dialog lists an item of that name (folders always;
  // without formats every file; otherwise a name that ends with one of the
  // selected format's extensions, ignoring case; an empty name never).
  bool FilterAccepts(const std::u16string& name, bool isFolder) const;

 protected:
  struct Format {
    std::u16string description;
    std::vector<std::string> extensions;  // UTF-8, with the dot
  };
  // The request the chooser is shown with (subclasses add to it).
  virtual void PrepareRequest(qel::FileChooserRequest& request) {}
  // A save reply (one item) after the chooser answered with `format`.
  virtual void FollowFormat(NavReplyRecord& reply, int32_t format) {}

  std::vector<Format> formats_;
  int32_t selected_ = 0;
  CQelWindow* parent_ = nullptr;
  std::u16string title_;
  uint32_t flags_ = kNavDefaultFlags;
  bool has_dialog_ = false;
  NavReplyRecord reply_;
};

// The save dialog: the name's extension follows the chosen format.
class CNavSaveDialog : public CNavDialog {
 public:
  // User action 3: the user saved.
  static constexpr int32_t kNavUserActionSaveAs = 3;

  void SetDefaultSaveName(const WCHAR* name);
  const std::u16string& SaveName() const { return save_name_; }
  int32_t GetNavSaveFormat() const { return selected_; }
  // Trims dots from both ends of the name, then replaces the first
  // extension of any format that ends it (exact case) by the chosen
  // format's first extension, or appends that one; stores the index.
  void SetFormatSelection(int32_t index) override;
  void HandleUserAction(int32_t action, NavReplyRecord& reply) override;
  virtual void NavSave(NavReplyRecord& reply) {}

 protected:
  void PrepareRequest(qel::FileChooserRequest& request) override;
  void FollowFormat(NavReplyRecord& reply, int32_t format) override;

  std::u16string save_name_;
};
