#pragma once
// The preview surface's row kernels that have an AVX2 form, and the scalar
// steps every form ends its rows with (so that all forms give one result).
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace preview_kernels {

// A R G B bytes, read as a little-endian word, are the byte-swap of cairo's
// X R G B word.
inline uint32_t Reordered(uint32_t argb) { return __builtin_bswap32(argb); }

// Output pixels u .. pixels - 1 of a halved row: the 2 x 2 block's mean,
// rows first, then the pair.
inline void HalveTail(const uint8_t* a, const uint8_t* b, uint32_t* out, int32_t u, int32_t pixels) {
  for (; u < pixels; ++u) {
    uint8_t px[4];
    for (size_t k = 0; k < 4; ++k) {
      const int left = (a[8 * size_t(u) + k] + b[8 * size_t(u) + k] + 1) >> 1;
      const int right = (a[8 * size_t(u) + 4 + k] + b[8 * size_t(u) + 4 + k] + 1) >> 1;
      px[k] = uint8_t((left + right + 1) >> 1);
    }
    uint32_t v;
    std::memcpy(&v, px, 4);
    out[u] = Reordered(v);
  }
}

// Output pixels u .. pixels - 1 sampled from the blended row: the left
// pixel's bytes and the right one's weighted, rounded.
inline void SampleTail(const uint8_t* row, const int32_t* x0, const uint16_t* weights, uint32_t* out, int32_t u,
                       int32_t pixels) {
  for (; u < pixels; ++u) {
    const uint8_t* p = row + 4 * size_t(x0[u]);
    const uint16_t* w = weights + 8 * size_t(u);
    uint8_t px[4];
    for (size_t k = 0; k < 4; ++k) px[k] = uint8_t((p[k] * w[2 * k] + p[4 + k] * w[2 * k + 1] + 128) >> 8);
    uint32_t v;
    std::memcpy(&v, px, 4);
    out[u] = Reordered(v);
  }
}

}  // namespace preview_kernels

namespace preview_avx2 {
void HalveRow(const uint8_t* a, const uint8_t* b, uint32_t* out, int32_t pixels);
// out = a + (b - a) * weight / 256 per byte, rounded: (a * (256 - weight) +
// b * weight + 128) >> 8.
void BlendRows(const uint8_t* a, const uint8_t* b, uint8_t* out, size_t bytes, uint16_t weight);
void SampleRow(const uint8_t* row, const int32_t* x0, const uint16_t* weights, uint32_t* out, int32_t pixels);
}  // namespace preview_avx2
