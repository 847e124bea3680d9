#pragma once
// One toolkit window on screen: an undecorated GtkWindow whose content is a
// drawing area painted from the element tree, with native entries overlaid on
// the edit elements. Input on it is routed back to the elements.
#include <gtk/gtk.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "qel/QelWindow.h"

namespace qel::gtk {

class GtkWindowHost {
 public:
  explicit GtkWindowHost(CQelWindow* w);
  ~GtkWindowHost();
  GtkWindowHost(const GtkWindowHost&) = delete;
  GtkWindowHost& operator=(const GtkWindowHost&) = delete;

  CQelWindow* Window() const { return window_; }
  GtkWidget* Toplevel() const { return toplevel_; }
  GtkWidget* Content() const { return area_; }

  // The toolkit window is gone: the widgets go at once; the host object
  // itself is deleted later, since a signal of ours may still be running.
  void Detach();
  bool Detached() const { return window_ == nullptr; }

  void ApplyBounds();
  void ApplyTitle();
  void Show(int32_t cmd);
  void Invalidate();
  void InvalidateRect(const SRect32& r);
  void BeginFrameAction(int32_t kind, const GdkEvent* press);
  void ModalStarted();
  void ModalEnded();

  GtkWidget* EntryFor(Element* e) const;
  // The control with the keyboard focus, and whether its ring shows.
  Element* KeyboardFocus(bool* shown) const {
    if (shown) *shown = focus_visible_;
    return FocusedElement();
  }

  // The window's menu bar (GtkMenuBarHost.cpp): built again from the
  // toolkit window's bar, and kept over its place in the layout.
  void ApplyMenuBar();
  void SyncMenuBar();

  // Paints the window as it is now (native entries included) into a PNG.
  bool SavePng(const std::string& path);

 private:
  // Pointer and keys (GtkInputRouting.cpp).
  static gboolean OnButtonPress(GtkWidget*, GdkEventButton* ev, gpointer self);
  static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* ev, gpointer self);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion* ev, gpointer self);
  static gboolean OnLeave(GtkWidget*, GdkEventCrossing* ev, gpointer self);
  static gboolean OnScroll(GtkWidget*, GdkEventScroll* ev, gpointer self);
  static gboolean OnKey(GtkWidget*, GdkEventKey* ev, gpointer self);
  void UpdateHover(Element* hit);
  void ClearHover();
  void ReleasePress();
  void PopUpCombo(Element* combo, const GdkEvent* ev);
  void ScrollTo(Element* slider, double x);

  // The keyboard focus (GtkFocus.cpp).
  std::vector<Element*> FocusChain() const;
  Element* FocusedElement() const;
  void SetFocus(Element* e, bool visible);
  void ClickedFocus(Element* hit);
  bool MoveFocus(bool forward);
  bool WorkFocus(uint32_t code);
  // Tab and the keys that work the focused control; true when taken.
  bool FocusKey(uint32_t code, bool press, guint state);
  void PaintFocus(cairo_t* cr);
  void DropFocus();

  // Tool tips (GtkToolTips.cpp).
  static gboolean OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip,
                                 gpointer self);
  void RefreshToolTip();
  void RefreshChangedToolTip();
  // QEL_FRAME_DRAG or QEL_FRAME_RESIZE when a press on `hit` is one on the
  // bare title bar or the size grip (no control in between); else -1.
  int32_t FrameAreaAt(Element* hit) const;

  // Window housekeeping (GtkWindowHost.cpp).
  static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* ev, gpointer self);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static void OnActiveChanged(GObject*, GParamSpec*, gpointer self);
  static gboolean OnIdleSync(gpointer self);
  static gboolean OnScreenshot(gpointer self);
  void ApplyWindowKind();
  void CenterOnParent();
  void ApplyShape();

  // Native entries over the edit elements (GtkEditOverlay.cpp).
  static gboolean OnChildPosition(GtkOverlay*, GtkWidget* child, GdkRectangle* out, gpointer self);
  static void OnEntryChanged(GtkEditable* entry, gpointer self);
  void SyncEntries();
  void DropEntries();
  Element* MenuBarPlace() const;
  bool MenuBarPosition(GtkWidget* child, GdkRectangle* out);
  void DropMenuBar();

  CQelWindow* window_;
  GtkWidget* toplevel_ = nullptr;
  GtkWidget* overlay_ = nullptr;
  GtkWidget* area_ = nullptr;
  GtkWidget* menubar_ = nullptr;
  GtkAccelGroup* accel_ = nullptr;
  guint sync_source_ = 0;
  bool pointer_taken_ = false;  // an element took the press: moves and release go to it
  bool drag_armed_ = false;      // pressed on the bare title bar; a move starts the window's move
  GdkEventButton drag_from_{};   // that press
  guint shot_source_ = 0;
  bool active_ = false;
  SRect32 requested_{0, 0, 0, 0};
  std::vector<SRect32> shape_;  // as last handed to the window system

  std::vector<Element*> hover_;   // the chain under the pointer, retained
  Element* pressed_ = nullptr;    // retained while the button is down
  std::set<guint16> keys_down_;   // hardware keys pressed and not yet released
  Element* sliding_ = nullptr;    // a slider being dragged, retained
  Element* focus_ = nullptr;      // the control with the keyboard focus, retained
  bool focus_visible_ = false;    // the keyboard moved it there: its ring shows
  std::u16string tip_;            // the tool tip last given

  struct Entry {
    Element* element;  // retained
    GtkWidget* widget;
    gulong changed;
    uint32_t selected;  // the element's select-all requests carried out
  };
  std::map<GtkWidget*, Entry> entries_;
};

}  // namespace qel::gtk
