// Pointer and keys from GTK to the elements: a click is a press and a
// release on the same element; the elements under the pointer hear when it
// enters and leaves them; keys go to the window as key messages.
#include <algorithm>
#include <cmath>

#include "GtkKeyMap.h"
#include "GtkWindowHost.h"
#include "qel/QelMenuBar.h"
#include "qel/QelInput.h"
#include "qel/QelMessage.h"

namespace qel::gtk {

namespace {

constexpr int32_t kEventPointerEnter = 0x40000007;
constexpr int32_t kEventPointerLeave = 0x40000008;

bool Contains(const std::vector<Element*>& v, Element* e) {
  return std::find(v.begin(), v.end(), e) != v.end();
}

// The cursor an element asks for, by its theme name.
const char* CursorName(int32_t id) {
  switch (id) {
    case 2: return "alias";
    case 7: return "wait";
    case 8: return "grabbing";
    case 9: return "grab";
    case 10: return "none";
    case 1043: return "move";
    case 1401: return "ns-resize";
    case 1402: return "ew-resize";
    case 1403: return "nwse-resize";
    case 1404: return "nesw-resize";
    default: return nullptr;
  }
}

// What a user clicks to get something done, as against the panels around it.
bool IsControl(Element* e) {
  static const char* const kinds[] = {"butn", "chck", "rado", "comb", "scrl", "hscr", "edit", "cedt",
                                      "mece", "tabi", "albm", "splt"};
  if (e->PointerEvents()) return true;
  std::string cls = e->ClassName();
  return std::any_of(std::begin(kinds), std::end(kinds), [&](const char* k) { return cls == k; });
}

}  // namespace

int32_t GtkWindowHost::FrameAreaAt(Element* hit) const {
  for (Element* e = hit; e; e = e->Parent()) {
    int32_t kind = window_->FrameKindOf(e);
    if (kind == QEL_FRAME_DRAG || kind == QEL_FRAME_RESIZE) return e->EffectivelyEnabled() ? kind : -1;
    if (kind >= 0 || IsControl(e)) return -1;
  }
  return -1;
}

void GtkWindowHost::ReleasePress() {
  if (pressed_) pressed_->Release();
  if (sliding_) sliding_->Release();
  pressed_ = sliding_ = nullptr;
}

namespace {

uint32_t Modifiers(guint state) {
  return ((state & GDK_SHIFT_MASK) ? PointerInput::kShift : 0) |
         ((state & GDK_CONTROL_MASK) ? PointerInput::kControl : 0);
}

PointerInput MakeInput(PointerInput::Kind kind, double x, double y, guint state) {
  PointerInput in;
  in.kind = kind;
  in.at = POINT{int32_t(x), int32_t(y)};
  in.modifiers = Modifiers(state);
  input::SetModifiers(in.modifiers);
  return in;
}

}  // namespace

gboolean GtkWindowHost::OnButtonPress(GtkWidget*, GdkEventButton* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return TRUE;
  if (ev->type == GDK_BUTTON_PRESS || ev->type == GDK_2BUTTON_PRESS) {
    PointerInput in = MakeInput(ev->type == GDK_2BUTTON_PRESS ? PointerInput::kDouble : PointerInput::kDown,
                                ev->x, ev->y, ev->state);
    in.button = int32_t(ev->button);
    if (input::Pointer(h->window_, in)) {
      h->pointer_taken_ = true;
      gtk_widget_grab_focus(h->area_);
      return TRUE;
    }
  }
  if (ev->button != 1 || !h->window_->Root()) {
    if (ev->type == GDK_BUTTON_PRESS) gtk_widget_grab_focus(h->area_);
    return TRUE;
  }
  POINT p{int32_t(ev->x), int32_t(ev->y)};
  Element* hit = h->window_->Root()->ElementAt(p);
  if (!hit) return TRUE;
  // A control inside the title bar is clicked; only the bare bar moves
  // the window, and a double click on it maximises, as a desktop title bar.
  int32_t frame = h->FrameAreaAt(hit);
  if (ev->type == GDK_2BUTTON_PRESS) {
    h->drag_armed_ = false;
    if (frame == QEL_FRAME_DRAG && h->window_->HasFrameAction(QEL_FRAME_MAXIMIZE)) h->window_->DoFrameAction(QEL_FRAME_MAXIMIZE);
    return TRUE;
  }
  if (ev->type != GDK_BUTTON_PRESS) return TRUE;
  gtk_widget_grab_focus(h->area_);  // an entry that had the keys gives them up
  h->ClickedFocus(hit);
  if (frame == QEL_FRAME_RESIZE) {
    h->BeginFrameAction(frame, reinterpret_cast<GdkEvent*>(ev));
    return TRUE;
  }
  if (frame == QEL_FRAME_DRAG) {
    // The window moves once the pointer has moved a little with the button down.
    h->drag_armed_ = true;
    h->drag_from_ = *ev;
    return TRUE;
  }
  h->ReleasePress();
  if (hit->EffectivelyEnabled()) {
    std::string cls = hit->ClassName();
    if (cls == "comb") {
      h->PopUpCombo(hit, reinterpret_cast<GdkEvent*>(ev));
      return TRUE;
    }
    if (cls == "scrl") {
      hit->Retain();
      h->sliding_ = hit;
      h->ScrollTo(hit, ev->x);
      return TRUE;
    }
  }
  hit->Retain();
  h->pressed_ = hit;
  return TRUE;
}

gboolean GtkWindowHost::OnButtonRelease(GtkWidget*, GdkEventButton* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return TRUE;
  if (h->pointer_taken_) {
    h->pointer_taken_ = false;
    PointerInput in = MakeInput(PointerInput::kUp, ev->x, ev->y, ev->state);
    in.button = int32_t(ev->button);
    input::Pointer(h->window_, in);
    return TRUE;
  }
  {
    // The window hears every release as it heard the press (its mouse
    // messages: a right button going up opens a context menu).
    PointerInput in = MakeInput(PointerInput::kUp, ev->x, ev->y, ev->state);
    in.button = int32_t(ev->button);
    input::Pointer(h->window_, in);
    if (!h->window_ || !h->window_->Root()) {
      h->ReleasePress();
      return TRUE;
    }
  }
  if (ev->button != 1) return TRUE;
  h->drag_armed_ = false;
  Element* pressed = h->pressed_;
  h->pressed_ = nullptr;
  if (h->sliding_) {
    h->sliding_->Release();
    h->sliding_ = nullptr;
  }
  if (!pressed) return TRUE;
  POINT p{int32_t(ev->x), int32_t(ev->y)};
  Element* root = h->window_->Root();
  // Released elsewhere: the user changed their mind.
  if (root && root->ElementAt(p) == pressed) input::ClickAt(h->window_, p);
  pressed->Release();
  return TRUE;
}

gboolean GtkWindowHost::OnMotion(GtkWidget*, GdkEventMotion* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_ || !h->window_->Root()) return FALSE;
  if (h->pointer_taken_) {
    input::Pointer(h->window_, MakeInput(PointerInput::kMove, ev->x, ev->y, ev->state));
    return TRUE;
  }
  if (h->sliding_) {
    h->ScrollTo(h->sliding_, ev->x);
    return TRUE;
  }
  if (h->drag_armed_) {
    if (!(ev->state & GDK_BUTTON1_MASK)) {
      h->drag_armed_ = false;
    } else if (gtk_drag_check_threshold(h->area_, int(h->drag_from_.x), int(h->drag_from_.y), int(ev->x), int(ev->y))) {
      h->drag_armed_ = false;
      h->BeginFrameAction(QEL_FRAME_DRAG, reinterpret_cast<GdkEvent*>(&h->drag_from_));
      return TRUE;
    }
  }
  const POINT p{int32_t(ev->x), int32_t(ev->y)};
  // The window hears of every move (message 512), as a full-screen window
  // needs to bring its hidden controls back; no element holds the pointer.
  input::Pointer(h->window_, MakeInput(PointerInput::kMove, ev->x, ev->y, ev->state));
  if (!h->window_ || !h->window_->Root()) return TRUE;
  h->UpdateHover(h->window_->Root()->ElementAt(p));
  return TRUE;
}

gboolean GtkWindowHost::OnScroll(GtkWidget*, GdkEventScroll* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return FALSE;
  PointerInput in = MakeInput(PointerInput::kWheel, ev->x, ev->y, ev->state);
  switch (ev->direction) {
    case GDK_SCROLL_UP: in.wheel = -1.0; break;
    case GDK_SCROLL_DOWN: in.wheel = 1.0; break;
    case GDK_SCROLL_SMOOTH: in.wheel = ev->delta_y; break;
    default: return FALSE;
  }
  return input::Pointer(h->window_, in) ? TRUE : FALSE;
}

gboolean GtkWindowHost::OnLeave(GtkWidget*, GdkEventCrossing* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (h->window_ && ev->mode == GDK_CROSSING_NORMAL) h->ClearHover();
  return FALSE;
}

void GtkWindowHost::ClearHover() { UpdateHover(nullptr); }

void GtkWindowHost::UpdateHover(Element* hit) {
  std::vector<Element*> chain;  // deepest first
  for (Element* e = hit; e; e = e->Parent()) chain.push_back(e);
  if (chain == hover_) return;
  // Held twice: once as the new hover chain, once while the callbacks run
  // (one of them may close the window, which lets go of the chain).
  for (Element* e : chain) {
    e->Retain();
    e->Retain();
  }
  std::vector<Element*> old = std::move(hover_);
  hover_ = chain;
  for (Element* e : old) {
    if (!Contains(chain, e)) input::FireEvent(e, kEventPointerLeave, 0);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!window_) break;
    if (!Contains(old, *it)) input::FireEvent(*it, kEventPointerEnter, 0);
  }
  for (Element* e : old) e->Release();
  if (window_) RefreshToolTip();  // the tip of the control now under the pointer
  if (window_ && gtk_widget_get_realized(area_)) {
    const char* name = nullptr;
    for (Element* e : chain) {
      if ((name = CursorName(e->CursorId()))) break;
    }
    GdkWindow* gw = gtk_widget_get_window(area_);
    GdkCursor* c = name ? gdk_cursor_new_from_name(gdk_window_get_display(gw), name) : nullptr;
    gdk_window_set_cursor(gw, c);
    if (c) g_object_unref(c);
  }
  for (Element* e : chain) e->Release();
}

void GtkWindowHost::ScrollTo(Element* slider, double x) {
  SRect32 r = slider->Bounds();
  const ScrollState& s = slider->Scroll();
  double span = double(r.right - r.left) - 8.0;  // the painter's thumb is 8 wide
  double t = span > 0 ? (x - r.left - 4.0) / span : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  int32_t pos = int32_t(std::llround(s.min + t * (double(s.max) - s.min)));
  if (pos != s.pos) slider->UserScroll(pos);
}

namespace {

void OnComboItem(GtkMenuItem* item, gpointer index) {
  GtkWidget* menu = gtk_widget_get_parent(GTK_WIDGET(item));
  auto* combo = static_cast<Element*>(g_object_get_data(G_OBJECT(menu), "qel-element"));
  if (combo) combo->UserSelect(GPOINTER_TO_INT(index));
}

gboolean DestroyMenu(gpointer menu) {
  PopupClosed();
  gtk_widget_destroy(GTK_WIDGET(menu));
  g_object_unref(menu);
  return G_SOURCE_REMOVE;
}

void OnMenuDone(GtkMenuShell* menu, gpointer) {
  // After the chosen item has run.
  g_idle_add(&DestroyMenu, g_object_ref(menu));
}

}  // namespace

void GtkWindowHost::PopUpCombo(Element* combo, const GdkEvent* ev) {
  GtkWidget* menu = gtk_menu_new();
  combo->Retain();
  g_object_set_data_full(G_OBJECT(menu), "qel-element", combo,
                         [](gpointer e) { static_cast<Element*>(e)->Release(); });
  int i = 0;
  for (const ComboItem& it : combo->Items()) {
    std::string text = ToU8(it.text);
    GtkWidget* item = gtk_menu_item_new_with_label(text.c_str());
    if (!it.tip.empty() && combo->ShowItemTips()) {
      gtk_widget_set_tooltip_text(item, ToU8(it.tip).c_str());
    }
    g_signal_connect(item, "activate", G_CALLBACK(&OnComboItem), GINT_TO_POINTER(i++));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }
  gtk_widget_show_all(menu);
  PopupOpened();  // menu commands wait until it is gone
  RefreshToolTip();  // no tip over the list
  gtk_menu_attach_to_widget(GTK_MENU(menu), area_, nullptr);
  g_signal_connect(menu, "deactivate", G_CALLBACK(&OnMenuDone), nullptr);
  SRect32 b = combo->Bounds();
  GdkRectangle rect{b.left, b.top, b.right - b.left, b.bottom - b.top};
  gtk_menu_popup_at_rect(GTK_MENU(menu), gtk_widget_get_window(area_), &rect,
                         GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, ev);
}

gboolean GtkWindowHost::OnKey(GtkWidget*, GdkEventKey* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return FALSE;
  input::SetModifiers(Modifiers(ev->state));
  // Menu keys first: Control+comma is the menu's, not a comma for the window.
  if (ev->type == GDK_KEY_PRESS && h->accel_ &&
      gtk_accel_groups_activate(G_OBJECT(h->toplevel_), ev->keyval,
                                GdkModifierType(ev->state & gtk_accelerator_get_default_mod_mask()))) {
    return TRUE;
  }
  uint32_t code = KeyCodeFor(ev->keyval);
  if (!code) return FALSE;
  // A press of a key that is already down is the keyboard's auto-repeat.
  bool press = ev->type == GDK_KEY_PRESS;
  bool repeat = press && !h->keys_down_.insert(ev->hardware_keycode).second;
  if (!press) h->keys_down_.erase(ev->hardware_keycode);
  if (h->FocusKey(code, press, ev->state)) return TRUE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(h->toplevel_));
  bool answers = code == QEL_KEY_RETURN || code == QEL_KEY_ENTER || code == QEL_KEY_ESCAPE;
  // An entry keeps its typing keys; Return and Escape still answer dialogs.
  if (focus && GTK_IS_ENTRY(focus) && !answers) return FALSE;
  return input::Key(h->window_, code, press, repeat ? input::kKeyRepeat : 0) ? TRUE : FALSE;
}

}  // namespace qel::gtk
