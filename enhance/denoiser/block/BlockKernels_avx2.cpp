// AVX2 forms of the block kernels that pay for it: the window of distances
// (eight displacements of a row at once) and the 8x8 window sum (two rows a
// vector). Everything else runs the SSE2 forms.

#include <immintrin.h>

#include <cstring>

#include "block/BlockKernelForms.h"

namespace avd_block {
namespace avx2 {
namespace {

inline __m128i Load8(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline __m256i Join(__m128i lo, __m128i hi) { return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1); }

template <bool Signed>
int32_t OneDistance(const uint8_t* b, const uint8_t* c, int32_t pitch) {
  const __m128i flip = _mm_set1_epi8(Signed ? static_cast<char>(0x80) : 0);
  __m128i s = _mm_setzero_si128();
  for (int r = 0; r < 8; r += 2) {
    __m128i x = _mm_xor_si128(_mm_unpacklo_epi64(Load8(b + r * pitch), Load8(b + (r + 1) * pitch)), flip);
    __m128i y = _mm_xor_si128(_mm_unpacklo_epi64(Load8(c + r * pitch), Load8(c + (r + 1) * pitch)), flip);
    s = _mm_add_epi64(s, _mm_sad_epu8(x, y));
  }
  int32_t S = _mm_cvtsi128_si32(s) + _mm_cvtsi128_si32(_mm_srli_si128(s, 8));
  return (S * S) >> 6;
}

template <bool Signed>
void Window(const void* blk, const void* refv, int32_t pitch, int32_t w, int32_t h, int32_t* out) {
  const uint8_t* b = static_cast<const uint8_t*>(blk);
  const uint8_t* ref = static_cast<const uint8_t*>(refv);
  const __m256i flip = _mm256_set1_epi8(Signed ? static_cast<char>(0x80) : 0);
  __m256i bp[4];
  for (int q = 0; q < 4; ++q)
    bp[q] = _mm256_xor_si256(Join(Load8(b + 2 * q * pitch), Load8(b + (2 * q + 1) * pitch)), flip);
  const int32_t cols = w + 7 > 16 ? w + 7 : 16;
  alignas(32) int32_t d[8];
  for (int j = 0; j < h; ++j) {
    int i0 = 0;
    for (; i0 < w && i0 + 16 <= cols; i0 += 8) {
      __m256i acc = _mm256_setzero_si256();
      for (int q = 0; q < 4; ++q) {
        const uint8_t* r = ref + (j + 2 * q) * pitch + i0;
        __m256i a = _mm256_xor_si256(Join(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r)),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + pitch))),
                                     flip);
        acc = _mm256_add_epi16(acc, _mm256_mpsadbw_epu8(a, bp[q], 0x00));
        acc = _mm256_add_epi16(acc, _mm256_mpsadbw_epu8(a, bp[q], 0x2D));
      }
      __m128i s16 = _mm_add_epi16(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
      __m256i s32 = _mm256_cvtepu16_epi32(s16);
      _mm256_store_si256(reinterpret_cast<__m256i*>(d), _mm256_srli_epi32(_mm256_mullo_epi32(s32, s32), 6));
      int n = w - i0 < 8 ? w - i0 : 8;
      std::memcpy(out + j * w + i0, d, static_cast<size_t>(n) * 4);
    }
    for (int i = i0; i < w; ++i) out[j * w + i] = OneDistance<Signed>(b, ref + j * pitch + i, pitch);
  }
}

template <bool Signed>
void Wsum8(void* accv, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  __m256i* acc = static_cast<__m256i*>(accv);
  const __m256i zero = _mm256_setzero_si256();
  __m256i c[8], part[4];
  for (int t = 0; t < 8; ++t) c[t] = zero;
  for (int t = 0; t < 4; ++t) part[t] = zero;
  int pending = 0;
  auto flush = [&] {
    for (int q = 0; q < 4; ++q) {
      __m128i lo = _mm256_castsi256_si128(part[q]), hi = _mm256_extracti128_si256(part[q], 1);
      c[2 * q] = _mm256_add_epi32(c[2 * q], Signed ? _mm256_cvtepi16_epi32(lo) : _mm256_cvtepu16_epi32(lo));
      c[2 * q + 1] = _mm256_add_epi32(c[2 * q + 1], Signed ? _mm256_cvtepi16_epi32(hi) : _mm256_cvtepu16_epi32(hi));
      part[q] = zero;
    }
    pending = 0;
  };
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int32_t weight = wt[j * w + i];
      if (!weight) continue;
      const __m256i wv = _mm256_set1_epi16(static_cast<int16_t>(weight));
      const uint8_t* src = s + j * pitch + i;
      for (int q = 0; q < 4; ++q) {
        __m128i raw = _mm_unpacklo_epi64(Load8(src + 2 * q * pitch), Load8(src + (2 * q + 1) * pitch));
        __m256i x = Signed ? _mm256_cvtepi8_epi16(raw) : _mm256_cvtepu8_epi16(raw);
        part[q] = _mm256_add_epi16(part[q], _mm256_mullo_epi16(x, wv));
      }
      if (++pending == 16) flush();
    }
  if (pending) flush();
  for (int t = 0; t < 8; ++t) _mm256_storeu_si256(acc + t, c[t]);
}

}  // namespace

void windowU8(const uint8_t* blk, const uint8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window<false>(blk, ref, p, w, h, out);
}
void windowI8(const int8_t* blk, const int8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window<true>(blk, ref, p, w, h, out);
}

void wsumU8(uint32_t* acc, int32_t n, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  if (n == 8) return Wsum8<false>(acc, s, pitch, wt, w, h);
  Sse2Table().wsumU8(acc, n, s, pitch, wt, w, h);
}
void wsumI8(int32_t* acc, int32_t n, const int8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  if (n == 8) return Wsum8<true>(acc, reinterpret_cast<const uint8_t*>(s), pitch, wt, w, h);
  Sse2Table().wsumI8(acc, n, s, pitch, wt, w, h);
}

}  // namespace avx2
}  // namespace avd_block
