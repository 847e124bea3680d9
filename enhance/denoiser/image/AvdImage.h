#pragma once
// Creation, splitting, copying and pixel access of image descriptors.
// Results are 0 or the negative codes of EnhanceResult.h.

#include "AvdImageRecord.h"
#include "MMem.h"

// Allocates one 16-byte aligned buffer for the format (rows padded to 16
// samples). -103 for a planar colour format whose chroma width is not a
// multiple of 4, -101 for an unknown layout, -2 for bad sizes, -201 when
// memory runs out; on failure the buffer stays null.
int32_t avdImgCreate(MHandle hMem, AvdImageRecord* img, uint32_t format, int32_t width, int32_t height);
// Frees an owned buffer and clears it.
int32_t avdImgRelease(MHandle hMem, AvdImageRecord* img);
// Single-buffer form of a planar format to the plane form, in place.
int32_t avdImgChunky2Plannar(AvdImageRecord* img);
// Copies the picture between descriptors of the same format.
int32_t avdImgCpy(const AvdImageRecord* src, AvdImageRecord* dst);
// Moves the descriptor's origin to pixel (x, y).
int32_t avdImgOffset(AvdImageRecord* img, int32_t x, int32_t y);
// One pixel's three samples packed as 0x00AABBCC (first, second, third).
int32_t avdImgSetPixel(const AvdImageRecord* img, int32_t x, int32_t y, uint32_t value);
uint32_t avdImgGetPixel(const AvdImageRecord* img, int32_t x, int32_t y);
void ImgRect(AvdRect* rect, int32_t width, int32_t height);

// Bytes one row of a packed picture holds per pixel (0 for unknown classes).
int32_t AvdPackedBytesPerPixel(uint32_t format);
