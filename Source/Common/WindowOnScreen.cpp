#include "WindowOnScreen.h"

#include "qel/QelBackend.h"

void KeepWindowOnScreen(CQelWindow* window) {
  if (!window || !window->IsCreated()) return;
  SRect32 bounds{};
  window->GetWindowRect(&bounds);
  const SRect32 work = qel::CurrentBackend().WorkArea();
  int32_t dx = 0, dy = 0;
  if (bounds.top < work.top) dy = work.top - bounds.top;
  else if (bounds.top > work.bottom - kORVReachableMargin) dy = (work.bottom - kORVReachableMargin) - bounds.top;
  if (bounds.right < work.left + kORVReachableMargin) dx = (work.left + kORVReachableMargin) - bounds.right;
  else if (bounds.left > work.right - kORVReachableMargin) dx = (work.right - kORVReachableMargin) - bounds.left;
  if (dx == 0 && dy == 0) return;
  SRect32 moved{bounds.left + dx, bounds.top + dy, bounds.right + dx, bounds.bottom + dy};
  window->MoveWindow(&moved);
}
