#pragma once
// Copies, clearing, the sequential work driver, the non-local-means weight
// table and integral images.

#include <cstddef>
#include <cstdint>

#include "AlignedMemory.h"
#include "MMem.h"

void* avdJMemCpy(void* dst, const void* src, size_t bytes);
// Returns the address past the cleared area.
void* avdJMemSetZero(void* p, size_t bytes);
// Copies a rectangle row by row (pitches in bytes); nothing when dst == src.
void avdJImgMemCpy(void* dst, int32_t dstPitch, const void* src, int32_t srcPitch, int32_t rowBytes,
                   int32_t rows);

void* MMemCpy_SSE2(void* dst, const void* src, size_t bytes);
void* MemSetZero_SSE2(void* p, size_t bytes);
void CpyImgMem_SSE2(void* dst, int32_t dstPitch, const void* src, int32_t srcPitch, int32_t rowBytes,
                    int32_t rows);

// Calls work(args[i]) for each argument: claimed in order, spread over the
// worker pool the calling thread lent (ParallelScope) where threads pay.
typedef int32_t (*AvdWorkFunc)(void* arg);
void DoWork_Parallel(AvdWorkFunc work, void** args, int32_t count);

// Weight table of the non-local-means filter: entry k = round(16 exp(-k/16)).
struct AvdNLTable {
  uint8_t* table = nullptr;  // 64 entries, 16-byte aligned
  int32_t count = 0;
};
int32_t avdCreateNLTable(MHandle hMem, AvdNLTable* table);
void avdReleaseNLTable(MHandle hMem, AvdNLTable* table);

// Integral images over width x height samples (kind 0x10 unsigned, 0x110
// signed; any other kind does nothing). Both tables have height + 1 rows of
// `stride` entries; entry (y + 1, x + 1) holds the sum (16-bit, wrapping) or
// the sum of squares (32-bit) of rows 0..y, columns 0..x. Row 0 is cleared over
// the whole stride, column 0 is 0. squares may be null. -2 for a stride below
// width + 1 or bad sizes.
int32_t avdIntegral(const uint8_t* src, int32_t pitch, uint32_t kind, uint16_t* sums, uint32_t* squares,
                    int32_t stride, int32_t width, int32_t height);
void Integral_U8_SSE(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                     int32_t width, int32_t height);
void Integral_I8_SSE(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                     int32_t width, int32_t height);
