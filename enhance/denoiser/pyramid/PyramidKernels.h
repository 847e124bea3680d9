#pragma once
// Vector kernels of channel access, image arithmetic and the pyramid steps.
// Every entry dispatches on ActiveKernelForm() (scalar, SSE2, AVX2), all forms
// giving the same samples; the names keep their historic SSE2 suffix. Pitches
// are in bytes. Sizes or pitches that would reach outside the rows are refused
// (nothing written; ImgABS answers -2).

#include <cstdint>

// YC1YC2 rows <-> planes. direction != 0 splits, 0 writes back. Width even.
void avdAccessChannel_YC1YC2_SSE2(uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,
                                  int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t width, int32_t height,
                                  int32_t direction);
// Luma only; writing back leaves the chroma bytes untouched.
void avdAccessLuminChannel_YC1YC2_SSE2(uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch,
                                       int32_t width, int32_t height, int32_t direction);

int32_t ImgABS_I8_SSE2(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height);
void ImgMultiConst_I8_SSE2(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                           int32_t height, int32_t factor);
void ImgSubtract_U8U8I8_SSE(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
                            int32_t dstPitch, int32_t width, int32_t height);
void ImgAdd_U8I8U8_SSE(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst,
                       int32_t dstPitch, int32_t width, int32_t height);

// Reduce of the rectangle [x0, x1) x [y0, y1) of coarse samples; edges by the
// scalar kernel's edge formulas, the interior by the vector kernel.
void ReduceBlock_U8_SSE2(const uint8_t* fine, int32_t finePitch, int32_t fineWidth, int32_t fineHeight, int32_t x0,
                         int32_t x1, int32_t y0, int32_t y1, uint8_t* coarse, int32_t coarsePitch);
// Interior: finePos is fine sample (2x0, 2y0); reads one fine sample around.
void _Reduce_U8_SSE2(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows, uint8_t* coarsePos,
                     int32_t coarsePitch);
void AnalysisBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                           const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight);
void SynthesisBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                            const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight);
// Expand (four-sample mean on the diagonal) with scalar edges.
void ExpandBlock_U8_SSE2(uint8_t* fine, int32_t finePitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                         const uint8_t* coarse, int32_t coarsePitch, int32_t coarseWidth, int32_t coarseHeight);
// Interiors: even fine row pairs; reads coarse rows y, y + 1 and columns x, x + 1.
void _Analysis_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height, const uint8_t* coarsePos,
                       int32_t coarsePitch);
void _Synthesis_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height,
                        const uint8_t* coarsePos, int32_t coarsePitch);
// Expand (four-sample mean on the diagonal) of the interior, used by avdExpandBlock.
void _Expand_U8_SSE2(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t height,
                     const uint8_t* coarsePos, int32_t coarsePitch);

void Expand_Line_U8_SSE2(const uint8_t* src, int32_t srcLength, uint8_t* dst, int32_t dstLength);
void Insert_Expand_U8_SSE2(uint8_t* row, int32_t length, int32_t pitch);

// Working memory of the noise estimator for a width x height picture.
int32_t avdMemBytes_NoiseEst(const int32_t size[2], uint32_t format, int32_t lumaLevels, int32_t chromaLevels,
                             int32_t blockSize, int32_t extra);
