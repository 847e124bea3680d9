#pragma once
// The forms behind each entry of PyramidKernels.h, without argument checks.
// Every form yields the same bytes; the vector interiors only ever run where
// all their neighbours lie inside the blocks, the scalar code does the edges.

#include <cstddef>
#include <cstdint>

#define AVD_PYRAMID_KERNEL_LIST(NS)                                                                              \
  namespace NS {                                                                                                 \
  void SplitYC1YC2(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,          \
                   int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height);                \
  void MergeYC1YC2(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, const uint8_t* c1,    \
                   int32_t c1Pitch, const uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height);          \
  void SplitLuma(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, int32_t width,          \
                 int32_t height);                                                                                \
  void MergeLuma(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, int32_t width,          \
                 int32_t height);                                                                                \
  int32_t AbsSum(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height);                            \
  void MultiConst(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,           \
                  int32_t height, int32_t f, int32_t s);                                                         \
  void Subtract(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,                \
                int32_t dstPitch, int32_t width, int32_t height);                                                \
  void Add(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst, int32_t dstPitch,   \
           int32_t width, int32_t height);                                                                       \
  void ReduceInterior(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows,                    \
                      uint8_t* coarsePos, int32_t coarsePitch);                                                  \
  void AnalysisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,                       \
                        const uint8_t* coarsePos, int32_t coarsePitch);                                          \
  void SynthesisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,                      \
                         const uint8_t* coarsePos, int32_t coarsePitch);                                         \
  void ExpandInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,                         \
                      const uint8_t* coarsePos, int32_t coarsePitch);                                            \
  void ExpandLine(const uint8_t* src, uint8_t* dst, int32_t n);                                                  \
  void InsertExpand(uint8_t* row, int32_t length, int32_t pitch);                                                \
  }

// Scalar forms: any width. Vector forms: the interiors take widths in whole
// vector groups (reduce: multiples of 8 coarse samples; analysis, synthesis and
// expand: multiples of 16 fine samples) and leave the rest to the caller; the
// other vector kernels finish their rows themselves.
AVD_PYRAMID_KERNEL_LIST(avd_scalar)
AVD_PYRAMID_KERNEL_LIST(avd_sse2)
AVD_PYRAMID_KERNEL_LIST(avd_avx2)

#undef AVD_PYRAMID_KERNEL_LIST

// Shared sample arithmetic.
inline uint8_t AvdAvg(int32_t a, int32_t b) { return static_cast<uint8_t>((a + b + 1) >> 1); }
inline int32_t AvdClampI8(int32_t v) { return v < -128 ? -128 : (v > 127 ? 127 : v); }
inline int32_t AvdClampU8(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
