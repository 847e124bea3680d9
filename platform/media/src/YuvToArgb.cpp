#include "YuvToArgb.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>

namespace media {

namespace {

// Asked while statics are made: the processor's model may not be read yet.
const PixelForm g_best = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? PixelForm::Avx2 : PixelForm::Scalar;
}();

static_assert(std::endian::native == std::endian::little, "the scalar tables hold little-endian pixel words");

// Pixels x0 .. x1 - 1 of one row, or of two sharing their chroma; x0 even.
template <bool kTwo>
void ScalarPixels(const YuvCoefficients& k, const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v,
                  int32_t x0, int32_t x1, uint8_t* out0, uint8_t* out1) {
  auto put = [](const uint32_t* red, const uint32_t* green, const uint32_t* blue, uint8_t luma, uint8_t* out) {
    const uint32_t word = red[luma] + green[luma] + blue[luma];
    std::memcpy(out, &word, 4);
  };
  for (int32_t x = x0; x < x1; x += 2) {
    // Each channel's table moved to this chroma sample's index.
    const size_t c = size_t(x) / 2, o = 4 * size_t(x);
    const uint32_t* red = k.red + k.redIndex[v[c]];
    const uint32_t* green = k.green + k.greenIndexU[u[c]] + k.greenIndexV[v[c]];
    const uint32_t* blue = k.blue + k.blueIndex[u[c]];
    put(red, green, blue, y0[x], out0 + o);
    if constexpr (kTwo) put(red, green, blue, y1[x], out1 + o);
    if (x + 1 < x1) {
      put(red, green, blue, y0[x + 1], out0 + o + 4);
      if constexpr (kTwo) put(red, green, blue, y1[x + 1], out1 + o + 4);
    }
  }
}

// The 16-bit lanes' form of a chroma gain: c * x >> 16 is x * whole plus the
// upper half of x * fraction.
YuvCoefficients::Part Split(int64_t gain) { return {int16_t(gain >> 16), uint16_t(gain & 0xFFFF)}; }

}  // namespace

PixelForm BestPixelForm() { return g_best; }

YuvToArgb::YuvToArgb(bool fullRange) {
  // BT.601 in 16.16, scaled to the range as swscale scales it (its divisions
  // truncate; every step below is its own, so every byte is too).
  int64_t rv = 104597, bu = 132201, gu = -25675, gv = -53279, gain = 65536, black = 0;
  if (fullRange) {
    rv = rv * 224 / 255, bu = bu * 224 / 255, gu = gu * 224 / 255, gv = gv * 224 / 255;
  } else {
    gain = gain * 255 / 219;
    black = 16 << 16;
  }
  // The chroma gains in steps of the luma's.
  rv = (rv * 65536 + 0x8000) / gain, bu = (bu * 65536 + 0x8000) / gain;
  gu = (gu * 65536 + 0x8000) / gain, gv = (gv * 65536 + 0x8000) / gain;
  // A channel is the clipped (round + (Y + lumaBase + offset) * gain) >> 16:
  // swscale's luma table read at the luma moved by the chroma's offset.
  const int64_t lumaBase = fullRange ? 384 : 326, round = -(int64_t(384) << 16) - black + 0x8000;
  auto offset = [](int64_t g, int64_t c) { return (c * g >> 16) - (g >> 9); };
  // The scalar tables start at the smallest index a pixel reaches.
  int64_t low = lumaBase + std::min({offset(rv, 0), offset(rv, 255), offset(bu, 0), offset(bu, 255),
                                     offset(gu, 0) + offset(gv, 0), offset(gu, 0) + offset(gv, 255),
                                     offset(gu, 255) + offset(gv, 0), offset(gu, 255) + offset(gv, 255)});
  for (int64_t c = 0; c < 256; ++c) {
    k_.redIndex[c] = int32_t(lumaBase + offset(rv, c) - low);
    k_.blueIndex[c] = int32_t(lumaBase + offset(bu, c) - low);
    k_.greenIndexU[c] = int32_t(lumaBase + offset(gu, c) - low);
    k_.greenIndexV[c] = int32_t(offset(gv, c));
  }
  for (int64_t i = 0; i < YuvCoefficients::kSpan; ++i) {
    const uint32_t value = uint32_t(std::clamp<int64_t>((round + (i + low) * gain) >> 16, 0, 255));
    k_.red[i] = 0xFFu | value << 8;
    k_.green[i] = value << 16;
    k_.blue[i] = value << 24;
  }
  // BT.601's offsets span a few hundred: every index stays inside the tables.
  assert(low >= 0 && 255 + std::max({k_.redIndex[0], k_.redIndex[255], k_.blueIndex[0], k_.blueIndex[255],
                                     k_.greenIndexU[0] + k_.greenIndexV[0], k_.greenIndexU[255] + k_.greenIndexV[255],
                                     k_.greenIndexU[0] + k_.greenIndexV[255], k_.greenIndexU[255] + k_.greenIndexV[0]}) <
                               YuvCoefficients::kSpan);
  k_.gainFraction = int16_t(gain - 65536);
  k_.redV = Split(rv), k_.blueU = Split(bu), k_.greenU16 = Split(gu), k_.greenV16 = Split(gv);
  k_.redOffset = int16_t(lumaBase - (rv >> 9));
  k_.blueOffset = int16_t(lumaBase - (bu >> 9));
  k_.greenOffset = int16_t(lumaBase - (gu >> 9) - (gv >> 9));
  k_.roundHigh = int16_t(round >> 16);
  k_.roundLow = uint16_t(round & 0xFFFF);
  // The lanes hold the luma gain's fraction as a signed factor, and every
  // sum (offsets of a few hundred, channels before clipping) far from 16 bits.
  const bool gainFits = gain >= 65536 && gain - 65536 < 32768;
  const bool small = std::max({std::abs(rv), std::abs(bu), std::abs(gu), std::abs(gv)}) < (int64_t(1) << 20) &&
                     std::abs(round >> 16) < 4096;
  k_.simd = gainFits && small;
}

void YuvToArgb::Rows(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, int32_t width,
                     uint8_t* out0, uint8_t* out1, PixelForm form) {
  int32_t x = 0;
  if (form == PixelForm::Avx2 && k_.simd && g_best == PixelForm::Avx2) {
    const int32_t blocks = width / 32;
    if (blocks > 0) {
      terms_.resize(size_t(blocks) * 192);
      yuv_avx2::ChromaTerms(k_, u, v, blocks, terms_.data());
      yuv_avx2::LumaRow(k_, y0, terms_.data(), blocks, out0);
      if (y1) yuv_avx2::LumaRow(k_, y1, terms_.data(), blocks, out1);
      x = blocks * 32;
    }
  }
  if (y1) ScalarPixels<true>(k_, y0, y1, u, v, x, width, out0, out1);
  else ScalarPixels<false>(k_, y0, y1, u, v, x, width, out0, out1);
}

void YuvToArgb::Row(const uint8_t* y, const uint8_t* u, const uint8_t* v, int32_t width, uint8_t* out,
                    PixelForm form) {
  Rows(y, nullptr, u, v, width, out, nullptr, form);
}

void YuvToArgb::Picture(const uint8_t* y, int32_t lumaStride, const uint8_t* u, const uint8_t* v,
                        int32_t chromaStride, int32_t width, int32_t height, uint8_t* out, int32_t outStride,
                        PixelForm form) {
  for (int32_t r = 0; r < height; r += 2) {
    const size_t c = size_t(r / 2) * size_t(chromaStride);
    uint8_t* o = out + size_t(r) * size_t(outStride);
    const uint8_t* l = y + size_t(r) * size_t(lumaStride);
    const bool pair = r + 1 < height;
    Rows(l, pair ? l + lumaStride : nullptr, u + c, v + c, width, o, pair ? o + outStride : nullptr, form);
  }
}

}  // namespace media
