// Level tables: brightness and contrast (one formula for photo and movie
// edits) and auto-levels; applying a table to B, G and R.
#include <algorithm>
#include <bit>
#include <cstring>
#include <cmath>
#include <mutex>
#include <vector>

#include "Parallel.h"
#include "img/Operations.h"

namespace img {

std::array<uint8_t, 256> BrightnessContrastTable(int32_t b, int32_t c) {
  std::array<uint8_t, 256> t{};
  const int32_t hi = 255 - c, range = hi - c, half = range / 2;
  for (int32_t i = 0; i < 256; ++i) {
    int32_t v = b + i, l;
    if (v < c) {
      l = 0;
    } else if (v > hi || range <= 0) {
      l = 255;
    } else {
      l = ((v - c) * 255 + half) / range;
    }
    t[size_t(i)] = uint8_t(std::clamp(l, 0, 255));
  }
  return t;
}

void ApplyTable(Bitmap& pixels, const std::array<uint8_t, 256>& t) {
  if (pixels.empty()) return;
  // Shared pixels are read where they are and written to a new picture,
  // rather than copied first and then rewritten.
  Bitmap out;
  if (pixels.IsShared()) out = Bitmap::Create(pixels.width(), pixels.height());
  const uint8_t* src = pixels.data();
  uint8_t* dst = out.empty() ? pixels.mutable_data() : out.mutable_data();
  if (out.empty()) src = dst;  // in place (or copy on write when memory is short)
  const size_t stride = pixels.stride();
  detail::ParallelFor(pixels.height(), stride, [&](int32_t y0, int32_t y1) {
    TableBytes(src + size_t(y0) * stride, dst + size_t(y0) * stride, size_t(y1 - y0) * stride, t.data());
  });
  if (!out.empty()) pixels = std::move(out);
}

void ApplyBrightnessContrast(Bitmap& pixels, int32_t b, int32_t c) {
  if (b == 0 && c == 0) return;
  ApplyTable(pixels, BrightnessContrastTable(b, c));
}

void ApplyBrightnessContrastArgb(uint8_t* argb, int32_t width, int32_t height, size_t row_bytes,
                                 int32_t b, int32_t c, int32_t channels) {
  if (!argb || width <= 0 || height <= 0 || row_bytes < size_t(width) * 4) return;
  if (b == 0 && c == 0) return;
  std::array<uint8_t, 256> id{}, lv = BrightnessContrastTable(b, c);
  for (int i = 0; i < 256; ++i) id[size_t(i)] = uint8_t(i);
  const auto& tr = (channels == 1 || channels == 2) ? lv : id;
  const auto& tg = (channels == 1 || channels == 3) ? lv : id;
  const auto& tb = (channels == 1 || (channels != 2 && channels != 3)) ? lv : id;
  detail::ParallelFor(height, uint64_t(width) * 4, [&](int32_t y0, int32_t y1) {
    // Tables in locals and a whole pixel per load and store: a write
    // through the pixel pointer may alias anything, which would otherwise
    // reload the tables' addresses for every byte.
    static_assert(std::endian::native == std::endian::little);
    std::array<uint8_t, 256> r = tr, g = tg, bl = tb;
    for (int32_t y = y0; y < y1; ++y) {
      uint8_t* p = argb + size_t(y) * row_bytes;
      for (int32_t x = 0; x < width; ++x, p += 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);  // A, R, G, B bytes in memory order
        v = (v & 0xFFu) | uint32_t(r[(v >> 8) & 0xFF]) << 8 | uint32_t(g[(v >> 16) & 0xFF]) << 16 |
            uint32_t(bl[v >> 24]) << 24;
        std::memcpy(p, &v, 4);
      }
    }
  });
}

std::array<uint8_t, 256> AutoLevelsTable(const Bitmap& src, double cutoff) {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(i);
  if (src.empty()) return t;
  // Per-thread histograms merged afterwards.
  const int32_t h = src.height(), w = src.width();
  std::vector<std::array<uint64_t, 256>> parts;
  std::mutex lock;
  detail::ParallelFor(h, uint64_t(w) * 3, [&](int32_t y0, int32_t y1) {
    std::array<uint64_t, 256> hist{};
    for (int32_t y = y0; y < y1; ++y) {
      const uint8_t* p = src.row(y);
      for (int32_t x = 0; x < w; ++x, p += 3) {
        // ITU-R 601-2 luma, rounded: (R*299 + G*587 + B*114 + 500) / 1000;
        // for sums up to 255500, (x * 67109) >> 26 is that division.
        uint64_t sum = p[2] * 299u + p[1] * 587u + p[0] * 114u + 500u;
        hist[(sum * 67109u) >> 26]++;
      }
    }
    std::lock_guard<std::mutex> g(lock);
    parts.push_back(hist);
  });
  std::array<int64_t, 256> hist{};
  for (const auto& part : parts)
    for (int i = 0; i < 256; ++i) hist[size_t(i)] += int64_t(part[size_t(i)]);
  int64_t total = int64_t(w) * h;
  int64_t cut = int64_t(std::floor(double(total) * cutoff / 100.0));
  for (int lo = 0; lo < 256 && cut > 0; ++lo) {
    int64_t take = std::min(cut, hist[size_t(lo)]);
    hist[size_t(lo)] -= take;
    cut -= take;
  }
  cut = int64_t(std::floor(double(total) * cutoff / 100.0));
  for (int hi = 255; hi >= 0 && cut > 0; --hi) {
    int64_t take = std::min(cut, hist[size_t(hi)]);
    hist[size_t(hi)] -= take;
    cut -= take;
  }
  int lo = 0, hi = 255;
  while (lo < 256 && hist[size_t(lo)] == 0) ++lo;
  while (hi >= 0 && hist[size_t(hi)] == 0) --hi;
  if (lo >= 256 || hi <= lo) return t;
  double scale = 255.0 / (hi - lo), offset = -lo * scale;
  for (int i = 0; i < 256; ++i) {
    // Truncation toward zero, then clamped: the map of the usual auto-contrast tools.
    int v = int(i * scale + offset);
    t[size_t(i)] = uint8_t(std::clamp(v, 0, 255));
  }
  return t;
}

void AutoLevels(Bitmap& pixels, double cutoff) {
  if (pixels.empty()) return;
  ApplyTable(pixels, AutoLevelsTable(pixels, cutoff));
}

}  // namespace img
