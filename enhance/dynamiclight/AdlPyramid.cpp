#include "AdlPyramid.h"

#include <emmintrin.h>

#include <algorithm>
#include <vector>

#include "AdlTables.h"
#include "WorkerPool.h"

namespace adl {
namespace {

constexpr int kMaxLevels = 40;

struct Level {
  int16_t* samples;
  int32_t rows;
  int32_t cols;
};

// Carves halved levels from src until a side drops below 2. Returns the level
// count, or -1 when the scratch area runs out.
int BuildLevels(const int16_t* src, int32_t rows, int32_t cols, int16_t* scratch,
                int64_t scratchWords, Level* levels) {
  int count = 0;
  int64_t used = 0;
  const int16_t* prev = src;
  while (rows >= 2 && cols >= 2 && count < kMaxLevels) {
    const int32_t nr = (rows + 1) >> 1;
    const int32_t nc = (cols + 1) >> 1;
    const int64_t need = LevelWords(nr, nc);
    if (used + need > scratchWords) return -1;
    int16_t* level = scratch + used;
    Downscale2x2(prev, rows, cols, level, nr, nc);
    levels[count++] = {level, nr, nc};
    used += need;
    prev = level;
    rows = nr;
    cols = nc;
  }
  return count;
}

// Blends the levels from the coarsest into finer ones, the last into dst with
// src as its fine input. Returns the weight after the last decay.
int32_t BlendLevels(const Level* levels, int count, const int16_t* src, int16_t* dst,
                    int32_t rows, int32_t cols, int32_t w, int32_t decay) {
  for (int l = count - 1; l >= 0; --l) {
    const Level& coarse = levels[l];
    const int16_t* fineSrc = l == 0 ? src : levels[l - 1].samples;
    int16_t* fineDst = l == 0 ? dst : levels[l - 1].samples;
    const int32_t fr = l == 0 ? rows : levels[l - 1].rows;
    const int32_t fc = l == 0 ? cols : levels[l - 1].cols;
    SmoothDoubleBlend(coarse.samples, coarse.rows, coarse.cols, fineSrc, fineDst, fr, fc,
                      1024 - w, w);
    w = (w * decay + 50) / 100;
  }
  return w;
}

// The [1 2 1] smoothing down and then across one map row of cols samples,
// edges repeated, into line[cols]; vert holds cols + 2 entries. Every value
// fits 16 bits.
void SmoothLine(const int16_t* up, const int16_t* mid, const int16_t* dn, int32_t cols, int16_t* vert,
                int16_t* line) {
  int16_t* v = vert + 1;
  for (int32_t j = 0; j < cols; ++j) v[j] = static_cast<int16_t>((up[j] + 2 * mid[j] + dn[j]) >> 2);
  v[-1] = v[0];
  v[cols] = v[cols - 1];
  for (int32_t j = 0; j < cols; ++j) line[j] = static_cast<int16_t>((v[j - 1] + 2 * v[j] + v[j + 1]) >> 2);
}

// out[x] = (line[x / 2] * coarseWeight + in[x] * fineWeight) >> 10 for x <
// span (in and out may be the same row). The weights add up to 1024, so each
// result lies between two 16-bit values: one multiply-add of the pairs
// (line, in) and (coarseWeight, fineWeight) gives it exactly.
void BlendRow(const int16_t* line, const int16_t* in, int16_t* out, int32_t span, int32_t coarseWeight,
              int32_t fineWeight) {
  const __m128i weights = _mm_set1_epi32((fineWeight << 16) | (coarseWeight & 0xFFFF));
  const bool convex = coarseWeight >= 0 && fineWeight >= 0 && coarseWeight + fineWeight == 1024;
  int32_t x = 0;
  for (; convex && x + 8 <= span; x += 8) {
    const __m128i l4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + x / 2));
    const __m128i wide = _mm_unpacklo_epi16(l4, l4);
    const __m128i fine = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(wide, fine), weights), 10);
    const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(wide, fine), weights), 10);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packs_epi32(lo, hi));
  }
  for (; x < span; ++x) out[x] = static_cast<int16_t>((line[x >> 1] * coarseWeight + in[x] * fineWeight) >> 10);
}

}  // namespace

void Downscale2x2(const int16_t* src, int32_t srcRows, int32_t srcCols, int16_t* dst,
                  int32_t dstRows, int32_t dstCols) {
  const int32_t pairs = std::min(srcCols / 2, dstCols);
  const bool oddTail = (srcCols & 1) && dstCols > srcCols / 2 && srcCols >= 2;
  enh::ParallelRows(dstRows, 32, 1, [&](int32_t i0, int32_t i1) {
    for (int32_t i = i0; i < i1; ++i) {
      const int32_t r0 = std::min(2 * i, srcRows - 1);
      const int32_t r1 = std::min(2 * i + 1, srcRows - 1);
      const int16_t* a = src + static_cast<intptr_t>(r0) * srcCols;
      const int16_t* b = src + static_cast<intptr_t>(r1) * srcCols;
      int16_t* out = dst + static_cast<intptr_t>(i) * dstCols;
      for (int32_t j = 0; j < pairs; ++j)
        out[j] = static_cast<int16_t>((a[2 * j] + a[2 * j + 1] + b[2 * j] + b[2 * j + 1]) >> 2);
      if (oddTail) {
        const int32_t c = srcCols - 2;
        out[pairs] = static_cast<int16_t>((a[c] + a[c + 1] + b[c] + b[c + 1]) >> 2);
      }
    }
  });
}

void SmoothDoubleBlend(const int16_t* coarse, int32_t coarseRows, int32_t coarseCols,
                       const int16_t* fineSrc, int16_t* fineDst, int32_t fineRows,
                       int32_t fineCols, int32_t coarseWeight, int32_t fineWeight) {
  // Fine columns a coarse row reaches: two per coarse column.
  const int32_t span = std::min(fineCols, 2 * coarseCols);
  // Each coarse row writes its own two fine rows, reading only those.
  const int32_t blendRows = std::min(coarseRows, (fineRows + 1) / 2);
  enh::ParallelRows(blendRows, 16, 1, [&](int32_t k0, int32_t k1) {
    std::vector<int16_t> vert(static_cast<size_t>(coarseCols) + 2), line(coarseCols);
    for (int32_t k = k0; k < k1; ++k) {
      const int16_t* up = coarse + static_cast<intptr_t>(std::max(k - 1, 0)) * coarseCols;
      const int16_t* mid = coarse + static_cast<intptr_t>(k) * coarseCols;
      const int16_t* dn = coarse + static_cast<intptr_t>(std::min(k + 1, coarseRows - 1)) * coarseCols;
      SmoothLine(up, mid, dn, coarseCols, vert.data(), line.data());
      const int32_t rowsHere = std::min(2, fineRows - 2 * k);
      for (int32_t r = 0; r < rowsHere; ++r) {
        const intptr_t at = static_cast<intptr_t>(2 * k + r) * fineCols;
        BlendRow(line.data(), fineSrc + at, fineDst + at, span, coarseWeight, fineWeight);
      }
    }
  });
}

int32_t PyramidFilter(const int16_t* src, int32_t rows, int32_t cols, int16_t* dst,
                      int32_t firstWeightPercent, int32_t decayPercent, int16_t* scratch,
                      int64_t scratchWords) {
  Level levels[kMaxLevels];
  const int count = BuildLevels(src, rows, cols, scratch, scratchWords, levels);
  if (count < 0) return 4;
  const int32_t w = (firstWeightPercent * 1024 + 50) / 100;
  BlendLevels(levels, count, src, dst, rows, cols, w, decayPercent);
  return 0;
}

int32_t PyramidFilterLuma(const uint8_t* pixels, int32_t height, int32_t width, int32_t pitch,
                          const LumaLayout& layout, int16_t* logMap,
                          int16_t* devMap, int32_t mapRows, int32_t mapCols, int16_t* scratch,
                          int64_t scratchWords, int32_t decayPercent, int32_t level) {
  if (scratchWords <= 9) return 4;
  const int32_t f = 1 << level;
  const int32_t h = f / 2;
  const int16_t* logTable = LogTable();
  // Cells whose whole square lies inside the picture; the others repeat the
  // last filled row and column. A picture narrower than a cell samples its
  // edge pixels instead.
  const int32_t filledRows = std::min(std::max(height / f, 1), mapRows);
  const int32_t filledCols = std::min(std::max(width / f, 1), mapCols);
  auto luma = [&](int32_t r, int32_t c) -> int32_t {
    r = std::min(r, height - 1);
    c = std::min(c, width - 1);
    return pixels[static_cast<intptr_t>(r) * pitch + layout.ByteOf(c)];
  };
  enh::ParallelRows(filledRows, 16, 1, [&](int32_t i0, int32_t i1) {
    for (int32_t i = i0; i < i1; ++i) {
      int16_t* lrow = logMap + static_cast<intptr_t>(i) * mapCols;
      int16_t* arow = devMap + static_cast<intptr_t>(i) * mapCols;
      const int32_t r = i * f;
      const uint8_t* row0 = pixels + static_cast<intptr_t>(r) * pitch;
      const uint8_t* row1 = pixels + static_cast<intptr_t>(r + h) * pitch;
      const bool inside = r + f <= height;
      int32_t j = 0;
      if (inside && layout.kind == LumaLayout::Linear) {
        // Whole cells of a packed or plane row: the four samples at fixed steps.
        const int32_t whole = std::min(filledCols, width / f);
        const intptr_t cell = static_cast<intptr_t>(f) * layout.step, half = static_cast<intptr_t>(h) * layout.step;
        const uint8_t* p0 = row0 + layout.offset;
        const uint8_t* p1 = row1 + layout.offset;
        for (; j < whole; ++j, p0 += cell, p1 += cell) {
          const int32_t y00 = p0[0];
          lrow[j] = logTable[y00];
          arow[j] = logTable[(y00 + p0[half] + p1[0] + p1[half]) >> 2];
        }
      }
      for (; j < filledCols; ++j) {
        const int32_t c = j * f;
        int32_t y00, y01, y10, y11;
        if (inside && c + f <= width) {
          const intptr_t at0 = layout.ByteOf(c), at1 = layout.ByteOf(c + h);
          y00 = row0[at0];
          y01 = row0[at1];
          y10 = row1[at0];
          y11 = row1[at1];
        } else {
          y00 = luma(r, c);
          y01 = luma(r, c + h);
          y10 = luma(r + h, c);
          y11 = luma(r + h, c + h);
        }
        lrow[j] = logTable[y00];
        arow[j] = logTable[(y00 + y01 + y10 + y11) >> 2];
      }
      for (j = filledCols; j < mapCols; ++j) {
        lrow[j] = lrow[filledCols - 1];
        arow[j] = arow[filledCols - 1];
      }
    }
  });
  for (int32_t i = filledRows; i < mapRows; ++i) {
    std::copy_n(logMap + static_cast<intptr_t>(filledRows - 1) * mapCols, mapCols,
                logMap + static_cast<intptr_t>(i) * mapCols);
    std::copy_n(devMap + static_cast<intptr_t>(filledRows - 1) * mapCols, mapCols,
                devMap + static_cast<intptr_t>(i) * mapCols);
  }

  Level levels[kMaxLevels];
  const int count = BuildLevels(devMap, mapRows, mapCols, scratch, scratchWords, levels);
  if (count < 0) return 4;
  const int32_t w = BlendLevels(levels, count, devMap, devMap, mapRows, mapCols, 922, decayPercent);
  if (mapRows <= 1) return 0;
  // The levels are done with: the whole scratch area can hold the line.
  return SmoothDoubleBlendYUV(devMap, logMap, mapRows, mapCols, 1024 - w, w, scratch,
                              scratchWords);
}

int32_t SmoothDoubleBlendYUV(int16_t* avgMap, int16_t* logMap, int32_t rows, int32_t cols,
                             int32_t coarseWeight, int32_t fineWeight, int16_t* lineScratch,
                             int64_t lineWords) {
  if (lineWords < cols) return 4;
  const int16_t* sqrtTable = SqrtTable();
  int16_t* prev = lineScratch;  // original row i - 1 of the average map
  std::vector<int16_t> vert(static_cast<size_t>(cols) + 2), line(cols);
  std::vector<int32_t> diff(cols);
  const __m128i weights = _mm_set1_epi32((fineWeight << 16) | (coarseWeight & 0xFFFF));
  const bool convex = coarseWeight >= 0 && fineWeight >= 0 && coarseWeight + fineWeight == 1024;
  for (int32_t i = 0; i < rows; ++i) {
    int16_t* mid = avgMap + static_cast<intptr_t>(i) * cols;
    const int16_t* up = i == 0 ? mid : prev;
    const int16_t* dn = avgMap + static_cast<intptr_t>(std::min(i + 1, rows - 1)) * cols;
    int16_t* lrow = logMap + static_cast<intptr_t>(i) * cols;
    // The row is smoothed from the original samples before any is overwritten.
    SmoothLine(up, mid, dn, cols, vert.data(), line.data());
    std::copy_n(mid, cols, prev);
    int32_t j = 0;
    // As in BlendRow: weights adding up to 1024 give 16-bit results.
    for (; convex && j + 8 <= cols; j += 8) {
      const __m128i ln = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + j));
      const __m128i lg = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lrow + j));
      const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(ln, lg), weights), 10);
      const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(ln, lg), weights), 10);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(lrow + j), _mm_packs_epi32(lo, hi));
      const __m128i l0 = _mm_srai_epi32(_mm_unpacklo_epi16(lg, lg), 16), l1 = _mm_srai_epi32(_mm_unpackhi_epi16(lg, lg), 16);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(diff.data() + j), _mm_sub_epi32(l0, lo));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(diff.data() + j + 4), _mm_sub_epi32(l1, hi));
    }
    for (; j < cols; ++j) {
      const int32_t l = lrow[j];
      const int32_t s = (line[j] * coarseWeight + l * fineWeight) >> 10;
      lrow[j] = static_cast<int16_t>(s);
      diff[j] = l - s;
    }
    for (int32_t j = 0; j < cols; ++j) mid[j] = static_cast<int16_t>(SoftMagnitude(sqrtTable, diff[j]));
  }
  return 0;
}

void UpSample8x8(const int16_t* row, int32_t cols, int16_t* out) {
  out[0] = row[0];
  for (int32_t j = 0; j + 1 < cols; ++j) {
    const int32_t a = row[j], b = row[j + 1];
    const int32_t mid = (a + b) >> 1;
    out[4 * j + 1] = static_cast<int16_t>((a + mid) >> 1);
    out[4 * j + 2] = static_cast<int16_t>(mid);
    out[4 * j + 3] = static_cast<int16_t>((b + mid) >> 1);
    out[4 * j + 4] = static_cast<int16_t>(b);
  }
  const int32_t last = 4 * (cols - 1);
  out[last + 1] = out[last + 2] = out[last + 3] = row[cols - 1];
}

void UpSample4x4(const int16_t* row, int32_t cols, int16_t* out) {
  for (int32_t j = 0; j + 1 < cols; ++j) {
    out[2 * j] = row[j];
    out[2 * j + 1] = static_cast<int16_t>((row[j] + row[j + 1]) >> 1);
  }
  out[2 * (cols - 1)] = out[2 * cols - 1] = row[cols - 1];
}

}  // namespace adl
