#include "qel/QelInput.h"

#include "qel/QelMessage.h"

namespace qel {
intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp);
}

namespace {
POINT g_pointer{0, 0};  // screen coordinates; main thread only
uint32_t g_modifiers = 0;  // main thread only
constexpr uint32_t kMsgMouseWheel = 522;
qel::Element* g_pointer_owner = nullptr;  // took the press; held until the release

// The element of the tree that is `target`, compared by address only (the
// global value may name an element that is gone).
qel::Element* FindInTree(qel::Element* e, const void* target) {
  if (!e || !target) return nullptr;
  if (e->Handle() == target) return e;
  for (qel::Element* c : e->Children()) {
    if (qel::Element* f = FindInTree(c, target)) return f;
  }
  return nullptr;
}

// The window message of a pointer input: its number, or 0 for none.
uint32_t MouseMessage(const qel::PointerInput& in) {
  switch (in.kind) {
    case qel::PointerInput::kMove:
      return QEL_WM_MOUSEMOVE;
    case qel::PointerInput::kWheel:
    case qel::PointerInput::kCancel:
      return 0;  // wheel steps go to the window after the elements
    case qel::PointerInput::kDown:
      return in.button == 3 ? QEL_WM_RBUTTONDOWN : in.button == 2 ? QEL_WM_MBUTTONDOWN : QEL_WM_LBUTTONDOWN;
    case qel::PointerInput::kUp:
      return in.button == 3 ? QEL_WM_RBUTTONUP : in.button == 2 ? QEL_WM_MBUTTONUP : QEL_WM_LBUTTONUP;
    case qel::PointerInput::kDouble:
      return in.button == 3 ? QEL_WM_RBUTTONDBLCLK : in.button == 2 ? QEL_WM_MBUTTONDBLCLK : QEL_WM_LBUTTONDBLCLK;
  }
  return 0;
}

// True when the window marked the message handled.
bool OfferToWindow(CQelWindow* window, const qel::PointerInput& in) {
  const uint32_t msg = MouseMessage(in);
  if (!msg) return false;
  uint32_t keys = 0;
  if (in.kind == qel::PointerInput::kDown || in.kind == qel::PointerInput::kDouble) {
    keys |= in.button == 3 ? QEL_MK_RBUTTON : in.button == 2 ? QEL_MK_MBUTTON : QEL_MK_LBUTTON;
  }
  if (in.modifiers & qel::PointerInput::kShift) keys |= QEL_MK_SHIFT;
  if (in.modifiers & qel::PointerInput::kControl) keys |= QEL_MK_CONTROL;
  const uint32_t point = (uint32_t(uint16_t(int16_t(in.at.y))) << 16) | uint16_t(int16_t(in.at.x));
  bool handled = false;
  window->ProcessMessage(msg, QELWPARAM(keys), QELLPARAM(point), handled);
  return handled;
}

}  // namespace

namespace qel::input {

void PointerAt(CQelWindow* window, POINT p) {
  if (!CQelWindow::FetchQelWindow(window)) return;
  SRect32 r;
  window->GetWindowRect(&r);
  g_pointer = POINT{r.left + p.x, r.top + p.y};
}

Element* ClickAt(CQelWindow* window, POINT p) {
  if (!CQelWindow::FetchQelWindow(window) || !window->Root()) return nullptr;
  PointerAt(window, p);
  Element* hit = window->Root()->ElementAt(p);
  if (!hit || !hit->Click()) return nullptr;  // disabled: nothing happens
  return hit;
}

void SetModifiers(uint32_t modifiers) { g_modifiers = modifiers; }

uint32_t Modifiers() { return g_modifiers; }

bool Key(CQelWindow* window, uint32_t key, bool down, QELLPARAM lparam) {
  if (!CQelWindow::FetchQelWindow(window)) return false;
  bool handled = false;
  window->ProcessMessage(down ? QEL_WM_KEYDOWN : QEL_WM_KEYUP, key, lparam, handled);
  if (handled || !CQelWindow::FetchQelWindow(window)) return handled;
  Element* focus = FindInTree(window->Root(), reinterpret_cast<void*>(Qel0GetGValue(2)));
  if (!focus || !focus->EffectivelyVisible() || !focus->EffectivelyEnabled()) return false;
  focus->Retain();
  handled = focus->TakeKey(key, down);
  focus->Release();
  return handled;
}

bool Pointer(CQelWindow* window, const PointerInput& input) {
  if (!CQelWindow::FetchQelWindow(window) || !window->Root()) return false;
  PointerAt(window, input.at);
  if (OfferToWindow(window, input) || !CQelWindow::FetchQelWindow(window) || !window->Root()) {
    // A release the window took still ends the element's hold on the pointer.
    if (input.kind == PointerInput::kUp && g_pointer_owner) {
      g_pointer_owner->Release();
      g_pointer_owner = nullptr;
    }
    return true;
  }
  if (input.kind == PointerInput::kMove || input.kind == PointerInput::kUp) {
    Element* owner = g_pointer_owner;
    if (!owner) return false;
    if (input.kind == PointerInput::kUp) g_pointer_owner = nullptr;
    owner->TakePointer(input);
    if (input.kind == PointerInput::kUp) owner->Release();
    return true;
  }
  for (Element* e = window->Root()->ElementAt(input.at); e; e = e->Parent()) {
    if (!e->EffectivelyEnabled()) continue;
    e->Retain();
    bool taken = e->TakePointer(input);
    if (taken && input.kind != PointerInput::kWheel) {
      if (g_pointer_owner) g_pointer_owner->Release();
      g_pointer_owner = e;  // keeps the reference
    } else {
      e->Release();
    }
    if (taken) return true;
  }
  if (input.kind == PointerInput::kWheel && input.wheel != 0.0 && CQelWindow::FetchQelWindow(window)) {
    auto delta = static_cast<int16_t>(input.wheel > 0 ? -120 : 120);
    bool handled = false;
    window->ProcessMessage(kMsgMouseWheel, QELWPARAM(uint32_t(uint16_t(delta)) << 16), 0, handled);
    return handled;
  }
  return false;
}

void CancelPointer() {
  Element* owner = g_pointer_owner;
  if (!owner) return;
  g_pointer_owner = nullptr;
  PointerInput in;
  in.kind = PointerInput::kCancel;
  owner->TakePointer(in);
  owner->Release();
}

int32_t FireEvent(Element* element, int32_t event, QELLPARAM param) {
  return element ? element->Fire(event, param) : 0;
}

}  // namespace qel::input

int32_t QelGetCursorPos(POINT* point) {
  if (!point) return 0;
  *point = g_pointer;
  return 1;
}

int32_t QelSetCursorPos(const POINT* point) {
  if (!point) return 0;
  g_pointer = *point;
  return 1;
}
