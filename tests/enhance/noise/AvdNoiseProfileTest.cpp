#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "noise/AvdNoiseProfile.h"

namespace {
alignas(8) uint8_t g_blob[4096];
}

TEST(NoiseProfile, LayoutFitsItsBlockAndCopiesAsBytes) {
  EXPECT_EQ(avdNoiseConfigBytes(3, 4, 8, 4, 8), 3248u);
  EXPECT_EQ(avdInitImgNoiseConfig(g_blob, 3247, 3, 4, 8, 4, 8), nullptr);
  EXPECT_EQ(avdInitImgNoiseConfig(g_blob, sizeof g_blob, 0, 4, 8, 4, 8), nullptr);
  AvdNoiseProfile* p = avdInitImgNoiseConfig(g_blob, sizeof g_blob, 3, 4, 8, 4, 8);
  ASSERT_EQ(p, reinterpret_cast<AvdNoiseProfile*>(g_blob));
  for (int c = 0; c < 3; ++c)
    for (int l = 0; l < 4; ++l) {
      ASSERT_NE(avdNoiseValues(p, c, l), nullptr);
      EXPECT_EQ(avdNoiseLevel(p, c, l)->levelIndex, 0);
      std::memset(avdNoiseValues(p, c, l), c * 10 + l, 256);
    }
  EXPECT_EQ(avdNoiseValues(p, 3, 0), nullptr);
  EXPECT_EQ(avdNoiseValues(p, 0, 4), nullptr);
  avdNoiseLevel(p, 2, 3)->levelIndex = 3;
  // The last band value ends exactly at the layout's size.
  EXPECT_EQ(avdNoiseValues(p, 2, 3) + 256, g_blob + 3248);

  alignas(8) std::vector<uint8_t> copy(g_blob, g_blob + 3248);
  AvdNoiseProfile* q = avdAnalyImgNoiseConfig(copy.data(), copy.size());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(avdNoiseValues(q, 1, 2)[100], 12);
  EXPECT_EQ(avdNoiseLevel(q, 2, 3)->levelIndex, 3);
  EXPECT_EQ(avdAnalyImgNoiseConfig(copy.data(), 3000), nullptr);
  reinterpret_cast<AvdNoiseProfile*>(copy.data())->channelCount = 9;
  EXPECT_EQ(avdAnalyImgNoiseConfig(copy.data(), copy.size()), nullptr);
  EXPECT_EQ(avdReadDefNoiseConfig(), -1);
}

TEST(NoiseProfile, Tuning) {
  AvdNoiseProfile* p = avdInitImgNoiseConfig(g_blob, sizeof g_blob, 1, 2, 8, 0, 8);
  ASSERT_NE(p, nullptr);
  uint8_t* v0 = avdNoiseValues(p, 0, 0);
  uint8_t* v1 = avdNoiseValues(p, 0, 1);
  std::memset(v0, 0, 256), std::memset(v1, 0, 256);
  v0[1] = 100, v0[2] = 200, v1[1] = 101;
  const int32_t luma[2] = {512, 128};
  avdTuneNoiseConfig(p, luma, nullptr);
  EXPECT_EQ(v0[0], 1);    // (512 - 128) >> 8
  EXPECT_EQ(v0[1], 200);
  EXPECT_EQ(v0[2], 255);  // 400 clamped
  EXPECT_EQ(v1[1], 51);
  EXPECT_EQ(v1[0], 0);
  EXPECT_EQ(avdNoiseConfigHasNoise(p), 1);
  std::memset(v0, 0, 256), std::memset(v1, 0, 256);
  EXPECT_EQ(avdNoiseConfigHasNoise(p), 0);
}
