// Entries of the channel, arithmetic and pyramid kernels: argument checks,
// then the form chosen by ActiveKernelForm(). The block steps hand their
// edges to the scalar kernels and their interior to the vector ones.
#include "PyramidKernels.h"

#include <algorithm>

#include "KernelForm.h"
#include "PyramidKernelForms.h"
#include "image/AvdResample.h"

#define AVD_DISPATCH(fn, ...)                    \
  switch (ActiveKernelForm()) {                  \
    case KernelForm::Scalar:                     \
      return avd_scalar::fn(__VA_ARGS__);        \
    case KernelForm::SSE2:                       \
      return avd_sse2::fn(__VA_ARGS__);          \
    case KernelForm::AVX2:                       \
      return avd_avx2::fn(__VA_ARGS__);          \
  }                                              \
  return avd_scalar::fn(__VA_ARGS__)

namespace {

// A region of `rows` rows of `rowBytes` bytes is addressable without rows
// running into each other.
bool RowsFit(const void* p, int32_t pitch, int32_t rowBytes, int32_t rows) {
  if (!p || rowBytes < 0 || rows < 0) return false;
  return rows <= 1 || pitch >= rowBytes;
}

}  // namespace

void avdAccessChannel_YC1YC2_SSE2(uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,
                                  int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t width, int32_t height,
                                  int32_t direction) {
  if (width <= 0 || height <= 0) return;
  const int32_t pairs = width / 2;
  if (!RowsFit(packed, packedPitch, 4 * pairs, height) || !RowsFit(y, yPitch, 2 * pairs, height) ||
      !RowsFit(c1, c1Pitch, pairs, height) || !RowsFit(c2, c2Pitch, pairs, height))
    return;
  if (direction) {
    AVD_DISPATCH(SplitYC1YC2, packed, packedPitch, y, yPitch, c1, c1Pitch, c2, c2Pitch, pairs, height);
  } else {
    AVD_DISPATCH(MergeYC1YC2, packed, packedPitch, y, yPitch, c1, c1Pitch, c2, c2Pitch, pairs, height);
  }
}

void avdAccessLuminChannel_YC1YC2_SSE2(uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch,
                                       int32_t width, int32_t height, int32_t direction) {
  if (width <= 0 || height <= 0) return;
  if (!RowsFit(packed, packedPitch, 2 * width - 1, height) || !RowsFit(y, yPitch, width, height)) return;
  if (direction) {
    AVD_DISPATCH(SplitLuma, packed, packedPitch, y, yPitch, width, height);
  } else {
    AVD_DISPATCH(MergeLuma, packed, packedPitch, y, yPitch, width, height);
  }
}

int32_t ImgABS_I8_SSE2(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height) {
  if (!RowsFit(plane, pitch, width, height)) return -2;
  if (width == 0 || height == 0) return 0;
  AVD_DISPATCH(AbsSum, plane, pitch, width, height);
}

void ImgMultiConst_I8_SSE2(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                           int32_t height, int32_t factor) {
  if (factor == 256 && dst == src) return;
  // Factors beyond 65536 would need a right shift below zero.
  if (factor < 0 || factor > 65536) return;
  if (!RowsFit(src, srcPitch, width, height) || !RowsFit(dst, dstPitch, width, height)) return;
  int32_t s = 0;
  while ((factor >> s) > 256) ++s;
  const int32_t f = factor >> s;
  AVD_DISPATCH(MultiConst, src, srcPitch, dst, dstPitch, width, height, f, s);
}

void ImgSubtract_U8U8I8_SSE(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
                            int32_t dstPitch, int32_t width, int32_t height) {
  if (!RowsFit(a, aPitch, width, height) || !RowsFit(b, bPitch, width, height) ||
      !RowsFit(dst, dstPitch, width, height))
    return;
  AVD_DISPATCH(Subtract, a, aPitch, b, bPitch, dst, dstPitch, width, height);
}

void ImgAdd_U8I8U8_SSE(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst,
                       int32_t dstPitch, int32_t width, int32_t height) {
  if (!RowsFit(a, aPitch, width, height) || !RowsFit(d, dPitch, width, height) ||
      !RowsFit(dst, dstPitch, width, height))
    return;
  AVD_DISPATCH(Add, a, aPitch, d, dPitch, dst, dstPitch, width, height);
}

void _Reduce_U8_SSE2(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows, uint8_t* coarsePos,
                     int32_t coarsePitch) {
  width &= ~7;
  if (width <= 0 || rows <= 0 || !finePos || !coarsePos || finePitch < 2 * width + 1 || coarsePitch < width) return;
  AVD_DISPATCH(ReduceInterior, finePos, finePitch, width, rows, coarsePos, coarsePitch);
}

void ReduceBlock_U8_SSE2(const uint8_t* fine, int32_t finePitch, int32_t fineWidth, int32_t fineHeight, int32_t x0,
                         int32_t x1, int32_t y0, int32_t y1, uint8_t* coarse, int32_t coarsePitch) {
  if (x1 <= x0 || y1 <= y0 || x0 < 0 || y0 < 0 || !fine || !coarse) return;
  if (x1 > (fineWidth + 1) / 2 || y1 > (fineHeight + 1) / 2 || finePitch < fineWidth || coarsePitch < x1) return;
  const KernelForm form = ActiveKernelForm();
  // Interior: full [1 2 1] neighbourhoods, not the first or last coarse column/row.
  const int32_t ix0 = std::max(x0, 1), ix1 = std::min(x1, (fineWidth + 1) / 2 - 1);
  const int32_t iy0 = std::max(y0, 1), iy1 = std::min(y1, (fineHeight + 1) / 2 - 1);
  const int32_t vw = ix1 > ix0 ? (ix1 - ix0) & ~7 : 0;
  if (form == KernelForm::Scalar || vw == 0 || iy1 <= iy0) {
    avdReduceBlock_U8_C(fine, finePitch, fineWidth, fineHeight, x0, x1, y0, y1, coarse, coarsePitch);
    return;
  }
  const uint8_t* finePos = fine + static_cast<ptrdiff_t>(2 * iy0) * finePitch + 2 * ix0;
  uint8_t* coarsePos = coarse + static_cast<ptrdiff_t>(iy0) * coarsePitch + ix0;
  if (form == KernelForm::AVX2)
    avd_avx2::ReduceInterior(finePos, finePitch, vw, iy1 - iy0, coarsePos, coarsePitch);
  else
    avd_sse2::ReduceInterior(finePos, finePitch, vw, iy1 - iy0, coarsePos, coarsePitch);
  auto edge = [&](int32_t ex0, int32_t ex1, int32_t ey0, int32_t ey1) {
    if (ex1 > ex0 && ey1 > ey0)
      avdReduceBlock_U8_C(fine, finePitch, fineWidth, fineHeight, ex0, ex1, ey0, ey1, coarse, coarsePitch);
  };
  edge(x0, x1, y0, iy0);
  edge(x0, x1, iy1, y1);
  edge(x0, ix0, iy0, iy1);
  edge(ix0 + vw, x1, iy0, iy1);
}

namespace {

enum class Step { Analysis, Synthesis, Expand };

void RunInterior(Step step, KernelForm form, uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,
                 const uint8_t* coarsePos, int32_t coarsePitch) {
  const bool avx2 = form == KernelForm::AVX2;
  switch (step) {
    case Step::Analysis:
      return avx2 ? avd_avx2::AnalysisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch)
                  : avd_sse2::AnalysisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
    case Step::Synthesis:
      return avx2 ? avd_avx2::SynthesisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch)
                  : avd_sse2::SynthesisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
    case Step::Expand:
      return avx2 ? avd_avx2::ExpandInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch)
                  : avd_sse2::ExpandInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
  }
}

void RunEdge(Step step, uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
             const uint8_t* coarse, int32_t coarsePitch, int32_t cw, int32_t ch) {
  if (x1 <= x0 || y1 <= y0) return;
  switch (step) {
    case Step::Analysis:
      return avdAnalysisBlock_U8_C(fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, cw, ch);
    case Step::Synthesis:
      return avdSynthesisBlock_U8_C(fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, cw, ch);
    case Step::Expand:
      return avdExpandBlock_U8_C(fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, cw, ch);
  }
}

// Splits [x0, x1) x [y0, y1) into a vector interior (even row pairs and
// 16-column groups whose right and lower coarse neighbours exist) and edges.
void UpsampleBlock(Step step, uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                   const uint8_t* coarse, int32_t coarsePitch, int32_t cw, int32_t ch) {
  if (x1 <= x0 || y1 <= y0 || x0 < 0 || y0 < 0 || !fine || !coarse || cw <= 0 || ch <= 0) return;
  if (x1 > 2 * cw || y1 > 2 * ch || finePitch < x1 || coarsePitch < cw) return;
  const KernelForm form = ActiveKernelForm();
  const int32_t ys = (y0 + 1) & ~1, ye = std::min(y1 & ~1, 2 * (ch - 1));
  const int32_t xs = (x0 + 1) & ~1, xe = std::min(x1, 2 * (cw - 1));
  const int32_t vw = xe > xs ? (xe - xs) & ~15 : 0;
  if (form == KernelForm::Scalar || vw == 0 || ye <= ys) {
    RunEdge(step, fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, cw, ch);
    return;
  }
  RunInterior(step, form, fine + static_cast<ptrdiff_t>(ys) * finePitch + xs, finePitch, vw, (ye - ys) / 2,
              coarse + static_cast<ptrdiff_t>(ys / 2) * coarsePitch + xs / 2, coarsePitch);
  RunEdge(step, fine, finePitch, x0, x1, y0, ys, coarse, coarsePitch, cw, ch);
  RunEdge(step, fine, finePitch, x0, x1, ye, y1, coarse, coarsePitch, cw, ch);
  RunEdge(step, fine, finePitch, x0, xs, ys, ye, coarse, coarsePitch, cw, ch);
  RunEdge(step, fine, finePitch, xs + vw, x1, ys, ye, coarse, coarsePitch, cw, ch);
}

void InteriorEntry(Step step, uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height,
                   const uint8_t* coarsePos, int32_t coarsePitch) {
  width &= ~15;
  const int32_t pairs = height / 2;
  if (width <= 0 || pairs <= 0 || !finePos || !coarsePos || finePitch < width || coarsePitch < width / 2 + 1)
    return;
  const KernelForm form = ActiveKernelForm();
  if (form == KernelForm::Scalar) {
    if (step == Step::Analysis) avd_scalar::AnalysisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
    if (step == Step::Synthesis) avd_scalar::SynthesisInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
    if (step == Step::Expand) avd_scalar::ExpandInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
    return;
  }
  RunInterior(step, form, finePos, finePitch, width, pairs, coarsePos, coarsePitch);
}

}  // namespace

void AnalysisBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                           const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight) {
  UpsampleBlock(Step::Analysis, fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, coarseWidth, coarseHeight);
}

void SynthesisBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                            const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight) {
  UpsampleBlock(Step::Synthesis, fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, coarseWidth, coarseHeight);
}

void ExpandBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                         const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight) {
  UpsampleBlock(Step::Expand, fine, finePitch, x0, x1, y0, y1, coarse, coarsePitch, coarseWidth, coarseHeight);
}

void _Analysis_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height, const uint8_t* coarsePos,
                       int32_t coarsePitch) {
  InteriorEntry(Step::Analysis, finePos, finePitch, width, height, coarsePos, coarsePitch);
}

void _Synthesis_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height,
                        const uint8_t* coarsePos, int32_t coarsePitch) {
  InteriorEntry(Step::Synthesis, finePos, finePitch, width, height, coarsePos, coarsePitch);
}

void _Expand_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height, const uint8_t* coarsePos,
                     int32_t coarsePitch) {
  InteriorEntry(Step::Expand, finePos, finePitch, width, height, coarsePos, coarsePitch);
}

void Expand_Line_U8_SSE2(const uint8_t* src, int32_t srcLength, uint8_t* dst, int32_t dstLength) {
  if (dstLength <= 0 || !src || !dst) return;
  const int32_t n = (dstLength - 1) / 2;
  if (srcLength < n + 1) return;
  [&] { AVD_DISPATCH(ExpandLine, src, dst, n); }();
  dst[2 * n] = src[n];
  if (dstLength % 2 == 0) dst[2 * n + 1] = (srcLength - n == 1) ? src[n] : AvdAvg(src[n], src[n + 1]);
}

void Insert_Expand_U8_SSE2(uint8_t* row, int32_t length, int32_t pitch) {
  if (!row || length <= 0 || pitch < length) return;
  AVD_DISPATCH(InsertExpand, row, length, pitch);
}

int32_t avdMemBytes_NoiseEst(const int32_t size[2], uint32_t format, int32_t lumaLevels, int32_t chromaLevels,
                             int32_t blockSize, int32_t extra) {
  if (!size) return 0;
  const int32_t w = size[0], h = size[1];
  auto align16 = [](int32_t v) { return (v + 15) & ~15; };
  const int32_t B = std::min(4 << std::max(lumaLevels, chromaLevels), blockSize);
  int32_t total = (lumaLevels + 2 * chromaLevels) * 32768;
  for (int32_t k = 0; k <= lumaLevels; ++k) {
    int32_t b = std::max((B >> k) * 2, 8);
    total += align16(b + (w >> k)) * (b + (h >> k));
  }
  for (int32_t k = 0; k <= chromaLevels; ++k) {
    int32_t b = std::max((B >> k) * 2, 8);
    int32_t P = align16(b + (w >> k)) * (b + (h >> k));
    uint32_t sub = format & 0xE0000000u;
    total += sub == 0 ? 2 * P : (sub == 0x20000000u ? P : P >> 1);
  }
  return total + std::max(0, ((w + 31) & ~15) * (6 * h + 96) * extra);
}
