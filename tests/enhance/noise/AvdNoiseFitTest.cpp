#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ExactTable.h"
#include "noise/AvdNoiseFit.h"

TEST(NoiseFit, PeakOfACounterRow) {
  std::vector<uint16_t> row(64, 0);
  int32_t count = -1;
  EXPECT_EQ(avdNoisePeak(row.data(), 64, &count), 0);
  EXPECT_EQ(count, 0);
  row[1] = 5, row[3] = 9, row[8] = 9;
  EXPECT_EQ(avdNoisePeak(row.data(), 64, &count), 3);
  EXPECT_EQ(count, 9);
  std::fill(row.begin(), row.end(), 0);
  row[29] = row[30] = row[31] = 7;
  EXPECT_EQ(avdNoisePeak(row.data(), 64, &count), 29);
  EXPECT_EQ(count, 7);
}

TEST(NoiseFit, FillAndTrimLists) {
  uint8_t v[6] = {255, 10, 255, 255, 40, 255};
  avdFillNoiseValue(v, 6);
  EXPECT_EQ(std::vector<uint8_t>(v, v + 6), (std::vector<uint8_t>{10, 10, 20, 30, 40, 40}));
  uint8_t down[5] = {30, 8, 255, 255, 255};
  avdFillNoiseValue(down, 5);
  EXPECT_EQ(std::vector<uint8_t>(down, down + 5), (std::vector<uint8_t>{30, 8, 8, 8, 8}));
  uint8_t none[3] = {255, 255, 255};
  avdFillNoiseValue(none, 3);
  EXPECT_EQ(none[0] + none[1] + none[2], 0);

  uint8_t list[7] = {10, 40, 13, 12, 11, 30, 15};
  avdTrimNoiseList(list, 7, 3, 2);
  // From 12 down: 13 ok, 40 rejected (allowance widens to 4), 10 ok (|10 - 13| <= 4).
  // Up: 11 ok, 30 rejected, 15 ok (|15 - 11| <= 4).
  EXPECT_EQ(std::vector<uint8_t>(list, list + 7), (std::vector<uint8_t>{10, 255, 13, 12, 11, 255, 15}));
}

namespace {

struct Table {
  std::vector<uint16_t> counters = std::vector<uint16_t>(256 * 64, 0);
  AvdLVLevel level{counters.data(), 8, 6, 0};
  void Band(int b, int variance, int count) { counters[b * 64 + variance] = static_cast<uint16_t>(count); }
};

}  // namespace

TEST(NoiseFit, AFlatBandAbandonsTheFit) {
  Table t;
  for (int b = 30; b < 200; ++b) t.Band(b, 5, 100);
  t.Band(128, 0, 1000);  // every pixel of grey 128 without variance
  AvdNoiseLevelEntry entry{8, 0, 0};
  uint8_t values[256];
  std::memset(values, 9, sizeof values);
  avdNoiseConfigFromLVTable(&entry, values, 16000, &t.level, nullptr);
  for (uint8_t v : values) ASSERT_EQ(v, 0);
  // Below the threshold the same counts fit a curve, limited to the peak 5.
  avdNoiseConfigFromLVTable(&entry, values, 16016 * 2, &t.level, nullptr);
  int nonZero = 0;
  for (uint8_t v : values) {
    ASSERT_LE(v, 5);
    nonZero += v != 0;
  }
  EXPECT_GT(nonZero, 100);
}

TEST(NoiseFit, ReferenceRatioAboveFiveCopiesTheReference) {
  Table t;
  t.level.levelIndex = 2;
  for (int b = 30; b < 40; ++b) t.Band(b, 50, 50);  // peak far above the reference
  uint8_t reference[256];
  for (int b = 0; b < 256; ++b) reference[b] = static_cast<uint8_t>(b % 7 + 1);
  AvdNoiseLevelEntry entry{8, 0, 0};
  uint8_t values[256];
  avdNoiseConfigFromLVTable(&entry, values, 1 << 20, &t.level, reference);
  EXPECT_EQ(entry.levelIndex, 2);
  EXPECT_EQ(std::vector<uint8_t>(values, values + 256), std::vector<uint8_t>(reference, reference + 256));
  // A ratio of 2 doubles it.
  Table u;
  for (int b = 30; b < 40; ++b) u.Band(b, 2 * reference[b], 50);
  avdNoiseConfigFromLVTable(&entry, values, 1 << 20, &u.level, reference);
  EXPECT_EQ(values[100], 2 * reference[100]);
}

TEST(NoiseFit, LargePicturesFitTwoLumaLevelsWithoutReference) {
  // Luma level 0 counts nothing; level 1 has a clear noise peak.
  std::vector<uint16_t> counters(2 * 256 * 64, 0);
  AvdLVLevel levels[2] = {{counters.data(), 8, 6, 0}, {counters.data() + 256 * 64, 8, 6, 1}};
  for (int b = 30; b < 200; ++b) levels[1].counters[b * 64 + 5] = 100;
  AvdLVChannel channel{levels, 2};
  AvdLVTableSet set{&channel, 1};
  alignas(8) uint8_t blob[1024];
  for (int32_t pixels : {307199, 307200}) {
    AvdNoiseProfile* p = avdInitImgNoiseConfig(blob, sizeof blob, 1, 2, 8, 0, 8);
    avdImgNoiseConfigFromLVTable(p, pixels, &set);
    const uint8_t* v1 = avdNoiseValues(p, 0, 1);
    int nonZero = 0;
    for (int b = 0; b < 256; ++b) nonZero += v1[b] != 0;
    // Small pictures scale the empty luma level 0; large ones fit level 1 itself.
    if (pixels < 307200)
      EXPECT_EQ(nonZero, 0);
    else
      EXPECT_GT(nonZero, 100);
    EXPECT_EQ(avdNoiseLevel(p, 0, 1)->levelIndex, 1);
  }
}

// Noise that follows the expected luminance shape exactly fits back to that
// shape, band for band, so a shape value out of place shows in the result.
// The bright bands (white paper) are where a miscounted shape row lands.
TEST(NoiseFit, NoiseOfTheExpectedShapeFitsBackToIt) {
  // The shape, as printed for the noise fit, sixteen bands a row.
  constexpr auto kShape = JoinRows<int, 16, 16>({
      {0, 0, 1, 2, 4, 8, 16, 19, 21, 24, 26, 28, 30, 32, 34, 36},
      {38, 40, 42, 44, 45, 47, 48, 50, 51, 53, 54, 55, 57, 58, 59, 60},
      {61, 62, 63, 64, 65, 65, 66, 67, 68, 68, 69, 69, 70, 70, 71, 71},
      {71, 72, 72, 72, 72, 73, 73, 73, 73, 73, 73, 73, 73, 73, 73, 73},
      {73, 72, 72, 72, 72, 71, 71, 71, 71, 70, 70, 69, 69, 69, 68, 68},
      {67, 67, 66, 66, 65, 65, 64, 64, 63, 63, 62, 61, 61, 60, 60, 59},
      {58, 58, 57, 56, 56, 55, 54, 54, 53, 52, 52, 51, 50, 50, 49, 48},
      {47, 47, 46, 45, 45, 44, 43, 43, 42, 41, 40, 40, 39, 38, 38, 37},
      {36, 36, 35, 34, 34, 33, 32, 32, 31, 30, 30, 29, 29, 28, 27, 27},
      {26, 26, 25, 24, 24, 23, 23, 22, 22, 21, 21, 20, 20, 19, 19, 18},
      {18, 17, 17, 17, 16, 16, 15, 15, 14, 14, 14, 13, 13, 13, 12, 12},
      {12, 11, 11, 11, 11, 10, 10, 10, 9, 9, 9, 9, 9, 8, 8, 8},
      {8, 8, 7, 7, 7, 7, 7, 7, 6, 6, 6, 6, 6, 6, 6, 6},
      {6, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 4, 4},
      {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3},
      {3, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0},
  });
  Table t;
  // Peaks above column 57 cannot be found by the sliding window; those bands
  // stay uncounted and the fit fills them in from the curve.
  for (int b = 0; b < 256; ++b)
    if (kShape[b] <= 57) t.Band(b, kShape[b], 100);
  AvdNoiseLevelEntry entry{8, 0, 0};
  uint8_t values[256];
  avdNoiseConfigFromLVTable(&entry, values, 1 << 20, &t.level, nullptr);
  std::vector<int> got(values, values + 256), want(kShape.begin(), kShape.end());
  // The fit is limited to the largest counted peak.
  for (int& v : want) v = std::min(v, 57);
  EXPECT_EQ(got, want);
}
