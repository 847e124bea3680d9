// The image pass on every layout it takes: above the finest level all of them
// share one gain per 2 x 2 block, so each must give what YUY2 gives.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "DynamicLight.h"

namespace {

struct Yuv422 {
  int w, h;
  std::vector<uint8_t> y, u, v;  // u, v: w / 2 a row, full height
  Yuv422(int w_, int h_) : w(w_), h(h_), y(w_ * h_), u(w_ / 2 * h_), v(w_ / 2 * h_) {}
};

Yuv422 Picture(int w, int h, unsigned seed) {
  Yuv422 p(w, h);
  std::mt19937 rng(seed);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) {
      int l = 25 + (x * 70) / w + (r * 20) / h + static_cast<int>(rng() % 10);
      if ((x / 9 + r / 4) % 7 == 0) l = 15;
      if (x > w / 2 && r < h / 4) l = 210;
      p.y[r * w + x] = static_cast<uint8_t>(l);
    }
  for (auto& c : p.u) c = static_cast<uint8_t>(90 + rng() % 80);
  for (auto& c : p.v) c = static_cast<uint8_t>(90 + rng() % 80);
  return p;
}

struct Engine {
  AdlEngine* handle = nullptr;
  Engine(int w, int h) { EXPECT_EQ(ADL_InitDynamiclight(nullptr, &handle, w, h, ADL_FMT_YUY2), ADL_OK); }
  ~Engine() { ADL_UninitDynamiclight(nullptr, &handle); }
};

// Packs a picture into a format, runs the image pass and unpacks the result.
// Plane formats at 4:2:0 keep the chroma of even rows.
Yuv422 RunPass(const Yuv422& p, int format, int32_t* result) {
  const int w = p.w, h = p.h, cw = w / 2;
  std::vector<uint8_t> a, b, c;
  AdlFrameDesc d;
  d.width = w;
  d.height = h;
  d.format = format;
  auto at = [&](int r, int x) { return r * cw + x; };
  switch (format) {
    case ADL_FMT_YUY2: case ADL_FMT_UYVY: case ADL_FMT_YYUV: case ADL_FMT_Y8U4V4:
      d.pitch[0] = 2 * w + 6;
      a.assign(static_cast<size_t>(d.pitch[0]) * h, 0);
      for (int r = 0; r < h; ++r)
        for (int j = 0; j < cw; ++j) {
          uint8_t* g = &a[r * d.pitch[0]];
          const uint8_t y0 = p.y[r * w + 2 * j], y1 = p.y[r * w + 2 * j + 1], uu = p.u[at(r, j)], vv = p.v[at(r, j)];
          if (format == ADL_FMT_YUY2) { g[4 * j] = y0; g[4 * j + 1] = uu; g[4 * j + 2] = y1; g[4 * j + 3] = vv; }
          if (format == ADL_FMT_UYVY) { g[4 * j] = uu; g[4 * j + 1] = y0; g[4 * j + 2] = vv; g[4 * j + 3] = y1; }
          if (format == ADL_FMT_YYUV) { g[4 * j] = y0; g[4 * j + 1] = y1; g[4 * j + 2] = uu; g[4 * j + 3] = vv; }
          if (format == ADL_FMT_Y8U4V4) {
            const int q = j / 4, k = j % 4;
            g[16 * q + 2 * k] = y0; g[16 * q + 2 * k + 1] = y1; g[16 * q + 8 + k] = uu; g[16 * q + 12 + k] = vv;
          }
        }
      d.pixels = a.data();
      break;
    default: {
      const bool half = format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV420PLANAR;
      const int crows = half ? h / 2 : h;
      d.pitch[0] = w + 3;
      a.assign(static_cast<size_t>(d.pitch[0]) * h, 0);
      for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) a[r * d.pitch[0] + x] = p.y[r * w + x];
      d.plane[0] = a.data();
      if (format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV422LP) {
        d.pitch[1] = w + 1;
        b.assign(static_cast<size_t>(d.pitch[1]) * crows, 0);
        for (int r = 0; r < crows; ++r)
          for (int j = 0; j < cw; ++j) {
            const int sr = half ? 2 * r : r;
            b[r * d.pitch[1] + 2 * j] = p.u[at(sr, j)];
            b[r * d.pitch[1] + 2 * j + 1] = p.v[at(sr, j)];
          }
        d.plane[1] = b.data();
      } else {
        d.pitch[1] = cw + 2;
        d.pitch[2] = cw + 5;
        b.assign(static_cast<size_t>(d.pitch[1]) * crows, 0);
        c.assign(static_cast<size_t>(d.pitch[2]) * crows, 0);
        for (int r = 0; r < crows; ++r)
          for (int j = 0; j < cw; ++j) {
            const int sr = half ? 2 * r : r;
            b[r * d.pitch[1] + j] = p.u[at(sr, j)];
            c[r * d.pitch[2] + j] = p.v[at(sr, j)];
          }
        d.plane[1] = b.data();
        d.plane[2] = c.data();
      }
    }
  }
  Engine e(w, h);
  *result = ADL_ImageDynamiclight(nullptr, &d, e.handle, nullptr);

  Yuv422 out(w, h);
  for (int r = 0; r < h; ++r)
    for (int j = 0; j < cw; ++j) {
      uint8_t y0, y1, uu, vv;
      switch (format) {
        case ADL_FMT_YUY2: case ADL_FMT_UYVY: case ADL_FMT_YYUV: case ADL_FMT_Y8U4V4: {
          const uint8_t* g = &a[r * d.pitch[0]];
          if (format == ADL_FMT_YUY2) { y0 = g[4 * j]; uu = g[4 * j + 1]; y1 = g[4 * j + 2]; vv = g[4 * j + 3]; }
          else if (format == ADL_FMT_UYVY) { uu = g[4 * j]; y0 = g[4 * j + 1]; vv = g[4 * j + 2]; y1 = g[4 * j + 3]; }
          else if (format == ADL_FMT_YYUV) { y0 = g[4 * j]; y1 = g[4 * j + 1]; uu = g[4 * j + 2]; vv = g[4 * j + 3]; }
          else { const int q = j / 4, k = j % 4; y0 = g[16 * q + 2 * k]; y1 = g[16 * q + 2 * k + 1]; uu = g[16 * q + 8 + k]; vv = g[16 * q + 12 + k]; }
          break;
        }
        default: {
          const bool half = format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV420PLANAR;
          const int cr = half ? r / 2 : r;
          y0 = a[r * d.pitch[0] + 2 * j];
          y1 = a[r * d.pitch[0] + 2 * j + 1];
          if (format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV422LP) {
            uu = b[cr * d.pitch[1] + 2 * j];
            vv = b[cr * d.pitch[1] + 2 * j + 1];
          } else {
            uu = b[cr * d.pitch[1] + j];
            vv = c[cr * d.pitch[2] + j];
          }
        }
      }
      out.y[r * w + 2 * j] = y0;
      out.y[r * w + 2 * j + 1] = y1;
      out.u[at(r, j)] = uu;
      out.v[at(r, j)] = vv;
    }
  return out;
}

TEST(AdlFormats, BlockLayoutsMatchYuy2AboveTheFinestLevel) {
  struct Size { int w, h; };
  for (const Size s : {Size{1920, 1080}, Size{2600, 1946}}) {
    const Yuv422 p = Picture(s.w, s.h, 41);
    int32_t result = -1;
    const Yuv422 ref = RunPass(p, ADL_FMT_YUY2, &result);
    ASSERT_EQ(result, ADL_OK);
    ASSERT_NE(ref.y, p.y);
    for (int format : {ADL_FMT_UYVY, ADL_FMT_YYUV, ADL_FMT_Y8U4V4, ADL_FMT_YUV420LP, ADL_FMT_YUV422LP,
                       ADL_FMT_YUV420PLANAR, ADL_FMT_YUV422PLANAR}) {
      const Yuv422 out = RunPass(p, format, &result);
      ASSERT_EQ(result, ADL_OK) << format;
      EXPECT_EQ(out.y, ref.y) << "format " << format << " at " << s.w;
      const bool half = format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV420PLANAR;
      for (int r = 0; r < s.h; r += half ? 2 : 1)
        for (int j = 0; j < s.w / 2; ++j) {
          ASSERT_EQ(out.u[r * s.w / 2 + j], ref.u[r * s.w / 2 + j]) << format << " " << r << " " << j;
          ASSERT_EQ(out.v[r * s.w / 2 + j], ref.v[r * s.w / 2 + j]) << format << " " << r << " " << j;
        }
    }
  }
}

TEST(AdlFormats, FinestLevelBrightensEveryLayout) {
  const Yuv422 p = Picture(320, 240, 43);
  long before = 0;
  for (uint8_t y : p.y) before += y;
  for (int format : {ADL_FMT_YYUV, ADL_FMT_Y8U4V4, ADL_FMT_YUV420LP, ADL_FMT_YUV422LP,
                     ADL_FMT_YUV420PLANAR, ADL_FMT_YUV422PLANAR}) {
    int32_t result = -1;
    const Yuv422 out = RunPass(p, format, &result);
    ASSERT_EQ(result, ADL_OK) << format;
    long after = 0;
    for (uint8_t y : out.y) after += y;
    EXPECT_GT(after, before + before / 10) << format;
  }
}

TEST(AdlFormats, Bgr24) {
  const int w = 200, h = 150, pitch = 3 * w + 4;
  std::vector<uint8_t> src(static_cast<size_t>(pitch) * h);
  std::mt19937 rng(47);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < 3 * w; ++x) src[r * pitch + x] = static_cast<uint8_t>(20 + (x / 3) * 40 / w + rng() % 20);
  std::vector<uint8_t> dst(src.size(), 0), inPlace = src;
  AdlFrameDesc s, d, p;
  s.width = d.width = p.width = w;
  s.height = d.height = p.height = h;
  s.format = d.format = p.format = ADL_FMT_BGR24;
  s.pitch[0] = d.pitch[0] = p.pitch[0] = pitch;
  s.pixels = src.data();
  d.pixels = dst.data();
  p.pixels = inPlace.data();
  Engine e(w, h);
  ASSERT_EQ(ADL_ImageDynamiclight(nullptr, &s, e.handle, &d), ADL_OK);
  ASSERT_EQ(ADL_ImageDynamiclight(nullptr, &p, e.handle, nullptr), ADL_OK);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < 3 * w; ++x) ASSERT_EQ(dst[r * pitch + x], inPlace[r * pitch + x]);
  long a = 0, b = 0;
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < 3 * w; ++x) {
      a += src[r * pitch + x];
      b += dst[r * pitch + x];
    }
  EXPECT_GT(b, a + a / 10);
}

TEST(AdlFormats, RefusesWhatItCannotRun) {
  std::vector<uint8_t> buf(64 * 48 * 4);
  Engine e(64, 48);
  struct Case { int format, w, h, pitch; bool planes; };
  for (const Case c : {Case{ADL_FMT_BGR_RAW, 64, 48, 512, false}, Case{ADL_FMT_GAIN_MAP, 64, 48, 256, false},
                       Case{ADL_FMT_Y8U4V4, 60, 48, 128, false}, Case{ADL_FMT_YUV420PLANAR, 64, 48, 64, false},
                       Case{ADL_FMT_YUV422LP, 64, 47, 64, true}, Case{ADL_FMT_YYUV, 64, 48, 100, false}}) {
    AdlFrameDesc d;
    d.width = c.w;
    d.height = c.h;
    d.format = c.format;
    d.pitch[0] = d.pitch[1] = d.pitch[2] = c.pitch;
    d.pixels = buf.data();
    if (c.planes) d.plane[0] = d.plane[1] = d.plane[2] = buf.data();
    EXPECT_EQ(ADL_ImageDynamiclight(nullptr, &d, e.handle, nullptr), ADL_ERR_ARGUMENT) << c.format;
  }
  // A parameter 0 of 0 copies the picture into a separate destination.
  std::vector<uint8_t> src(64 * 2 * 48, 90), dst(src.size(), 0);
  for (size_t i = 0; i < src.size(); i += 7) src[i] = 30;
  int32_t params[ADL_PARAM_COUNT];
  ADL_GetVideoDefaultParam(params);
  params[0] = 0;
  params[ADL_PARAM_STRETCH] = 0;
  AdlFrameDesc s;
  s.width = 64;
  s.height = 48;
  s.format = ADL_FMT_YUY2;
  s.pitch[0] = 128;
  s.pixels = src.data();
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &s, nullptr, params), ADL_NOT_APPLIED);
  AdlFrameDesc d = s;
  d.pixels = dst.data();
  EXPECT_EQ(ADL_ImageDynamiclight(nullptr, &s, e.handle, &d), ADL_NOT_APPLIED);
  EXPECT_EQ(dst, src);
}

}  // namespace
