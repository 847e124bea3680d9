#pragma once
// Colour conversions of the effect chain between 32-bit frames (bytes A, R,
// G, B), packed YUY2 (Y0 U Y1 V) and three 8-bit planes. Integer arithmetic
// only; the scalar, SSE2 and AVX2 forms give the same bytes and the plain
// names dispatch on the active kernel form.

#include <array>
#include <cstdint>

namespace colorconvert {
// factor x (v - zero) for every byte value v.
consteval std::array<int32_t, 256> FactorTable(int32_t factor, int32_t zero) {
  std::array<int32_t, 256> t{};
  for (int32_t v = 0; v < 256; ++v) t[v] = factor * (v - zero);
  return t;
}
}  // namespace colorconvert

// Studio-range BT.601 factors in 1/8192, 256 entries each. Constants, filled
// by the compiler: effect objects on other threads read them while new ones
// are made.
inline constexpr std::array<int32_t, 256> g_iYYTab = colorconvert::FactorTable(9535, 16);
inline constexpr std::array<int32_t, 256> g_iBUTab = colorconvert::FactorTable(16531, 128);
inline constexpr std::array<int32_t, 256> g_iGUTab = colorconvert::FactorTable(3203, 128);
inline constexpr std::array<int32_t, 256> g_iGVTab = colorconvert::FactorTable(6660, 128);
inline constexpr std::array<int32_t, 256> g_iRVTab = colorconvert::FactorTable(13074, 128);
// The tables are constants, so there is nothing left to fill; kept for the
// effect object's set-up sequence.
inline void InitTab() {}

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
// Only the Y plane of RGB32ToYUVPlane (the judge reads nothing else).
void RGB32ToLumaPlane(uint8_t* luma, const uint8_t* src, int32_t width, int32_t height,
                      int32_t srcPitch);
// RGB32ToYUY2 and RGB32ToLumaPlane of the same frame in one pass, each source
// row converted twice while it is in the cache.
void RGB32ToYUY2AndLuma(uint8_t* yuy2, int32_t yuy2Pitch, uint8_t* luma, const uint8_t* src,
                        int32_t srcPitch, int32_t width, int32_t height);

namespace colorconvert {

// One row of each conversion; `pairs` pixel pairs or `width` pixels.
using ToYUY2Row = void (*)(uint8_t* dst, const uint8_t* src, int32_t pairs);
using ToRGB32Row = void (*)(uint8_t* dst, const uint8_t* src, int32_t pairs);
using ToPlanesRow = void (*)(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src,
                             int32_t width);
using ToLumaRow = void (*)(uint8_t* y, const uint8_t* src, int32_t width);

void ToYUY2RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowScalar(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);
void ToLumaRowScalar(uint8_t* y, const uint8_t* src, int32_t width);

void ToYUY2RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowSSE2(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);
void ToLumaRowSSE2(uint8_t* y, const uint8_t* src, int32_t width);

void ToYUY2RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToRGB32RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs);
void ToPlanesRowAVX2(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width);
void ToLumaRowAVX2(uint8_t* y, const uint8_t* src, int32_t width);
// Both rows from one read of the source: the YUY2 row (width >> 1 pairs) and
// the luma row (width bytes).
void ToYUY2AndLumaRowAVX2(uint8_t* dst, uint8_t* y, const uint8_t* src, int32_t width);

}  // namespace colorconvert
