// One pyramid level through the level filters, on hand-made blocks and noise
// maps: what is left alone, flat sub-blocks, and the temporal blend.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filter/AvdLevelFilter.h"

namespace {

// A level block of inner size n x n with an 8-sample border all round.
struct Level {
  static constexpr int kBorder = 8;
  std::vector<uint8_t> samples;
  AvdChannelBlock cb;
  explicit Level(int n, uint32_t kind, uint8_t fill) : samples(static_cast<size_t>(n + 16) * 32, fill) {
    cb.be.block.data = samples.data();
    cb.be.block.kind = kind;
    cb.be.block.width = n + 2 * kBorder;
    cb.be.block.height = n + 2 * kBorder;
    cb.be.block.pitch = 32;
    cb.be.left = cb.be.top = cb.be.right = cb.be.bottom = kBorder;
    cb.picWidth = cb.picHeight = n;
  }
  uint8_t& at(int x, int y) { return samples[static_cast<size_t>(y + kBorder) * 32 + x + kBorder]; }
};

struct Map {
  std::vector<uint8_t> cells;
  AvdNoiseMap map;
  Map(int value, int q) : cells(32 * 32, static_cast<uint8_t>(value)) {
    map.cells = cells.data();
    map.q = q;
    map.width = map.height = map.pitch = 32;
    map.left = map.top = 4;
  }
};

TEST(LevelFilter, NoStrengthOrNoNoiseLeavesTheLevel) {
  Level level(16, 0x10, 0);
  for (int y = -8; y < 24; ++y)
    for (int x = -8; x < 24; ++x) level.at(x, y) = static_cast<uint8_t>((x * 31 + y * 17) & 0xff);
  const std::vector<uint8_t> before = level.samples;
  AvdFltLevelParam lp;
  lp.code = 0x13;
  lp.keep = 256;  // denoise strength 0
  Map noisy(100, 0);
  EXPECT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &noisy.map), 0);
  EXPECT_EQ(level.samples, before);
  lp.keep = 0;
  Map quiet(0, 0);  // no noise measured anywhere
  EXPECT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &quiet.map), 0);
  EXPECT_EQ(level.samples, before);
}

TEST(LevelFilter, FlatSubBlocksBecomeTheirMean) {
  Level level(8, 0x10, 100);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) level.at(x, y) = static_cast<uint8_t>(99 + ((x + y) & 1) * 2);
  AvdFltLevelParam lp;
  lp.code = 0x13;  // spatial, sub-blocks of 8, flat-block test
  lp.keep = 0;
  Map map(50, 0);
  ASSERT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &map.map), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(level.at(x, y), 100) << x << "," << y;
}

TEST(LevelFilter, SaturatedCurvatureSkipsTheFlatTest) {
  // A fine checkerboard: flat enough for the flat-block test, and non-local
  // means keeps its pattern.
  Level level(8, 0x10, 100);
  for (int y = -8; y < 16; ++y)
    for (int x = -8; x < 16; ++x) level.at(x, y) = ((x + y) & 1) ? 85 : 115;
  std::vector<uint8_t> edges(32 * 32, 255);
  AvdBlockEdge curvature;
  curvature.block.data = edges.data();
  curvature.block.kind = 0x10;
  curvature.block.width = curvature.block.height = curvature.block.pitch = 32;
  AvdFltLevelParam lp;
  lp.code = 0x13;
  lp.keep = 0;
  lp.curvature = &curvature;
  Map map(50, 0);
  ASSERT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &map.map), 0);
  bool allMean = true;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) allMean = allMean && level.at(x, y) == 100;
  EXPECT_FALSE(allMean);  // averaged over similar blocks, not set to the mean
}

TEST(LevelFilter, TemporalBlendOfSmallSubBlocks) {
  // A uniform change of 9 gives D = 2592; noise 81 at level 3 makes T = D / 2.
  // A valid area of 3 x 3 holds a single sub-block of 4.
  for (uint32_t kind : {0x10u, 0x110u}) {
    const uint8_t now = kind == 0x10 ? 100 : static_cast<uint8_t>(-10);
    const uint8_t then = kind == 0x10 ? 91 : static_cast<uint8_t>(-1);
    const uint8_t want = kind == 0x10 ? 95 : static_cast<uint8_t>(-5);
    Level level(3, kind, now), prev(3, kind, then);
    AvdFltLevelParam lp;
    lp.code = 0x34;  // temporal, sub-blocks of 4, no search
    lp.keep = 0;
    lp.level = 3;
    lp.frameCounter = 2;
    lp.previous = &prev.cb;
    Map map(81, 0);
    ASSERT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &map.map), 0);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(level.at(x, y), want) << kind;
        EXPECT_EQ(prev.at(x, y), want) << kind;  // the next frame compares against the result
      }
  }
}

TEST(LevelFilter, TemporalFirstFrameOnlyFillsThePrevious) {
  Level level(8, 0x10, 77), prev(8, 0x10, 0);
  AvdFltLevelParam lp;
  lp.code = 0x37;
  lp.frameCounter = 0;
  lp.previous = &prev.cb;
  Map map(30, 0);
  const std::vector<uint8_t> before = level.samples;
  ASSERT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &map.map), 0);
  EXPECT_EQ(level.samples, before);
  for (int y = -8; y < 16; ++y)
    for (int x = -8; x < 16; ++x) EXPECT_EQ(prev.at(x, y), 77);  // the level with its border
}

TEST(LevelFilter, StillSubBlocksTakeThePreviousSamples) {
  Level level(8, 0x10, 120), prev(8, 0x10, 121);
  AvdFltLevelParam lp;
  lp.code = 0x37;  // sub-blocks of 8
  lp.frameCounter = 3;
  lp.previous = &prev.cb;
  Map map(30, 0);
  ASSERT_EQ(avdFlt_Block(nullptr, &level.cb, &lp, &map.map), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(level.at(x, y), 121);
}

}  // namespace
