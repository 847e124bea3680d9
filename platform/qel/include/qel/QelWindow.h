#pragma once
// The window framework: callback maps by element name, message maps by
// message number, windows created from layouts, modal windows and dialogs.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qel/QelElement.h"
#include "qel/QelMenuBar.h"
#include "qel/QelMessage.h"

typedef struct _GMainLoop GMainLoop;

// Callbacks registered by element name; event 0 means every event.
class QEL_API CQelCallbackMap {
 public:
  static constexpr int32_t kAllEvents = 0;

  CQelCallbackMap();
  virtual ~CQelCallbackMap();

  // data null: the object that owns the map (DefaultCallbackData()).
  void RegisterCallBack(const char* name, int32_t event, QELCALLBACK cb, void* data = nullptr);
  // Hooks the registered names found (deeply) in panel; names registered
  // later are hooked at once.
  int32_t AttachCallBacks(QelObject panel);
  // Unhooks every element and forgets the registrations.
  void ClearCallBacks();
  void DetachCallBacks();

 protected:
  virtual void* DefaultCallbackData() { return this; }

 private:
  struct Entry {
    std::string name;
    int32_t event;
    QELCALLBACK cb;
    void* data;
  };
  static int32_t Dispatch(QelObject element, int32_t event, QELLPARAM param, void* map);
  void Hook(qel::Element* e);

  std::vector<Entry> entries_;
  qel::Element* panel_ = nullptr;
  std::vector<qel::Element*> hooked_;
};

// Handlers by message number.
class QEL_API CQelWindMessageMap {
 public:
  using Handler = std::function<intptr_t(QELWPARAM, QELLPARAM, bool& handled)>;
  virtual ~CQelWindMessageMap();
  void RegisterMessage(uint32_t msg, Handler h);
  void UnregisterMessage(uint32_t msg);
  // The registered handler's answer; handled stays false without one.
  intptr_t DispatchMapped(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled);

 private:
  std::map<uint32_t, Handler> handlers_;
};

// What PreCreateWind may change before the window is made.
struct QelCreateStruct {
  int32_t windowClass;     // < 5 modal kinds; 4 full screen; 6 document; 10 floating toolbar
  void* windowDef;         // custom frame procedure (shape), or null
  int32_t defValue;
  uint32_t attributes;
  double alpha;
  SRect32 bounds;          // empty: the layout's size
  WindowRef parent;
};

// Frame control kinds of SetDefaultCallBackName.
enum QelFrameKind : int32_t {
  QEL_FRAME_CLOSE = 0,
  QEL_FRAME_MINIMIZE = 1,
  QEL_FRAME_MAXIMIZE = 2,
  QEL_FRAME_DRAG = 3,
  QEL_FRAME_RESIZE = 4,
};

class QEL_API CQelWindow : public CQelCallbackMap, public CQelWindMessageMap {
 public:
  CQelWindow();
  ~CQelWindow() override;

  virtual void RegisterCallBacks();
  virtual intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled);
  // Loads the layout, makes the window (hidden) and calls DidCreate.
  // 1 on success, 0 when the layout cannot be loaded.
  virtual int32_t Create(const WCHAR* layout, SRect32* rect, WindowRef parent);
  virtual int32_t Create(const char* layout, SRect32* rect, WindowRef parent);
  virtual int32_t SetDefaultCallBackName(const char* name, int32_t kind);
  virtual int32_t PreCreateWind(QelCreateStruct* cs);
  virtual int32_t PreCreate();
  virtual int32_t DidCreate();
  virtual int32_t AskForClose();  // 0 refuses
  virtual void WillClose();
  virtual void DidClose();
  virtual int32_t QuitAppAfterDestroyed();  // 1: the program ends with this window

  // Creation from an element tree already loaded (takes one reference).
  int32_t CreateFromPanel(QelObject root, SRect32* rect, WindowRef parent);

  WindowRef GetWindowRef() { return static_cast<WindowRef>(this); }
  static CQelWindow* FetchQelWindow(WindowRef w);  // null unless a live window
  bool IsCreated() const { return created_; }

  QelObject GetRootPanel() { return root_ ? root_->Handle() : nullptr; }
  qel::Element* Root() { return root_; }
  QelObject GetElementByName(const char* name, int deep = 1);

  int32_t Close();  // asks AskForClose first; 1 when closed
  int32_t ShowWindow(int32_t cmd);  // 0 hide, 2/6 minimise, 3 maximise, 5 show, 9 restore
  bool IsWindowVisible() const { return visible_; }
  bool IsMinimized() const { return minimized_; }
  bool IsMaximized() const { return maximized_; }
  void SetMinSize(int32_t w, int32_t h);
  SIZE GetMinSize() const { return min_size_; }
  // Screen bounds; the size never goes below the minimum size.
  int32_t MoveWindow(const SRect32* bounds);
  void GetWindowRect(SRect32* out) const;
  SRect32 Bounds() const { return bounds_; }
  // 0 or 2: centre on the screen's work area; 1: centre over the parent.
  int32_t RepositionWindow(int32_t kind);
  void SetTitle(const WCHAR* title);
  const std::u16string& Title() const { return title_; }
  int32_t GetWindowClass() const { return cs_.windowClass; }
  void SetWindowClass(int32_t c) { cs_.windowClass = c; }
  double Alpha() const { return cs_.alpha; }
  void SetAlpha(double a) { cs_.alpha = a; }
  WindowRef Parent() const { return cs_.parent; }
  const QelCreateStruct& CreateStruct() const { return cs_; }

  // Window properties by creator and tag.
  void SetProperty(uint32_t creator, uint32_t tag, void* value);
  void* GetProperty(uint32_t creator, uint32_t tag) const;

  // The window's menu bar (qel/QelMenuBar.h); null without one.
  void SetMenuBar(const qel::MenuBar& bar);
  const qel::MenuBar* GetMenuBar() const { return menu_bar_.get(); }
  // Removes `count` items from the item `first` (from 1) of the menu with
  // that id; false when there is no such menu or item.
  bool DeleteMenuItems(int16_t menuId, int32_t first, int32_t count);
  // Every item with that command (every item for 0); true when one changed.
  bool EnableMenuCommand(uint32_t command, bool enabled);

  // Timers delivered as message 275 with the id in wParam.
  int32_t SetTimer(uint32_t id, uint32_t first_ms, uint32_t interval_ms);
  bool KillTimer(uint32_t id);

  int32_t PostMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp);
  intptr_t SendMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp);

  void Invalidate();
  // Draws what is invalid at once (no events are handled meanwhile).
  void UpdateWindow();

  // Frame control pressed (SetDefaultCallBackName kinds).
  void DoFrameAction(int32_t kind);
  // The frame control kind registered for e's name, or -1: a display backend
  // starts drags and resizes on the press, before any click.
  int32_t FrameKindOf(const qel::Element* e) const;
  // Some element of the window is bound to this frame action.
  bool HasFrameAction(int32_t kind) const;

 protected:
  void* DefaultCallbackData() override { return static_cast<CQelWindow*>(this); }
  // Tears the window down (no questions); DidClose follows.
  void Destroy();
  virtual bool EndModalLoopOnClose() { return false; }

  qel::Element* root_ = nullptr;
  QelCreateStruct cs_{};

 private:
  static int32_t FrameProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static void TimerProc(void* owner, uint32_t id, void* data);
  void SetBoundsInternal(SRect32 r);

  bool created_ = false;
  bool visible_ = false;
  bool minimized_ = false;
  bool maximized_ = false;
  SRect32 bounds_{0, 0, 0, 0};
  SRect32 restore_bounds_{0, 0, 0, 0};
  SIZE min_size_{0, 0};
  std::u16string title_;
  std::map<std::string, int32_t> frame_names_;
  std::map<uint64_t, void*> properties_;
  std::unique_ptr<qel::MenuBar> menu_bar_;
};

class QEL_API CQelMainWind : public CQelWindow {
 public:
  int32_t QuitAppAfterDestroyed() override { return 1; }
};

// A window with a modal loop: DoModal shows it and runs a nested loop on the
// default context until EndModal; then the window closes (WillClose,
// DidClose) and DoModal answers the result.
class QEL_API CQelModalWnd : public CQelWindow {
 public:
  static constexpr int32_t kResultOK = 0;
  static constexpr int32_t kResultCancel = 1;

  int32_t PreCreateWind(QelCreateStruct* cs) override;
  virtual int32_t DoModal();
  void EndModal(int32_t result);
  bool InModal() const { return loop_ != nullptr || in_modal_; }
  // EndModal was called; the loop ends on its next turn.
  bool ModalEnding() const { return end_requested_; }

 protected:
  bool EndModalLoopOnClose() override { return true; }

 private:
  GMainLoop* loop_ = nullptr;
  bool in_modal_ = false;
  bool end_requested_ = false;
  int32_t result_ = kResultCancel;
};

// A modal dialog: OK answers 0, Cancel 1; Return / Enter mean OK and Escape
// Cancel unless ProcessMessage handles the key itself.
class QEL_API CQelDialog : public CQelModalWnd {
 public:
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  virtual void OnQelOK() { EndModal(kResultOK); }
  virtual void OnQelCancel() { EndModal(kResultCancel); }
};

// True while a modal loop runs or a visible window of a modal class (< 5)
// is in front.
QEL_API bool QelIsModalInFront();
// Live windows, front-most last.
QEL_API std::vector<CQelWindow*> QelWindows();

// The pointer's last known position in screen coordinates (as the backend
// last reported it); non-zero on success. Setting it moves the recorded
// position only: a desktop does not let programs warp the pointer.
extern "C" QEL_API int32_t QelGetCursorPos(POINT* point);
extern "C" QEL_API int32_t QelSetCursorPos(const POINT* point);
