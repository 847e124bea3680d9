// AVX2 forms of the stretch and of the counts about the low bin.
#include <immintrin.h>

#include "AdlStretch.h"

namespace adl {

// Sixteen pixels a step in 16-bit lanes. With scale = 16384 * hi + lo,
// ((d * scale + 8192) >> 14) is d * hi + ((d * 2lo + 16384) >> 15), the
// rounding multiply-high of d and 2lo: exact while hi stays below 8, which the
// pass's maps (scale at most 255 * 16384 / 32) do; others take the SSE2 form.
void StretchRowAVX2(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m) {
  if (m.scale < 0 || m.scale >= 8 * 16384 || m.low < 0 || m.low > 255 || m.newLow < 0 || m.newLow > 255) {
    StretchRowSSE2(row, width, lumaOffset, m);
    return;
  }
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  const __m256i low = _mm256_set1_epi16(static_cast<int16_t>(m.low));
  const __m256i hi = _mm256_set1_epi16(static_cast<int16_t>(m.scale >> 14));
  const __m256i lo2 = _mm256_set1_epi16(static_cast<int16_t>(2 * (m.scale & 16383)));
  const __m256i newLow = _mm256_set1_epi16(static_cast<int16_t>(m.newLow));
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    uint8_t* p = row + 2 * x;
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i y = lumaOffset == 0 ? _mm256_and_si256(in, lowByte) : _mm256_srli_epi16(in, 8);
    const __m256i c = lumaOffset == 0 ? _mm256_andnot_si256(lowByte, in) : _mm256_and_si256(in, lowByte);
    const __m256i d = _mm256_sub_epi16(y, low);
    // |d| <= 255: d * hi, the rounded high part and newLow stay well inside 16 bits.
    const __m256i v = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d, hi), _mm256_mulhrs_epi16(d, lo2)), newLow);
    // To 0..255 like the scalar form, back in the luma bytes.
    const __m256i clamped = _mm256_min_epi16(_mm256_max_epi16(v, _mm256_setzero_si256()), lowByte);
    const __m256i out = lumaOffset == 0 ? _mm256_or_si256(clamped, c) : _mm256_or_si256(_mm256_slli_epi16(clamped, 8), c);
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
