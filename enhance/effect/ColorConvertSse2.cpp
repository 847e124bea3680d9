// SSE2 forms of the colour conversions: eight pixels a step, the same integer
// arithmetic as the scalar rows (products summed with _mm_madd_epi16), the
// scalar rows finishing each line.
#include <emmintrin.h>

#include "ColorConvert.h"

namespace colorconvert {
namespace {

// R, G, B of eight A,R,G,B pixels as 16-bit lanes.
inline void SplitRGB(const uint8_t* src, __m128i& r, __m128i& g, __m128i& b) {
  const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
  const __m128i byte = _mm_set1_epi32(0xFF);
  r = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(p0, 8), byte), _mm_and_si128(_mm_srli_epi32(p1, 8), byte));
  g = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(p0, 16), byte), _mm_and_si128(_mm_srli_epi32(p1, 16), byte));
  b = _mm_packs_epi32(_mm_srli_epi32(p0, 24), _mm_srli_epi32(p1, 24));
}

}  // namespace

void ToYUY2RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  int32_t i = 0;
  const __m128i cy = _mm_set1_epi16(16);
  const __m128i c66 = _mm_set1_epi16(66), c129 = _mm_set1_epi16(129), c25 = _mm_set1_epi16(25);
  const __m128i c112 = _mm_set1_epi16(112), cm74 = _mm_set1_epi16(-74), cm38 = _mm_set1_epi16(-38);
  const __m128i cm94 = _mm_set1_epi16(-94), cm18 = _mm_set1_epi16(-18);
  const __m128i c128 = _mm_set1_epi32(128);
  for (; i + 4 <= pairs; i += 4, src += 32, dst += 16) {
    __m128i r, g, b;
    SplitRGB(src, r, g, b);
    // 66 R + 129 G + 25 B stays below 65536: exact in unsigned 16 bits.
    __m128i y = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(r, c66), _mm_mullo_epi16(g, c129)),
                              _mm_mullo_epi16(b, c25));
    y = _mm_add_epi16(_mm_srli_epi16(y, 8), cy);
    // Pair sums times the factors, in 32 bits.
    __m128i u = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(b, c112), _mm_madd_epi16(g, cm74)),
                              _mm_madd_epi16(r, cm38));
    __m128i v = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(r, c112), _mm_madd_epi16(g, cm94)),
                              _mm_madd_epi16(b, cm18));
    u = _mm_add_epi32(_mm_srai_epi32(u, 9), c128);
    v = _mm_add_epi32(_mm_srai_epi32(v, 9), c128);
    const __m128i uv = _mm_packs_epi32(_mm_unpacklo_epi32(u, v), _mm_unpackhi_epi32(u, v));
    const __m128i out = _mm_packus_epi16(_mm_unpacklo_epi16(y, uv), _mm_unpackhi_epi16(y, uv));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
  }
  ToYUY2RowScalar(dst, src, pairs - i);
}

void ToRGB32RowSSE2(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  int32_t i = 0;
  const __m128i lowByte = _mm_set1_epi16(0xFF);
  const __m128i c16 = _mm_set1_epi16(16), c128 = _mm_set1_epi16(128);
  const __m128i kBlue = _mm_set_epi16(16531, 9535, 16531, 9535, 16531, 9535, 16531, 9535);
  const __m128i kGreen = _mm_set_epi16(-3203, 9535, -3203, 9535, -3203, 9535, -3203, 9535);
  const __m128i kGreenV = _mm_set_epi16(0, -6660, 0, -6660, 0, -6660, 0, -6660);
  const __m128i kRed = _mm_set_epi16(13074, 9535, 13074, 9535, 13074, 9535, 13074, 9535);
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= pairs; i += 4, src += 16, dst += 32) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i y = _mm_sub_epi16(_mm_and_si128(in, lowByte), c16);
    const __m128i uv = _mm_sub_epi16(_mm_srli_epi16(in, 8), c128);  // U0 V0 U1 V1 ...
    const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0));
    const __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    __m128i rgb[3][2];
    for (int h = 0; h < 2; ++h) {
      const __m128i yu = h ? _mm_unpackhi_epi16(y, u) : _mm_unpacklo_epi16(y, u);
      const __m128i yv = h ? _mm_unpackhi_epi16(y, v) : _mm_unpacklo_epi16(y, v);
      const __m128i vz = h ? _mm_unpackhi_epi16(v, zero) : _mm_unpacklo_epi16(v, zero);
      rgb[0][h] = _mm_srai_epi32(_mm_madd_epi16(yv, kRed), 13);
      rgb[1][h] = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(yu, kGreen), _mm_madd_epi16(vz, kGreenV)), 13);
      rgb[2][h] = _mm_srai_epi32(_mm_madd_epi16(yu, kBlue), 13);
    }
    const __m128i r16 = _mm_packs_epi32(rgb[0][0], rgb[0][1]);
    const __m128i g16 = _mm_packs_epi32(rgb[1][0], rgb[1][1]);
    const __m128i b16 = _mm_packs_epi32(rgb[2][0], rgb[2][1]);
    const __m128i r8 = _mm_packus_epi16(r16, r16);
    const __m128i g8 = _mm_packus_epi16(g16, g16);
    const __m128i b8 = _mm_packus_epi16(b16, b16);
    const __m128i zr = _mm_unpacklo_epi8(zero, r8);  // 0 R
    const __m128i gb = _mm_unpacklo_epi8(g8, b8);    // G B
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi16(zr, gb));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi16(zr, gb));
  }
  ToRGB32RowScalar(dst, src, pairs - i);
}

void ToPlanesRowSSE2(uint8_t* yp, uint8_t* up, uint8_t* vp, const uint8_t* src, int32_t width) {
  int32_t x = 0;
  const __m128i kRG = _mm_set_epi16(19235, 9798, 19235, 9798, 19235, 9798, 19235, 9798);
  const __m128i kB1 = _mm_set_epi16(16384, 3736, 16384, 3736, 16384, 3736, 16384, 3736);
  const __m128i kU = _mm_set_epi16(16384, 18492, 16384, 18492, 16384, 18492, 16384, 18492);
  const __m128i kV = _mm_set_epi16(16384, 23372, 16384, 23372, 16384, 23372, 16384, 23372);
  const __m128i ones = _mm_set1_epi16(1);
  const __m128i c128 = _mm_set1_epi32(128);
  for (; x + 8 <= width; x += 8, src += 32) {
    __m128i r, g, b;
    SplitRGB(src, r, g, b);
    __m128i y32[2], u32[2], v32[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i rg = h ? _mm_unpackhi_epi16(r, g) : _mm_unpacklo_epi16(r, g);
      const __m128i b1 = h ? _mm_unpackhi_epi16(b, ones) : _mm_unpacklo_epi16(b, ones);
      y32[h] = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(rg, kRG), _mm_madd_epi16(b1, kB1)), 15);
    }
    const __m128i y16 = _mm_packs_epi32(y32[0], y32[1]);
    const __m128i by = _mm_sub_epi16(b, y16);
    const __m128i ry = _mm_sub_epi16(r, y16);
    for (int h = 0; h < 2; ++h) {
      const __m128i by1 = h ? _mm_unpackhi_epi16(by, ones) : _mm_unpacklo_epi16(by, ones);
      const __m128i ry1 = h ? _mm_unpackhi_epi16(ry, ones) : _mm_unpacklo_epi16(ry, ones);
      u32[h] = _mm_add_epi32(_mm_srai_epi32(_mm_madd_epi16(by1, kU), 15), c128);
      v32[h] = _mm_add_epi32(_mm_srai_epi32(_mm_madd_epi16(ry1, kV), 15), c128);
    }
    const __m128i u16 = _mm_packs_epi32(u32[0], u32[1]);
    const __m128i v16 = _mm_packs_epi32(v32[0], v32[1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(yp + x), _mm_packus_epi16(y16, y16));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(up + x), _mm_packus_epi16(u16, u16));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(vp + x), _mm_packus_epi16(v16, v16));
  }
  ToPlanesRowScalar(yp + x, up + x, vp + x, src, width - x);
}

void ToLumaRowSSE2(uint8_t* yp, const uint8_t* src, int32_t width) {
  int32_t x = 0;
  const __m128i kRG = _mm_set_epi16(19235, 9798, 19235, 9798, 19235, 9798, 19235, 9798);
  const __m128i kB1 = _mm_set_epi16(16384, 3736, 16384, 3736, 16384, 3736, 16384, 3736);
  const __m128i ones = _mm_set1_epi16(1);
  for (; x + 8 <= width; x += 8, src += 32) {
    __m128i r, g, b;
    SplitRGB(src, r, g, b);
    __m128i y32[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i rg = h ? _mm_unpackhi_epi16(r, g) : _mm_unpacklo_epi16(r, g);
      const __m128i b1 = h ? _mm_unpackhi_epi16(b, ones) : _mm_unpacklo_epi16(b, ones);
      y32[h] = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(rg, kRG), _mm_madd_epi16(b1, kB1)), 15);
    }
    const __m128i y16 = _mm_packs_epi32(y32[0], y32[1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(yp + x), _mm_packus_epi16(y16, y16));
  }
  ToLumaRowScalar(yp + x, src, width - x);
}

}  // namespace colorconvert
