// The live picture's way to the screen: the preview picture the engine
// takes each newest frame into, and the view's surface made from it.
#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "CaptureManage.h"
#include "KernelForm.h"
#include "PreviewPictures.h"
#include "PreviewSurface.h"
#include "media/ClockStamp.h"
#include "os/Offscreen.h"

namespace {

// The byte k (0 A, 1 R, 2 G, 3 B) of the picture sampled bilinearly at the
// view pixel (u, v), as cairo's filter maps a picture enlarged `zoom` times
// about its centre into a w x h view, clamped to the edge pixels.
double Expected(const plat::Offscreen& p, int w, int h, double zoom, int u, int v, int k) {
  auto at = [](int i, int count, int source, double zoom) {
    const double x = (i + 0.5 + (zoom - 1) * 0.5 * count) * source / (count * zoom) - 0.5;
    return std::clamp(x, 0.0, double(source - 1));
  };
  const double x = at(u, w, p.width, zoom), y = at(v, h, p.height, zoom);
  const int x0 = int(x), y0 = int(y), x1 = std::min(x0 + 1, p.width - 1), y1 = std::min(y0 + 1, p.height - 1);
  const double fx = x - x0, fy = y - y0;
  auto px = [&](int xx, int yy) { return double(p.pixels[size_t(yy) * size_t(p.rowBytes) + 4 * size_t(xx) + k]); };
  const double top = px(x0, y0) * (1 - fx) + px(x1, y0) * fx, bottom = px(x0, y1) * (1 - fx) + px(x1, y1) * fx;
  return top * (1 - fy) + bottom * fy;
}

// A w x h ARGB picture of random bytes (null if none could be made).
plat::Offscreen* RandomPicture(int w, int h, std::mt19937& random) {
  plat::Offscreen* picture = plat::NewOffscreen(w, h, plat::kOffscreenARGB32);
  if (!picture) return nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 4 * w; ++x) picture->pixels[size_t(y) * size_t(picture->rowBytes) + size_t(x)] = uint8_t(random());
  return picture;
}

// Sizes and zooms that take each way through: the same size (the bytes
// reordered only), half the size, other reductions and enlargements, odd
// widths (the rows' tails), and zooms. The surface's word is cairo's
// X R G B; each byte within rounding of the bilinear sample, exact when
// nothing is scaled. Painted into a target of its size it is copied as it is.
TEST(PreviewSurface, ThePictureAtTheViewsSizeAndZoomInCairosOrder) {
  struct Case {
    int sw, sh, w, h;
    double zoom;
  } cases[] = {
      {37, 21, 37, 21, 1.0}, {64, 36, 32, 18, 1.0}, {66, 38, 33, 19, 1.0}, {37, 21, 23, 13, 1.0},
      {10, 6, 33, 17, 1.0},  {40, 30, 40, 30, 2.0}, {37, 21, 29, 17, 1.5}, {1, 1, 5, 3, 1.0},
  };
  std::mt19937 random(7);
  for (const Case& c : cases) {
    plat::Offscreen* picture = RandomPicture(c.sw, c.sh, random);
    ASSERT_NE(picture, nullptr);
    CPreviewSurface surface;
    ASSERT_TRUE(surface.Update(picture, c.w, c.h, c.zoom)) << c.sw << "x" << c.sh;
    EXPECT_TRUE(surface.Matches(picture, c.w, c.h, c.zoom));
    EXPECT_FALSE(surface.Matches(picture, c.w + 1, c.h, c.zoom));
    cairo_surface_t* s = surface.Surface();
    ASSERT_EQ(cairo_image_surface_get_width(s), c.w);
    ASSERT_EQ(cairo_image_surface_get_height(s), c.h);
    const bool scaled = c.sw != c.w || c.sh != c.h || c.zoom != 1.0;
    int worst = 0;
    for (int v = 0; v < c.h; ++v)
      for (int u = 0; u < c.w; ++u) {
        const uint32_t word =
            *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + v * cairo_image_surface_get_stride(s) + 4 * u);
        for (int k = 0; k < 4; ++k) {
          const int got = int((word >> (8 * (3 - k))) & 0xFF);
          worst = std::max(worst, int(std::lround(std::fabs(got - Expected(*picture, c.w, c.h, c.zoom, u, v, k)))));
        }
      }
    EXPECT_LE(worst, scaled ? 1 : 0) << c.sw << "x" << c.sh << " into " << c.w << "x" << c.h << " zoom " << c.zoom;

    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, c.w + 6, c.h + 4);
    cairo_t* cr = cairo_create(target);
    surface.Paint(cr, SRect32{3, 2, 3 + c.w, 2 + c.h});
    cairo_destroy(cr);
    cairo_surface_flush(target);
    for (int v = 0; v < c.h; ++v)
      for (int u = 0; u < c.w; ++u) {
        const auto* from = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + v * cairo_image_surface_get_stride(s));
        const auto* to = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(target) +
                                                           (v + 2) * cairo_image_surface_get_stride(target));
        ASSERT_EQ(to[u + 3] & 0xFFFFFF, from[u] & 0xFFFFFF) << u << "," << v;
      }
    cairo_surface_destroy(target);
    plat::DisposeOffscreen(picture);
  }
}

// The kernels' AVX2 forms give the SSE forms' bytes: halving, blending and
// sampling, across the widths where the wide loops hand over to the rows'
// ends, zoomed and not.
TEST(PreviewSurface, KernelFormsAgree) {
  if (BestKernelForm() != KernelForm::AVX2) GTEST_SKIP() << "no AVX2 here";
  struct Case {
    int sw, sh, w, h;
    double zoom;
  } cases[] = {
      {66, 38, 33, 19, 1.0},     {130, 70, 65, 35, 1.0},   {1920, 1080, 960, 540, 1.0}, {1920, 1080, 1280, 720, 1.0},
      {1919, 1079, 1001, 563, 1.0}, {37, 21, 29, 17, 1.5}, {640, 480, 1031, 777, 1.0},  {320, 240, 320, 240, 2.5},
  };
  std::mt19937 random(5);
  for (const Case& c : cases) {
    plat::Offscreen* picture = RandomPicture(c.sw, c.sh, random);
    ASSERT_NE(picture, nullptr);
    CPreviewSurface sse, avx2;
    ForceKernelForm(KernelForm::SSE2);
    ASSERT_TRUE(sse.Update(picture, c.w, c.h, c.zoom));
    ForceKernelForm(KernelForm::AVX2);
    ASSERT_TRUE(avx2.Update(picture, c.w, c.h, c.zoom));
    ResetKernelForm();
    const int stride = cairo_image_surface_get_stride(sse.Surface());
    EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(sse.Surface()), cairo_image_surface_get_data(avx2.Surface()),
                          size_t(stride) * size_t(c.h)),
              0)
        << c.sw << "x" << c.sh << " into " << c.w << "x" << c.h << " zoom " << c.zoom;
    plat::DisposeOffscreen(picture);
  }
}

// The preview picture is always one whole frame, the newest one or (the
// judge on) the last one it let through: the stand-in camera stamps each
// frame's number into it, and the numbers read back never go back and move
// on, with every switch of the chain off (the chain is not called) and with
// the judge on (the chain keeps each frame it lets through).
TEST(CapturePreview, ThePictureIsTheNewestFrameWhole) {
  ::setenv("DUNSELLOW_CAPTURE_DEVICES", "synthetic", 1);
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=320x240,fps=60,stamp=1", 1);
  for (const int judge : {0, 1}) {
    CCaptureManage engine(nullptr, CCaptureManage::kVideo, 0);
    engine.EnableFrameJudge(judge);
    ASSERT_EQ(engine.StartPreview(), 0);
    int read = 0, last = -1, first = 0;
    uint64_t seen = engine.FrameCount();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (read < 40 && std::chrono::steady_clock::now() < end) {
      engine.Idle();
      if (engine.FrameCount() != seen) {
        seen = engine.FrameCount();
        const plat::Offscreen* p = engine.GetSGGWorld();
        ASSERT_NE(p, nullptr);
        media::ClockStamp stamp;
        ASSERT_TRUE(media::ReadClockStamp(
            p->width, p->height,
            [p](int32_t x, int32_t y) { return int(p->pixels[size_t(y) * size_t(p->rowBytes) + 4 * size_t(x) + 2]); },
            &stamp))
            << "judge " << judge;
        if (judge) EXPECT_GE(int(stamp.frame), last);
        else EXPECT_GT(int(stamp.frame), last);
        if (read == 0) first = stamp.frame;
        last = stamp.frame;
        ++read;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    EXPECT_EQ(read, 40) << "judge " << judge;
    EXPECT_GE(last - first, 30) << "judge " << judge;
    engine.StopPreview();
  }
  ::unsetenv("DUNSELLOW_SYNTHETIC_CAMERA");
  ::unsetenv("DUNSELLOW_CAPTURE_DEVICES");
}

// The view's picture made on the capture thread is, byte for byte, the one
// the view would make of the frame on show; it is offered only for the size
// and zoom asked and for the frame it was made from (a new size: none until
// a frame made for it shows), and nothing made before a restart counts.
TEST(CapturePreview, TheCaptureThreadsPictureIsTheViewsOwn) {
  ::setenv("DUNSELLOW_CAPTURE_DEVICES", "synthetic", 1);
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=320x240,fps=60,stamp=1", 1);
  CCaptureManage engine(nullptr, CCaptureManage::kVideo, 0);
  engine.EnableDenoise(1);
  CPreviewPictures& pictures = engine.ViewPictures();
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(engine.StartPreview(), 0);
    EXPECT_EQ(pictures.Shown(engine.GetSGGWorld(), 150, 100, 1.5), nullptr);
    struct Ask {
      int w, h;
      double zoom;
    } asks[] = {{150, 100, 1.5}, {160, 120, 1.0}};
    for (const Ask& a : asks) {
      int compared = 0, frames = 0;
      uint64_t seen = engine.FrameCount();
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (compared < 5 && std::chrono::steady_clock::now() < end) {
        engine.Idle();
        if (engine.FrameCount() != seen) {
          seen = engine.FrameCount();
          const plat::Offscreen* world = engine.GetSGGWorld();
          const CPreviewSurface* made = pictures.Shown(world, a.w, a.h, a.zoom);
          // The first frame after the ask was made before it.
          if (frames++ == 0) {
            EXPECT_EQ(made, nullptr);
          }
          pictures.Ask(a.w, a.h, a.zoom);
          if (!made) continue;
          EXPECT_EQ(pictures.Shown(world, a.w + 1, a.h, a.zoom), nullptr);
          EXPECT_EQ(pictures.Shown(world, a.w, a.h, a.zoom + 0.5), nullptr);
          CPreviewSurface own;
          ASSERT_TRUE(own.Update(world, a.w, a.h, a.zoom));
          cairo_surface_t* x = made->Surface();
          cairo_surface_t* y = own.Surface();
          ASSERT_EQ(cairo_image_surface_get_stride(x), cairo_image_surface_get_stride(y));
          EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(x), cairo_image_surface_get_data(y),
                                size_t(cairo_image_surface_get_stride(x)) * size_t(a.h)),
                    0)
              << a.w << "x" << a.h << " run " << run;
          ++compared;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
      }
      EXPECT_EQ(compared, 5) << a.w << "x" << a.h << " run " << run;
    }
    engine.StopPreview();
  }
  ::unsetenv("DUNSELLOW_SYNTHETIC_CAMERA");
  ::unsetenv("DUNSELLOW_CAPTURE_DEVICES");
}

}  // namespace
