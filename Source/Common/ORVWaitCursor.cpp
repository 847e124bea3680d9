// Busy cursor over the toolkit's per-element cursor ids: the windows' root
// elements ask for the watch, which a display backend shows under the mouse.
#include "ORVWaitCursor.h"

#include <map>

#include "qel/QelElement.h"
#include "qel/QelWindow.h"

namespace {

int g_depth = 0;
// Each window's root and the cursor id it had before the wait.
std::map<CQelWindow*, std::pair<qel::Element*, int32_t>>& Saved() {
  static std::map<CQelWindow*, std::pair<qel::Element*, int32_t>> saved;
  return saved;
}

}  // namespace

CORVWaitCursor::CORVWaitCursor() {
  if (g_depth++ > 0) return;
  for (CQelWindow* w : QelWindows()) {
    qel::Element* root = w->Root();
    if (!root) continue;
    Saved()[w] = {root, root->CursorId()};
    root->SetCursorId(kWatchCursor);
  }
}

CORVWaitCursor::~CORVWaitCursor() {
  if (--g_depth > 0) return;
  for (auto& [w, saved] : Saved()) {
    // Only windows still alive with the same tree.
    if (CQelWindow::FetchQelWindow(w->GetWindowRef()) != w || w->Root() != saved.first) continue;
    saved.first->SetCursorId(saved.second);
  }
  Saved().clear();
}

int32_t CORVWaitCursor::CurrentCursor() { return g_depth > 0 ? kWatchCursor : kArrowCursor; }
