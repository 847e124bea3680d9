#pragma once
// Planar 8-bit YUV whose chroma is halved across (4:2:0 and 4:2:2) to A, R,
// G, B bytes, bit for bit as swscale's unscaled C conversion makes them at
// even widths and heights (BT.601, video or full range): each channel is the
// luma plus that channel's chroma term, scaled, rounded once and clipped, one
// chroma row serving two luma rows. That conversion reads only the even
// chroma rows of 4:2:2 too, and so does this one: the camera's pictures stay
// what they were with swscale doing the work.
#include <cstdint>
#include <vector>

namespace media {

// Which form of the row kernels runs; both give the same bytes.
enum class PixelForm { Scalar = 0, Avx2 = 1 };
// AVX2 when the processor has it.
PixelForm BestPixelForm();

// The constants of one conversion, in the forms the kernels use them.
struct YuvCoefficients {
  // Scalar: a channel is its table read at the luma plus the chroma's index
  // (red: redIndex[V], blue: blueIndex[U], green: greenIndexU[U] +
  // greenIndexV[V]); the tables hold their bytes in place in the pixel's
  // little-endian word (red's with the alpha), so the three add up to it.
  static constexpr int kSpan = 1024;
  int32_t redIndex[256], blueIndex[256], greenIndexU[256], greenIndexV[256];
  uint32_t red[kSpan], green[kSpan], blue[kSpan];
  // AVX2, in 16-bit lanes: the luma gain is 65536 + gainFraction. A chroma
  // sample's channel offset is C * whole + (C * fraction >> 16) + offset
  // summed over its chroma samples C (U, V).
  int16_t gainFraction = 0;
  struct Part {
    int16_t whole = 0;
    uint16_t fraction = 0;
  };
  Part redV, blueU, greenU16, greenV16;
  int16_t redOffset = 0, blueOffset = 0, greenOffset = 0;
  // The rounding constant of the sum: its upper 16 bits and its lower ones.
  int16_t roundHigh = 0;
  uint16_t roundLow = 0;
  bool simd = false;  // the constants fit the 16-bit lanes
};

class YuvToArgb {
 public:
  explicit YuvToArgb(bool fullRange);

  // One row of `width` pixels (any width): luma y, chroma u and v holding
  // (width + 1) / 2 samples each.
  void Row(const uint8_t* y, const uint8_t* u, const uint8_t* v, int32_t width, uint8_t* out, PixelForm form);
  // A picture: luma rows lumaStride apart; luma rows 2k and 2k + 1 take
  // chroma row k, chromaStride apart (twice the plane's stride reads the even
  // rows of 4:2:2).
  void Picture(const uint8_t* y, int32_t lumaStride, const uint8_t* u, const uint8_t* v, int32_t chromaStride,
               int32_t width, int32_t height, uint8_t* out, int32_t outStride, PixelForm form);

  const YuvCoefficients& Coefficients() const { return k_; }

 private:
  void Rows(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, int32_t width, uint8_t* out0,
            uint8_t* out1, PixelForm form);

  YuvCoefficients k_;
  std::vector<int16_t> terms_;  // one chroma row's terms, AVX2
};

namespace yuv_avx2 {
// 32 pixels a block. The chroma terms of `blocks` blocks (16 chroma samples
// each) into terms (192 values a block), then luma rows through them.
void ChromaTerms(const YuvCoefficients& k, const uint8_t* u, const uint8_t* v, int32_t blocks, int16_t* terms);
void LumaRow(const YuvCoefficients& k, const uint8_t* y, const int16_t* terms, int32_t blocks, uint8_t* out);
}  // namespace yuv_avx2

}  // namespace media
