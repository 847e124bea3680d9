// Each row's samples are spread into one 16-bit plane per channel; every
// output sample is then a dot product of 16 taps at a time (vpmaddwd) with
// the high and the low 11 bits of the weights, joined as h * 2^11 + l.
#include "ResampleAvx2.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <vector>

namespace img::detail {

#if defined(__x86_64__)

namespace {

// pshufb masks taking channel c of 16 B, G, R pixels out of the k-th 16
// of their 48 bytes.
struct SpreadMasks {
  alignas(16) int8_t m[3][3][16];
};

constexpr SpreadMasks MakeSpreadMasks() {
  SpreadMasks s{};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) {
      for (int p = 0; p < 16; ++p) {
        const int at = 3 * p + c;
        s.m[c][k][p] = at / 16 == k ? int8_t(at % 16) : int8_t(-128);
      }
    }
  }
  return s;
}

constexpr SpreadMasks kSpread = MakeSpreadMasks();

// The row's `n` pixels as C planes of 16-bit samples, `plane` apart.
template <int C>
__attribute__((target("avx2"))) void Spread(const uint8_t* s, int32_t n, int16_t* planes, size_t plane) {
  int32_t x = 0;
  if constexpr (C == 3) {
    for (; x + 16 <= n; x += 16) {
      const uint8_t* p = s + size_t(x) * 3;
      const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      const __m128i c2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
      for (int c = 0; c < 3; ++c) {
        const auto* m = kSpread.m[c];
        __m128i v = _mm_or_si128(
            _mm_or_si128(_mm_shuffle_epi8(c0, _mm_load_si128(reinterpret_cast<const __m128i*>(m[0]))),
                         _mm_shuffle_epi8(c1, _mm_load_si128(reinterpret_cast<const __m128i*>(m[1])))),
            _mm_shuffle_epi8(c2, _mm_load_si128(reinterpret_cast<const __m128i*>(m[2]))));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes + size_t(c) * plane + size_t(x)),
                            _mm256_cvtepu8_epi16(v));
      }
    }
  } else {
    for (; x + 16 <= n; x += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes + size_t(x)), _mm256_cvtepu8_epi16(v));
    }
  }
  for (; x < n; ++x) {
    for (int c = 0; c < C; ++c) planes[size_t(c) * plane + size_t(x)] = s[size_t(x) * C + size_t(c)];
  }
}

// The sum of taps over one plane: high and low halves of the weights.
struct Halves {
  __m256i h, l;
};

__attribute__((target("avx2"), always_inline)) inline void Taps16(Halves& a, const int16_t* p, __m256i wh,
                                                                  __m256i wl) {
  const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  a.h = _mm256_add_epi32(a.h, _mm256_madd_epi16(px, wh));
  a.l = _mm256_add_epi32(a.l, _mm256_madd_epi16(px, wl));
}

__attribute__((target("avx2"), always_inline)) inline __m256i Joined(const Halves& a) {
  return _mm256_add_epi32(_mm256_slli_epi32(a.h, kTapLowBits), a.l);
}

// Lanes 0..2 of the sums, rounded and clipped to bytes 0..2.
__attribute__((target("avx2"), always_inline)) inline uint32_t Bytes(__m256i all) {
  __m128i total = _mm_add_epi32(_mm256_castsi256_si128(all), _mm256_extracti128_si256(all, 1));
  total = _mm_srai_epi32(_mm_add_epi32(total, _mm_set1_epi32(1 << (kTapPrecision - 1))), kTapPrecision);
  const __m128i words = _mm_packs_epi32(total, total);
  return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

template <int C>
__attribute__((target("avx2"))) void HorizontalRows(const uint8_t* src, size_t sstride, int32_t y0, int32_t y1,
                                                   uint8_t* dst, size_t dstride, const Taps& t) {
  static_assert(C == 1 || C == 3);
  const size_t span = size_t(t.span);
  // Zero past the samples, where the taps read with weights of 0.
  const size_t plane = size_t(t.in_size) + span;
  std::vector<int16_t> planes(plane * C);
  for (int32_t y = y0; y < y1; ++y) {
    Spread<C>(src + size_t(y) * sstride, t.in_size, planes.data(), plane);
    uint8_t* d = dst + size_t(y) * dstride;
    for (int32_t x = 0; x < t.out_size; ++x, d += C) {
      const int16_t* lo = t.lo.data() + size_t(x) * span;
      const int16_t* hi = t.hi.data() + size_t(x) * span;
      const int16_t* p = planes.data() + t.first[size_t(x)];
      const __m256i zero = _mm256_setzero_si256();
      if constexpr (C == 3) {
        Halves b{zero, zero}, g{zero, zero}, r{zero, zero};
        for (size_t k = 0; k < span; k += 16) {
          const __m256i wl = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lo + k));
          const __m256i wh = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hi + k));
          Taps16(b, p + k, wh, wl);
          Taps16(g, p + plane + k, wh, wl);
          Taps16(r, p + 2 * plane + k, wh, wl);
        }
        const __m256i rr = _mm256_hadd_epi32(Joined(r), Joined(r));
        const uint32_t v = Bytes(_mm256_hadd_epi32(_mm256_hadd_epi32(Joined(b), Joined(g)), rr));
        d[0] = uint8_t(v);
        d[1] = uint8_t(v >> 8);
        d[2] = uint8_t(v >> 16);
      } else {
        Halves a{zero, zero};
        for (size_t k = 0; k < span; k += 16) {
          const __m256i wl = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lo + k));
          const __m256i wh = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hi + k));
          Taps16(a, p + k, wh, wl);
        }
        __m256i all = _mm256_hadd_epi32(Joined(a), Joined(a));
        d[0] = uint8_t(Bytes(_mm256_hadd_epi32(all, all)));
      }
    }
  }
}

}  // namespace

__attribute__((target("avx2"))) void HorizontalRows1Avx2(const uint8_t* src, size_t sstride, int32_t y0, int32_t y1,
                                                        uint8_t* dst, size_t dstride, const Taps& t) {
  HorizontalRows<1>(src, sstride, y0, y1, dst, dstride, t);
}

__attribute__((target("avx2"))) void HorizontalRows3Avx2(const uint8_t* src, size_t sstride, int32_t y0, int32_t y1,
                                                        uint8_t* dst, size_t dstride, const Taps& t) {
  HorizontalRows<3>(src, sstride, y0, y1, dst, dstride, t);
}

#endif

}  // namespace img::detail
