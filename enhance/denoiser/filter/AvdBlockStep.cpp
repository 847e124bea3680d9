// Block sizes of the frame loop: the largest step whose working memory stays
// within the budget, and the walk over the blocks.

#include <algorithm>

#include "filter/AvdFilter.h"
#include "image/AvdImageRecord.h"

namespace {
constexpr int64_t kMemBudget = 0x3200000;
inline int64_t Align16Down(int64_t v) { return v & ~int64_t{15}; }
}  // namespace

int64_t avdFlt_MemBytes(int32_t width, int32_t height, int32_t lumaDepth, int32_t chromaDepth, uint32_t lumaCodes,
                        uint32_t chromaCodes, int32_t edge, uint32_t format) {
  const int32_t depth = std::max(lumaDepth, chromaDepth);
  if (depth < 1) return 0;
  const int64_t s = int64_t{1} << (depth - 1);
  const int64_t b = AvdFmtBytes(format);
  const int64_t W = width, H = height;
  auto area = [&](int i) {
    int64_t m = std::max<int64_t>((2 * std::min<int64_t>(8 * s, edge)) >> i, 16);
    return Align16Down(m + (W >> i) + 15) * (m + (H >> i));
  };
  int64_t M = 0;
  for (int i = 0; i < lumaDepth; ++i) M += area(i);
  const uint32_t sub = AvdFmtSubsampling(format);
  for (int i = 0; i < chromaDepth; ++i) {
    int64_t a = area(i);
    M += sub == 0 ? 2 * a : (sub == AVD_SUB_422 ? a : a / 2);
  }
  int64_t T = b * M / 16 + 2 * b * M + 16384;
  const int64_t rowTerm = Align16Down(W / s + 23);
  for (int i = 0; i < lumaDepth; ++i)
    if (AvdCodeByte(lumaCodes, i)) T += (H / s + 8) * rowTerm;
  for (int i = 0; i < chromaDepth; ++i)
    if (AvdCodeByte(chromaCodes, i)) T += (2 * H / s + 16) * rowTerm;
  return T + rowTerm * (H / s + 8) + (6 * W + 48) * (H + 8) + 16384;
}

void avdFlt_AutoBlockStep(int32_t width, int32_t height, int32_t workers, int32_t lumaDepth, int32_t chromaDepth,
                          uint32_t lumaCodes, uint32_t chromaCodes, uint32_t format, int32_t* stepWidth,
                          int32_t* stepHeight) {
  const int32_t depth = std::max(std::max(lumaDepth, chromaDepth), 1);
  const int32_t u = 1 << depth;
  const int32_t edge = 8 << (depth - 1);
  int32_t w = std::max(width, 1), h = std::max(height, 1);
  for (;;) {
    w = (w + u - 1) / u * u;
    h = (h + u - 1) / u * u;
    if (avdFlt_MemBytes(w, h, lumaDepth, chromaDepth, lumaCodes, chromaCodes, edge, format) + 8192 <= kMemBudget)
      break;
    if (w <= u && h <= u) break;
    if (w > h)
      w -= u;
    else
      h -= u;
  }
  *stepWidth = std::min(w, width);
  *stepHeight = std::min(h, height);
}

int32_t avdLoopNext(int32_t* x, int32_t* y, const AvdRect* rect, int32_t stepWidth, int32_t stepHeight) {
  *x += stepWidth;
  if (*x < rect->right) return 1;
  *x = rect->left;
  *y += stepHeight;
  return *y < rect->bottom ? 1 : 0;
}
