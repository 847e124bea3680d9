#pragma once
// Builds a picture at 1/r of its size from full-width rows handed over one
// at a time, top to bottom: each output pixel is the mean of its r x r box.
// Formats without a reduced decode of their own (PNG, BMP) read thumbnails
// through it and never hold the full-size picture. At r = 1 the rows are
// written straight into the result.
#include <cstdint>
#include <vector>

#include "img/Bitmap.h"

namespace img::detail {

class RowReducer {
 public:
  RowReducer(int32_t width, int32_t height, int32_t reduction, bool alpha);
  // False when the result could not be allocated.
  bool ok() const { return !pixels_.empty() && (!alpha_ || !plane_.empty()); }
  // Bytes the reducer holds besides its result.
  static uint64_t WorkBytes(int32_t width, int32_t reduction, bool alpha);

  // Where row y (0 = top) of the full picture goes: B, G, R bytes and, with
  // alpha, one byte a pixel. Call Done(y) once both are written.
  uint8_t* ColorRow(int32_t y);
  uint8_t* AlphaRow(int32_t y);
  void Done(int32_t y);

  Bitmap TakePixels() { return std::move(pixels_); }
  Plane TakeAlpha() { return std::move(plane_); }

 private:
  void Flush(int32_t out_y, int32_t rows);

  int32_t width_, height_, r_;
  bool alpha_;
  Bitmap pixels_;
  Plane plane_;
  std::vector<uint8_t> color_, alpha_row_;  // one full-width row (r > 1)
  std::vector<uint32_t> sums_;              // per output pixel: B, G, R[, A]
};

}  // namespace img::detail
