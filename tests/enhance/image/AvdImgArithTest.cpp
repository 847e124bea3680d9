#include <gtest/gtest.h>

#include <vector>

#include "image/AvdImgArith.h"

TEST(AvdImgArith, SubtractAndAddClampAndCheckKinds) {
  const uint8_t a[2] = {10, 200}, b[2] = {200, 10};
  uint8_t out[2];
  ASSERT_EQ(avdImgSubtract(a, 2, 0x10, b, 2, 0x10, out, 2, 0x110, 2, 1), 0);
  EXPECT_EQ(static_cast<int8_t>(out[0]), -128);
  EXPECT_EQ(static_cast<int8_t>(out[1]), 127);
  EXPECT_EQ(avdImgSubtract(a, 2, 0x10, b, 2, 0x110, out, 2, 0x110, 2, 1), -701);
  EXPECT_EQ(avdImgSubtract(a, 2, 0x10, b, 2, 0x10, out, 2, 0x10, 2, 1), -701);

  const uint8_t base[2] = {250, 5};
  const uint8_t d[2] = {20, static_cast<uint8_t>(-20)};
  ASSERT_EQ(avdImgAdd(base, 2, 0x10, d, 2, 0x110, out, 2, 0x10, 2, 1), 0);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(avdImgAdd(base, 2, 0x10, d, 2, 0x10, out, 2, 0x10, 2, 1), -701);
  // Rows that would overlap are refused.
  EXPECT_EQ(avdImgAdd(base, 1, 0x10, d, 2, 0x110, out, 2, 0x10, 2, 2), -2);
}

TEST(AvdImgArith, MultiWithUnityLeavesTheDestinationAlone) {
  const uint8_t src[4] = {1, 2, 3, 4};
  uint8_t dst[4] = {9, 9, 9, 9};
  EXPECT_EQ(avdImgMulti(src, 4, 0x110, dst, 4, 0x110, 4, 1, 256), 0);
  EXPECT_EQ(dst[0], 9);
  EXPECT_EQ(avdImgMulti(src, 4, 0x110, dst, 4, 0x10, 4, 1, 128), -701);
  EXPECT_EQ(avdImgMulti(src, 4, 0x10, dst, 4, 0x10, 4, 1, 128), -701);
  ASSERT_EQ(avdImgMulti(src, 4, 0x110, dst, 4, 0x110, 4, 1, 128), 0);
  EXPECT_EQ(dst[3], 2);
  EXPECT_EQ(avdImgMulti(src, 4, 0x110, dst, 4, 0x110, 4, 1, -5), -2);
}

TEST(AvdImgArith, AbsAndTune) {
  const uint8_t block[3] = {static_cast<uint8_t>(-3), 4, 0};
  EXPECT_EQ(avdImgABS(block, 3, 0x110, 3, 1), 7);
  EXPECT_EQ(avdImgABS(block, 3, 0x10, 3, 1), -701);

  const uint8_t in[3] = {10, 100, 250};
  uint8_t out[3] = {};
  ASSERT_EQ(avdImgTune(in, 3, 0x10, out, 3, 0x10, 3, 1, 6, 512), 0);
  EXPECT_EQ(out[0], 32);
  EXPECT_EQ(out[2], 255);
  ASSERT_EQ(avdImgTune(in, 3, 0x10, out, 3, 0x10, 3, 1, 0, 256), 0);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 3), std::vector<uint8_t>(in, in + 3));
  const uint8_t s[2] = {static_cast<uint8_t>(-100), 100};
  ASSERT_EQ(avdImgTune(s, 2, 0x110, out, 2, 0x110, 2, 1, -10, 300), 0);
  EXPECT_EQ(static_cast<int8_t>(out[0]), -128);
  EXPECT_EQ(static_cast<int8_t>(out[1]), 105);
  uint8_t untouched[2] = {7, 7};
  ASSERT_EQ(avdImgTune(s, 2, 0x110, untouched, 2, 0x10, 2, 1, 0, 300), 0);
  EXPECT_EQ(untouched[0], 7);
}
