// AVX2 forms of the colour conversions: the SSE2 steps on sixteen pixels at
// once. Each 128-bit lane does what the SSE2 form does on eight pixels; the
// loads and stores put pixels 0-7 in the low lane and 8-15 in the high one.
#include <immintrin.h>

#include "ColorConvert.h"

namespace colorconvert {
namespace {

inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline __m256i Both(__m128i v) { return _mm256_broadcastsi128_si256(v); }

// R, G, B of sixteen A,R,G,B pixels as 16-bit lanes: pixels 0-7 low, 8-15 high.
inline void SplitRGB(const uint8_t* src, __m256i& r, __m256i& g, __m256i& b) {
  const __m256i a = Load(src), c = Load(src + 32);
  const __m256i p0 = _mm256_permute2x128_si256(a, c, 0x20);  // pixels 0-3 | 8-11
  const __m256i p1 = _mm256_permute2x128_si256(a, c, 0x31);  // pixels 4-7 | 12-15
  const __m256i byte = _mm256_set1_epi32(0xFF);
  r = _mm256_packs_epi32(_mm256_and_si256(_mm256_srli_epi32(p0, 8), byte),
                         _mm256_and_si256(_mm256_srli_epi32(p1, 8), byte));
  g = _mm256_packs_epi32(_mm256_and_si256(_mm256_srli_epi32(p0, 16), byte),
                         _mm256_and_si256(_mm256_srli_epi32(p1, 16), byte));
  b = _mm256_packs_epi32(_mm256_srli_epi32(p0, 24), _mm256_srli_epi32(p1, 24));
}

// SplitRGB with the full-range luma of the sixteen pixels, 16-bit lanes (at
// most 255): (9798 R + 19235 G + 3736 B + 16384) >> 15, taken straight from
// the pixels' 16-bit halves, (A, G) and (R, B), with one multiply-add each:
// fewer shuffles than pairing R, G and B up again after the split.
inline void SplitRGBLuma(const uint8_t* src, __m256i& r, __m256i& g, __m256i& b, __m256i& y) {
  const __m256i kRB = _mm256_set1_epi32((3736 << 16) | 9798);
  const __m256i kAG = _mm256_set1_epi32(19235 << 16);
  const __m256i round = _mm256_set1_epi32(16384);
  const __m256i lowByte = _mm256_set1_epi16(0xFF), lowWord = _mm256_set1_epi32(0xFFFF);
  const __m256i a = Load(src), c = Load(src + 32);
  const __m256i p0 = _mm256_permute2x128_si256(a, c, 0x20);  // pixels 0-3 | 8-11
  const __m256i p1 = _mm256_permute2x128_si256(a, c, 0x31);  // pixels 4-7 | 12-15
  const __m256i rb0 = _mm256_srli_epi16(p0, 8), rb1 = _mm256_srli_epi16(p1, 8);
  const __m256i ag0 = _mm256_and_si256(p0, lowByte), ag1 = _mm256_and_si256(p1, lowByte);
  const __m256i y0 = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rb0, kRB), _mm256_madd_epi16(ag0, kAG)), round), 15);
  const __m256i y1 = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rb1, kRB), _mm256_madd_epi16(ag1, kAG)), round), 15);
  y = _mm256_packs_epi32(y0, y1);
  r = _mm256_packs_epi32(_mm256_and_si256(rb0, lowWord), _mm256_and_si256(rb1, lowWord));
  g = _mm256_packs_epi32(_mm256_srli_epi32(ag0, 16), _mm256_srli_epi32(ag1, 16));
  b = _mm256_packs_epi32(_mm256_srli_epi32(rb0, 16), _mm256_srli_epi32(rb1, 16));
}

// Sixteen bytes of one vector of 16-bit lanes, in pixel order.
inline __m128i Bytes(__m256i v16) {
  const __m256i packed = _mm256_packus_epi16(v16, v16);  // lane: 8 bytes twice
  return _mm_unpacklo_epi64(_mm256_castsi256_si128(packed), _mm256_extracti128_si256(packed, 1));
}

// Eight pixel pairs, as 16-bit R, G, B lanes, in 32 bytes of YUY2.
inline __m256i YUY2(__m256i r, __m256i g, __m256i b) {
  const __m256i cy = _mm256_set1_epi16(16);
  const __m256i c66 = _mm256_set1_epi16(66), c129 = _mm256_set1_epi16(129), c25 = _mm256_set1_epi16(25);
  const __m256i c112 = _mm256_set1_epi16(112), cm74 = _mm256_set1_epi16(-74), cm38 = _mm256_set1_epi16(-38);
  const __m256i cm94 = _mm256_set1_epi16(-94), cm18 = _mm256_set1_epi16(-18);
  const __m256i c128 = _mm256_set1_epi32(128);
  __m256i y = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(r, c66), _mm256_mullo_epi16(g, c129)),
                               _mm256_mullo_epi16(b, c25));
  y = _mm256_add_epi16(_mm256_srli_epi16(y, 8), cy);
  __m256i u = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(b, c112), _mm256_madd_epi16(g, cm74)),
                               _mm256_madd_epi16(r, cm38));
  __m256i v = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(r, c112), _mm256_madd_epi16(g, cm94)),
                               _mm256_madd_epi16(b, cm18));
  u = _mm256_add_epi32(_mm256_srai_epi32(u, 9), c128);
  v = _mm256_add_epi32(_mm256_srai_epi32(v, 9), c128);
  const __m256i uv = _mm256_packs_epi32(_mm256_unpacklo_epi32(u, v), _mm256_unpackhi_epi32(u, v));
  return _mm256_packus_epi16(_mm256_unpacklo_epi16(y, uv), _mm256_unpackhi_epi16(y, uv));
}

}  // namespace

void ToYUY2RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  int32_t i = 0;
  for (; i + 8 <= pairs; i += 8, src += 64, dst += 32) {
    __m256i r, g, b;
    SplitRGB(src, r, g, b);
    Store(dst, YUY2(r, g, b));
  }
  ToYUY2RowSSE2(dst, src, pairs - i);
}

// The luma of each pixel pair's two pixels and the pair's chroma terms are
// multiply-adds on the YUY2 words as they lie (Y and Y', U and V), so the
// chroma needs no widening to pixels: each sum is taken for the pair's even
// and odd pixel and the two put back side by side. Every value fits 16 bits
// (-300 .. 560), so its low word is what the saturating pack would keep.
void ToRGB32RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  int32_t i = 0;
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  const __m256i c16 = _mm256_set1_epi16(16), c128 = _mm256_set1_epi16(128);
  const __m256i kEven = _mm256_set1_epi32(9535), kOdd = _mm256_set1_epi32(9535 << 16);
  const __m256i kRed = _mm256_set1_epi32(13074 << 16);
  const __m256i kGreen = _mm256_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(-6660) << 16) | static_cast<uint16_t>(-3203)));
  const __m256i kBlue = _mm256_set1_epi32(16531);
  const __m256i zero = _mm256_setzero_si256();
  auto pixels = [](__m256i even, __m256i odd, __m256i chroma) {
    const __m256i e = _mm256_srai_epi32(_mm256_add_epi32(even, chroma), 13);
    const __m256i o = _mm256_srai_epi32(_mm256_add_epi32(odd, chroma), 13);
    return _mm256_blend_epi16(e, _mm256_slli_epi32(o, 16), 0xAA);
  };
  for (; i + 8 <= pairs; i += 8, src += 32, dst += 64) {
    const __m256i in = Load(src);  // pairs 0-3 | 4-7
    const __m256i y = _mm256_sub_epi16(_mm256_and_si256(in, lowByte), c16);
    const __m256i uv = _mm256_sub_epi16(_mm256_srli_epi16(in, 8), c128);
    const __m256i even = _mm256_madd_epi16(y, kEven), odd = _mm256_madd_epi16(y, kOdd);
    const __m256i r16 = pixels(even, odd, _mm256_madd_epi16(uv, kRed));
    const __m256i g16 = pixels(even, odd, _mm256_madd_epi16(uv, kGreen));
    const __m256i b16 = pixels(even, odd, _mm256_madd_epi16(uv, kBlue));
    const __m256i r8 = _mm256_packus_epi16(r16, r16);
    const __m256i g8 = _mm256_packus_epi16(g16, g16);
    const __m256i b8 = _mm256_packus_epi16(b16, b16);
    const __m256i zr = _mm256_unpacklo_epi8(zero, r8);
    const __m256i gb = _mm256_unpacklo_epi8(g8, b8);
    const __m256i lo = _mm256_unpacklo_epi16(zr, gb);  // pixels 0-3 | 8-11
    const __m256i hi = _mm256_unpackhi_epi16(zr, gb);  // pixels 4-7 | 12-15
    Store(dst, _mm256_permute2x128_si256(lo, hi, 0x20));
    Store(dst + 32, _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  ToRGB32RowSSE2(dst, src, pairs - i);
}

void ToPlanesRowAVX2(uint8_t* yp, uint8_t* up, uint8_t* vp, const uint8_t* src, int32_t width) {
  int32_t x = 0;
  const __m256i kU = Both(_mm_set_epi16(16384, 18492, 16384, 18492, 16384, 18492, 16384, 18492));
  const __m256i kV = Both(_mm_set_epi16(16384, 23372, 16384, 23372, 16384, 23372, 16384, 23372));
  const __m256i ones = _mm256_set1_epi16(1);
  const __m256i c128 = _mm256_set1_epi32(128);
  for (; x + 16 <= width; x += 16, src += 64) {
    __m256i r, g, b, y16;
    SplitRGBLuma(src, r, g, b, y16);
    const __m256i by = _mm256_sub_epi16(b, y16);
    const __m256i ry = _mm256_sub_epi16(r, y16);
    __m256i u32[2], v32[2];
    for (int h = 0; h < 2; ++h) {
      const __m256i by1 = h ? _mm256_unpackhi_epi16(by, ones) : _mm256_unpacklo_epi16(by, ones);
      const __m256i ry1 = h ? _mm256_unpackhi_epi16(ry, ones) : _mm256_unpacklo_epi16(ry, ones);
      u32[h] = _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(by1, kU), 15), c128);
      v32[h] = _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(ry1, kV), 15), c128);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yp + x), Bytes(y16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(up + x), Bytes(_mm256_packs_epi32(u32[0], u32[1])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(vp + x), Bytes(_mm256_packs_epi32(v32[0], v32[1])));
  }
  ToPlanesRowSSE2(yp + x, up + x, vp + x, src, width - x);
}

void ToLumaRowAVX2(uint8_t* yp, const uint8_t* src, int32_t width) {
  int32_t x = 0;
  for (; x + 16 <= width; x += 16, src += 64) {
    __m256i r, g, b, y;
    SplitRGBLuma(src, r, g, b, y);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yp + x), Bytes(y));
  }
  ToLumaRowSSE2(yp + x, src, width - x);
}

void ToYUY2AndLumaRowAVX2(uint8_t* dst, uint8_t* yp, const uint8_t* src, int32_t width) {
  const int32_t pairs = width >> 1;
  int32_t i = 0;
  for (; i + 8 <= pairs; i += 8, src += 64, dst += 32, yp += 16) {
    __m256i r, g, b, y;
    SplitRGBLuma(src, r, g, b, y);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yp), Bytes(y));
    Store(dst, YUY2(r, g, b));
  }
  ToYUY2RowSSE2(dst, src, pairs - i);
  ToLumaRowSSE2(yp, src, width - 2 * i);
}

}  // namespace colorconvert
