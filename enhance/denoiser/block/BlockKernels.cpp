// Entries of the block kernels: argument checks once per call, then the form
// that ActiveKernelForm() selects.

#include "block/BlockKernels.h"

#include <atomic>
#include <cstdlib>

#include "EnhanceResult.h"
#include "KernelForm.h"
#include "block/BlockKernelForms.h"

namespace avd_block {

const Table& Avx2Table() {
  static const Table table = [] {
    Table t = Sse2Table();
    t.windowU8 = avx2::windowU8;
    t.windowI8 = avx2::windowI8;
    t.wsumU8 = avx2::wsumU8;
    t.wsumI8 = avx2::wsumI8;
    return t;
  }();
  return table;
}

namespace {
// Filled on the first kernel call; each form's table once.
std::atomic<const Table*> g_tables[3];

[[gnu::noinline]] const Table& FirstTable(unsigned form) {
  const Table* t = form == 0 ? &ScalarTable() : form == 1 ? &Sse2Table() : &Avx2Table();
  g_tables[form].store(t, std::memory_order_release);
  return *t;
}
}  // namespace

const Table& ActiveTable() {
  // Asked on every 8 x 8 kernel call: two loads, no guarded static.
  const auto form = static_cast<unsigned>(ActiveKernelForm());
  if (form >= 3) return Sse2Table();
  const Table* t = g_tables[form].load(std::memory_order_acquire);
  return t ? *t : FirstTable(form);
}

}  // namespace avd_block

using avd_block::ActiveTable;

namespace {

// A block of `width` samples a row can be addressed with this pitch.
inline bool RowsFit(const void* p, int32_t pitch, int32_t width) { return p && pitch >= width; }

inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Blend strength k in 1/256 units as the 7-bit weight of the set-mean kernels.
inline int32_t HalfK(int32_t k) { return k <= 0 ? 0 : k >> 1; }

}  // namespace

extern "C" {

void avdGetMeanAndVar_B8_U8_SSE2(const uint8_t* block, int32_t pitch, int32_t* sum, int32_t* var) {
  if (!RowsFit(block, pitch, 8) || !sum || !var) return;
  ActiveTable().meanVarU8(block, pitch, sum, var);
}
void avdGetMeanAndVar_B8_I8_SSE2(const int8_t* block, int32_t pitch, int32_t* sum, int32_t* var) {
  if (!RowsFit(block, pitch, 8) || !sum || !var) return;
  ActiveTable().meanVarI8(block, pitch, sum, var);
}
void avdGetMeanAndVar_B8_U16_SSE2(const uint16_t* block, int32_t pitch, int32_t* sum, int32_t* var) {
  if (!RowsFit(block, pitch, 8) || !sum || !var) return;
  ActiveTable().meanVarU16(block, pitch, sum, var);
}
void avdGetMeanAndVar_B8_I16_SSE2(const int16_t* block, int32_t pitch, int32_t* sum, int32_t* var) {
  if (!RowsFit(block, pitch, 8) || !sum || !var) return;
  ActiveTable().meanVarI16(block, pitch, sum, var);
}

void avdSetMean_88_U8_SSE2(uint8_t* block, int32_t pitch, int32_t mean, int32_t k) {
  if (!RowsFit(block, pitch, 8) || k > 254) return;
  ActiveTable().setMeanU8(block, pitch, Clamp(mean, 0, 255), HalfK(k), 8);
}
void avdSetMean_44_U8_SSE2(uint8_t* block, int32_t pitch, int32_t mean, int32_t k) {
  if (!RowsFit(block, pitch, 4) || k > 254) return;
  ActiveTable().setMeanU8(block, pitch, Clamp(mean, 0, 255), HalfK(k), 4);
}
void avdSetMean_88_I8_SSE2(int8_t* block, int32_t pitch, int32_t mean, int32_t k) {
  if (!RowsFit(block, pitch, 8) || k > 254) return;
  ActiveTable().setMeanI8(block, pitch, Clamp(mean, -128, 127), HalfK(k), 8);
}
void avdSetMean_44_I8_SSE2(int8_t* block, int32_t pitch, int32_t mean, int32_t k) {
  if (!RowsFit(block, pitch, 4) || k > 254) return;
  ActiveTable().setMeanI8(block, pitch, Clamp(mean, -128, 127), HalfK(k), 4);
}

void avdExpand_88_U8_SSE2(const uint8_t* parent, int32_t parentPitch, uint8_t* block, int32_t pitch, int32_t k) {
  if (!RowsFit(parent, parentPitch, 5) || !RowsFit(block, pitch, 8) || k > 254) return;
  ActiveTable().expandU8(parent, parentPitch, block, pitch, k < 0 ? 0 : k);
}

namespace {
// Blend weights in 1/256 units; 64-bit so large distances cannot wrap.
bool MmseWeights(uint32_t den, uint32_t num, int32_t* wa, int32_t* wb) {
  if (den == 0 || num > den) return false;
  *wb = static_cast<int32_t>((static_cast<uint64_t>(num) * 256) / den);
  *wa = static_cast<int32_t>((static_cast<uint64_t>(den - num) * 256) / den);
  return *wb != 0;
}
}  // namespace

void avdMMSE_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
                        int32_t dstPitch, uint32_t den, uint32_t num) {
  int32_t wa, wb;
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8) || !RowsFit(dst, dstPitch, 8)) return;
  if (!MmseWeights(den, num, &wa, &wb)) return;
  ActiveTable().mmseU8(a, aPitch, b, bPitch, dst, dstPitch, wa, wb);
}
void avdMMSE_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch, int8_t* dst,
                        int32_t dstPitch, uint32_t den, uint32_t num) {
  int32_t wa, wb;
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8) || !RowsFit(dst, dstPitch, 8)) return;
  if (!MmseWeights(den, num, &wa, &wb)) return;
  ActiveTable().mmseI8(a, aPitch, b, bPitch, dst, dstPitch, wa, wb);
}

void avdCpyBlock88_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch) {
  if (!RowsFit(dst, dstPitch, 8) || !RowsFit(src, srcPitch, 8)) return;
  ActiveTable().copy88(dst, dstPitch, src, srcPitch);
}
void avdCpyBlk_U16_to_U8_SSE2(uint8_t* dst, int32_t dstPitch, const uint16_t* src, int32_t srcPitch,
                              int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || !RowsFit(dst, dstPitch, width) || !RowsFit(src, srcPitch, width)) return;
  ActiveTable().copyU16U8(dst, dstPitch, src, srcPitch, width, height);
}

int32_t avdDiffAbsSum_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch) {
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8)) return ENH_ERR_ARGUMENT;
  int32_t s = ActiveTable().sadU8(a, aPitch, b, bPitch);
  return (s * s) >> 6;
}
int32_t avdDiffAbsSum_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch) {
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8)) return ENH_ERR_ARGUMENT;
  int32_t s = ActiveTable().sadI8(a, aPitch, b, bPitch);
  return (s * s) >> 6;
}

namespace {
// Below the cut-off S is at most 5792 and a quadrant sum at most 4080, so the
// product R * (Qmax + 1) stays below 2^31 and 32-bit unsigned division is exact.
int32_t QuarterWeighted(const int32_t q[4]) {
  int32_t s = q[0] + q[1] + q[2] + q[3];
  int32_t r = (s * s) >> 6;
  if (r > 0x7FFFF) return r;
  int32_t qmax = q[0], qmin = q[0];
  for (int i = 1; i < 4; ++i) {
    if (q[i] > qmax) qmax = q[i];
    if (q[i] < qmin) qmin = q[i];
  }
  return static_cast<int32_t>(static_cast<uint32_t>(r) * static_cast<uint32_t>(qmax + 1) /
                              static_cast<uint32_t>(2 * qmin + 2));
}
}  // namespace

int32_t avdQtrDiffAbsSum_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch) {
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8)) return ENH_ERR_ARGUMENT;
  int32_t q[4];
  ActiveTable().quadU8(a, aPitch, b, bPitch, q);
  return QuarterWeighted(q);
}
int32_t avdQtrDiffAbsSum_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch) {
  if (!RowsFit(a, aPitch, 8) || !RowsFit(b, bPitch, 8)) return ENH_ERR_ARGUMENT;
  int32_t q[4];
  ActiveTable().quadI8(a, aPitch, b, bPitch, q);
  return QuarterWeighted(q);
}

void avdDiffAbsSum_Block_U8_SSE2(const uint8_t* block, const uint8_t* ref, int32_t pitch, int32_t w, int32_t h,
                                 int32_t* out) {
  if (w <= 0 || h <= 0 || !out || !block || !RowsFit(ref, pitch, w + 7)) return;
  ActiveTable().windowU8(block, ref, pitch, w, h, out);
}
void avdDiffAbsSum_Block_I8_SSE2(const int8_t* block, const int8_t* ref, int32_t pitch, int32_t w, int32_t h,
                                 int32_t* out) {
  if (w <= 0 || h <= 0 || !out || !block || !RowsFit(ref, pitch, w + 7)) return;
  ActiveTable().windowI8(block, ref, pitch, w, h, out);
}
void DiffAbsSum_Block33_U8_SSE2(const uint8_t* block, const uint8_t* ref, int32_t pitch, int32_t* out) {
  avdDiffAbsSum_Block_U8_SSE2(block, ref, pitch, 3, 3, out);
}
void DiffAbsSum_Block33_I8_SSE2(const int8_t* block, const int8_t* ref, int32_t pitch, int32_t* out) {
  avdDiffAbsSum_Block_I8_SSE2(block, ref, pitch, 3, 3, out);
}

void avdOneWeightSum_B8_U8_U32_SSE2(uint32_t* acc, const uint8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 8)) return;
  ActiveTable().ows8U8U32(acc, src, pitch, weight);
}
void avdOneWeightSum_B4_U8_U32_SSE2(uint32_t* acc, const uint8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 4)) return;
  ActiveTable().ows4U8U32(acc, src, pitch, weight);
}
void avdOneWeightSum_B8_U8_U16_SSE2(uint16_t* acc, const uint8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 8)) return;
  ActiveTable().ows8U8U16(acc, src, pitch, weight);
}
void avdOneWeightSum_B8_I8_I32_SSE2(int32_t* acc, const int8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 8)) return;
  ActiveTable().ows8I8I32(acc, src, pitch, weight);
}
void avdOneWeightSum_B4_I8_I32_SSE2(int32_t* acc, const int8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 4)) return;
  ActiveTable().ows4I8I32(acc, src, pitch, weight);
}
void avdOneWeightSum_B8_I8_I16_SSE2(int16_t* acc, const int8_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 8)) return;
  ActiveTable().ows8I8I16(acc, src, pitch, weight);
}
void avdOneWeightSum_B4_U16_U32_SSE2(uint32_t* acc, const uint16_t* src, int32_t pitch, int32_t weight) {
  if (!acc || !RowsFit(src, pitch, 4)) return;
  ActiveTable().ows4U16U32(acc, src, pitch, weight);
}

void avdWeightSum_Block_U8_SSE2(uint32_t* acc, int32_t n, const uint8_t* src, int32_t pitch,
                                const int32_t* weights, int32_t w, int32_t h) {
  if (!acc || (n != 8 && n != 4)) return;
  if (w <= 0 || h <= 0 || !weights || !RowsFit(src, pitch, w - 1 + n)) return;
  ActiveTable().wsumU8(acc, n, src, pitch, weights, w, h);
}
void avdWeightSum_Block_I8_SSE2(int32_t* acc, int32_t n, const int8_t* src, int32_t pitch,
                                const int32_t* weights, int32_t w, int32_t h) {
  if (!acc || (n != 8 && n != 4)) return;
  if (w <= 0 || h <= 0 || !weights || !RowsFit(src, pitch, w - 1 + n)) return;
  ActiveTable().wsumI8(acc, n, src, pitch, weights, w, h);
}

namespace {
inline float Reciprocal(int32_t total) { return static_cast<float>(1.0 / total); }
inline float BlendFactor(int32_t blend) { return static_cast<float>(blend * 0.00390625); }
}  // namespace

void avdImgFromSum_U8_U32_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               const uint32_t* acc, int32_t weightTotal, int32_t n, int32_t blend) {
  if (!acc || weightTotal == 0 || !RowsFit(dst, dstPitch, 8) || !RowsFit(src, srcPitch, 8)) return;
  ActiveTable().fromSumU8U32(dst, dstPitch, src, srcPitch, acc, Reciprocal(weightTotal), BlendFactor(blend));
}
void avdImgFromSum_U8_U16_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               const uint16_t* acc, int32_t weightTotal, int32_t n, int32_t blend) {
  if (!acc || weightTotal == 0 || !RowsFit(dst, dstPitch, 8) || !RowsFit(src, srcPitch, 8)) return;
  ActiveTable().fromSumU8U16(dst, dstPitch, src, srcPitch, acc, Reciprocal(weightTotal), BlendFactor(blend));
}
void avdImgFromSum_I8_I32_SSE2(int8_t* dst, int32_t dstPitch, const int8_t* src, int32_t srcPitch,
                               const int32_t* acc, int32_t weightTotal, int32_t n, int32_t blend) {
  if (!acc || weightTotal == 0 || !RowsFit(dst, dstPitch, 8) || !RowsFit(src, srcPitch, 8)) return;
  ActiveTable().fromSumI8I32(dst, dstPitch, src, srcPitch, acc, Reciprocal(weightTotal), BlendFactor(blend));
}
void avdImgFromSum_I8_I16_SSE2(int8_t* dst, int32_t dstPitch, const int8_t* src, int32_t srcPitch,
                               const int16_t* acc, int32_t weightTotal, int32_t n, int32_t blend) {
  if (!acc || weightTotal == 0 || !RowsFit(dst, dstPitch, 8) || !RowsFit(src, srcPitch, 8)) return;
  ActiveTable().fromSumI8I16(dst, dstPitch, src, srcPitch, acc, Reciprocal(weightTotal), BlendFactor(blend));
}

}  // extern "C"
