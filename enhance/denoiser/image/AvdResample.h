#pragma once
// Laplacian pyramid steps on unsigned 8-bit blocks: reduce by 2, expand by 2,
// and in-place analysis (level -> signed detail) and synthesis (back).
// Ranges are [x0, x1) x [y0, y1) of the written block, counted from its origin.
// Every form (scalar, SSE2, AVX2) gives the same samples: the in-place steps
// predict with nested rounded means everywhere.

#include <cstdint>

#include "MMem.h"

// Coarse sample (x, y) from the fine samples around (2x, 2y). Only kind 0x10.
// -2 when a range reaches outside the source (x1 > (srcWidth + 1) / 2 ...).
int32_t avdReduceBlock(MHandle hMem, const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight,
                       int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint8_t* dst, int32_t dstPitch,
                       uint32_t kind);
// Fine sample (x, y) from the coarse block; neighbours beyond it repeat the edge.
int32_t avdExpandBlock(uint8_t* dst, int32_t dstPitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                       const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, uint32_t kind);
// Fine level samples become signed details L - P in place.
int32_t avdAnalysisBlock(MHandle hMem, uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0,
                         int32_t y1, const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth,
                         int32_t coarseHeight, uint32_t kind);
// Signed details become D + P clamped to 0..255 in place.
int32_t avdSynthesisBlock(MHandle hMem, uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0,
                          int32_t y1, const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth,
                          int32_t coarseHeight, uint32_t kind);

// Scalar kernels (no checks): the reference every vector form must match.
void avdReduceBlock_U8_C(const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, int32_t x0,
                         int32_t x1, int32_t y0, int32_t y1, uint8_t* dst, int32_t dstPitch);
void avdExpandBlock_U8_C(uint8_t* dst, int32_t dstPitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                         const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight);
void avdAnalysisBlock_U8_C(uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                           const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight);
void avdSynthesisBlock_U8_C(uint8_t* block, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                            const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth,
                            int32_t coarseHeight);
