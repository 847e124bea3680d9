// Gaussian blur as three extended box passes per direction (a box of
// fractional radius: whole weights inside, a fractional weight at each end),
// and the unsharp mask built on it.
//
// The picture is worked in bands of rows, one band per piece of work. A
// band streams its rows through a pipeline: each source row is blurred
// along x (three passes on a padded float copy), and three vertical passes
// follow, each keeping only the few rows its box needs in a small ring.
// Nothing picture-sized is allocated besides the result, the scratch stays
// in cache, and every sum runs along a row, where the compiler vectorises
// it. A band recomputes the few rows above it that its first rows need.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Parallel.h"
#include "Simd.h"
#include "img/Operations.h"

namespace img {

namespace {

constexpr int kPasses = 3;

struct BoxRadius {
  int32_t whole;  // r: full weight for |k| <= r
  float edge;     // weight of the two taps at |k| = r + 1
  float norm;     // 1 / total weight
};

// The extended box whose three passes have the variance of a Gaussian of
// standard deviation sigma.
BoxRadius BoxFor(double sigma) {
  double v = sigma * sigma / kPasses;
  double l = std::floor((std::sqrt(12.0 * v + 1.0) - 1.0) / 2.0);
  double a = (2 * l + 1) * (l * (l + 1) / 3.0 - v) / (2.0 * (v - (l + 1) * (l + 1)));
  float edge = float(std::clamp(a, 0.0, 1.0));
  return {int32_t(l), edge, 1.0f / (2.0f * float(l) + 1.0f + 2.0f * edge)};
}

// out[i] = (sum of tap[k][i] for k = -r..r + edge * (tap[-r-1][i] + tap[r+1][i]))
// * norm for i in [0, n); `mid` points at tap 0. The sums run in one fixed
// order, so every band gives the same bits.
IMG_ROW_KERNEL
void BoxSum(float* out, size_t n, const float* const* mid, int32_t r, float edge, float norm) {
  const float *lo = mid[-r - 1], *hi = mid[r + 1];
  if (r == 1) {
    // The sharpen tool's radius: one pass over the row.
    const float *a = mid[-1], *b = mid[0], *c = mid[1];
    for (size_t i = 0; i < n; ++i) out[i] = (((a[i] + b[i]) + c[i]) + edge * (lo[i] + hi[i])) * norm;
    return;
  }
  const float* first = mid[-r];
  for (size_t i = 0; i < n; ++i) out[i] = first[i];
  for (int32_t k = -r + 1; k <= r; ++k) {
    const float* t = mid[k];
    for (size_t i = 0; i < n; ++i) out[i] += t[i];
  }
  for (size_t i = 0; i < n; ++i) out[i] = (out[i] + edge * (lo[i] + hi[i])) * norm;
}

IMG_ROW_KERNEL
void ToFloat(const uint8_t* s, float* d, size_t n) {
  for (size_t i = 0; i < n; ++i) d[i] = s[i];
}

inline uint8_t ToByte(float v) { return uint8_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

IMG_ROW_KERNEL
void BlurRowOut(const float* v, uint8_t* d, size_t n) {
  for (size_t i = 0; i < n; ++i) d[i] = ToByte(v[i]);
}

// in + (in - blur) * amount / 100, rounded half up, clamped to 0..255: a
// negative sum gives 0 and anything from 25550 up gives 255, so the division
// by 100 only meets 0..25600, where (x * 5243) >> 19 is exact.
IMG_ROW_KERNEL
void UnsharpRowOut(const uint8_t* s, const float* v, uint8_t* d, size_t n, int32_t amount) {
  for (size_t i = 0; i < n; ++i) {
    int32_t in = s[i], diff = in - int32_t(ToByte(v[i]));
    int32_t x = std::clamp(in * 100 + diff * amount + 50, 0, 25600);
    d[i] = uint8_t(std::min((x * 5243) >> 19, 255));
  }
}

// One band's pipeline and its scratch (kept per thread between calls).
class BandBlur {
 public:
  BandBlur(const Bitmap& src, const BoxRadius& box) : src_(src), box_(box) {
    const int32_t w = src.width();
    n_ = size_t(w) * 3;
    pad_ = size_t(box.whole + 1) * 3;
    slots_ = 2 * box.whole + 4;
    const size_t line = n_ + 2 * pad_;
    const size_t need = 2 * line + size_t(kPasses) * size_t(slots_) * n_;
    thread_local std::vector<float> scratch;
    if (scratch.size() < need) scratch.resize(need);
    a_ = scratch.data() + pad_;
    b_ = a_ + line;
    rings_ = scratch.data() + 2 * line;
    for (auto& t : tags_) t.assign(size_t(slots_), -1);
    for (auto& t : taps_) t.resize(size_t(2 * box.whole + 3));
  }

  // Row y of the finished blur (valid until the next call).
  const float* Row(int32_t y) { return Level(kPasses, y); }

 private:
  // Row y after the horizontal passes (level 0) or `level` vertical passes.
  const float* Level(int level, int32_t y) {
    y = std::clamp(y, 0, src_.height() - 1);
    if (level == kPasses) {
      // The last level is used once per row: computed straight into b_.
      Vertical(level, y, b_);
      return b_;
    }
    std::vector<int32_t>& tags = tags_[size_t(level)];
    const size_t slot = size_t(y % slots_);
    float* row = rings_ + (size_t(level) * size_t(slots_) + slot) * n_;
    if (tags[slot] == y) return row;
    if (level == 0) {
      Horizontal(src_.row(y), row);
    } else {
      Vertical(level, y, row);
    }
    tags[slot] = y;
    return row;
  }

  void Vertical(int level, int32_t y, float* out) {
    const int32_t r = box_.whole;
    // Each level has its own taps: fetching a row may run the levels below.
    const float** mid = taps_[size_t(level)].data() + r + 1;
    // Fetched top to bottom: each new row of the level below evicts only a
    // row above this window.
    for (int32_t k = -r - 1; k <= r + 1; ++k) mid[k] = Level(level - 1, y + k);
    BoxSum(out, n_, mid, r, box_.edge, box_.norm);
  }

  // Edge pixels repeated into the padding, as if the line went on.
  void Pad(float* line) const {
    for (size_t i = 3; i <= pad_; i += 3) {
      for (size_t c = 0; c < 3; ++c) {
        line[c - i] = line[c];
        line[n_ - 3 + c + i] = line[n_ - 3 + c];
      }
    }
  }

  void Horizontal(const uint8_t* s, float* out) {
    const int32_t r = box_.whole;
    const float** mid = taps_[0].data() + r + 1;
    auto pass = [&](const float* in, float* to) {
      for (int32_t k = -r - 1; k <= r + 1; ++k) mid[k] = in + ptrdiff_t(k) * 3;
      BoxSum(to, n_, mid, r, box_.edge, box_.norm);
    };
    ToFloat(s, a_, n_);
    Pad(a_);
    pass(a_, b_);
    Pad(b_);
    pass(b_, a_);
    Pad(a_);
    pass(a_, out);
  }

  const Bitmap& src_;
  BoxRadius box_;
  size_t n_ = 0, pad_ = 0;
  int32_t slots_ = 0;
  float *a_ = nullptr, *b_ = nullptr, *rings_ = nullptr;
  std::vector<int32_t> tags_[kPasses];
  std::vector<const float*> taps_[kPasses + 1];  // [0] along x, [k] vertical pass k
};

// Runs `emit(y, blurred row)` for every row, bands in parallel.
template <typename Emit>
void ForEachBlurredRow(const Bitmap& src, double radius, Emit emit) {
  const BoxRadius box = BoxFor(radius);
  const int32_t w = src.width(), h = src.height();
  detail::ParallelFor(h, uint64_t(w) * 3 * 24, [&](int32_t y0, int32_t y1) {
    BandBlur band(src, box);
    for (int32_t y = y0; y < y1; ++y) emit(y, band.Row(y));
  });
}

}  // namespace

Bitmap GaussianBlur(const Bitmap& src, double radius) {
  if (src.empty()) return Bitmap();
  if (!(radius > 0)) return src;
  Bitmap out = Bitmap::Create(src.width(), src.height());
  if (out.empty()) return out;
  uint8_t* base = out.mutable_data();
  const size_t n = src.stride();
  ForEachBlurredRow(src, radius, [&](int32_t y, const float* v) {
    uint8_t* o = base + size_t(y) * n;
    BlurRowOut(v, o, n);
  });
  return out;
}

Bitmap UnsharpMask(const Bitmap& src, double radius, int32_t amount) {
  if (src.empty()) return Bitmap();
  if (amount == 0 || !(radius > 0)) return src;
  Bitmap out = Bitmap::Create(src.width(), src.height());
  if (out.empty()) return out;
  uint8_t* base = out.mutable_data();
  const size_t n = src.stride();
  ForEachBlurredRow(src, radius, [&](int32_t y, const float* v) {
    UnsharpRowOut(src.row(y), v, base + size_t(y) * n, n, amount);
  });
  return out;
}

}  // namespace img
