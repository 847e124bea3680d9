// AVX2 form of the stretch: the SSE2 steps on sixteen pixels, each 128-bit
// lane taking eight.
#include <immintrin.h>

#include "AdlStretch.h"

namespace adl {

void StretchRowAVX2(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m) {
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  const __m256i low = _mm256_set1_epi16(static_cast<int16_t>(m.low));
  const __m256i hi = _mm256_set1_epi16(static_cast<int16_t>(m.scale >> 14));
  const __m256i factors = _mm256_set1_epi32((16384 << 16) | (m.scale & 16383));
  const __m256i round = _mm256_set1_epi32(8192);
  const __m256i newLow = _mm256_set1_epi16(static_cast<int16_t>(m.newLow));
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    uint8_t* p = row + 2 * x;
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i y = lumaOffset == 0 ? _mm256_and_si256(in, lowByte) : _mm256_srli_epi16(in, 8);
    const __m256i c = lumaOffset == 0 ? _mm256_andnot_si256(lowByte, in) : _mm256_and_si256(in, lowByte);
    const __m256i d = _mm256_sub_epi16(y, low);
    const __m256i dh = _mm256_mullo_epi16(d, hi);
    const __m256i lo32 =
        _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(d, dh), factors), round), 14);
    const __m256i hi32 =
        _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(d, dh), factors), round), 14);
    __m256i v = _mm256_adds_epi16(_mm256_packs_epi32(lo32, hi32), newLow);
    v = _mm256_packus_epi16(v, v);
    v = _mm256_unpacklo_epi8(v, _mm256_setzero_si256());
    const __m256i out = lumaOffset == 0 ? _mm256_or_si256(v, c) : _mm256_or_si256(_mm256_slli_epi16(v, 8), c);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), out);
  }
  StretchRowSSE2(row + 2 * x, width - x, lumaOffset, m);
}

// The SSE2 steps on 32 pixels. The lanes of the packed luma are out of pixel
// order, which neither the counts nor the largest byte mind.
void CountAtMostRowAVX2(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                        uint64_t atMost[kAtMostCount], uint8_t* max) {
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  const __m256i zero = _mm256_setzero_si256();
  __m256i value[kAtMostCount];
  for (int32_t i = 0; i < kAtMostCount; ++i) value[i] = _mm256_set1_epi8(static_cast<char>(base + i));
  __m256i top = _mm256_set1_epi8(static_cast<char>(*max));
  int32_t x = 0;
  while (x + 32 <= width) {
    __m256i hits[kAtMostCount];
    for (int32_t i = 0; i < kAtMostCount; ++i) hits[i] = zero;
    for (int32_t step = 0; step < 255 && x + 32 <= width; ++step, x += 32) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * x));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * x + 32));
      const __m256i y = lumaOffset == 0
                            ? _mm256_packus_epi16(_mm256_and_si256(a, lowByte), _mm256_and_si256(b, lowByte))
                            : _mm256_packus_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
      top = _mm256_max_epu8(top, y);
      for (int32_t i = 0; i < kAtMostCount; ++i)
        hits[i] = _mm256_sub_epi8(hits[i], _mm256_cmpeq_epi8(_mm256_min_epu8(y, value[i]), y));
    }
    for (int32_t i = 0; i < kAtMostCount; ++i) {
      alignas(32) uint64_t sums[4];
      _mm256_store_si256(reinterpret_cast<__m256i*>(sums), _mm256_sad_epu8(hits[i], zero));
      atMost[i] += sums[0] + sums[1] + sums[2] + sums[3];
    }
  }
  alignas(32) uint8_t lanes[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), top);
  for (uint8_t v : lanes)
    if (v > *max) *max = v;
  CountAtMostRowSSE2(row + 2 * x, width - x, lumaOffset, base, atMost, max);
}

}  // namespace adl
