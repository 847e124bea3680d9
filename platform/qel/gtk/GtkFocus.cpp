// The keyboard focus among a window's controls. Tab and Shift+Tab move it in
// reading order (rows from the top, each row from the left); once the
// keyboard moved it a ring in the accent colour shows where it is, and Space
// (Return on a button) works the control as a click does. A click moves the
// focus to the clicked control without the ring, as desktop programs do; a
// click on a bare spot leaves no control focused.
#include <algorithm>
#include <cmath>

#include "GtkWindowHost.h"
#include "qel/QelCore.h"
#include "qel/QelInput.h"
#include "qel/QelMessage.h"

namespace qel::gtk {

namespace {

constexpr uint32_t kKeyTab = 9;
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyLeft = 28, kKeyRight = 29, kKeyUp = 30, kKeyDown = 31;
constexpr intptr_t kKeyElementValue = 2;  // the element the keys go to (an album)

bool Inside(const SRect32& inner, const SRect32& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// A control the keyboard can work. Buttons and tabs without a handler are
// pictures; a radio button's handler is its group's.
bool TakesFocus(Element* e) {
  const std::string cls = e->ClassName();
  if (cls == "butn" || cls == "tabi") return e->Callback() != nullptr || e->PointerEvents();
  return cls == "chck" || cls == "rado" || cls == "comb" || cls == "scrl" || cls == "cedt" || cls == "edit" ||
         cls == "albm";
}

void Collect(Element* e, const SRect32& view, std::vector<Element*>& out) {
  if (!e->Visible() || !e->Enabled()) return;
  if (TakesFocus(e)) {
    const SRect32 b = e->Bounds();
    if (b.right - b.left > 2 && b.bottom - b.top > 2 && Inside(b, view)) out.push_back(e);
    if (e->ClassName() != "albm") return;  // an album's items are its own
  }
  for (Element* c : e->Children()) Collect(c, view, out);
}

// Rows from the top: a control whose top lies above the middle of a row's
// first control joins that row; each row runs from the left.
std::vector<Element*> ReadingOrder(std::vector<Element*> v) {
  std::stable_sort(v.begin(), v.end(), [](Element* a, Element* b) { return a->Bounds().top < b->Bounds().top; });
  std::vector<Element*> out;
  size_t i = 0;
  while (i < v.size()) {
    const SRect32 first = v[i]->Bounds();
    const int32_t middle = (first.top + first.bottom) / 2;
    size_t j = i + 1;
    while (j < v.size() && v[j]->Bounds().top < middle) ++j;
    std::stable_sort(v.begin() + i, v.begin() + j,
                     [](Element* a, Element* b) { return a->Bounds().left < b->Bounds().left; });
    out.insert(out.end(), v.begin() + i, v.begin() + j);
    i = j;
  }
  return out;
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  radius = std::min({radius, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

}  // namespace

std::vector<Element*> GtkWindowHost::FocusChain() const {
  std::vector<Element*> found;
  if (!window_ || !window_->Root()) return found;
  Element* root = window_->Root();
  root->LayoutNow();
  Collect(root, root->Bounds(), found);
  return ReadingOrder(std::move(found));
}

Element* GtkWindowHost::FocusedElement() const {
  // An entry with the keys stands for its edit element.
  GtkWidget* focus = toplevel_ ? gtk_window_get_focus(GTK_WINDOW(toplevel_)) : nullptr;
  auto it = focus ? entries_.find(focus) : entries_.end();
  if (it != entries_.end()) return it->second.element;
  return focus_;
}

void GtkWindowHost::SetFocus(Element* e, bool visible) {
  if (e != focus_) {
    if (e) e->Retain();
    if (focus_) {
      if (Qel0GetGValue(kKeyElementValue) == reinterpret_cast<intptr_t>(focus_->Handle())) {
        Qel0SetGValue(kKeyElementValue, 0);
      }
      focus_->Release();
    }
    focus_ = e;
  }
  focus_visible_ = visible && e;
  if (!window_) return;
  if (GtkWidget* entry = e ? EntryFor(e) : nullptr) {
    gtk_widget_grab_focus(entry);  // selects the entry's text, as GTK does on Tab
  } else if (visible) {
    gtk_widget_grab_focus(area_);
    if (e && e->ClassName() == "albm") Qel0SetGValue(kKeyElementValue, reinterpret_cast<intptr_t>(e->Handle()));
  }
  gtk_widget_queue_draw(area_);
}

void GtkWindowHost::ClickedFocus(Element* hit) {
  for (Element* e = hit; e; e = e->Parent()) {
    if (TakesFocus(e)) {
      if (e->ClassName() != "cedt" && e->ClassName() != "edit") SetFocus(e, false);
      return;
    }
  }
  // A bare spot: the next Tab starts from the first control again.
  if (focus_) SetFocus(nullptr, false);
}

bool GtkWindowHost::MoveFocus(bool forward) {
  std::vector<Element*> chain = FocusChain();
  if (chain.empty()) return false;
  Element* now = FocusedElement();
  auto at = std::find(chain.begin(), chain.end(), now);
  size_t next = 0;
  if (at == chain.end()) {
    next = forward ? 0 : chain.size() - 1;
  } else {
    size_t i = size_t(at - chain.begin());
    next = forward ? (i + 1) % chain.size() : (i + chain.size() - 1) % chain.size();
  }
  SetFocus(chain[next], true);
  return true;
}

bool GtkWindowHost::WorkFocus(uint32_t code) {
  Element* e = focus_;
  if (!focus_visible_ || !e || FocusedElement() != e || !e->EffectivelyVisible() || !e->EffectivelyEnabled()) {
    return false;  // an entry with the keys keeps them
  }
  const std::string cls = e->ClassName();
  const bool press = code == kKeySpace || (code == QEL_KEY_RETURN && cls != "albm" && cls != "scrl");
  if (cls == "scrl") {
    const ScrollState& s = e->Scroll();
    const int32_t step = s.step > 0 ? s.step : std::max<int32_t>(1, (s.max - s.min) / 20);
    int32_t by = 0;
    if (code == kKeyLeft || code == kKeyDown) by = -step;
    if (code == kKeyRight || code == kKeyUp) by = step;
    if (!by) return false;
    e->UserScroll(std::clamp(s.pos + by, s.min, s.max));
    return true;
  }
  if (!press || cls == "albm" || cls == "cedt" || cls == "edit") return false;
  e->Retain();  // the click may close the window
  if (cls == "comb") {
    PopUpCombo(e, nullptr);
  } else {
    SRect32 b = e->Bounds();
    input::PointerAt(window_, POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    e->Click();
  }
  e->Release();
  return true;
}

bool GtkWindowHost::FocusKey(uint32_t code, bool press, guint state) {
  if (code == kKeyTab) {
    if (press && !(state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) MoveFocus(!(state & GDK_SHIFT_MASK));
    return true;  // GTK's own focus moves would skip the painted controls
  }
  return press && WorkFocus(code);
}

void GtkWindowHost::PaintFocus(cairo_t* cr) {
  Element* e = focus_;
  if (!focus_visible_ || !e || EntryFor(e) || FocusedElement() != e || !e->EffectivelyVisible()) return;
  const SRect32 b = e->Bounds();
  cairo_save(cr);
  RoundedRect(cr, b.left - 1.0, b.top - 1.0, b.right - b.left + 2.0, b.bottom - b.top + 2.0, 7);
  cairo_set_source_rgba(cr, 0x35 / 255.0, 0x84 / 255.0, 0xe4 / 255.0, 0.9);
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void GtkWindowHost::DropFocus() {
  if (focus_) focus_->Release();
  focus_ = nullptr;
  focus_visible_ = false;
}

}  // namespace qel::gtk
