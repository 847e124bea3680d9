#include "JudgeRowKernels.h"

#include <emmintrin.h>

#include "KernelForm.h"

namespace afj {

RowStats JudgeRowScalar(const uint8_t* up, const uint8_t* row, const uint8_t* down,
                        int32_t begin, int32_t width) {
  RowStats stats;
  for (int32_t x = begin; x < width; ++x) {
    int32_t d = up[x] + down[x] - 2 * row[x];
    if (d < 0) d = -d;
    stats.sum += static_cast<uint32_t>(d);
    stats.strong += d >= 16;
  }
  return stats;
}

RowStats JudgeRowSSE2(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i ones = _mm_set1_epi16(1);
  const __m128i fifteen = _mm_set1_epi16(15);
  __m128i sum = zero;     // four 32-bit partial sums
  __m128i strong = zero;  // eight 16-bit counts, flushed before they can wrap
  RowStats stats;
  int32_t x = 0;
  int32_t sinceFlush = 0;
  auto flush = [&] {
    const __m128i c = _mm_madd_epi16(strong, ones);
    alignas(16) int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), c);
    stats.strong += lanes[0] + lanes[1] + lanes[2] + lanes[3];
    strong = zero;
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sum);
    stats.sum += static_cast<uint64_t>(static_cast<uint32_t>(lanes[0])) + static_cast<uint32_t>(lanes[1]) +
                 static_cast<uint32_t>(lanes[2]) + static_cast<uint32_t>(lanes[3]);
    sum = zero;
    sinceFlush = 0;
  };
  for (; x + 16 <= width; x += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(up + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(down + x));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    for (int half = 0; half < 2; ++half) {
      const __m128i a16 = half ? _mm_unpackhi_epi8(a, zero) : _mm_unpacklo_epi8(a, zero);
      const __m128i b16 = half ? _mm_unpackhi_epi8(b, zero) : _mm_unpacklo_epi8(b, zero);
      const __m128i c16 = half ? _mm_unpackhi_epi8(c, zero) : _mm_unpacklo_epi8(c, zero);
      const __m128i d = _mm_sub_epi16(_mm_add_epi16(a16, b16), _mm_add_epi16(c16, c16));
      const __m128i ad = _mm_max_epi16(d, _mm_sub_epi16(zero, d));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(ad, ones));
      strong = _mm_sub_epi16(strong, _mm_cmpgt_epi16(ad, fifteen));
    }
    // 16-bit counts grow by 2 a step; 32-bit sums by at most 4 x 510.
    if (++sinceFlush == 16000) flush();
  }
  flush();
  const RowStats tail = JudgeRowScalar(up, row, down, x, width);
  stats.sum += tail.sum;
  stats.strong += tail.strong;
  return stats;
}

RowStats JudgeRow(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width) {
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2: return JudgeRowAVX2(up, row, down, width);
    case KernelForm::SSE2: return JudgeRowSSE2(up, row, down, width);
    case KernelForm::Scalar: break;
  }
  return JudgeRowScalar(up, row, down, 0, width);
}

}  // namespace afj
