#include "img/Tint.h"

#include <cstring>

namespace img {

void WashTowardWhite(Bitmap& pixels) {
  if (pixels.empty()) return;
  uint8_t table[256];
  for (int v = 0; v < 256; ++v) table[v] = uint8_t((v + 765) / 4);
  const size_t n = size_t(pixels.width()) * 3;
  for (int32_t y = 0; y < pixels.height(); ++y) {
    uint8_t* row = pixels.mutable_row(y);
    for (size_t i = 0; i < n; ++i) row[i] = table[row[i]];
  }
}

void FillColour(Bitmap& pixels, uint8_t r, uint8_t g, uint8_t b) {
  if (pixels.empty()) return;
  const size_t n = size_t(pixels.width()) * 3;
  for (int32_t y = 0; y < pixels.height(); ++y) {
    uint8_t* row = pixels.mutable_row(y);
    if (r == g && g == b) {
      std::memset(row, r, n);
      continue;
    }
    for (size_t i = 0; i < n; i += 3) row[i] = b, row[i + 1] = g, row[i + 2] = r;
  }
}

}  // namespace img
