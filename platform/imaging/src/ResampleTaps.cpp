#include "ResampleTaps.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace img::detail {

namespace {

constexpr double kSupport = 3.0;

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  x *= M_PI;
  return std::sin(x) / x;
}

double Lanczos(double x) { return (x > -kSupport && x < kSupport) ? Sinc(x) * Sinc(x / kSupport) : 0.0; }

// When shrinking, the filter support widens by the reduction so every
// source sample contributes.
Taps MakeTaps(int32_t in_size, int32_t out_size) {
  Taps t;
  t.in_size = in_size;
  t.out_size = out_size;
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
      w[i] = int32_t(v < 0 ? v * (1 << kTapPrecision) - 0.5 : v * (1 << kTapPrecision) + 0.5);
    }
    t.first[size_t(o)] = lo;
    t.count[size_t(o)] = n;
  }
  t.span = (t.max_count + 15) / 16 * 16;
  t.lo.assign(size_t(out_size) * size_t(t.span), 0);
  t.hi.assign(size_t(out_size) * size_t(t.span), 0);
  for (int32_t o = 0; o < out_size; ++o) {
    for (int32_t i = 0; i < t.max_count; ++i) {
      const int32_t w = t.weights[size_t(o) * size_t(t.max_count) + size_t(i)];
      const int32_t high = w >> kTapLowBits;  // rounds down: the low part is never negative
      if (high < INT16_MIN || high > INT16_MAX) {
        t.span = 0;
        t.lo.clear();
        t.hi.clear();
        return t;
      }
      t.hi[size_t(o) * size_t(t.span) + size_t(i)] = int16_t(high);
      t.lo[size_t(o) * size_t(t.span) + size_t(i)] = int16_t(w & ((1 << kTapLowBits) - 1));
    }
  }
  return t;
}

}  // namespace

std::shared_ptr<const Taps> TapsFor(int32_t in_size, int32_t out_size) {
  thread_local std::array<std::shared_ptr<const Taps>, 4> kept;
  thread_local size_t next = 0;
  for (const auto& k : kept) {
    if (k && k->in_size == in_size && k->out_size == out_size) return k;
  }
  auto made = std::make_shared<const Taps>(MakeTaps(in_size, out_size));
  kept[next++ % kept.size()] = made;
  return made;
}

}  // namespace img::detail
