#pragma once
// Histogram stretch of the video pass over the luma bytes of a packed 4:2:2
// frame, by row ranges so a frame can be split into strips: the counts of the
// strips add up, and each strip is stretched on its own.

#include <cstdint>

namespace adl {

struct PackedLuma {
  uint8_t* pixels;
  int32_t pitch;
  int32_t width;       // pixels a row (even)
  int32_t lumaOffset;  // 0 for YUY2 (Y0 U Y1 V), 1 for UYVY
};

// Adds the luma bytes of rows [r0, r1) to counts.
void CountLuma(const PackedLuma& f, int32_t r0, int32_t r1, uint32_t counts[256]);

// How many luma bytes of a run of rows are at most base + i, for the four
// values from base (0..252) on, and the largest luma byte. Enough to place the
// stretch's low bin when it lies among those values, at a fraction of the
// cost of a histogram.
constexpr int32_t kAtMostCount = 4;
struct LumaAtMost {
  uint64_t atMost[kAtMostCount] = {};
  uint8_t max = 0;
};

// Adds rows [r0, r1) to `out`.
void CountAtMost(const PackedLuma& f, int32_t r0, int32_t r1, int32_t base, LumaAtMost* out);

// One row of `width` pixels, added to atMost and max; all forms agree.
void CountAtMostRowScalar(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                          uint64_t atMost[kAtMostCount], uint8_t* max);
void CountAtMostRowSSE2(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                        uint64_t atMost[kAtMostCount], uint8_t* max);
void CountAtMostRowAVX2(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                        uint64_t atMost[kAtMostCount], uint8_t* max);

// Y becomes newLow + (((Y - low) * scale + 8192) >> 14), clamped to 0..255.
struct StretchMap {
  int32_t low, newLow, scale;
  uint8_t Map(int32_t y) const {
    const int32_t v = newLow + (((y - low) * scale + 8192) >> 14);
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
};

// Stretches the luma bytes of rows [r0, r1); chroma bytes are not touched.
void StretchLuma(const PackedLuma& f, int32_t r0, int32_t r1, const StretchMap& m);

// The forms, for tests and the dispatcher; all give the same bytes.
void StretchRowScalar(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m);
void StretchRowSSE2(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m);
void StretchRowAVX2(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m);

}  // namespace adl
