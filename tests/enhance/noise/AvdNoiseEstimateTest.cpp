#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "noise/AvdNoiseEstimate.h"
#include "pyramid/AvdChannelBlock.h"

namespace {

AvdImageRecord Yuyv(std::vector<uint8_t>& bytes, int32_t w, int32_t h) {
  AvdImageRecord img;
  img.width = w, img.height = h, img.format = AVD_IMG_YUYV, img.pitch[0] = 2 * w;
  bytes.resize(static_cast<size_t>(2 * w) * h);
  img.buffer = bytes.data();
  return img;
}

alignas(8) uint8_t g_blob[4096];

}  // namespace

TEST(NoiseEstimate, CountsEverySampleOfAFlatDetailBlock) {
  AvdChannelBlock detail, luma;
  const int32_t edges[4] = {4, 4, 4, 4};
  ASSERT_EQ(avdCB_Create(nullptr, &detail, 0x110, 16, 8, edges, 64, 64), 0);
  ASSERT_EQ(avdCB_Create(nullptr, &luma, 0x10, 16, 8, edges, 64, 64), 0);
  for (int i = 0; i < luma.be.block.pitch * luma.be.block.height; ++i) luma.be.block.data[i] = 77;
  std::vector<uint16_t> counters(256 * 64, 0);
  AvdLVLevel level{counters.data(), 8, 6, 0};
  ASSERT_EQ(avdEstLVTableFromBlock(nullptr, &level, &detail, &luma, 0, 0), 0);
  EXPECT_EQ(counters[77 * 64 + 0], 16 * 8);
  avdCB_Release(nullptr, &detail);
  avdCB_Release(nullptr, &luma);
}

TEST(NoiseEstimate, FlatAndBlackFramesMeasureNothingNoisyFramesDo) {
  std::vector<uint8_t> bytes;
  AvdImageRecord img = Yuyv(bytes, 160, 96);
  const int32_t params[4] = {3, 2, 0, 1};
  for (uint8_t level : {uint8_t{0}, uint8_t{128}}) {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = i % 2 ? 128 : level;
    ASSERT_EQ(avdNS_CreateFromImage(nullptr, g_blob, sizeof g_blob, &img, params), 0);
    EXPECT_EQ(avdNoiseConfigHasNoise(reinterpret_cast<AvdNoiseProfile*>(g_blob)), 0) << int(level);
  }
  std::mt19937 rng(5);
  for (int32_t y = 0; y < 96; ++y)
    for (int32_t x = 0; x < 320; ++x) {
      const int base = x % 2 ? 128 : 40 + (x / 2 + y) % 160;
      bytes[y * 320 + x] = static_cast<uint8_t>(base + static_cast<int>(rng() % 13) - 6);
    }
  ASSERT_EQ(avdNS_CreateFromImage(nullptr, g_blob, sizeof g_blob, &img, params), 0);
  auto* profile = reinterpret_cast<AvdNoiseProfile*>(g_blob);
  EXPECT_EQ(profile->channelCount, 3);
  EXPECT_EQ(avdNoiseConfigHasNoise(profile), 1);
  // Other modes do nothing; a block too small for the profile is refused.
  const int32_t other[4] = {3, 2, 0, 0};
  EXPECT_EQ(avdNS_CreateFromImage(nullptr, g_blob, 16, &img, other), 0);
  EXPECT_EQ(avdNS_CreateFromImage(nullptr, g_blob, 16, &img, params), -2);
}

TEST(NoiseEstimate, BlocksOutsideThePictureAreRefused) {
  std::vector<uint8_t> bytes;
  AvdImageRecord img = Yuyv(bytes, 64, 32);
  AvdLVTableSet set;
  ASSERT_EQ(avdCreateMultiLVTable(&set, nullptr, 3, 2, 1, 8, 6), 0);
  const AvdRect outside{32, 0, 96, 32};
  EXPECT_EQ(avdEstMultiLVTableFromBlock(nullptr, &set, &outside, &img), -2);
  const AvdRect inside{0, 0, 64, 32};
  EXPECT_EQ(avdEstMultiLVTableFromBlock(nullptr, &set, &inside, &img), 0);
  avdReleaseMultiLVTable(nullptr, &set);
}
