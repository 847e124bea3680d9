// Tables, curves and filters of the dynamic light against their stated values.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AdlPyramid.h"
#include "AdlScene.h"
#include "AdlTables.h"
#include "DynamicLight.h"
#include "MMem.h"

namespace {

TEST(AdlTables, StatedEntries) {
  struct Case { const int16_t* table; int index; int value; };
  const Case cases[] = {
      {adl::LogTable(), 0, 0},       {adl::LogTable(), 1, 709},
      {adl::LogTable(), 97, 4695},   {adl::LogTable(), 255, 5678},
      {adl::SqrtTable(), 0, 256},    {adl::SqrtTable(), 1, 259},
      {adl::SqrtTable(), 3071, 2520}, {adl::DivTable(), 0, 32767},
      {adl::DivTable(), 11, 31279},  {adl::DivTable(), 128, 2688},
      {adl::DivTable(), 3071, 112},
  };
  for (const Case& c : cases) EXPECT_EQ(c.table[c.index], c.value) << "index " << c.index;
}

TEST(AdlTables, SoftMagnitudeBounds) {
  const int16_t* t = adl::SqrtTable();
  EXPECT_EQ(adl::SoftMagnitude(t, 0), 256);
  EXPECT_EQ(adl::SoftMagnitude(t, 6000), 5798);
  EXPECT_EQ(adl::SoftMagnitude(t, -6000), 5798);
  for (int d = -5700; d <= 5700; d += 37) {
    const int v = adl::SoftMagnitude(t, d);
    EXPECT_GE(v, 256);
    EXPECT_LE(v, 5798);
    EXPECT_NEAR(v, std::sqrt(double(d) * d + 65536.0), 0.02 * std::sqrt(double(d) * d + 65536.0) + 4);
  }
}

TEST(AdlScene, HistogramBin) {
  std::vector<uint32_t> counts(256, 0);
  counts[10] = 990;
  counts[255] = 10;
  EXPECT_EQ(adl::GetHistogramBin({256, counts.data(), 1000}, 990), 255);
  EXPECT_EQ(adl::GetHistogramBin({256, counts.data(), 1000}, 500), 10);
  std::vector<uint32_t> zero(256, 0);
  EXPECT_EQ(adl::GetHistogramBin({256, zero.data(), 0}, 990), 255);
}

TEST(AdlScene, ToneCurve) {
  int32_t curve[256];
  adl::GetWISCurve(-1.3, 1.1, curve);
  EXPECT_EQ(curve[0], 16384);
  EXPECT_EQ(curve[6], 21299);
  EXPECT_EQ(curve[192], 16141);
  EXPECT_EQ(curve[255], 16384);
  EXPECT_EQ(curve[3], (21299 + 16385) >> 1);
}

TEST(AdlScene, GainTableLimits) {
  std::vector<int16_t> table(65536);
  int16_t* centre = table.data() + 32768;
  adl::GetRetinexGainLUT(centre, 65536, 0.18);
  EXPECT_EQ(centre[0], 256);
  EXPECT_EQ(centre[32767], 325);
  EXPECT_EQ(centre[2025], 325);
  EXPECT_LT(centre[2021], 325);
  EXPECT_EQ(centre[-32768], centre[-32767]);
  for (int i = 1; i < 32768; ++i) ASSERT_GE(centre[i], centre[i - 1]) << i;
  EXPECT_EQ(centre[-32767], 251);  // toward 0.9 + 0.1 / e^(1.33 s)
  adl::GetRetinexGainLUT(centre, 65536, 0.80);
  EXPECT_EQ(centre[32767], 741);
}

TEST(AdlScene, DarkShareClamped) {
  struct Case { int darkPercent; double scene; };
  for (const Case c : {Case{10, 0.18}, Case{18, 0.18}, Case{50, 0.50}, Case{81, 0.80}, Case{95, 0.80}}) {
    const int w = 400, h = 8;  // 100 samples of 4 pixels a sampled row
    std::vector<uint8_t> frame(static_cast<size_t>(w) * 2 * h);
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x) {
        frame[r * w * 2 + 2 * x] = (x / 4 < c.darkPercent) ? 20 : 200;
        frame[r * w * 2 + 2 * x + 1] = 128;
      }
    AdlSceneRecord scene;
    const double value = adl::GetSceneLuminance(nullptr, frame.data(), w, h, 2 * w, ADL_FMT_YUY2, &scene);
    EXPECT_DOUBLE_EQ(value, c.scene) << c.darkPercent;
    MMemFree(nullptr, scene.curve);
  }
}

TEST(AdlPyramid, DownscaleOddColumns) {
  const int16_t src[6] = {1, 2, 3, 10, 20, 30};
  int16_t dst[2];
  adl::Downscale2x2(src, 2, 3, dst, 1, 2);
  EXPECT_EQ(dst[0], (1 + 2 + 10 + 20) >> 2);
  EXPECT_EQ(dst[1], (2 + 3 + 20 + 30) >> 2);
}

TEST(AdlPyramid, TwoByTwoMapSingleBlend) {
  const int16_t src[4] = {1000, 2000, 3000, 4000};
  int16_t dst[4];
  std::vector<int16_t> scratch(64);
  ASSERT_EQ(adl::PyramidFilter(src, 2, 2, dst, 90, 75, scratch.data(), scratch.size()), 0);
  const int coarse = (1000 + 2000 + 3000 + 4000) >> 2;
  const int w = 922;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dst[i], (coarse * (1024 - w) + src[i] * w) >> 10);
  // Too little scratch for the 1 x 1 level (14 words).
  EXPECT_EQ(adl::PyramidFilter(src, 2, 2, dst, 90, 75, scratch.data(), 13), 4);
}

TEST(AdlPyramid, UpSampleRow) {
  const int16_t row[2] = {100, 200};
  int16_t out[8];
  adl::UpSample8x8(row, 2, out);
  const int16_t want[8] = {100, 125, 150, 175, 200, 200, 200, 200};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], want[i]) << i;
}

}  // namespace
