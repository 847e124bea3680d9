// Mapping rectangles between coordinate spaces, fit sizes and the
// turn-and-flip merge.
#include <algorithm>
#include <cmath>

#include "PictureFunctions.h"

namespace {

long Nearest(double x) { return long(std::floor(x + 0.5)); }
int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }
bool Empty(const SRect32& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

int GetZoomRect(const SIZE& from, SRect32& r, SIZE& to, SRect32& out, bool keepSize) {
  if (from.cx == 0) return 0;
  const double s = double(to.cx) / double(from.cx);
  out.left = int32_t(Nearest(r.left * s));
  out.top = int32_t(Nearest(r.top * s));
  long w, h;
  if (W(r) == from.cx && H(r) == from.cy) {
    w = to.cx, h = to.cy;
  } else if (keepSize) {
    w = Nearest(W(r) * s), h = Nearest(H(r) * s);
  } else {
    w = Nearest(r.right * s) - out.left, h = Nearest(r.bottom * s) - out.top;
  }
  w = std::max(w, 1L), h = std::max(h, 1L);
  if (w > to.cx && W(r) <= from.cx) w = to.cx;
  if (h > to.cy && H(r) <= from.cy) h = to.cy;
  out.right = int32_t(out.left + w);
  out.bottom = int32_t(out.top + h);
  if (r.right == from.cx) out.left = int32_t(to.cx - w), out.right = to.cx;
  if (r.bottom == from.cy) out.top = int32_t(to.cy - h), out.bottom = to.cy;
  if (r.left >= 0 && r.top >= 0 && r.right <= from.cx && r.bottom <= from.cy) {
    if (out.left < 0) out.left = 0, out.right = int32_t(w);
    else if (out.right > to.cx) out.right = to.cx, out.left = int32_t(to.cx - w);
    if (out.top < 0) out.top = 0, out.bottom = int32_t(h);
    else if (out.bottom > to.cy) out.bottom = to.cy, out.top = int32_t(to.cy - h);
  }
  return 1;
}

int ZoomRect(SRect32& r, double z) {
  if (Empty(r)) return 0;
  if (z == 1.0) return 1;
  if (!std::isfinite(z) || z <= 0) return 0;
  const double w = std::floor(W(r) * z + 0.5), h = std::floor(H(r) * z + 0.5);
  if (w > 2e9 || h > 2e9) return 0;
  const int32_t nw = int32_t(w), nh = int32_t(h);
  const int32_t cx = int32_t((int64_t(r.left) + r.right) / 2), cy = int32_t((int64_t(r.top) + r.bottom) / 2);
  r.left = cx - nw / 2, r.top = cy - nh / 2;
  r.right = r.left + nw, r.bottom = r.top + nh;
  return 1;
}

namespace {

// The neighbour before rectangle i on one axis: the first whose far edge
// is i's near edge, else the one whose far edge is nearest before it.
int Neighbour(const std::vector<SRect32>& rects, int i, int32_t SRect32::*farEdge, int32_t SRect32::*nearEdge) {
  int best = -1;
  for (int j = 0; j < int(rects.size()); ++j) {
    if (j == i || Empty(rects[j])) continue;
    if (rects[j].*farEdge == rects[i].*nearEdge) return j;
    if (rects[j].*farEdge < rects[i].*nearEdge && (best < 0 || rects[j].*farEdge > rects[best].*farEdge)) best = j;
  }
  return best;
}

}  // namespace

int GetLeftIndex(const std::vector<SRect32>& rects, int i) { return Neighbour(rects, i, &SRect32::right, &SRect32::left); }

int GetTopIndex(const std::vector<SRect32>& rects, int i) { return Neighbour(rects, i, &SRect32::bottom, &SRect32::top); }

namespace {

// One axis of a collage: each rectangle starts at its neighbour's far edge
// plus the scaled gap. `done` marks rectangles already placed on this axis;
// `visiting` stops a cycle of neighbours.
void ZoomAxis(const std::vector<SRect32>& src, std::vector<SRect32>& dst, double f, bool horizontal, int i,
              std::vector<char>& done, std::vector<char>& visiting) {
  if (done[i] || Empty(src[i])) return;
  visiting[i] = 1;
  int j = horizontal ? GetLeftIndex(src, i) : GetTopIndex(src, i);
  long start;
  if (j >= 0 && !visiting[j]) {
    ZoomAxis(src, dst, f, horizontal, j, done, visiting);
    start = horizontal ? dst[j].right + Nearest((src[i].left - src[j].right) * f)
                       : dst[j].bottom + Nearest((src[i].top - src[j].bottom) * f);
  } else {
    start = Nearest((horizontal ? src[i].left : src[i].top) * f);
  }
  long size = Nearest((horizontal ? W(src[i]) : H(src[i])) * f);
  if (size == 0) size = 1;
  if (horizontal) dst[i].left = int32_t(start), dst[i].right = int32_t(start + size);
  else dst[i].top = int32_t(start), dst[i].bottom = int32_t(start + size);
  visiting[i] = 0;
  done[i] = 1;
}

}  // namespace

int MyZoomRects(const std::vector<SRect32>& src, std::vector<SRect32>& dst, _QELDIV f) {
  if (dst.empty() || src.size() != dst.size() || f.den == 0) return 0;
  if (f.num == f.den) {
    dst = src;
    return 1;
  }
  const double k = double(f.num) / double(f.den);
  for (auto& r : dst) r = SRect32{0, 0, 0, 0};
  for (bool horizontal : {true, false}) {
    std::vector<char> done(src.size(), 0), visiting(src.size(), 0);
    for (int i = 0; i < int(src.size()); ++i) ZoomAxis(src, dst, k, horizontal, i, done, visiting);
  }
  return 1;
}

void GetFitInSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW,
                  long& outH) {
  if (boxW < 1 || boxH < 1 || picW < 1 || picH < 1) {
    outW = outH = 0;
    return;
  }
  if (double(boxW) * picH < double(boxH) * picW) {
    outW = boxW, outH = Nearest(double(boxW) * picH / picW);
  } else {
    outW = Nearest(double(boxH) * picW / picH), outH = boxH;
  }
  outW = std::max(outW, 1L), outH = std::max(outH, 1L);
}

void GetHalfFitInSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW,
                      long& outH) {
  if (boxW < 1 || boxH < 1 || picW < 1 || picH < 1) {
    outW = outH = 0;
    return;
  }
  if (picW <= boxW && picH <= boxH) {
    outW = picW, outH = picH;
    return;
  }
  GetFitInSize(boxW, boxH, picW, picH, outW, outH);
}

void GetAutoCropSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW,
                     long& outH) {
  if (boxW < 1 || boxH < 1 || picW < 1 || picH < 1) return;
  if (double(boxW) * picH < double(boxH) * picW) {
    outW = std::max(Nearest(double(boxH) * picW / picH), 1L), outH = boxH;
  } else {
    outW = boxW, outH = std::max(Nearest(double(boxW) * picH / picW), 1L);
  }
}

void HoldDispRect(SRect32* r, SRect32* bound) {
  if (!r || !bound) return;
  if (r->right > bound->right) {
    int32_t d = r->right - bound->right;
    r->left -= d, r->right -= d;
  }
  if (r->left < bound->left) {
    int32_t d = bound->left - r->left;
    r->left += d, r->right += d;
  }
  if (r->bottom > bound->bottom) {
    int32_t d = r->bottom - bound->bottom;
    r->top -= d, r->bottom -= d;
  }
  if (r->top < bound->top) {
    int32_t d = bound->top - r->top;
    r->top += d, r->bottom += d;
  }
  r->left = std::max(r->left, bound->left), r->top = std::max(r->top, bound->top);
  r->right = std::min(r->right, bound->right), r->bottom = std::min(r->bottom, bound->bottom);
  if (Empty(*r)) *r = SRect32{0, 0, 0, 0};
}

void MergeRotateFlip(std::vector<RFATYPE>& steps, long& angle, int& flip) {
  // State s < 4: a turn of s x 90; s >= 4: a turn of (s - 4) x 90, then a
  // flip. Next state by step 0 .. 4.
  static const int kNext[8][5] = {
      {1, 2, 3, 4, 6}, {2, 3, 0, 5, 7}, {3, 0, 1, 6, 4}, {0, 1, 2, 7, 5},
      {7, 6, 5, 0, 2}, {4, 7, 6, 1, 3}, {5, 4, 7, 2, 0}, {6, 5, 4, 3, 1},
  };
  int s = 0;
  for (RFATYPE step : steps) {
    if (step >= RFA_ROTATE90 && step <= RFA_FLIP_OTHER) s = kNext[s][step];
  }
  angle = s < 4 ? s * 90 : (s - 4) * 90;
  flip = s < 4 ? 0 : 1;
}
