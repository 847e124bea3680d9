// Wrappers that pick a block kernel by element kind and block size. Sizes
// other than 8 take the 4x4 kernels or a plain integer loop.

#include <cstring>

#include "EnhanceResult.h"
#include "block/BlockKernels.h"

namespace {

inline int32_t ClampTo(int64_t v, int32_t lo, int32_t hi) {
  return static_cast<int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

// m = (counter + total / 2) / total; v = ((m << 8) + (s - m) * blend + 128) >> 8.
template <typename S, typename C, typename Wide>
void FromSumN(const S* src, int32_t srcPitch, int32_t total, int32_t blend, int32_t n, S* dst, int32_t dstPitch,
              const C* counters, int32_t lo, int32_t hi) {
  if (!src || !dst || !counters || total <= 0 || n <= 0 || srcPitch < n || dstPitch < n) return;
  const Wide half = static_cast<Wide>(total >> 1);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      Wide c = static_cast<Wide>(counters[y * n + x]);
      int64_t m = static_cast<int64_t>((c + half) / static_cast<Wide>(total));
      int64_t s = src[y * srcPitch + x];
      int64_t v = (m * 256 + (s - m) * blend + 128) >> 8;
      dst[y * dstPitch + x] = static_cast<S>(ClampTo(v, lo, hi));
    }
}

template <typename C, typename S>
void OneWeightSum16N(C* counters, const S* block, int32_t pitch, int32_t weight, int32_t n) {
  if (!counters || !block || n <= 0 || pitch < n) return;
  uint16_t* acc = reinterpret_cast<uint16_t*>(counters);
  const int16_t wt = static_cast<int16_t>(weight);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      acc[y * n + x] = static_cast<uint16_t>(acc[y * n + x] + static_cast<uint16_t>(block[y * pitch + x] * wt));
}

}  // namespace

extern "C" {

int32_t avdDiffAbsSum(const void* a, int32_t aPitch, const void* b, int32_t bPitch, int32_t kind) {
  if (kind == ELEM_U8)
    return avdDiffAbsSum_B8_U8_SSE2(static_cast<const uint8_t*>(a), aPitch, static_cast<const uint8_t*>(b), bPitch);
  if (kind == ELEM_I8)
    return avdDiffAbsSum_B8_I8_SSE2(static_cast<const int8_t*>(a), aPitch, static_cast<const int8_t*>(b), bPitch);
  return 0;
}

int32_t avdQtrDiffAbsSum_B8(const void* a, int32_t aPitch, const void* b, int32_t bPitch, int32_t kind) {
  if (kind == ELEM_U8)
    return avdQtrDiffAbsSum_B8_U8_SSE2(static_cast<const uint8_t*>(a), aPitch, static_cast<const uint8_t*>(b),
                                       bPitch);
  if (kind == ELEM_I8)
    return avdQtrDiffAbsSum_B8_I8_SSE2(static_cast<const int8_t*>(a), aPitch, static_cast<const int8_t*>(b),
                                       bPitch);
  return 0;
}

void avdOneWeightSum_U8_U32(uint32_t* counters, const uint8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize) {
  if (blockSize == 8)
    avdOneWeightSum_B8_U8_U32_SSE2(counters, block, pitch, weight);
  else
    avdOneWeightSum_B4_U8_U32_SSE2(counters, block, pitch, weight);
}

void avdOneWeightSum_I8_I32(int32_t* counters, const int8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize) {
  if (blockSize == 8)
    avdOneWeightSum_B8_I8_I32_SSE2(counters, block, pitch, weight);
  else
    avdOneWeightSum_B4_I8_I32_SSE2(counters, block, pitch, weight);
}

void avdOneWeightSum_U8_U16(uint16_t* counters, const uint8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize) {
  if (blockSize == 8)
    avdOneWeightSum_B8_U8_U16_SSE2(counters, block, pitch, weight);
  else
    OneWeightSum16N(counters, block, pitch, weight, blockSize);
}

void avdOneWeightSum_I8_I16(int16_t* counters, const int8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize) {
  if (blockSize == 8)
    avdOneWeightSum_B8_I8_I16_SSE2(counters, block, pitch, weight);
  else
    OneWeightSum16N(counters, block, pitch, weight, blockSize);
}

void avdImgFromSum_U8_U32(const uint8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, uint8_t* dst, int32_t dstPitch, const uint32_t* counters) {
  if (blockSize == 8)
    return avdImgFromSum_U8_U32_SSE2(dst, dstPitch, src, srcPitch, counters, weightTotal, 8, blend);
  FromSumN<uint8_t, uint32_t, uint64_t>(src, srcPitch, weightTotal, blend, blockSize, dst, dstPitch, counters, 0,
                                        255);
}
void avdImgFromSum_U8_U16(const uint8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, uint8_t* dst, int32_t dstPitch, const uint16_t* counters) {
  if (blockSize == 8)
    return avdImgFromSum_U8_U16_SSE2(dst, dstPitch, src, srcPitch, counters, weightTotal, 8, blend);
  FromSumN<uint8_t, uint16_t, int64_t>(src, srcPitch, weightTotal, blend, blockSize, dst, dstPitch, counters, 0,
                                       255);
}
void avdImgFromSum_I8_I32(const int8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, int8_t* dst, int32_t dstPitch, const int32_t* counters) {
  if (blockSize == 8)
    return avdImgFromSum_I8_I32_SSE2(dst, dstPitch, src, srcPitch, counters, weightTotal, 8, blend);
  FromSumN<int8_t, int32_t, int64_t>(src, srcPitch, weightTotal, blend, blockSize, dst, dstPitch, counters, -128,
                                     127);
}
void avdImgFromSum_I8_I16(const int8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, int8_t* dst, int32_t dstPitch, const int16_t* counters) {
  if (blockSize == 8)
    return avdImgFromSum_I8_I16_SSE2(dst, dstPitch, src, srcPitch, counters, weightTotal, 8, blend);
  FromSumN<int8_t, int16_t, int64_t>(src, srcPitch, weightTotal, blend, blockSize, dst, dstPitch, counters, -128,
                                     127);
}

void _UpBitsU16_32(uint32_t* dst, const uint16_t* src, int32_t count) {
  if (!dst || !src) return;
  for (int i = 0; i < count; ++i) dst[i] = src[i];
}
void _UpBitsI16_32(int32_t* dst, const int16_t* src, int32_t count) {
  if (!dst || !src) return;
  for (int i = 0; i < count; ++i) dst[i] = src[i];
}

}  // extern "C"
