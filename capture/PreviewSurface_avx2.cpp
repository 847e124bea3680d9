// The AVX2 forms of the preview surface's row kernels, built with -mavx2 and
// called only where the processor has it. Each computes what its SSE form
// does, step for step, twice as wide; the rows' ends take the same scalar
// steps as there.
#include <immintrin.h>

#include <cstring>

#include "PreviewSurfaceKernels.h"

namespace preview_avx2 {

namespace {

// A R G B bytes to cairo's X R G B word in each 32-bit lane.
inline __m256i Reorder(__m256i v) {
  return _mm256_shuffle_epi8(v, _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6,
                                                 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
}

inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

}  // namespace

void HalveRow(const uint8_t* a, const uint8_t* b, uint32_t* out, int32_t pixels) {
  int32_t u = 0;
  for (; u + 8 <= pixels; u += 8) {
    const __m256i r0 = _mm256_avg_epu8(Load(a + 8 * size_t(u)), Load(b + 8 * size_t(u)));
    const __m256i r1 = _mm256_avg_epu8(Load(a + 8 * size_t(u) + 32), Load(b + 8 * size_t(u) + 32));
    // Pixels 0 2 8 10 | 4 6 12 14 and 1 3 9 11 | 5 7 13 15: the means are
    // output pixels 0 1 4 5 | 2 3 6 7.
    const __m256i even =
        _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(r0), _mm256_castsi256_ps(r1), 0x88));
    const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(r0), _mm256_castsi256_ps(r1), 0xDD));
    const __m256i mean = _mm256_permute4x64_epi64(_mm256_avg_epu8(even, odd), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + u), Reorder(mean));
  }
  preview_kernels::HalveTail(a, b, out, u, pixels);
}

void BlendRows(const uint8_t* a, const uint8_t* b, uint8_t* out, size_t bytes, uint16_t weight) {
  const __m256i wa = _mm256_set1_epi16(int16_t(256 - weight)), wb = _mm256_set1_epi16(int16_t(weight));
  const __m256i half = _mm256_set1_epi16(128), zero = _mm256_setzero_si256();
  size_t i = 0;
  for (; i + 32 <= bytes; i += 32) {
    const __m256i va = Load(a + i), vb = Load(b + i);
    // At most 255 * 256 + 128: the sums fit 16 bits.
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(va, zero), wa),
                                          _mm256_mullo_epi16(_mm256_unpacklo_epi8(vb, zero), wb)),
                         half),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(va, zero), wa),
                                          _mm256_mullo_epi16(_mm256_unpackhi_epi8(vb, zero), wb)),
                         half),
        8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
  }
  for (; i < bytes; ++i) out[i] = uint8_t((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
}

void SampleRow(const uint8_t* row, const int32_t* x0, const uint16_t* weights, uint32_t* out, int32_t pixels) {
  // Each byte of the left pixel beside the same byte of the right one, in
  // 16-bit lanes: pixel u's pair in the low half, u + 1's in the high half.
  const __m256i spread = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4, -1, 1, -1,
                                          5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  const __m256i half = _mm256_set1_epi32(128);
  auto two = [&](int32_t u) {
    const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * size_t(x0[u])));
    const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * size_t(x0[u + 1])));
    const __m256i side = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(p0), p1, 1), spread);
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + 8 * size_t(u)));
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(side, w), half), 8);
  };
  int32_t u = 0;
  for (; u + 8 <= pixels; u += 8) {
    // Pixels 0 2 4 6 | 1 3 5 7 after packing, put back in order.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(two(u), two(u + 2)),
                                              _mm256_packs_epi32(two(u + 4), two(u + 6)));
    const __m256i ordered = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + u), Reorder(ordered));
  }
  preview_kernels::SampleTail(row, x0, weights, out, u, pixels);
}

}  // namespace preview_avx2
