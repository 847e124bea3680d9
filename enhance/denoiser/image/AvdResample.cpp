#include "AvdResample.h"

#include <algorithm>

#include "EnhanceResult.h"
#include "WorkerPool.h"
#include "pyramid/PyramidKernelForms.h"
#include "pyramid/PyramidKernels.h"

namespace {

// Taps of one reduce axis at coarse index x: the source indices and whether
// the full [1 2 1] applies. First and last coarse samples use [1 1].
struct Taps {
  int32_t a, b, c;
  bool full;
};

inline Taps ReduceTaps(int32_t x, int32_t srcLength) {
  const int32_t last = (srcLength + 1) / 2 - 1;
  if (x == 0) return {0, std::min(1, srcLength - 1), 0, false};
  if (x == last) return {2 * x - 1, 2 * x, 0, false};
  return {2 * x - 1, 2 * x, 2 * x + 1, true};
}

inline int32_t Horizontal(const uint8_t* row, const Taps& t) {
  return t.full ? row[t.a] + 2 * row[t.b] + row[t.c] : row[t.a] + row[t.b];
}

// Expanded coarse row at fine column X with the right neighbour repeated at
// the block's edge.
inline int32_t RowPrediction(const uint8_t* c, int32_t X, int32_t cw) {
  const int32_t i = X >> 1;
  return (X & 1) ? AvdAvg(c[i], c[std::min(i + 1, cw - 1)]) : c[i];
}

// Nested rounded means, as the vector interior forms them.
inline int32_t Prediction(const uint8_t* coarse, int32_t coarsePitch, int32_t cw, int32_t ch, int32_t X, int32_t Y) {
  const int32_t j = Y >> 1;
  const uint8_t* c0 = coarse + static_cast<ptrdiff_t>(j) * coarsePitch;
  const int32_t e0 = RowPrediction(c0, X, cw);
  if (!(Y & 1)) return e0;
  const uint8_t* c1 = coarse + static_cast<ptrdiff_t>(std::min(j + 1, ch - 1)) * coarsePitch;
  return AvdAvg(e0, RowPrediction(c1, X, cw));
}

bool KindIsU8(uint32_t kind) { return (kind & 0xff0) == ELEM_U8; }

// Rows below this are not worth a thread of their own.
constexpr int32_t kMinStripRows = 32;

// Fine rows [y0, y1) in strips that start on even rows (but the first): the
// vector kernels take rows in pairs, and a strip starting on an odd row would
// leave a whole row at each cut to the one-sample-at-a-time edge code.
template <typename Task>
void UpsampleStrips(int32_t y0, int32_t y1, const Task& task) {
  const int32_t base = y0 & ~1;
  enh::ParallelRows(y1 - base, kMinStripRows, 2, [&](int32_t r0, int32_t r1) {
    task(std::max(y0, base + r0), base + r1);
  });
}

}  // namespace

void avdReduceBlock_U8_C(const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, int32_t x0,
                         int32_t x1, int32_t y0, int32_t y1, uint8_t* dst, int32_t dstPitch) {
  for (int32_t y = y0; y < y1; ++y) {
    const Taps ty = ReduceTaps(y, srcHeight);
    const uint8_t* ra = src + static_cast<ptrdiff_t>(ty.a) * srcPitch;
    const uint8_t* rb = src + static_cast<ptrdiff_t>(ty.b) * srcPitch;
    const uint8_t* rc = src + static_cast<ptrdiff_t>(ty.c) * srcPitch;
    for (int32_t x = x0; x < x1; ++x) {
      const Taps tx = ReduceTaps(x, srcWidth);
      int32_t sum, shift;
      if (ty.full) {
        sum = Horizontal(ra, tx) + 2 * Horizontal(rb, tx) + Horizontal(rc, tx);
        shift = tx.full ? 4 : 3;
      } else {
        sum = Horizontal(ra, tx) + Horizontal(rb, tx);
        shift = tx.full ? 3 : 2;
      }
      dst[static_cast<ptrdiff_t>(y) * dstPitch + x] = static_cast<uint8_t>((sum + (1 << (shift - 1))) >> shift);
    }
  }
}

void avdExpandBlock_U8_C(uint8_t* dst, int32_t dstPitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                         const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight) {
  for (int32_t Y = y0; Y < y1; ++Y) {
    const int32_t j = Y >> 1, j1 = std::min(j + 1, srcHeight - 1);
    const uint8_t* r0 = src + static_cast<ptrdiff_t>(j) * srcPitch;
    const uint8_t* r1 = src + static_cast<ptrdiff_t>(j1) * srcPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(Y) * dstPitch;
    for (int32_t X = x0; X < x1; ++X) {
      const int32_t i = X >> 1, i1 = std::min(i + 1, srcWidth - 1);
      int32_t v;
      if (!(X & 1) && !(Y & 1))
        v = r0[i];
      else if (!(Y & 1))
        v = AvdAvg(r0[i], r0[i1]);
      else if (!(X & 1))
        v = AvdAvg(r0[i], r1[i]);
      else
        v = (r0[i] + r0[i1] + r1[i] + r1[i1] + 2) >> 2;
      out[X] = static_cast<uint8_t>(v);
    }
  }
}

void avdAnalysisBlock_U8_C(uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                           const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight) {
  for (int32_t Y = y0; Y < y1; ++Y) {
    uint8_t* row = block + static_cast<ptrdiff_t>(Y) * pitch;
    for (int32_t X = x0; X < x1; ++X) {
      int32_t p = Prediction(coarse, coarsePitch, coarseWidth, coarseHeight, X, Y);
      row[X] = static_cast<uint8_t>(AvdClampI8(row[X] - p));
    }
  }
}

void avdSynthesisBlock_U8_C(uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                            const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth,
                            int32_t coarseHeight) {
  for (int32_t Y = y0; Y < y1; ++Y) {
    uint8_t* row = block + static_cast<ptrdiff_t>(Y) * pitch;
    for (int32_t X = x0; X < x1; ++X) {
      int32_t p = Prediction(coarse, coarsePitch, coarseWidth, coarseHeight, X, Y);
      row[X] = static_cast<uint8_t>(AvdClampU8(static_cast<int8_t>(row[X]) + p));
    }
  }
}

int32_t avdReduceBlock(MHandle, const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight,
                       int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint8_t* dst, int32_t dstPitch,
                       uint32_t kind) {
  if (x1 <= x0 || y1 <= y0 || !KindIsU8(kind)) return ENH_OK;
  if (!src || !dst || x0 < 0 || y0 < 0 || x1 > (srcWidth + 1) / 2 || y1 > (srcHeight + 1) / 2 ||
      srcPitch < srcWidth || dstPitch < x1)
    return ENH_ERR_ARGUMENT;
  // Every output row depends only on the source: rows go out in strips.
  enh::ParallelRows(y1 - y0, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
    ReduceBlock_U8_SSE2(src, srcPitch, srcWidth, srcHeight, x0, x1, y0 + r0, y0 + r1, dst, dstPitch);
  });
  return ENH_OK;
}

namespace {
int32_t CheckUpsample(const uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                      const uint8_t* coarse, int32_t coarsePitch, int32_t cw, int32_t ch) {
  if (!fine || !coarse || x0 < 0 || y0 < 0 || cw <= 0 || ch <= 0 || x1 > 2 * cw || y1 > 2 * ch ||
      finePitch < x1 || coarsePitch < cw)
    return ENH_ERR_ARGUMENT;
  return ENH_OK;
}
}  // namespace

int32_t avdExpandBlock(uint8_t* dst, int32_t dstPitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                       const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, uint32_t kind) {
  if (x1 <= x0 || y1 <= y0 || !KindIsU8(kind)) return ENH_OK;
  if (int32_t r = CheckUpsample(dst, dstPitch, x0, x1, y0, y1, src, srcPitch, srcWidth, srcHeight)) return r;
  UpsampleStrips(y0, y1, [&](int32_t r0, int32_t r1) {
    ExpandBlock_U8_SSE2(dst, dstPitch, x0, x1, r0, r1, src, srcPitch, srcWidth, srcHeight);
  });
  return ENH_OK;
}

int32_t avdAnalysisBlock(MHandle, uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                         const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight,
                         uint32_t kind) {
  if (x1 <= x0 || y1 <= y0 || !KindIsU8(kind)) return ENH_OK;
  if (int32_t r = CheckUpsample(block, pitch, x0, x1, y0, y1, coarse, coarsePitch, coarseWidth, coarseHeight))
    return r;
  // In place, but each sample reads only itself and the coarse block.
  UpsampleStrips(y0, y1, [&](int32_t r0, int32_t r1) {
    AnalysisBlock_U8_SSE2(block, pitch, x0, x1, r0, r1, coarse, coarsePitch, coarseWidth, coarseHeight);
  });
  return ENH_OK;
}

int32_t avdSynthesisBlock(MHandle, uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                          const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight,
                          uint32_t kind) {
  if (x1 <= x0 || y1 <= y0 || !KindIsU8(kind)) return ENH_OK;
  if (int32_t r = CheckUpsample(block, pitch, x0, x1, y0, y1, coarse, coarsePitch, coarseWidth, coarseHeight))
    return r;
  UpsampleStrips(y0, y1, [&](int32_t r0, int32_t r1) {
    SynthesisBlock_U8_SSE2(block, pitch, x0, x1, r0, r1, coarse, coarsePitch, coarseWidth, coarseHeight);
  });
  return ENH_OK;
}
