#include <immintrin.h>

#include "JudgeRowKernels.h"

namespace afj {

RowStats JudgeRowAVX2(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ones = _mm256_set1_epi16(1);
  const __m256i fifteen = _mm256_set1_epi16(15);
  __m256i sum = zero;
  __m256i strong = zero;
  RowStats stats;
  int32_t x = 0;
  int32_t sinceFlush = 0;
  auto flush = [&] {
    alignas(32) int32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), _mm256_madd_epi16(strong, ones));
    for (int i = 0; i < 8; ++i) stats.strong += lanes[i];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
    for (int i = 0; i < 8; ++i) stats.sum += static_cast<uint32_t>(lanes[i]);
    strong = zero;
    sum = zero;
    sinceFlush = 0;
  };
  for (; x + 16 <= width; x += 16) {
    const __m256i a = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(up + x)));
    const __m256i b = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(down + x)));
    const __m256i c = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
    const __m256i d = _mm256_abs_epi16(_mm256_sub_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(c, c)));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(d, ones));
    strong = _mm256_sub_epi16(strong, _mm256_cmpgt_epi16(d, fifteen));
    if (++sinceFlush == 30000) flush();
  }
  flush();
  const RowStats tail = JudgeRowScalar(up, row, down, x, width);
  stats.sum += tail.sum;
  stats.strong += tail.strong;
  return stats;
}

}  // namespace afj
