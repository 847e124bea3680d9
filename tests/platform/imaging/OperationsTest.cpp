// Operations by their own rules: the brightness/contrast table, quarter turns
// and mirrors as permutations, crop clipping, size limits and shared pixels.
#include <gtest/gtest.h>

#include <cstring>

#include "TestPictures.h"
#include "img/Operations.h"

namespace {

using imgtest::SamePixels;

TEST(Operations, BrightnessContrastTable) {
  struct Case {
    int b, c, in, out;
  } cases[] = {
      {0, 0, 0, 0},     {0, 0, 255, 255}, {0, 0, 77, 77},    {20, 0, 100, 120}, {20, 0, 240, 255},
      {0, 64, 64, 0},   {0, 64, 30, 0},   {0, 64, 128, 129}, {0, 64, 191, 255}, {0, 64, 250, 255},
      {-60, 0, 30, 0},  {0, -60, 0, 41},  {0, -60, 255, 214}, {60, 60, 0, 0},   {0, 128, 200, 255},
      {0, 127, 127, 0}, {0, 127, 128, 255},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(img::BrightnessContrastTable(c.b, c.c)[size_t(c.in)], c.out)
        << "b=" << c.b << " c=" << c.c << " in=" << c.in;
  }
}

TEST(Operations, BrightnessContrastOnArgbFramesHonoursChannelsAlphaAndPadding) {
  // Two pixels per row, 4 padding bytes that must stay untouched.
  uint8_t frame[2 * 12];
  for (int i = 0; i < 24; ++i) frame[i] = 100;
  struct Case {
    int channels;
    uint8_t r, g, b;
  } cases[] = {{1, 120, 120, 120}, {2, 120, 100, 100}, {3, 100, 120, 100}, {4, 100, 100, 120}};
  for (const auto& c : cases) {
    uint8_t f[24];
    std::copy(frame, frame + 24, f);
    img::ApplyBrightnessContrastArgb(f, 2, 2, 12, 20, 0, c.channels);
    for (int row = 0; row < 2; ++row) {
      for (int px = 0; px < 2; ++px) {
        const uint8_t* p = f + row * 12 + px * 4;
        EXPECT_EQ(p[0], 100) << "alpha";
        EXPECT_EQ(p[1], c.r);
        EXPECT_EQ(p[2], c.g);
        EXPECT_EQ(p[3], c.b);
      }
      for (int k = 8; k < 12; ++k) EXPECT_EQ(f[row * 12 + k], 100) << "padding";
    }
  }
}

TEST(Operations, QuarterTurnsAndMirrorsArePermutations) {
  img::Bitmap pic = imgtest::Noise(5, 3);
  img::Bitmap left = img::Rotate(pic, 90);
  ASSERT_EQ(left.width(), 3);
  ASSERT_EQ(left.height(), 5);
  // Counter-clockwise: the top-right pixel becomes the top-left one.
  EXPECT_EQ(0, std::memcmp(left.row(0), pic.row(0) + 4 * 3, 3));
  img::Bitmap r = pic;
  for (int i = 0; i < 4; ++i) r = img::Rotate(r, 90);
  EXPECT_TRUE(SamePixels(r, pic));
  EXPECT_TRUE(SamePixels(img::Rotate(pic, 270), img::Rotate(img::Rotate(pic, 180), 90)));
  EXPECT_TRUE(SamePixels(img::Rotate(pic, 360), pic));
  EXPECT_TRUE(img::Rotate(pic, 45).empty());
  for (auto axis : {img::FlipAxis::kLeftRight, img::FlipAxis::kTopBottom}) {
    EXPECT_TRUE(SamePixels(img::Flip(img::Flip(pic, axis), axis), pic));
  }
  // Two mirrors make a half turn.
  EXPECT_TRUE(SamePixels(img::Flip(img::Flip(pic, img::FlipAxis::kLeftRight), img::FlipAxis::kTopBottom),
                         img::Rotate(pic, 180)));
}

TEST(Operations, CropIsClippedToThePicture) {
  img::Bitmap pic = imgtest::Noise(10, 8);
  struct Case {
    int l, t, r, b, w, h;
  } cases[] = {
      {2, 1, 6, 5, 4, 4}, {-5, -5, 3, 2, 3, 2}, {7, 6, 99, 99, 3, 2}, {4, 4, 4, 9, 0, 0}, {20, 0, 30, 8, 0, 0},
  };
  for (const auto& c : cases) {
    img::Bitmap out = img::Crop(pic, c.l, c.t, c.r, c.b);
    EXPECT_EQ(out.width(), c.w);
    EXPECT_EQ(out.height(), c.h);
    if (c.w) {
      EXPECT_EQ(0, std::memcmp(out.row(0), pic.row(std::max(c.t, 0)) + std::max(c.l, 0) * 3, 3));
    }
  }
}

TEST(Operations, SizesAreCheckedBeforeAllocating) {
  struct Case {
    int64_t w, h, c;
    size_t bytes;
  } cases[] = {
      {3, 2, 3, 18},        {0, 5, 3, 0},          {-1, 5, 3, 0},      {65535, 1, 3, 65535 * 3},
      {65536, 1, 3, 0},     {65535, 65535, 3, 0},  {16384, 16384, 1, size_t(1) << 28}, {16384, 16385, 1, 0}, {1 << 30, 1 << 30, 3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(img::CheckedImageBytes(c.w, c.h, c.c), c.bytes) << c.w << "x" << c.h;
  }
  EXPECT_TRUE(img::Bitmap::Create(70000, 10).empty());
  EXPECT_TRUE(img::Resample(imgtest::Noise(4, 4), 65535, 65535).empty());
  EXPECT_TRUE(img::Resample(imgtest::Noise(4, 4), 0, 3).empty());
}

TEST(Operations, CopiesSharePixelsUntilWritten) {
  img::Bitmap a = imgtest::Noise(64, 64);
  img::Bitmap b = a;
  EXPECT_TRUE(b.SharesPixelsWith(a));
  img::Bitmap unchanged = img::Crop(a, 0, 0, 64, 64);
  EXPECT_TRUE(unchanged.SharesPixelsWith(a));
  uint8_t before = a.data()[0];
  img::ApplyBrightnessContrast(b, 30, 0);
  EXPECT_FALSE(b.SharesPixelsWith(a));
  EXPECT_EQ(a.data()[0], before);
  EXPECT_NE(b.data()[0], before == 255 ? 0 : before);
}

TEST(Operations, FitIntoKeepsTheAspectAndEnlarges) {
  struct Case {
    int w, h, bw, bh, ow, oh;
  } cases[] = {{100, 50, 80, 60, 80, 40}, {40, 30, 80, 60, 80, 60}, {30, 40, 80, 60, 45, 60}, {1000, 1, 80, 60, 80, 1}};
  for (const auto& c : cases) {
    img::FitSize f = img::FitInto(c.w, c.h, c.bw, c.bh);
    EXPECT_EQ(f.width, c.ow);
    EXPECT_EQ(f.height, c.oh);
  }
}

TEST(Operations, FiltersLeaveFlatPicturesFlatAndKeepSizes) {
  img::Bitmap flat = img::Bitmap::Filled(33, 17, 120);
  EXPECT_TRUE(SamePixels(img::UnsharpMask(flat, 2, 200), flat));
  EXPECT_TRUE(SamePixels(img::GaussianBlur(flat, 5), flat));
  img::Bitmap r = img::Resample(flat, 70, 9);
  EXPECT_TRUE(SamePixels(r, img::Bitmap::Filled(70, 9, 120)));
  img::Bitmap levelled = flat;
  img::AutoLevels(levelled);  // one level only: nothing to stretch
  EXPECT_TRUE(SamePixels(levelled, flat));
  EXPECT_TRUE(SamePixels(img::UnsharpMask(flat, 2, 0), flat));
}

}  // namespace

// Every width up to a few vector steps, so the tail after the last whole
// step is checked, and nothing is written past the row.
TEST(Operations, ArgbRowsBecomeBgrRowsToTheLastPixel) {
  for (int32_t width = 1; width <= 21; ++width) {
    std::vector<uint8_t> argb(size_t(width) * 4);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = uint8_t(i * 7 + width);
    std::vector<uint8_t> bgr(size_t(width) * 3 + 16, 0xEE);
    img::ArgbRowToBgr(argb.data(), bgr.data(), width);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* s = &argb[size_t(x) * 4];
      const uint8_t* d = &bgr[size_t(x) * 3];
      ASSERT_EQ(d[0], s[3]) << "width " << width << " pixel " << x;
      ASSERT_EQ(d[1], s[2]) << "width " << width << " pixel " << x;
      ASSERT_EQ(d[2], s[1]) << "width " << width << " pixel " << x;
    }
    for (size_t i = size_t(width) * 3; i < bgr.size(); ++i) ASSERT_EQ(bgr[i], 0xEE) << "width " << width;
  }
}

// The AVX2 rows of Lanczos along x sum the same integers as the plain ones:
// shrinking and enlarging, rows shorter and longer than a vector step with
// ragged ends, a thumbnail of a 1/8 photo and a reduction wide enough for
// many steps of taps; random bytes overshoot, so clipping is covered too.
TEST(Operations, ResamplingFormsGiveTheSamePixels) {
  if (!img::UseAvx2Resampling(true)) GTEST_SKIP() << "no AVX2 on this processor";
  struct Case {
    int32_t w, h, ow, oh;
  } cases[] = {{256, 192, 80, 60}, {61, 47, 333, 250}, {333, 250, 61, 47}, {7, 5, 3, 2},
               {15, 3, 16, 3},     {17, 4, 5, 4},      {1, 1, 9, 2},      {2000, 3, 19, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " -> " + std::to_string(c.ow) + "x" +
                 std::to_string(c.oh));
    const img::Bitmap src = imgtest::Noise(c.w, c.h, uint32_t(c.w + c.ow));
    img::Plane plane = img::Plane::Create(c.w, c.h);
    for (int32_t y = 0; y < c.h; ++y) std::memcpy(plane.mutable_row(y), src.row(y), size_t(c.w));
    img::UseAvx2Resampling(false);
    const img::Bitmap plain = img::Resample(src, c.ow, c.oh);
    const img::Plane plain_plane = img::Resample(plane, c.ow, c.oh);
    img::UseAvx2Resampling(true);
    const img::Bitmap avx2 = img::Resample(src, c.ow, c.oh);
    const img::Plane avx2_plane = img::Resample(plane, c.ow, c.oh);
    ASSERT_FALSE(plain.empty());
    EXPECT_TRUE(SamePixels(avx2, plain));
    ASSERT_EQ(avx2_plane.height(), plain_plane.height());
    for (int32_t y = 0; y < plain_plane.height(); ++y) {
      EXPECT_EQ(std::memcmp(avx2_plane.row(y), plain_plane.row(y), size_t(plain_plane.width())), 0)
          << "row " << y;
    }
  }
}
