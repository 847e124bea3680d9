#pragma once
// Block kernels of the denoiser's filters: 8x8 / 4x4 statistics, blending,
// block distances, weighted accumulation and the image-from-sum step, for
// unsigned 8-bit levels (kind 0x10) and signed 8-bit detail planes (0x110).
//
// Each entry runs the scalar, SSE2 or AVX2 form chosen by ActiveKernelForm();
// the forms give the same results to the bit. Pitches are in bytes unless
// said otherwise. An entry handed a null block or a pitch narrower than the
// block's row does nothing (distance kernels answer -2).

#include <cstdint>

extern "C" {

// ---- Statistics: S = sum of the 64 samples, V = 64 * sum(x^2) - S^2.
void avdGetMeanAndVar_B8_U8_SSE2(const uint8_t* block, int32_t pitch, int32_t* sum, int32_t* var);
void avdGetMeanAndVar_B8_I8_SSE2(const int8_t* block, int32_t pitch, int32_t* sum, int32_t* var);
// 16-bit samples, pitch in samples; V from the high bytes only.
void avdGetMeanAndVar_B8_U16_SSE2(const uint16_t* block, int32_t pitch, int32_t* sum, int32_t* var);
void avdGetMeanAndVar_B8_I16_SSE2(const int16_t* block, int32_t pitch, int32_t* sum, int32_t* var);

// ---- Set to mean with blend strength k (0 = mean, >= 255 = unchanged).
void avdSetMean_88_U8_SSE2(uint8_t* block, int32_t pitch, int32_t mean, int32_t k);
void avdSetMean_44_U8_SSE2(uint8_t* block, int32_t pitch, int32_t mean, int32_t k);
void avdSetMean_88_I8_SSE2(int8_t* block, int32_t pitch, int32_t mean, int32_t k);
void avdSetMean_44_I8_SSE2(int8_t* block, int32_t pitch, int32_t mean, int32_t k);

// ---- 8x8 block rebuilt from the 5x5 parent samples, blended by k.
void avdExpand_88_U8_SSE2(const uint8_t* parent, int32_t parentPitch, uint8_t* block, int32_t pitch,
                          int32_t k);

// ---- dst = a * (den - num) / den + b * num / den over 8x8; dst may be a.
void avdMMSE_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
                        int32_t dstPitch, uint32_t den, uint32_t num);
void avdMMSE_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch, int8_t* dst,
                        int32_t dstPitch, uint32_t den, uint32_t num);

// ---- Copies. The 8x8 copy is safe for overlapping blocks.
void avdCpyBlock88_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch);
// dst[x] = src[x] >> 8; src pitch in samples.
void avdCpyBlk_U16_to_U8_SSE2(uint8_t* dst, int32_t dstPitch, const uint16_t* src, int32_t srcPitch,
                              int32_t width, int32_t height);

// ---- Distances: D = (S * S) >> 6 of S = sum |a - b| over 8x8.
int32_t avdDiffAbsSum_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch);
int32_t avdDiffAbsSum_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch);
// Quarter-weighted distance: raised when the difference sits in one quadrant.
int32_t avdQtrDiffAbsSum_B8_U8_SSE2(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch);
int32_t avdQtrDiffAbsSum_B8_I8_SSE2(const int8_t* a, int32_t aPitch, const int8_t* b, int32_t bPitch);
// out[j * w + i] = D(block, ref + j * pitch + i) for the w x h window. Reads
// h + 7 rows of max(w + 7, 16) columns from ref.
void avdDiffAbsSum_Block_U8_SSE2(const uint8_t* block, const uint8_t* ref, int32_t pitch, int32_t w,
                                 int32_t h, int32_t* out);
void avdDiffAbsSum_Block_I8_SSE2(const int8_t* block, const int8_t* ref, int32_t pitch, int32_t w,
                                 int32_t h, int32_t* out);
void DiffAbsSum_Block33_U8_SSE2(const uint8_t* block, const uint8_t* ref, int32_t pitch, int32_t* out);
void DiffAbsSum_Block33_I8_SSE2(const int8_t* block, const int8_t* ref, int32_t pitch, int32_t* out);

// ---- Weighted accumulation of one candidate: acc += low 16 bits of
// sample * weight. Accumulators are row-major n x n counters.
void avdOneWeightSum_B8_U8_U32_SSE2(uint32_t* acc, const uint8_t* src, int32_t pitch, int32_t weight);
void avdOneWeightSum_B4_U8_U32_SSE2(uint32_t* acc, const uint8_t* src, int32_t pitch, int32_t weight);
void avdOneWeightSum_B8_U8_U16_SSE2(uint16_t* acc, const uint8_t* src, int32_t pitch, int32_t weight);
void avdOneWeightSum_B8_I8_I32_SSE2(int32_t* acc, const int8_t* src, int32_t pitch, int32_t weight);
void avdOneWeightSum_B4_I8_I32_SSE2(int32_t* acc, const int8_t* src, int32_t pitch, int32_t weight);
void avdOneWeightSum_B8_I8_I16_SSE2(int16_t* acc, const int8_t* src, int32_t pitch, int32_t weight);
// 16-bit samples, pitch in samples: acc += (sample >> 1) * (2 * weight).
void avdOneWeightSum_B4_U16_U32_SSE2(uint32_t* acc, const uint16_t* src, int32_t pitch, int32_t weight);

// Clears n x n 32-bit counters, then adds every candidate (i, j) of the w x h
// window whose weight weights[j * w + i] is not 0. Weights are at most 16.
void avdWeightSum_Block_U8_SSE2(uint32_t* acc, int32_t n, const uint8_t* src, int32_t pitch,
                                const int32_t* weights, int32_t w, int32_t h);
void avdWeightSum_Block_I8_SSE2(int32_t* acc, int32_t n, const int8_t* src, int32_t pitch,
                                const int32_t* weights, int32_t w, int32_t h);

// ---- 8x8 image from sum: dst = mean + (src - mean) * blend / 256, mean =
// acc / weightTotal, in single precision; n is not read.
void avdImgFromSum_U8_U32_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               const uint32_t* acc, int32_t weightTotal, int32_t n, int32_t blend);
void avdImgFromSum_U8_U16_SSE2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                               const uint16_t* acc, int32_t weightTotal, int32_t n, int32_t blend);
void avdImgFromSum_I8_I32_SSE2(int8_t* dst, int32_t dstPitch, const int8_t* src, int32_t srcPitch,
                               const int32_t* acc, int32_t weightTotal, int32_t n, int32_t blend);
void avdImgFromSum_I8_I16_SSE2(int8_t* dst, int32_t dstPitch, const int8_t* src, int32_t srcPitch,
                               const int16_t* acc, int32_t weightTotal, int32_t n, int32_t blend);

// ---- Size- and kind-dispatching wrappers used by the filters.
// Element kind 0x10 or 0x110; any other kind answers 0.
int32_t avdDiffAbsSum(const void* a, int32_t aPitch, const void* b, int32_t bPitch, int32_t kind);
int32_t avdQtrDiffAbsSum_B8(const void* a, int32_t aPitch, const void* b, int32_t bPitch, int32_t kind);
// Block size 8: the 8x8 kernels; any other size n: n x n (32-bit: the 4x4 kernel).
void avdOneWeightSum_U8_U32(uint32_t* counters, const uint8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize);
void avdOneWeightSum_I8_I32(int32_t* counters, const int8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize);
void avdOneWeightSum_U8_U16(uint16_t* counters, const uint8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize);
void avdOneWeightSum_I8_I16(int16_t* counters, const int8_t* block, int32_t pitch, int32_t weight,
                            int32_t blockSize);
// Block size 8: the float 8x8 kernels; any other size: the integer rule.
void avdImgFromSum_U8_U32(const uint8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, uint8_t* dst, int32_t dstPitch, const uint32_t* counters);
void avdImgFromSum_U8_U16(const uint8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, uint8_t* dst, int32_t dstPitch, const uint16_t* counters);
void avdImgFromSum_I8_I32(const int8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, int8_t* dst, int32_t dstPitch, const int32_t* counters);
void avdImgFromSum_I8_I16(const int8_t* src, int32_t srcPitch, int32_t weightTotal, int32_t blend,
                          int32_t blockSize, int8_t* dst, int32_t dstPitch, const int16_t* counters);

// Widens n x n 16-bit accumulators into 32-bit ones (zero- or sign-extended).
void _UpBitsU16_32(uint32_t* dst, const uint16_t* src, int32_t count);
void _UpBitsI16_32(int32_t* dst, const int16_t* src, int32_t count);

}  // extern "C"
