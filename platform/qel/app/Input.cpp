#include "qel/QelInput.h"

namespace qel {
intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp);
}

namespace qel::input {

Element* ClickAt(CQelWindow* window, POINT p) {
  if (!CQelWindow::FetchQelWindow(window) || !window->Root()) return nullptr;
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
