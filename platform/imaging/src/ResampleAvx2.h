#pragma once
// Lanczos along x with AVX2, for machines that have it.
#include <cstddef>
#include <cstdint>

#include "ResampleTaps.h"

namespace img::detail {

// Rows [y0, y1) of `src` (1 or 3 channels) resampled along x into `dst`
// with `t` (whose split weights are present). The integer sums are the
// plain rows', so the pixels are the same.
void HorizontalRows1Avx2(const uint8_t* src, size_t sstride, int32_t y0, int32_t y1, uint8_t* dst,
                         size_t dstride, const Taps& t);
void HorizontalRows3Avx2(const uint8_t* src, size_t sstride, int32_t y0, int32_t y1, uint8_t* dst,
                         size_t dstride, const Taps& t);

}  // namespace img::detail
