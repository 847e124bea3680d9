#pragma once
// The clip-aware part of the planar brightness and contrast: one row pair of
// a 4:2:0 picture at a time, in a scalar form and an AVX2 form that give the
// same bytes. Both share the 16-bit arithmetic below, step for step: levels
// in 1/32 steps, factors applied as a rounding high multiply (Q15).
#include <algorithm>
#include <cstdint>

#include "PlanarLevels.h"

namespace planarlevels {

// A row pair, adjusted in place (y1 is a copy of y0 under an odd last row).
struct RowPair {
  uint8_t *y0, *y1, *u, *v;
};

inline int16_t MulHrs(int32_t a, int32_t b) { return int16_t((a * b + 0x4000) >> 15); }
constexpr int16_t Q15(double c) { return int16_t(c * 32768 + (c < 0 ? -0.5 : 0.5)); }

// Video-range BT.601 to R, G, B as the decoder's conversion reads it, in
// 1/32 levels: luma and chroma (less 16 and 128) times 128 go in.
constexpr int16_t kY = Q15(255.0 / 219 / 4);
constexpr int16_t kRV = Q15(1.596027 / 4), kGU = Q15(-0.391762 / 4), kGV = Q15(-0.812968 / 4), kBU = Q15(2.017232 / 4);
// And back as the writer's conversion makes it: luma of a pixel from its
// levels times 4, chroma from the sums of the block's four.
constexpr int16_t kLumaR = Q15(0.299 * 219 / 255 / 4), kLumaG = Q15(0.587 * 219 / 255 / 4),
                  kLumaB = Q15(0.114 * 219 / 255 / 4);
constexpr int16_t kCbR = Q15(-0.168736 * 224 / 255 / 4), kCbG = Q15(-0.331264 * 224 / 255 / 4),
                  kCbB = Q15(0.5 * 224 / 255 / 4);
constexpr int16_t kCrR = Q15(0.5 * 224 / 255 / 4), kCrG = Q15(-0.418688 * 224 / 255 / 4),
                  kCrB = Q15(-0.081312 * 224 / 255 / 4);

// The clip test: each channel's distance from luma, in 1/32 luma steps.
constexpr int16_t kTestR = Q15(1.596027 * 219 / 255 / 2), kTestGU = Q15(0.391762 * 219 / 255 / 2),
                  kTestGV = Q15(0.812968 * 219 / 255 / 2), kTestB = Q15(2.017232 * 219 / 255 / 2);

// True when a channel of the block (lumas a..d, chroma u, v) may leave the
// table's straight part.
inline bool Clips(const PlanarLevels& l, int a, int b, int c, int d, int u, int v) {
  const int du = (u - 128) * 64, dv = (v - 128) * 64;
  const int r = MulHrs(dv, kTestR), g = -(MulHrs(du, kTestGU) + MulHrs(dv, kTestGV)), b2 = MulHrs(du, kTestB);
  const int lo = std::min(std::min(r, g), b2), hi = std::max(std::max(r, g), b2);
  const int yMin = std::min(std::min(a, b), std::min(c, d)), yMax = std::max(std::max(a, b), std::max(c, d));
  return ((yMin - 16) << 5) + lo < l.clipLow || ((yMax - 16) << 5) + hi > l.clipHigh;
}

// One channel (1/32 levels) through the decoder's clamp and the level table.
inline int Level(const PlanarLevels& l, int x) {
  x = std::min(std::max(x, int(l.lineLow)), int(l.lineHigh));
  return l.lineBase + MulHrs((x - l.lineLow) << l.lineShift, l.lineFactor);
}

// The block made the long way: lumas in y[0..3], chroma over the four.
inline void ExactBlock(const PlanarLevels& l, const int y[4], int u, int v, uint8_t outY[4], uint8_t& outU,
                       uint8_t& outV) {
  const int du = (u - 128) << 7, dv = (v - 128) << 7;
  const int cr = MulHrs(dv, kRV), cg = MulHrs(du, kGU) + MulHrs(dv, kGV), cb = MulHrs(du, kBU);
  int sr = 0, sg = 0, sb = 0;
  for (int i = 0; i < 4; ++i) {
    const int yf = MulHrs((y[i] - 16) << 7, kY);
    const int r = Level(l, yf + cr), g = Level(l, yf + cg), b = Level(l, yf + cb);
    outY[i] = uint8_t((MulHrs(r << 2, kLumaR) + MulHrs(g << 2, kLumaG) + MulHrs(b << 2, kLumaB) + 16 * 32 + 16) >> 5);
    sr += r, sg += g, sb += b;
  }
  outU = uint8_t((MulHrs(sr, kCbR) + MulHrs(sg, kCbG) + MulHrs(sb, kCbB) + 128 * 32 + 16) >> 5);
  outV = uint8_t((MulHrs(sr, kCrR) + MulHrs(sg, kCrG) + MulHrs(sb, kCrB) + 128 * 32 + 16) >> 5);
}


// Blocks (chroma samples) [from, (width+1)/2) of the pair; a last column of
// an odd width stands for both of its block's columns.
void RowPairScalar(const PlanarLevels& l, const RowPair& p, int32_t width, int32_t from);
void RowPairAVX2(const PlanarLevels& l, const RowPair& p, int32_t width);

}  // namespace planarlevels
