#include "PlanarLevels.h"

#include <algorithm>
#include <cmath>

#include "img/Operations.h"

bool MakePlanarLevels(int32_t brightness, int32_t contrast, PlanarLevels* out) {
  if (!out) return false;
  brightness = std::clamp(brightness, -128, 128);
  contrast = std::clamp(contrast, -128, 128);
  const int32_t range = 255 - 2 * contrast;
  if (range <= 0) return false;
  *out = PlanarLevels{};
  if (brightness == 0 && contrast == 0) return true;
  const std::array<uint8_t, 256> table = img::BrightnessContrastTable(brightness, contrast);
  // Video range: luma 16..235 stands for 0..255, chroma 16..240 around 128.
  for (int32_t y = 0; y < 256; ++y) {
    const int32_t full = std::clamp(int32_t(std::lround((y - 16) * 255.0 / 219.0)), 0, 255);
    out->luma[size_t(y)] = uint8_t(std::lround(16 + table[size_t(full)] * 219.0 / 255.0));
  }
  const double slope = 255.0 / range;
  for (int32_t c = 0; c < 256; ++c)
    out->chroma[size_t(c)] = uint8_t(std::clamp(std::lround(128 + (c - 128) * slope), 16L, 240L));
  out->lumaChanges = true;
  out->chromaChanges = contrast != 0;
  return true;
}
