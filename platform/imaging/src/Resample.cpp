// Separable Lanczos-3 resampling with fixed-point weights: rows first, then
// columns, each pass rounding to 8 bits.
#include <algorithm>
#include <atomic>
#include <vector>

#include "Parallel.h"
#include "ResampleAvx2.h"
#include "ResampleTaps.h"
#include "Simd.h"
#include "img/Operations.h"

namespace img {

namespace {

using detail::kTapPrecision;
using detail::Taps;

inline uint8_t Clip(int32_t v) {
  v >>= kTapPrecision;
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One row along x, any channel count, plain code.
template <int C>
void HorizontalRow(const uint8_t* s, uint8_t* d, int32_t out_w, const Taps& t) {
  for (int32_t x = 0; x < out_w; ++x) {
    const int32_t* w = t.weights.data() + size_t(x) * size_t(t.max_count);
    const uint8_t* p = s + size_t(t.first[size_t(x)]) * C;
    int32_t acc[C];
    for (int c = 0; c < C; ++c) acc[c] = 1 << (kTapPrecision - 1);
    for (int32_t i = 0, n = t.count[size_t(x)]; i < n; ++i, p += C) {
      for (int c = 0; c < C; ++c) acc[c] += p[c] * w[i];
    }
    for (int c = 0; c < C; ++c) d[size_t(x) * C + size_t(c)] = Clip(acc[c]);
  }
}

#if defined(__x86_64__)
const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
#else
constexpr bool kHaveAvx2 = false;
#endif
std::atomic<bool> g_avx2_rows{kHaveAvx2};

template <int C>
void Horizontal(const uint8_t* src, size_t sstride, int32_t h, uint8_t* dst, size_t dstride, const Taps& t) {
  const uint64_t taps = uint64_t(t.out_size) * C * uint64_t(t.max_count);
#if defined(__x86_64__)
  if (t.span > 0 && g_avx2_rows.load(std::memory_order_relaxed)) {
    // A tap costs these rows about half what it costs the plain ones.
    detail::ParallelFor(h, taps / 2, [&](int32_t y0, int32_t y1) {
      if constexpr (C == 3) {
        detail::HorizontalRows3Avx2(src, sstride, y0, y1, dst, dstride, t);
      } else {
        detail::HorizontalRows1Avx2(src, sstride, y0, y1, dst, dstride, t);
      }
    });
    return;
  }
#endif
  detail::ParallelFor(h, taps, [&](int32_t y0, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y) {
      HorizontalRow<C>(src + size_t(y) * sstride, dst + size_t(y) * dstride, t.out_size, t);
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
    int32_t v = acc[i] >> kTapPrecision;
    out[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
  }
}

void Vertical(const uint8_t* src, size_t sstride, size_t samples, uint8_t* dst, size_t dstride,
              int32_t out_h, const Taps& t) {
  detail::ParallelFor(out_h, uint64_t(samples) * uint64_t(t.max_count), [&](int32_t y0, int32_t y1) {
    std::vector<int32_t> acc(samples);
    for (int32_t y = y0; y < y1; ++y) {
      std::fill(acc.begin(), acc.end(), 1 << (kTapPrecision - 1));
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
    const auto t = detail::TapsFor(src.width(), w);
    mid = Img::Create(w, src.height());
    if (mid.empty()) return mid;
    Horizontal<C>(src.data(), src.stride(), src.height(), mid.mutable_data(), mid.stride(), *t);
  }
  if (h == src.height()) return mid;
  const auto t = detail::TapsFor(src.height(), h);
  Img out = Img::Create(w, h);
  if (out.empty()) return out;
  Vertical(mid.data(), mid.stride(), mid.stride(), out.mutable_data(), out.stride(), h, *t);
  return out;
}

}  // namespace

Bitmap Resample(const Bitmap& src, int32_t w, int32_t h) { return ResampleAny<Bitmap, 3>(src, w, h); }
Plane Resample(const Plane& src, int32_t w, int32_t h) { return ResampleAny<Plane, 1>(src, w, h); }

bool UseAvx2Resampling(bool on) {
  g_avx2_rows.store(on && kHaveAvx2, std::memory_order_relaxed);
  return on && kHaveAvx2;
}

}  // namespace img
