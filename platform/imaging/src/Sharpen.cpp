// Gaussian blur as three extended box passes per direction (a box of
// fractional radius: whole weights inside, a fractional weight at each end),
// and the unsharp mask built on it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Parallel.h"
#include "img/Operations.h"

namespace img {

namespace {

constexpr int kPasses = 3;

struct BoxRadius {
  int32_t whole;   // r: full weight for |k| <= r
  float edge;      // weight of the two taps at |k| = r + 1
};

// The extended box whose three passes have the variance of a Gaussian of
// standard deviation sigma.
BoxRadius BoxFor(double sigma) {
  double v = sigma * sigma / kPasses;
  double l = std::floor((std::sqrt(12.0 * v + 1.0) - 1.0) / 2.0);
  double a = (2 * l + 1) * (l * (l + 1) / 3.0 - v) / (2.0 * (v - (l + 1) * (l + 1)));
  return {int32_t(l), float(std::clamp(a, 0.0, 1.0))};
}

// One pass over n samples spaced `step` apart: out[i] = weighted box around
// in[i], edges replicated. `in` and `out` must not overlap.
void BoxLine(const float* in, float* out, int32_t n, size_t step, BoxRadius b) {
  const int32_t r = b.whole;
  const float norm = 1.0f / (2.0f * float(r) + 1.0f + 2.0f * b.edge);
  auto at = [&](int32_t i) { return in[size_t(std::clamp(i, 0, n - 1)) * step]; };
  float sum = 0;
  for (int32_t k = -r; k <= r; ++k) sum += at(k);
  for (int32_t i = 0; i < n; ++i) {
    out[size_t(i) * step] = (sum + b.edge * (at(i - r - 1) + at(i + r + 1))) * norm;
    sum += at(i + r + 1) - at(i - r);
  }
}

}  // namespace

Bitmap GaussianBlur(const Bitmap& src, double radius) {
  if (src.empty()) return Bitmap();
  if (!(radius > 0)) return src;
  const BoxRadius box = BoxFor(radius);
  const int32_t w = src.width(), h = src.height();
  Bitmap out = Bitmap::Create(w, h);
  if (out.empty()) return out;
  std::vector<float> plane(size_t(w) * size_t(h) * 3);
  // Rows: three passes per channel, on float copies of each row.
  detail::ParallelFor(h, uint64_t(w) * 3 * 24, [&](int32_t y0, int32_t y1) {
    std::vector<float> a(static_cast<size_t>(w)), b(static_cast<size_t>(w));
    for (int32_t y = y0; y < y1; ++y) {
      const uint8_t* s = src.row(y);
      float* dst = plane.data() + size_t(y) * size_t(w) * 3;
      for (int c = 0; c < 3; ++c) {
        for (int32_t x = 0; x < w; ++x) a[size_t(x)] = s[3 * x + c];
        BoxLine(a.data(), b.data(), w, 1, box);
        BoxLine(b.data(), a.data(), w, 1, box);
        BoxLine(a.data(), b.data(), w, 1, box);
        for (int32_t x = 0; x < w; ++x) dst[3 * size_t(x) + size_t(c)] = b[size_t(x)];
      }
    }
  });
  // Columns: strips of samples gathered into contiguous columns.
  constexpr int32_t kStrip = 48;  // samples (16 pixels)
  const int32_t samples = w * 3;
  const int32_t strips = (samples + kStrip - 1) / kStrip;
  uint8_t* obase = out.mutable_data();
  detail::ParallelFor(strips, uint64_t(h) * kStrip * 24, [&](int32_t s0, int32_t s1) {
    std::vector<float> a(size_t(h) * kStrip), b(size_t(h) * kStrip);
    for (int32_t s = s0; s < s1; ++s) {
      int32_t c0 = s * kStrip, cn = std::min(kStrip, samples - c0);
      for (int32_t y = 0; y < h; ++y) {
        const float* row = plane.data() + size_t(y) * size_t(samples) + size_t(c0);
        std::copy(row, row + cn, a.data() + size_t(y) * kStrip);
      }
      for (int32_t c = 0; c < cn; ++c) {
        BoxLine(a.data() + c, b.data() + c, h, kStrip, box);
        BoxLine(b.data() + c, a.data() + c, h, kStrip, box);
        BoxLine(a.data() + c, b.data() + c, h, kStrip, box);
      }
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* o = obase + size_t(y) * out.stride() + size_t(c0);
        const float* v = b.data() + size_t(y) * kStrip;
        for (int32_t c = 0; c < cn; ++c) o[c] = uint8_t(std::clamp(v[c] + 0.5f, 0.0f, 255.0f));
      }
    }
  });
  return out;
}

Bitmap UnsharpMask(const Bitmap& src, double radius, int32_t amount) {
  if (src.empty()) return Bitmap();
  if (amount == 0 || !(radius > 0)) return src;
  Bitmap blur = GaussianBlur(src, radius);
  if (blur.empty()) return blur;
  const int32_t h = src.height();
  const size_t n = src.stride();
  uint8_t* base = blur.mutable_data();  // sole owner: written in place
  detail::ParallelFor(h, n, [&](int32_t y0, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y) {
      const uint8_t* s = src.row(y);
      uint8_t* d = base + size_t(y) * n;
      for (size_t i = 0; i < n; ++i) {
        int32_t in = s[i], diff = in - d[i];
        // in + diff * amount / 100, rounded half up.
        int32_t v = in * 100 + diff * amount;
        v = v >= 0 ? (v + 50) / 100 : -((-v + 49) / 100);
        d[i] = uint8_t(std::clamp(v, 0, 255));
      }
    }
  });
  return blur;
}

}  // namespace img
