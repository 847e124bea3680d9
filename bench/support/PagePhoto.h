#pragma once
// A photographed page for the photo benchmarks: smooth light, text lines,
// some sensor noise; the same pixels every run.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "img/Bitmap.h"

namespace bench {

inline img::Bitmap PagePhoto(int32_t w = 4000, int32_t h = 3000) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  uint32_t s = 12345;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int32_t x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      const int noise = int(s >> 29) - 4;
      const double light = 0.75 + 0.25 * std::cos((x - 2000) / 2600.0) * std::cos((y - 1500) / 2000.0);
      int v = int(230 * light);
      if (y > 400 && y < 2700 && (y - 400) % 120 < 26 && x > 500 && x < 3500 - ((y / 120) % 3) * 400) v = 50;
      row[3 * x] = uint8_t(std::clamp(v - 12 + noise, 0, 255));
      row[3 * x + 1] = uint8_t(std::clamp(v - 4 + noise, 0, 255));
      row[3 * x + 2] = uint8_t(std::clamp(v + noise, 0, 255));
    }
  }
  return b;
}

}  // namespace bench
