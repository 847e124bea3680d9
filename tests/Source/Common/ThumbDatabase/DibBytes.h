#pragma once
// Thumbnail bitmaps built byte by byte: a 40-byte header (little-endian)
// and bottom-up 24-bit rows padded to 4 bytes.
#include <cstdint>
#include <cstring>
#include <vector>

namespace testdib {

inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

inline std::vector<uint8_t> Make(int32_t width, int32_t height, uint8_t fill, uint16_t bits = 24) {
  uint32_t stride = (uint32_t(width) * bits + 31) / 32 * 4;
  uint32_t rows = uint32_t(height < 0 ? -height : height);
  std::vector<uint8_t> v(40 + size_t(stride) * rows, fill);
  std::fill(v.begin(), v.begin() + 40, 0);
  Put32(v, 0, 40);
  Put32(v, 4, uint32_t(width));
  Put32(v, 8, uint32_t(height));
  v[12] = 1;
  v[14] = uint8_t(bits);
  Put32(v, 20, stride * rows);
  Put32(v, 24, 72);
  Put32(v, 28, 72);
  return v;
}

// A copy in a new array, as the records own their bitmaps.
inline unsigned char* NewArray(const std::vector<uint8_t>& v) {
  auto* p = new unsigned char[v.size()];
  std::memcpy(p, v.data(), v.size());
  return p;
}

}  // namespace testdib
