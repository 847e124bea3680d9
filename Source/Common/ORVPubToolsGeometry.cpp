// Fitting sizes, window rectangles and the cursor.
#include <algorithm>

#include "ORVPubTools.h"
#include "qel/QelWindow.h"

namespace {

bool Bounds(WindowRef window, SRect32* rect) {
  CQelWindow* w = window ? CQelWindow::FetchQelWindow(window) : nullptr;
  if (!w || !rect) return false;
  w->GetWindowRect(rect);
  return true;
}

}  // namespace

double CORVPubTools::TLFitIn(int32_t* width, int32_t* height, int32_t boxWidth, int32_t boxHeight) {
  if (!width || !height || *width == 0 || *height == 0) return 0.0;
  double factor = std::min(double(boxHeight) / *height, double(boxWidth) / *width);
  *width = int32_t(*width * factor + 0.5);
  *height = int32_t(*height * factor + 0.5);
  return factor;
}

int CORVPubTools::GetCursorPos(POINT* point) { return point && QelGetCursorPos(point) ? 1 : 0; }

int CORVPubTools::SetCursorPos(POINT* point) { return point && QelSetCursorPos(point) ? 1 : 0; }

int CORVPubTools::ScreenToClient(WindowRef window, POINT* point) {
  SRect32 r;
  if (!point || !Bounds(window, &r)) return 0;
  point->x -= r.left;
  point->y -= r.top;
  return 1;
}

int CORVPubTools::ClientToScreen(WindowRef window, POINT* point) {
  SRect32 r;
  if (!point || !Bounds(window, &r)) return 0;
  point->x += r.left;
  point->y += r.top;
  return 1;
}

// The toolkit's windows draw their own frame, so the whole window and its
// content have the same bounds.
int CORVPubTools::GetWindowRect(WindowRef window, SRect32* rect) { return Bounds(window, rect) ? 1 : 0; }
int CORVPubTools::GetClientRect(WindowRef window, SRect32* rect) { return Bounds(window, rect) ? 1 : 0; }

int CORVPubTools::PtInRect(const SRect32* rect, POINT point) {
  if (!rect) return 0;
  return point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom ? 1 : 0;
}
