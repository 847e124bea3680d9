#pragma once
// Arithmetic between unsigned 8-bit levels and signed 8-bit detail planes.
// Pitches count samples; formats carry the element kind (0x10 / 0x110).

#include <cstdint>

// out = a - b clamped to -128..127 (a, b unsigned 8-bit of one format, out
// signed 8-bit); else -701.
int32_t avdImgSubtract(const uint8_t* a, int32_t aPitch, uint32_t aFormat, const uint8_t* b, int32_t bPitch,
                       uint32_t bFormat, uint8_t* out, int32_t outPitch, uint32_t outFormat, int32_t width,
                       int32_t height);
// out = a + d clamped to 0..255 (a and out unsigned 8-bit, d signed); else -701.
int32_t avdImgAdd(const uint8_t* a, int32_t aPitch, uint32_t aFormat, const uint8_t* d, int32_t dPitch,
                  uint32_t dFormat, uint8_t* out, int32_t outPitch, uint32_t outFormat, int32_t width,
                  int32_t height);
// Signed 8-bit scaling by factor / 256; factor 256 writes nothing.
int32_t avdImgMulti(const uint8_t* src, int32_t srcPitch, uint32_t srcFormat, uint8_t* dst, int32_t dstPitch,
                    uint32_t dstFormat, int32_t width, int32_t height, int32_t factor);
// Sum of |x| over a signed 8-bit block (negative result: bad arguments).
int32_t avdImgABS(const uint8_t* plane, int32_t pitch, uint32_t format, int32_t width, int32_t height);
// ((in + offset) x factor) >> 8 with clamping, or a plain copy.
int32_t avdImgTune(const uint8_t* src, int32_t srcPitch, uint32_t srcFormat, uint8_t* dst, int32_t dstPitch,
                   uint32_t dstFormat, int32_t width, int32_t height, int32_t offset, int32_t factor);
