#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "image/AvdFormatConvert.h"
#include "image/AvdImage.h"

namespace {

struct Picture {
  std::vector<uint8_t> bytes;
  AvdImageRecord rec;
};

Picture Make(uint32_t format, int32_t w, int32_t h) {
  Picture p;
  int32_t pitch = 0;
  size_t size = 0;
  switch (format) {
    case AVD_IMG_BGR: case AVD_IMG_RGB: case AVD_IMG_YUV: pitch = 3 * w + 1; size = pitch * h; break;
    case AVD_IMG_GREY: pitch = w; size = pitch * h; break;
    case AVD_IMG_YUV422P: pitch = w; size = w * h * 2; break;
    case AVD_IMG_YUV420P: pitch = w; size = w * h * 3 / 2; break;
    case AVD_IMG_YUV420LP: case AVD_IMG_YUV420VU: pitch = w; size = w * h * 3 / 2; break;
    default: pitch = 2 * w + 2; size = pitch * h; break;
  }
  p.bytes.assign(size, 0);
  p.rec.width = w, p.rec.height = h, p.rec.format = format, p.rec.pitch[0] = pitch, p.rec.buffer = p.bytes.data();
  return p;
}

Picture RandomBgr(std::mt19937& rng, int32_t w, int32_t h) {
  Picture p = Make(AVD_IMG_BGR, w, h);
  // Pairs and 2 x 2 blocks of one colour, so subsampled chroma loses nothing.
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k) {
        uint32_t seed = static_cast<uint32_t>((y / 2) * 1000 + (x / 8) * 10 + k) * 2654435761u;
        p.bytes[y * p.rec.pitch[0] + 3 * x + k] = static_cast<uint8_t>(40 + seed % 170);
      }
  (void)rng;
  return p;
}

}  // namespace

TEST(FormatConvert, WhiteAndBlack) {
  const uint8_t white[3] = {255, 255, 255}, black[3] = {0, 0, 0};
  uint8_t out[3];
  avdBGRIMG2YUV(white, 3, out, 3, 1, 1);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 128);
  EXPECT_EQ(out[2], 128);
  avdBGRIMG2YUV(black, 3, out, 3, 1, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 128);
  EXPECT_EQ(out[2], 128);
}

TEST(FormatConvert, RoundTripsThroughEveryFormat) {
  std::mt19937 rng(11);
  const uint32_t formats[] = {AVD_IMG_YUV,     AVD_IMG_RGB,     AVD_IMG_YUYV,     AVD_IMG_UYVY,
                              AVD_IMG_Y8U4V4,  AVD_IMG_YYUV,    AVD_IMG_Y1VY0U,   AVD_IMG_YUV422P,
                              AVD_IMG_YUV420P, AVD_IMG_YUV420LP, AVD_IMG_YUV420VU};
  for (uint32_t f : formats) {
    Picture bgr = RandomBgr(rng, 16, 6);
    Picture mid = Make(f, 16, 6);
    Picture back = Make(AVD_IMG_BGR, 16, 6);
    ASSERT_EQ(avdImgFmtTrans(&bgr.rec, &mid.rec), 0) << std::hex << f;
    ASSERT_EQ(avdImgFmtTrans(&mid.rec, &back.rec), 0) << std::hex << f;
    // Fixed-point rounding: each colour comes back within 2 (exactly for RGB).
    const int tolerance = f == AVD_IMG_RGB ? 0 : 2;
    for (int32_t y = 0; y < 6; ++y)
      for (int32_t x = 0; x < 48; ++x)
        ASSERT_LE(std::abs(back.bytes[y * back.rec.pitch[0] + x] - bgr.bytes[y * bgr.rec.pitch[0] + x]), tolerance)
            << std::hex << f << std::dec << " at " << x << "," << y;
  }
}

TEST(FormatConvert, OddYuyvWidthLeavesTheLastColumn) {
  std::mt19937 rng(12);
  Picture yuyv = Make(AVD_IMG_YUYV, 5, 2);
  for (auto& b : yuyv.bytes) b = static_cast<uint8_t>(100 + rng() % 50);
  Picture bgr = Make(AVD_IMG_BGR, 5, 2);
  for (auto& b : bgr.bytes) b = 7;
  ASSERT_EQ(avdImgFmtTrans(&yuyv.rec, &bgr.rec), 0);
  for (int y = 0; y < 2; ++y)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(bgr.bytes[y * bgr.rec.pitch[0] + 12 + k], 7);
}

TEST(FormatConvert, YuyvToBgrInOneBuffer) {
  std::mt19937 rng(13);
  const int32_t w = 8, h = 3;
  std::vector<uint8_t> shared(3 * w * h);
  for (int i = 0; i < 2 * w * h; ++i) shared[i] = static_cast<uint8_t>(rng());
  std::vector<uint8_t> separate(3 * w * h);
  avdYUYVIMG2BGR(shared.data(), 2 * w, separate.data(), 3 * w, w, h);
  avdYUYVIMG2BGR(shared.data(), 2 * w, shared.data(), 3 * w, w, h);
  EXPECT_EQ(shared, separate);
}

TEST(FormatConvert, SubsampledChroma) {
  // Blue (its U byte clamps from 256 to 255) beside grey (U 128).
  Picture bgr = Make(AVD_IMG_BGR, 2, 2);
  const uint8_t px[2][3] = {{255, 0, 0}, {128, 128, 128}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x)
      for (int k = 0; k < 3; ++k) bgr.bytes[y * bgr.rec.pitch[0] + 3 * x + k] = px[x][k];
  uint8_t blue[3];
  avdBGRIMG2YUV(&px[0][0], 3, blue, 3, 1, 1);
  EXPECT_EQ(blue[1], 255);
  Picture yuyv = Make(AVD_IMG_YUYV, 2, 2), lp = Make(AVD_IMG_YUV420LP, 2, 2), vu = Make(AVD_IMG_YUV420VU, 2, 2);
  ASSERT_EQ(avdImgFmtTrans(&bgr.rec, &yuyv.rec), 0);
  ASSERT_EQ(avdImgFmtTrans(&bgr.rec, &lp.rec), 0);
  ASSERT_EQ(avdImgFmtTrans(&bgr.rec, &vu.rec), 0);
  EXPECT_EQ(yuyv.bytes[1], (255 + 128 + 1) >> 1);
  EXPECT_EQ(lp.bytes[4], 192);
  // The two semi-planar orders hold the same pair swapped.
  EXPECT_EQ(lp.bytes[4], vu.bytes[5]);
  EXPECT_EQ(lp.bytes[5], vu.bytes[4]);
}

TEST(FormatConvert, RefusalsAndCopies) {
  Picture a = Make(AVD_IMG_YUYV, 4, 2), b = Make(AVD_IMG_UYVY, 4, 2), c = Make(AVD_IMG_YUYV, 4, 2);
  EXPECT_EQ(avdImgFmtTrans(&a.rec, &b.rec), -101);
  Picture grey = Make(AVD_IMG_GREY, 4, 2), bgr = Make(AVD_IMG_BGR, 4, 2);
  EXPECT_EQ(avdImgFmtTrans(&grey.rec, &bgr.rec), -101);
  ASSERT_EQ(avdImgFmtTrans(&bgr.rec, &grey.rec), 0);
  for (size_t i = 0; i < a.bytes.size(); ++i) a.bytes[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(avdImgFmtTrans(&a.rec, &c.rec), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.bytes[y * c.rec.pitch[0] + x], a.bytes[y * a.rec.pitch[0] + x]);
  // A planar source without its planes, and a pitch below the row.
  AvdImageRecord planar;
  planar.width = 4, planar.height = 2, planar.format = AVD_IMG_YUV420P;
  planar.plane[0] = a.bytes.data();
  EXPECT_EQ(avdImgFmtTrans(&planar, &bgr.rec), -1);
  bgr.rec.pitch[0] = 5;
  EXPECT_EQ(avdImgFmtTrans(&a.rec, &bgr.rec), -2);
}
