#pragma once
// Illumination estimate of the dynamic light: 16-bit log-domain maps smoothed
// over a pyramid of halved copies carved from a caller's scratch area.

#include <cstdint>

namespace adl {

// Words a pyramid level of rows x cols takes from the scratch area.
inline int64_t LevelWords(int32_t rows, int32_t cols) {
  return ((static_cast<int64_t>(rows) * cols + 3) & ~int64_t{3}) + 10;
}

// Halves a map (2 x 2 means); an odd last column averages the last two
// source columns, an odd last row repeats the last source row.
void Downscale2x2(const int16_t* src, int32_t srcRows, int32_t srcCols, int16_t* dst,
                  int32_t dstRows, int32_t dstCols);

// Blends the smoothed, doubled coarse map into the fine map:
// fine = (coarse line * coarseWeight + fine * fineWeight) >> 10.
void SmoothDoubleBlend(const int16_t* coarse, int32_t coarseRows, int32_t coarseCols,
                       const int16_t* fineSrc, int16_t* fineDst, int32_t fineRows,
                       int32_t fineCols, int32_t coarseWeight, int32_t fineWeight);

// Smooths a map at full resolution into dst (may be src). 0, or 4 when the
// scratch area is too small (dst then not written).
int32_t PyramidFilter(const int16_t* src, int32_t rows, int32_t cols, int16_t* dst,
                      int32_t firstWeightPercent, int32_t decayPercent, int16_t* scratch,
                      int64_t scratchWords);

// Where the luma byte of pixel x lies in a row.
struct LumaLayout {
  enum Kind { Linear, PairedYY, Groups8 } kind = Linear;
  int32_t offset = 0;  // Linear: x * step + offset (YUY2 0/2, UYVY 1/2, plane 0/1)
  int32_t step = 1;
  intptr_t ByteOf(int32_t x) const {
    switch (kind) {
      case PairedYY: return (static_cast<intptr_t>(x) >> 1) * 4 + (x & 1);   // Y0 Y1 U V
      case Groups8: return (static_cast<intptr_t>(x) >> 3) * 16 + (x & 7);    // 8 Y, 4 U, 4 V
      case Linear: break;
    }
    return static_cast<intptr_t>(x) * step + offset;
  }
};

// Builds the reduced log map L and deviation map D of the luma of a picture.
// level 1, 2, 3 means cells of 2, 4, 8 pixels. 0, or 4 when the scratch area
// is too small.
int32_t PyramidFilterLuma(const uint8_t* pixels, int32_t height, int32_t width, int32_t pitch,
                          const LumaLayout& layout, int16_t* logMap,
                          int16_t* devMap, int32_t mapRows, int32_t mapCols, int16_t* scratch,
                          int64_t scratchWords, int32_t decayPercent, int32_t level);

// Last step of the map builder: S = blend of the smoothed average map and the
// log map (into logMap), D = soft magnitude of (log - S) (into avgMap).
// lineScratch holds one map row. 0, or 4 when lineWords is too small.
int32_t SmoothDoubleBlendYUV(int16_t* avgMap, int16_t* logMap, int32_t rows, int32_t cols,
                             int32_t coarseWeight, int32_t fineWeight, int16_t* lineScratch,
                             int64_t lineWords);

// Expands a map row four-fold with linear steps; out has 4 * cols entries.
void UpSample8x8(const int16_t* row, int32_t cols, int16_t* out);

// Expands a map row two-fold (sample, mean of neighbours); 2 * cols entries.
void UpSample4x4(const int16_t* row, int32_t cols, int16_t* out);

}  // namespace adl
