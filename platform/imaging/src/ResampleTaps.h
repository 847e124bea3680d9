#pragma once
// The fixed-point Lanczos-3 weights of one resampling pass.
#include <cstdint>
#include <memory>
#include <vector>

namespace img::detail {

constexpr int kTapPrecision = 22;  // weight bits: 8-bit samples x 2^22 fit in int32 sums
constexpr int kTapLowBits = 11;    // the low part of a split weight

// Integer weights of every output position over [first, first + count).
struct Taps {
  int32_t in_size = 0;
  int32_t out_size = 0;
  int32_t max_count = 0;
  std::vector<int32_t> first, count;
  std::vector<int32_t> weights;  // max_count per output
  // The same weights for 16-bit multiplies: w = hi * 2^11 + lo, lo in
  // [0, 2^11); `span` (max_count rounded up to 16) per output, 0 past the
  // count. Empty when a high part would not fit 16 bits.
  int32_t span = 0;
  std::vector<int16_t> lo, hi;
};

// The taps from `in_size` to `out_size` samples. The last few sizes asked
// on a thread are kept: a folder of photos of one size asks the same ones
// for every thumbnail, and their sines cost more than the thumbnail's rows.
std::shared_ptr<const Taps> TapsFor(int32_t in_size, int32_t out_size);

}  // namespace img::detail
