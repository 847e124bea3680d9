// Exact pixel permutations: quarter turns, mirrors and crops.
#include <algorithm>
#include <cstring>

#include "Parallel.h"
#include "img/Operations.h"

namespace img {

namespace {

template <int C>
inline void CopyPixel(uint8_t* d, const uint8_t* s) {
  if constexpr (C == 3) {
    d[0] = s[0], d[1] = s[1], d[2] = s[2];
  } else {
    d[0] = s[0];
  }
}

// dst(x', y') = src(sx, sy) for a quarter turn, in tiles so both sides stay
// in cache. Each destination row of a tile walks the source with a fixed
// step (down or up a column for the quarter turns, back along a row for the
// half turn).
template <int C, int D>
void Turn(const uint8_t* src, size_t sstride, int32_t sw, int32_t sh, uint8_t* dst, size_t dstride) {
  const int32_t dw = D == 180 ? sw : sh, dh = D == 180 ? sh : sw;
  constexpr int32_t kTile = 64;
  const int32_t tiles_y = (dh + kTile - 1) / kTile;
  const ptrdiff_t step = D == 90 ? ptrdiff_t(sstride) : D == 270 ? -ptrdiff_t(sstride) : -C;
  detail::ParallelFor(tiles_y, uint64_t(dw) * kTile * C, [&](int32_t t0, int32_t t1) {
    for (int32_t ty = t0 * kTile; ty < std::min(dh, t1 * kTile); ty += kTile) {
      for (int32_t tx = 0; tx < dw; tx += kTile) {
        const int32_t ye = std::min(dh, ty + kTile), xe = std::min(dw, tx + kTile);
        for (int32_t y = ty; y < ye; ++y) {
          // The source pixel of (tx, y).
          int32_t sx, sy;
          if constexpr (D == 90) {
            sx = sw - 1 - y, sy = tx;
          } else if constexpr (D == 270) {
            sx = y, sy = sh - 1 - tx;
          } else {
            sx = sw - 1 - tx, sy = sh - 1 - y;
          }
          const uint8_t* s = src + size_t(sy) * sstride + size_t(sx) * C;
          uint8_t* d = dst + size_t(y) * dstride + size_t(tx) * C;
          for (int32_t x = tx; x < xe; ++x, d += C, s += step) CopyPixel<C>(d, s);
        }
      }
    }
  });
}

template <int C>
void Turn(const uint8_t* src, size_t sstride, int32_t sw, int32_t sh, uint8_t* dst, size_t dstride,
          int32_t degrees) {
  if (degrees == 90) {
    Turn<C, 90>(src, sstride, sw, sh, dst, dstride);
  } else if (degrees == 270) {
    Turn<C, 270>(src, sstride, sw, sh, dst, dstride);
  } else {
    Turn<C, 180>(src, sstride, sw, sh, dst, dstride);
  }
}

int32_t NormalDegrees(int32_t degrees) {
  if (degrees % 90 != 0) return -1;
  int32_t d = degrees % 360;
  return d < 0 ? d + 360 : d;
}

template <typename Img, int C>
Img RotateAny(const Img& src, int32_t degrees) {
  int32_t d = NormalDegrees(degrees);
  if (src.empty() || d < 0) return Img();
  if (d == 0) return src;
  bool swap = d != 180;
  Img out = Img::Create(swap ? src.height() : src.width(), swap ? src.width() : src.height());
  if (out.empty()) return out;
  Turn<C>(src.data(), src.stride(), src.width(), src.height(), out.mutable_data(), out.stride(), d);
  return out;
}

template <typename Img, int C>
Img FlipAny(const Img& src, FlipAxis axis) {
  if (src.empty()) return Img();
  Img out = Img::Create(src.width(), src.height());
  if (out.empty()) return out;
  const int32_t w = src.width(), h = src.height();
  uint8_t* base = out.mutable_data();
  detail::ParallelFor(h, uint64_t(w) * C, [&](int32_t y0, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y) {
      if (axis == FlipAxis::kTopBottom) {
        std::memcpy(base + size_t(y) * out.stride(), src.row(h - 1 - y), src.stride());
        continue;
      }
      const uint8_t* s = src.row(y);
      uint8_t* d = base + size_t(y) * out.stride();
      for (int32_t x = 0; x < w; ++x) CopyPixel<C>(d + size_t(x) * C, s + size_t(w - 1 - x) * C);
    }
  });
  return out;
}

template <typename Img, int C>
Img CropAny(const Img& src, int32_t l, int32_t t, int32_t r, int32_t b) {
  if (src.empty()) return Img();
  l = std::max(l, 0), t = std::max(t, 0);
  r = std::min(r, src.width()), b = std::min(b, src.height());
  if (r <= l || b <= t) return Img();
  if (l == 0 && t == 0 && r == src.width() && b == src.height()) return src;
  Img out = Img::Create(r - l, b - t);
  if (out.empty()) return out;
  uint8_t* base = out.mutable_data();
  for (int32_t y = t; y < b; ++y) {
    std::memcpy(base + size_t(y - t) * out.stride(), src.row(y) + size_t(l) * C, out.stride());
  }
  return out;
}

}  // namespace

Bitmap Rotate(const Bitmap& src, int32_t degrees) { return RotateAny<Bitmap, 3>(src, degrees); }
Plane Rotate(const Plane& src, int32_t degrees) { return RotateAny<Plane, 1>(src, degrees); }
Bitmap Flip(const Bitmap& src, FlipAxis axis) { return FlipAny<Bitmap, 3>(src, axis); }
Plane Flip(const Plane& src, FlipAxis axis) { return FlipAny<Plane, 1>(src, axis); }
Bitmap Crop(const Bitmap& src, int32_t l, int32_t t, int32_t r, int32_t b) {
  return CropAny<Bitmap, 3>(src, l, t, r, b);
}
Plane Crop(const Plane& src, int32_t l, int32_t t, int32_t r, int32_t b) {
  return CropAny<Plane, 1>(src, l, t, r, b);
}

FitSize FitInto(int32_t w, int32_t h, int32_t bw, int32_t bh) {
  if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) return {0, 0};
  // Compare bw / w with bh / h without rounding.
  if (int64_t(bw) * h <= int64_t(bh) * w) {
    return {bw, std::max<int32_t>(1, int32_t(int64_t(h) * bw / w))};
  }
  return {std::max<int32_t>(1, int32_t(int64_t(w) * bh / h)), bh};
}

}  // namespace img
