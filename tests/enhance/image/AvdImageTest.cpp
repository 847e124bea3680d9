#include <gtest/gtest.h>

#include <vector>

#include "image/AvdImage.h"

TEST(AvdImage, CreateChecksTheChromaWidth) {
  AvdImageRecord img;
  EXPECT_EQ(avdImgCreate(nullptr, &img, AVD_IMG_YUV420P, 20, 8), -103);
  EXPECT_EQ(img.buffer, nullptr);
  ASSERT_EQ(avdImgCreate(nullptr, &img, AVD_IMG_YUV420P, 24, 8), 0);
  EXPECT_EQ(img.pitch[0], 24);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(img.buffer) % 16, 0u);
  EXPECT_EQ(avdImgRelease(nullptr, &img), 0);
  EXPECT_EQ(img.buffer, nullptr);
  EXPECT_EQ(avdImgCreate(nullptr, &img, 0x05000013, 16, 8), -101);
  EXPECT_EQ(avdImgCreate(nullptr, &img, AVD_IMG_YUYV, 0, 8), -2);
}

TEST(AvdImage, CreateSizesPackedRows) {
  struct Case {
    uint32_t format;
    int32_t width, pitch;
  } cases[] = {{AVD_IMG_YUYV, 10, 32}, {AVD_IMG_BGR, 10, 32}, {AVD_IMG_YUV16, 5, 16}, {0x01000011, 9, 32}};
  for (const auto& c : cases) {
    AvdImageRecord img;
    ASSERT_EQ(avdImgCreate(nullptr, &img, c.format, c.width, 3), 0) << std::hex << c.format;
    EXPECT_EQ(img.pitch[0], c.pitch) << std::hex << c.format;
    avdImgRelease(nullptr, &img);
  }
}

TEST(AvdImage, SplittingPlanarBuffers) {
  std::vector<uint8_t> buf(16 * 8 * 2);
  AvdImageRecord img;
  img.width = 16, img.height = 8, img.format = AVD_IMG_YUV420P, img.pitch[0] = 16, img.buffer = buf.data();
  ASSERT_EQ(avdImgChunky2Plannar(&img), 0);
  EXPECT_EQ(img.plane[0], buf.data());
  EXPECT_EQ(img.plane[1], buf.data() + 128);
  EXPECT_EQ(img.plane[2], buf.data() + 160);
  EXPECT_EQ(img.pitch[0], 16);
  EXPECT_EQ(img.pitch[1], 8);
  EXPECT_EQ(img.pitch[2], 8);

  AvdImageRecord lp;
  lp.width = 16, lp.height = 8, lp.format = AVD_IMG_YUV420LP, lp.pitch[0] = 20, lp.buffer = buf.data();
  ASSERT_EQ(avdImgChunky2Plannar(&lp), 0);
  EXPECT_EQ(lp.plane[1], buf.data() + 160);
  EXPECT_EQ(lp.pitch[1], 20);

  // Already split: only the unused planes are cleared.
  AvdImageRecord grey;
  grey.format = AVD_IMG_GREY, grey.plane[0] = buf.data(), grey.plane[1] = buf.data(), grey.plane[2] = buf.data();
  ASSERT_EQ(avdImgChunky2Plannar(&grey), 0);
  EXPECT_EQ(grey.plane[1], nullptr);
  EXPECT_EQ(grey.plane[2], nullptr);

  AvdImageRecord odd;
  odd.width = 16, odd.height = 8, odd.format = 0x13000013, odd.buffer = buf.data();
  EXPECT_EQ(avdImgChunky2Plannar(&odd), -101);
}

TEST(AvdImage, CopyOffsetAndPixels) {
  AvdImageRecord a, b;
  ASSERT_EQ(avdImgCreate(nullptr, &a, AVD_IMG_YUV422P, 16, 6), 0);
  ASSERT_EQ(avdImgCreate(nullptr, &b, AVD_IMG_YUV422P, 16, 6), 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(avdImgSetPixel(&a, x, y, static_cast<uint32_t>((x + 16 * y) << 16 | (x / 2) << 8 | y)), 0);
  ASSERT_EQ(avdImgCpy(&a, &b), 0);
  EXPECT_EQ(avdImgGetPixel(&b, 5, 3), static_cast<uint32_t>((5 + 48) << 16 | 2 << 8 | 3));
  AvdImageRecord moved = b;
  ASSERT_EQ(avdImgOffset(&moved, 4, 2), 0);
  EXPECT_EQ(avdImgGetPixel(&moved, 1, 1), avdImgGetPixel(&b, 5, 3));
  AvdImageRecord other;
  ASSERT_EQ(avdImgCreate(nullptr, &other, AVD_IMG_YUYV, 16, 6), 0);
  EXPECT_EQ(avdImgCpy(&a, &other), -101);
  EXPECT_EQ(avdImgSetPixel(&a, 16, 0, 0), -2);
  avdImgRelease(nullptr, &a);
  avdImgRelease(nullptr, &b);
  avdImgRelease(nullptr, &other);
}

TEST(AvdImage, PixelPositionsInPackedLayouts) {
  struct Case {
    uint32_t format;
    int32_t x;
    int y, c1, c2;  // byte positions in the row
  } cases[] = {
      {AVD_IMG_YUYV, 3, 6, 5, 7},      {AVD_IMG_UYVY, 3, 7, 4, 6},      {AVD_IMG_Y8U4V4, 11, 19, 25, 29},
      {AVD_IMG_YUV, 2, 6, 7, 8},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> row(32, 0);
    AvdImageRecord img;
    img.width = 16, img.height = 1, img.format = c.format, img.pitch[0] = 32, img.buffer = row.data();
    ASSERT_EQ(avdImgSetPixel(&img, c.x, 0, 0x112233), 0);
    EXPECT_EQ(row[c.y], 0x11) << std::hex << c.format;
    EXPECT_EQ(row[c.c1], 0x22) << std::hex << c.format;
    EXPECT_EQ(row[c.c2], 0x33) << std::hex << c.format;
    EXPECT_EQ(avdImgGetPixel(&img, c.x, 0), 0x112233u);
  }
  // Reading only: Y2C11 and Y1VY0U.
  const uint8_t y2c11[4] = {1, 2, 3, 4}, y1vy0u[4] = {1, 2, 3, 4};
  AvdImageRecord img;
  img.width = 2, img.height = 1, img.format = AVD_IMG_YYUV, img.pitch[0] = 4, img.buffer = const_cast<uint8_t*>(y2c11);
  EXPECT_EQ(avdImgGetPixel(&img, 1, 0), 0x020304u);
  EXPECT_EQ(avdImgSetPixel(&img, 1, 0, 0), 0);
  EXPECT_EQ(y2c11[1], 2);
  img.format = AVD_IMG_Y1VY0U, img.buffer = const_cast<uint8_t*>(y1vy0u);
  EXPECT_EQ(avdImgGetPixel(&img, 0, 0), 0x030402u);
  EXPECT_EQ(avdImgGetPixel(&img, 1, 0), 0x010402u);
}
