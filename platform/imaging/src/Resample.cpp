// Separable Lanczos-3 resampling with fixed-point weights: rows first, then
// columns, each pass rounding to 8 bits. When shrinking, the filter support
// widens by the reduction so every source pixel contributes.
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <vector>

#include "Parallel.h"
#include "Simd.h"
#include "img/Operations.h"

namespace img {

namespace {

constexpr double kSupport = 3.0;
constexpr int kPrecision = 22;  // weight bits: 8-bit samples x 2^22 fit in int32 sums

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  x *= M_PI;
  return std::sin(x) / x;
}

double Lanczos(double x) { return (x > -kSupport && x < kSupport) ? Sinc(x) * Sinc(x / kSupport) : 0.0; }

// Integer weights of every output position over [first, first + count).
struct Taps {
  int32_t in_size = 0;
  int32_t max_count = 0;
  std::vector<int32_t> first, count;
  std::vector<int32_t> weights;  // max_count per output
};

Taps MakeTaps(int32_t in_size, int32_t out_size) {
  Taps t;
  t.in_size = in_size;
  const double scale = double(in_size) / out_size;
  const double filter_scale = std::max(scale, 1.0);
  const double support = kSupport * filter_scale;
  t.max_count = int32_t(std::ceil(support)) * 2 + 1;
  t.first.resize(size_t(out_size));
  t.count.resize(size_t(out_size));
  t.weights.assign(size_t(out_size) * size_t(t.max_count), 0);
  std::vector<double> k(size_t(t.max_count));
  for (int32_t o = 0; o < out_size; ++o) {
    double center = (o + 0.5) * scale;
    int32_t lo = std::max(0, int32_t(center - support + 0.5));
    int32_t hi = std::min(in_size, int32_t(center + support + 0.5));
    int32_t n = std::min(hi - lo, t.max_count);
    double sum = 0;
    for (int32_t i = 0; i < n; ++i) {
      k[size_t(i)] = Lanczos((i + lo - center + 0.5) / filter_scale);
      sum += k[size_t(i)];
    }
    int32_t* w = t.weights.data() + size_t(o) * size_t(t.max_count);
    for (int32_t i = 0; i < n; ++i) {
      double v = sum != 0.0 ? k[size_t(i)] / sum : 0.0;
      w[i] = int32_t(v < 0 ? v * (1 << kPrecision) - 0.5 : v * (1 << kPrecision) + 0.5);
    }
    t.first[size_t(o)] = lo;
    t.count[size_t(o)] = n;
  }
  return t;
}

inline uint8_t Clip(int32_t v) {
  v >>= kPrecision;
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One row along x, any channel count, plain code.
template <int C>
void HorizontalRow(const uint8_t* s, uint8_t* d, int32_t out_w, const Taps& t) {
  for (int32_t x = 0; x < out_w; ++x) {
    const int32_t* w = t.weights.data() + size_t(x) * size_t(t.max_count);
    const uint8_t* p = s + size_t(t.first[size_t(x)]) * C;
    int32_t acc[C];
    for (int c = 0; c < C; ++c) acc[c] = 1 << (kPrecision - 1);
    for (int32_t i = 0, n = t.count[size_t(x)]; i < n; ++i, p += C) {
      for (int c = 0; c < C; ++c) acc[c] += p[c] * w[i];
    }
    for (int c = 0; c < C; ++c) d[size_t(x) * C + size_t(c)] = Clip(acc[c]);
  }
}

#if defined(__x86_64__)
// The same for B, G, R pixels with AVX2: two taps per step, the three
// channels of each tap in one half of a register. The integer sums are the
// plain code's, added in another order, so the result is the same.
__attribute__((target("avx2"))) void HorizontalRow3Avx2(const uint8_t* s, const uint8_t* end, uint8_t* d,
                                                       int32_t out_w, const Taps& t) {
  // Bytes b0 g0 r0 . b1 g1 r1 . of a pixel pair into eight 32-bit lanes.
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i pair = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
  for (int32_t x = 0; x < out_w; ++x) {
    const int32_t* w = t.weights.data() + size_t(x) * size_t(t.max_count);
    const uint8_t* p = s + size_t(t.first[size_t(x)]) * 3;
    const int32_t n = t.count[size_t(x)];
    __m256i acc = _mm256_setzero_si256();
    int32_t i = 0;
    for (; i + 2 <= n; i += 2, p += 6) {
      // Eight bytes read where the row goes on that far, else just the six.
      __m128i bytes;
      if (p + 8 <= end) {
        bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
      } else {
        int64_t six = 0;
        std::memcpy(&six, p, 6);
        bytes = _mm_cvtsi64_si128(six);
      }
      __m256i px = _mm256_cvtepu8_epi32(_mm_shuffle_epi8(bytes, spread));
      int64_t two;
      std::memcpy(&two, w + i, 8);
      __m256i wv = _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(_mm_cvtsi64_si128(two)), pair);
      acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(px, wv));
    }
    alignas(16) int32_t sum[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(sum),
                    _mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1)));
    for (int c = 0; c < 3; ++c) {
      int32_t v = sum[c] + (1 << (kPrecision - 1));
      if (i < n) v += p[c] * w[i];
      d[size_t(x) * 3 + size_t(c)] = Clip(v);
    }
  }
}

const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
#endif

template <int C>
void Horizontal(const uint8_t* src, size_t sstride, int32_t h, uint8_t* dst, size_t dstride,
                int32_t out_w, const Taps& t) {
  detail::ParallelFor(h, uint64_t(out_w) * C * uint64_t(t.max_count), [&](int32_t y0, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y) {
      const uint8_t* s = src + size_t(y) * sstride;
      uint8_t* d = dst + size_t(y) * dstride;
#if defined(__x86_64__)
      if (C == 3 && kHaveAvx2) {
        HorizontalRow3Avx2(s, s + size_t(t.in_size) * 3, d, out_w, t);
        continue;
      }
#endif
      HorizontalRow<C>(s, d, out_w, t);
    }
  });
}

// acc[i] += row[i] * weight over one row: vectorised per target.
IMG_ROW_KERNEL
void AccumulateRow(int32_t* acc, const uint8_t* row, int32_t weight, size_t n) {
  for (size_t i = 0; i < n; ++i) acc[i] += int32_t(row[i]) * weight;
}

IMG_ROW_KERNEL
void StoreRow(uint8_t* out, const int32_t* acc, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    int32_t v = acc[i] >> kPrecision;
    out[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
  }
}

void Vertical(const uint8_t* src, size_t sstride, size_t samples, uint8_t* dst, size_t dstride,
              int32_t out_h, const Taps& t) {
  detail::ParallelFor(out_h, uint64_t(samples) * uint64_t(t.max_count), [&](int32_t y0, int32_t y1) {
    std::vector<int32_t> acc(samples);
    for (int32_t y = y0; y < y1; ++y) {
      std::fill(acc.begin(), acc.end(), 1 << (kPrecision - 1));
      const int32_t* w = t.weights.data() + size_t(y) * size_t(t.max_count);
      for (int32_t i = 0, n = t.count[size_t(y)]; i < n; ++i) {
        AccumulateRow(acc.data(), src + size_t(t.first[size_t(y)] + i) * sstride, w[i], samples);
      }
      StoreRow(dst + size_t(y) * dstride, acc.data(), samples);
    }
  });
}

template <typename Img, int C>
Img ResampleAny(const Img& src, int32_t w, int32_t h) {
  if (src.empty() || CheckedImageBytes(w, h, C) == 0) return Img();
  if (w == src.width() && h == src.height()) return src;
  Img mid = src;
  if (w != src.width()) {
    Taps t = MakeTaps(src.width(), w);
    mid = Img::Create(w, src.height());
    if (mid.empty()) return mid;
    Horizontal<C>(src.data(), src.stride(), src.height(), mid.mutable_data(), mid.stride(), w, t);
  }
  if (h == src.height()) return mid;
  Taps t = MakeTaps(src.height(), h);
  Img out = Img::Create(w, h);
  if (out.empty()) return out;
  Vertical(mid.data(), mid.stride(), mid.stride(), out.mutable_data(), out.stride(), h, t);
  return out;
}

}  // namespace

Bitmap Resample(const Bitmap& src, int32_t w, int32_t h) { return ResampleAny<Bitmap, 3>(src, w, h); }
Plane Resample(const Plane& src, int32_t w, int32_t h) { return ResampleAny<Plane, 1>(src, w, h); }

}  // namespace img
