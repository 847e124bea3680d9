#include "qel/QelInput.h"

namespace qel {
intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp);
}

namespace {
POINT g_pointer{0, 0};  // screen coordinates; main thread only
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

bool Key(CQelWindow* window, uint32_t key, bool down) {
  if (!CQelWindow::FetchQelWindow(window)) return false;
  bool handled = false;
  window->ProcessMessage(down ? QEL_WM_KEYDOWN : QEL_WM_KEYUP, key, 0, handled);
  return handled;
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
