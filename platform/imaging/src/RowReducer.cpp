#include "RowReducer.h"

#include "DecodeBudget.h"

namespace img::detail {

RowReducer::RowReducer(int32_t width, int32_t height, int32_t reduction, bool alpha)
    : width_(width), height_(height), r_(reduction < 1 ? 1 : reduction), alpha_(alpha) {
  const int32_t ow = ReducedSide(width, r_), oh = ReducedSide(height, r_);
  pixels_ = Bitmap::Create(ow, oh);
  if (alpha_) plane_ = Plane::Create(ow, oh);
  if (r_ > 1) {
    color_.resize(size_t(width) * 3);
    if (alpha_) alpha_row_.resize(size_t(width));
    sums_.assign(size_t(ow) * (alpha_ ? 4 : 3), 0);
  }
}

uint64_t RowReducer::WorkBytes(int32_t width, int32_t reduction, bool alpha) {
  if (reduction <= 1) return 0;
  const uint64_t w = uint64_t(width), ow = uint64_t(ReducedSide(width, reduction));
  return w * (alpha ? 4 : 3) + ow * (alpha ? 4 : 3) * sizeof(uint32_t);
}

uint8_t* RowReducer::ColorRow(int32_t y) {
  return r_ == 1 ? pixels_.mutable_row(y) : color_.data();
}

uint8_t* RowReducer::AlphaRow(int32_t y) {
  if (!alpha_) return nullptr;
  return r_ == 1 ? plane_.mutable_row(y) : alpha_row_.data();
}

void RowReducer::Done(int32_t y) {
  if (r_ == 1) return;
  const int32_t ch = alpha_ ? 4 : 3;
  for (int32_t x = 0; x < width_; ++x) {
    uint32_t* s = sums_.data() + size_t(x / r_) * size_t(ch);
    const uint8_t* c = color_.data() + size_t(x) * 3;
    s[0] += c[0], s[1] += c[1], s[2] += c[2];
    if (alpha_) s[3] += alpha_row_[size_t(x)];
  }
  const bool last = y == height_ - 1;
  if ((y + 1) % r_ == 0 || last) Flush(y / r_, y % r_ + 1);
}

void RowReducer::Flush(int32_t out_y, int32_t rows) {
  const int32_t ch = alpha_ ? 4 : 3;
  const int32_t ow = pixels_.width();
  uint8_t* d = pixels_.mutable_row(out_y);
  uint8_t* a = alpha_ ? plane_.mutable_row(out_y) : nullptr;
  for (int32_t x = 0; x < ow; ++x) {
    const int32_t cols = x == ow - 1 ? width_ - x * r_ : r_;
    const uint32_t n = uint32_t(cols * rows);
    uint32_t* s = sums_.data() + size_t(x) * size_t(ch);
    for (int32_t c = 0; c < 3; ++c) d[3 * x + c] = uint8_t((s[c] + n / 2) / n);
    if (a) a[x] = uint8_t((s[3] + n / 2) / n);
    for (int32_t c = 0; c < ch; ++c) s[c] = 0;
  }
}

}  // namespace img::detail
