#include "PageFrames.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "ColorConvert.h"

namespace {

// Text: rows of word-like dark strokes on the paper, glyph cells 1/80 of the
// page wide.
bool Ink(int x, int y, int width, int height) {
  const int cell = std::max(width / 80, 4);
  const int line = cell * 2;
  const int top = height / 10;
  if (y < top || y > height - top || x < width / 12 || x > width - width / 12) return false;
  const int row = (y - top) / line;
  const int inRow = (y - top) % line;
  if (inRow >= cell) return false;  // gap between text lines
  const int glyph = x / cell;
  const int inGlyph = x % cell;
  if ((glyph * 7 + row * 13) % 9 == 0) return false;  // space between words
  const unsigned h = static_cast<unsigned>(glyph * 2654435761u + row * 40503u);
  // A stroke or two per glyph.
  return inGlyph == static_cast<int>(h % cell) || (inRow == static_cast<int>((h >> 8) % cell) && inGlyph < cell - 1);
}

}  // namespace

PageFrame RenderPage(int width, int height, int dx, int dy, float sigma, std::mt19937& rng) {
  PageFrame fr;
  fr.width = width;
  fr.height = height;
  fr.rowBytes = 4 * width;
  fr.argb.resize(static_cast<size_t>(fr.rowBytes) * height);
  std::normal_distribution<float> noise(0.0f, sigma > 0 ? sigma : 1.0f);
  for (int y = 0; y < height; ++y) {
    uint8_t* p = fr.argb.data() + static_cast<size_t>(y) * fr.rowBytes;
    for (int x = 0; x < width; ++x, p += 4) {
      // Paper lit from one side, darker toward the far corner.
      float v = 70.0f + 110.0f * (1.0f - 0.6f * x / width - 0.3f * y / height);
      if (Ink(x + dx, y + dy, width, height)) v = 35.0f;
      const float n = sigma > 0 ? noise(rng) : 0.0f;
      auto px = [&](float base) {
        const long c = std::lround(base + n);
        return static_cast<uint8_t>(c < 0 ? 0 : (c > 255 ? 255 : c));
      };
      p[0] = 0xFF;
      p[1] = px(v + 4.0f);
      p[2] = px(v);
      p[3] = px(v - 10.0f);
    }
  }
  return fr;
}

std::vector<PageFrame> MakePageFrames(int width, int height, int count) {
  std::vector<PageFrame> frames;
  std::mt19937 rng(12345);
  for (int f = 0; f < count; ++f) {
    const int dx = f % 3, dy = (f / 3) % 2;  // the camera drifts a pixel or two
    frames.push_back(RenderPage(width, height, dx, dy, 4.0f, rng));
  }
  return frames;
}

uint64_t HashBytes(const uint8_t* bytes, size_t count, uint64_t hash) {
  for (size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

bool WriteRawFrames(const std::vector<PageFrame>& frames, const std::string& dir,
                    std::string* error) {
  if (frames.empty()) return true;
  const int w = frames[0].width, h = frames[0].height;
  const std::string base = dir + "/page_" + std::to_string(w) + "x" + std::to_string(h);
  FILE* argb = std::fopen((base + ".argb").c_str(), "wb");
  FILE* yuv = std::fopen((base + ".yuv422p").c_str(), "wb");
  bool ok = argb && yuv;
  const int pitch = (2 * w + 3) & ~3;
  std::vector<uint8_t> yuy2(static_cast<size_t>(pitch) * h);
  std::vector<uint8_t> planes(static_cast<size_t>(w) * h * 2);
  for (const PageFrame& f : frames) {
    if (!ok) break;
    ok = std::fwrite(f.argb.data(), 1, f.argb.size(), argb) == f.argb.size();
    RGB32ToYUY2(yuy2.data(), pitch, f.argb.data(), f.rowBytes, w, h);
    uint8_t* yp = planes.data();
    uint8_t* up = yp + static_cast<size_t>(w) * h;
    uint8_t* vp = up + static_cast<size_t>(w / 2) * h;
    for (int r = 0; r < h; ++r) {
      const uint8_t* s = yuy2.data() + static_cast<size_t>(r) * pitch;
      for (int x = 0; x < w / 2; ++x) {
        yp[r * w + 2 * x] = s[4 * x];
        yp[r * w + 2 * x + 1] = s[4 * x + 2];
        up[r * (w / 2) + x] = s[4 * x + 1];
        vp[r * (w / 2) + x] = s[4 * x + 3];
      }
    }
    ok = ok && std::fwrite(planes.data(), 1, planes.size(), yuv) == planes.size();
  }
  if (argb && std::fclose(argb) != 0) ok = false;
  if (yuv && std::fclose(yuv) != 0) ok = false;
  if (!ok && error) *error = "cannot write " + base + ".argb / .yuv422p";
  return ok;
}
