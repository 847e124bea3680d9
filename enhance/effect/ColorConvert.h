#pragma once
// Colour conversions of the effect chain between 32-bit frames (bytes A, R,
// G, B), packed YUY2 (Y0 U Y1 V) and three 8-bit planes. Integer arithmetic
// only; the scalar, SSE2 and AVX2 forms give the same bytes and the plain
// names dispatch on the active kernel form.

#include <cstdint>

// Studio-range BT.601 factors in 1/8192, 256 entries each (InitTab fills them).
extern int32_t g_iYYTab[256];
extern int32_t g_iBUTab[256];
extern int32_t g_iGUTab[256];
extern int32_t g_iGVTab[256];
extern int32_t g_iRVTab[256];
void InitTab();

// A negative height reads the source bottom-up. An odd last pixel is not
// converted.
void RGB32ToYUY2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height);
void YUY2ToRGB32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height);
// Full-range BT.601: Y, U and V planes of width x height bytes, packed one
// after the other from planes.
void RGB32ToYUVPlane(uint8_t* planes, const uint8_t* src, int32_t width, int32_t height,
                     int32_t srcPitch);

namespace colorconvert {

// One row of each conversion; `pairs` pixel pairs or `width` pixels.
using ToYUY2Row = void (*)(uint8_t* dst, const uint8_t* src, int32_t pairs);
using ToRGB32Row = void (*)(uint8_t* dst, const uint8_t* src, int32_t pairs);
using ToPlanesRow = void (*)(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src,
                             int32_t width);

void ToYUY2RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowScalar(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);

void ToYUY2RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowSSE2(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);

void ToYUY2RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowAVX2(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);

}  // namespace colorconvert
