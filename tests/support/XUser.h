#pragma once
// A user at the private X server: moves the pointer, clicks and types
// through the X server itself (the XTest extension, as xdotool does), so a
// press takes the same way as a real one (window manager, GTK, the
// backend's routing) instead of calling a handler.
//
//   if (!testenv::StartPrivateDisplay()) GTEST_SKIP();
//   testenv::StartWindowManager();            // only where a test needs one
//   ... open the windows on the GTK backend ...
//   testenv::XUser user;
//   ASSERT_TRUE(user.Click(window, "btn_home"));   // an element by its layout name
//   EXPECT_TRUE(user.WaitFor([&] { return PageShown(); }));
//   user.Key(window, "ctrl+comma");              // key names as xdotool's
//   user.Type(window, "hello");
//   user.ClickMenu(window, {"File", "Open..."}); // the window's menu bar
//   user.ClickMenuItem("Refresh");               // an open pop-up menu or list
//
// Called on the GTK thread, every call sends its events and returns; WaitFor
// runs GLib's loop until the effect shows. A click that opens a modal dialog
// runs the dialog's loop inside WaitFor, so a test that must act in the dialog
// runs its steps as a script on a thread of its own:
//
//   user.Run([&] {
//     user.Click(frame, "btn_options");
//     ASSERT_TRUE(user.WaitFor([&] { return OptionsOpen(); }));  // asked on the GTK thread
//     user.Click(OptionsWindow(), "btn_ok");
//     ASSERT_TRUE(user.WaitFor([&] { return !OptionsOpen(); }));
//   });
//
// In a script every condition, and OnMain's function, runs on the GTK thread
// (in whatever loop is running, a modal one included); Run returns when the
// script has ended, so the script closes the dialogs it opened. Two clicks
// on one spot in quick succession are a double click to GTK.
#include <gtk/gtk.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "qel/QelElement.h"
#include "qel/QelWindow.h"

typedef struct _XDisplay Display;

namespace testenv {

// Starts openbox on the private display (once per process; it ends with the
// process). false when there is no display or openbox did not take over.
bool StartWindowManager();

// The last mapped top-level GTK window of this type (a GTK dialog on
// screen), or null. On the GTK thread.
GtkWidget* ShownToplevel(GType type);
GtkWidget* ShownToplevel(const char* typeName);

class XUser {
 public:
  // On the GTK thread, with DISPLAY set (StartPrivateDisplay).
  XUser();
  ~XUser();
  XUser(const XUser&) = delete;
  XUser& operator=(const XUser&) = delete;

  // The X server answers and has the XTest extension.
  bool Ready() const { return display_ != nullptr; }

  // Where on the screen the centre of an element of `w` is (looked up by
  // its name in the layout), of a widget, or of a menu item of an open menu.
  // Empty when there is none, it is hidden, not on screen, or another
  // element covers its centre.
  std::optional<POINT> Where(CQelWindow* w, const std::string& element);
  std::optional<POINT> Where(CQelWindow* w, qel::Element* element);  // where names repeat
  std::optional<POINT> Where(GtkWidget* widget);
  std::optional<POINT> WhereMenuItem(const std::string& label);

  // The pointer and its buttons (1 left, 2 middle, 3 right); screen pixels.
  bool MoveTo(POINT at);
  bool ClickAt(POINT at, int button = 1);
  bool DoubleClickAt(POINT at);
  bool PressAt(POINT at, int button = 1);  // the button stays down
  bool ReleaseAt(POINT at, int button = 1);

  // Moves to an element (or widget) and clicks it; an element not on screen
  // yet is waited for a while; false when it does not come.
  bool Click(CQelWindow* w, const std::string& element, int button = 1);
  bool Click(CQelWindow* w, qel::Element* element, int button = 1);
  bool RightClick(CQelWindow* w, const std::string& element) { return Click(w, element, 3); }
  bool DoubleClick(CQelWindow* w, const std::string& element);
  bool Click(GtkWidget* widget, int button = 1);

  // Menus: a path through the window's menu bar ({"File", "Quit"}), and an
  // item of whatever pop-up menu or drop-down list is open (GTK's, or the
  // toolkit's own pop-up of a layout menu). Labels as shown, without the
  // mnemonic's underscore.
  bool ClickMenu(CQelWindow* w, const std::vector<std::string>& path);
  bool ClickMenuItem(const std::string& label);
  // The labels of the open pop-up menu's items (empty when none is open).
  std::vector<std::string> OpenMenuItems();

  // Keys go to the window with the keyboard focus; with `w` that window is
  // given the focus first. A key is a key name with modifiers in front:
  // "Tab", "shift+Tab", "Return", "Escape", "F1", "ctrl+comma", "a".
  bool Focus(CQelWindow* w);
  bool Key(const std::string& key);
  bool Key(CQelWindow* w, const std::string& key) { return Focus(w) && Key(key); }
  bool Type(const std::string& utf8);
  bool Type(CQelWindow* w, const std::string& utf8) { return Focus(w) && Type(utf8); }

  // Until `done` answers true (asked on the GTK thread); false after `seconds`.
  bool WaitFor(const std::function<bool()>& done, unsigned seconds = 20);
  // Lets the program take in what was sent so far (the X server has it and
  // GTK's loop has run over it).
  void Settle();
  // Runs `fn` on the GTK thread and waits for it; false when it did not run.
  bool OnMain(const std::function<void()>& fn);
  // Runs a script of user steps on a thread of its own while this (the GTK)
  // thread keeps GLib's loop running.
  void Run(const std::function<void()>& script);

 private:
  bool OnGtkThread() const { return std::this_thread::get_id() == gtk_thread_; }
  bool Button(int button, bool press);
  bool SendKeySym(unsigned long sym, bool press);
  void Flush();
  void WaitForPointer(const std::function<bool(int x, int y, unsigned buttons)>& done);

  Display* display_ = nullptr;
  std::thread::id gtk_thread_;
  int spare_keycode_ = 0;  // a keycode mapped on demand to a key with no key of its own
};

}  // namespace testenv
