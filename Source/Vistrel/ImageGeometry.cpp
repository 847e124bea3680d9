#include "ImageGeometry.h"

#include <algorithm>
#include <cmath>

namespace geom {

void GetFitInSize(long fw, long fh, long w, long h, long& ow, long& oh) {
  if (fw <= 0 || fh <= 0 || w <= 0 || h <= 0) {
    ow = oh = 0;
    return;
  }
  if (double(fw) * h < double(w) * fh) {
    ow = fw;
    oh = static_cast<long>(std::floor(double(fw) * h / w + 0.5));
  } else {
    oh = fh;
    ow = static_cast<long>(std::floor(double(fh) * w / h + 0.5));
  }
  ow = std::max(ow, 1L);
  oh = std::max(oh, 1L);
}

SIZE FitInSize(SIZE source, SIZE dest) {
  if (dest.cx <= 0 || dest.cy <= 0) return SIZE{0, 0};
  if (source.cx <= dest.cx && source.cy <= dest.cy) return source;
  long w = 0, h = 0;
  GetFitInSize(dest.cx, dest.cy, source.cx, source.cy, w, h);
  return SIZE{static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

enuDeflateLevel GetDeflateLevel(SIZE source, SIZE dest) {
  SIZE fit = FitInSize(source, dest);
  if (fit.cx > source.cx / 2) return PPIC_ORIGINAL;
  if (fit.cx > source.cx / 4) return PPIC_HALF;
  if (fit.cx > source.cx / 8) return PPIC_QUARTER;
  return PPIC_EIGHTH;
}

std::vector<int> ReadOrderNext(int n) {
  std::vector<int> order(size_t(2 * n + 1));
  for (int k = 0; k <= 2 * n; ++k) order[size_t(k)] = k <= n ? n + k : 2 * n - k;
  return order;
}

std::vector<int> ReadOrderPrevious(int n) {
  std::vector<int> order(size_t(2 * n + 1));
  for (int k = 0; k <= 2 * n; ++k) order[size_t(k)] = k <= n ? n - k : k;
  return order;
}

int TransIndex(int index, int size) {
  if (size <= 0) return 0;
  int r = index % size;
  return r < 0 ? r + size : r;
}

void MultMatrix(Xform& out, const Xform* a, const Xform* b) {
  Xform r;
  r.eM11 = a->eM11 * b->eM11 + a->eM12 * b->eM21 + a->eM13 * b->eM31;
  r.eM12 = a->eM11 * b->eM12 + a->eM12 * b->eM22 + a->eM13 * b->eM32;
  r.eM21 = a->eM21 * b->eM11 + a->eM22 * b->eM21 + a->eM23 * b->eM31;
  r.eM22 = a->eM21 * b->eM12 + a->eM22 * b->eM22 + a->eM23 * b->eM32;
  r.eM31 = a->eM31 * b->eM11 + a->eM32 * b->eM21 + a->eM33 * b->eM31;
  r.eM32 = a->eM31 * b->eM12 + a->eM32 * b->eM22 + a->eM33 * b->eM32;
  r.eM13 = r.eM23 = 0;
  r.eM33 = 1;
  out = r;
}

void TransformPoint(const Xform* t, double x, double y, double* nx, double* ny) {
  *nx = x * t->eM11 + y * t->eM21 + t->eM31;
  *ny = x * t->eM12 + y * t->eM22 + t->eM32;
}

void Transform_Rect(const Xform* t, const SRect32& src, SRect32* dst) {
  const double xs[4] = {double(src.left), double(src.right), double(src.right), double(src.left)};
  const double ys[4] = {double(src.top), double(src.top), double(src.bottom), double(src.bottom)};
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    double x, y;
    TransformPoint(t, xs[i], ys[i], &x, &y);
    if (i == 0 || x < minX) minX = x;
    if (i == 0 || y < minY) minY = y;
    if (i == 0 || x > maxX) maxX = x;
    if (i == 0 || y > maxY) maxY = y;
  }
  dst->left = static_cast<int32_t>(std::floor(minX));
  dst->top = static_cast<int32_t>(std::floor(minY));
  dst->right = static_cast<int32_t>(std::ceil(maxX));
  dst->bottom = static_cast<int32_t>(std::ceil(maxY));
}

}  // namespace geom
