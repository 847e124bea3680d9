#include "PlanarLevels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "KernelForm.h"
#include "PlanarLevelsRows.h"
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
  // The table is a line for channels in [contrast - brightness, 255 -
  // contrast - brightness], and the decoder clamps them to [0, 255]; the
  // line's span times its slope is at most 255, so a shift that keeps the
  // slope under 1 (Q15) keeps the span times 2^shift in 16 bits.
  const int32_t lineLow = std::max(0, contrast - brightness), lineHigh = std::min(255, 255 - contrast - brightness);
  int16_t shift = 0;
  while (double(1 << shift) <= slope) ++shift;
  out->lineLow = int16_t(lineLow * 32);
  out->lineHigh = int16_t(lineHigh * 32);
  out->lineBase = int16_t(std::lround((lineLow + brightness - contrast) * slope * 32));
  out->lineShift = shift;
  out->lineFactor = int16_t(std::min(std::lround(slope / (1 << shift) * 32768), 32767L));
  // A level inside the line on each side keeps rounding at its ends out of
  // the tables.
  const double low = lineLow + 1, high = lineHigh - 1;
  if (high < low) {
    out->clipLow = INT16_MAX, out->clipHigh = INT16_MIN;  // every block clips somewhere
  } else {
    out->clipLow = int16_t(std::ceil(low * 219.0 / 255.0 * 32));
    out->clipHigh = int16_t(std::floor(high * 219.0 / 255.0 * 32));
  }
  return true;
}

namespace planarlevels {

void RowPairScalar(const PlanarLevels& l, const RowPair& p, int32_t width, int32_t from) {
  const int32_t chromaWidth = (width + 1) / 2;
  for (int32_t c = from; c < chromaWidth; ++c) {
    const int32_t x0 = 2 * c, x1 = std::min(x0 + 1, width - 1);
    const int y[4] = {p.y0[x0], p.y0[x1], p.y1[x0], p.y1[x1]};
    if (!Clips(l, y[0], y[1], y[2], y[3], p.u[c], p.v[c])) {
      p.y0[x0] = l.luma[size_t(y[0])], p.y0[x1] = l.luma[size_t(y[1])];
      p.y1[x0] = l.luma[size_t(y[2])], p.y1[x1] = l.luma[size_t(y[3])];
      if (l.chromaChanges) p.u[c] = l.chroma[p.u[c]], p.v[c] = l.chroma[p.v[c]];
      continue;
    }
    uint8_t out[4];
    ExactBlock(l, y, p.u[c], p.v[c], out, p.u[c], p.v[c]);
    p.y0[x0] = out[0], p.y0[x1] = out[1], p.y1[x0] = out[2], p.y1[x1] = out[3];
  }
}

}  // namespace planarlevels

void ApplyPlanarLevels(const PlanarLevels& levels, uint8_t* const planes[3], const int32_t rowBytes[3], int32_t width,
                       int32_t height) {
  using namespace planarlevels;
  if (!levels.lumaChanges || width <= 0 || height <= 0) return;
  const bool avx2 = ActiveKernelForm() == KernelForm::AVX2;
  // An odd last row is its block's both rows: a copy takes the second.
  thread_local std::vector<uint8_t> spare;
  for (int32_t j = 0; j < (height + 1) / 2; ++j) {
    RowPair pair{planes[0] + ptrdiff_t(2 * j) * rowBytes[0], nullptr, planes[1] + ptrdiff_t(j) * rowBytes[1],
                 planes[2] + ptrdiff_t(j) * rowBytes[2]};
    if (2 * j + 1 < height) {
      pair.y1 = pair.y0 + rowBytes[0];
    } else {
      spare.assign(pair.y0, pair.y0 + width);
      pair.y1 = spare.data();
    }
    if (avx2) RowPairAVX2(levels, pair, width);
    else RowPairScalar(levels, pair, width, 0);
  }
}
