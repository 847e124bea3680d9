// The planning parts of the filtering core: block steps within the memory
// budget, the block walk, the settings of each filter code and the extension
// walk of the non-local-means search.

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "filter/AvdFilter.h"
#include "filter/AvdLevelFilter.h"

namespace {

TEST(FilterPlan, PreviewFramesFitOneBlock) {
  int32_t w = 0, h = 0;
  avdFlt_AutoBlockStep(640, 480, 1, 4, 0, 0x30333337, 0, 0x20000013, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  avdFlt_AutoBlockStep(321, 241, 1, 3, 2, 0x31333737, 0x31333737, 0x20000013, &w, &h);
  EXPECT_EQ(w, 321);  // rounded up to the unit, then limited to the image
  EXPECT_EQ(h, 241);
}

TEST(FilterPlan, LargeFramesAreCutWithinTheBudget) {
  int32_t w = 0, h = 0;
  const uint32_t codes = 0x31333737;
  avdFlt_AutoBlockStep(8000, 6000, 1, 4, 4, codes, codes, 0x13, &w, &h);
  EXPECT_LT(int64_t{w} * h, int64_t{8000} * 6000);
  EXPECT_EQ(w % 16, 0);
  EXPECT_EQ(h % 16, 0);
  EXPECT_LE(avdFlt_MemBytes(w, h, 4, 4, codes, codes, 64, 0x13) + 8192, 0x3200000);
}

TEST(FilterPlan, BlockWalkInRowOrder) {
  AvdRect r{0, 0, 10, 7};
  int32_t x = 0, y = 0;
  std::vector<std::pair<int, int>> seen{{0, 0}};
  while (avdLoopNext(&x, &y, &r, 4, 4)) seen.push_back({x, y});
  const std::vector<std::pair<int, int>> expected{{0, 0}, {4, 0}, {8, 0}, {0, 4}, {4, 4}, {8, 4}};
  EXPECT_EQ(seen, expected);
}

TEST(FilterPlan, TemporalSettingsByCode) {
  AvdFltLevelParam lp;
  AvdNLSettings s;
  lp.code = 0x37;
  lp.level = 0;
  _GetVNLparams(&lp, 0, &s);
  EXPECT_EQ(s.size, 8);
  EXPECT_EQ(s.prefilter, 16);
  EXPECT_EQ(s.radius + s.extension, 0);
  EXPECT_EQ(s.temporalWeight, 40);
  EXPECT_EQ(s.strength, 2);
  lp.code = 0x33;
  lp.level = 2;
  _GetVNLparams(&lp, 2, &s);
  EXPECT_EQ(s.radius, 1);
  EXPECT_EQ(s.extension, 2);
  EXPECT_EQ(s.prefilter, 4);
  EXPECT_EQ(s.strength, 1 << 5);
  lp.code = 0x30;
  lp.level = 3;
  lp.pyramid = 1;
  _GetVNLparams(&lp, 3, &s);
  EXPECT_EQ(s.size, 4);
  EXPECT_EQ(s.prefilter, 0);
  EXPECT_EQ(s.radius, 2);
  EXPECT_EQ(s.strength, 1 << 5);
}

TEST(FilterPlan, SpatialSettingsByCode) {
  AvdFltLevelParam lp;
  AvdNLSettings s;
  lp.code = 0x15;  // family 1, bits 0 and 2
  lp.level = 0;
  _GetSpatialParams(&lp, 1, &s);
  EXPECT_EQ(s.size, 4);
  EXPECT_EQ(s.radius, 1);
  EXPECT_EQ(s.extension, 3);
  EXPECT_EQ(s.prefilter, 8);
  EXPECT_EQ(s.strength, 4);
  lp.code = 0x23;  // family 2, bits 0 and 1
  lp.pyramid = 1;
  _GetSpatialParams(&lp, 1, &s);
  EXPECT_EQ(s.size, 8);
  EXPECT_EQ(s.radius, 1);
  EXPECT_EQ(s.extension, 0);
  EXPECT_EQ(s.prefilter, 12);
  EXPECT_EQ(s.strength, 8 - 2);
}

TEST(FilterPlan, UnknownFamilyIsRefused) {
  AvdFltLevelParam lp;
  lp.code = 0x47;
  AvdNoiseMap map;
  AvdChannelBlock level;
  EXPECT_EQ(avdFlt_Block(nullptr, &level, &lp, &map), -801);
  lp.code = 0x00;
  EXPECT_EQ(avdFlt_Block(nullptr, &level, &lp, &map), 0);
  lp.code = 0x37;
  uint8_t cells[1] = {1};
  map.cells = cells;
  EXPECT_EQ(avdFlt_Block(nullptr, &level, &lp, &map), -1301);  // temporal without a previous frame
}

TEST(FilterPlan, ExtensionWalk) {
  // From ring point (1, 0): (2, 0), then (2, -1) and (2, 1); (2, 1) is the
  // smallest, so the next step measures (3, 2), (3, 1) and (3, 3).
  std::map<std::pair<int, int>, int> dist{{{2, 0}, 50}, {{2, -1}, 60}, {{2, 1}, 10},
                                          {{3, 2}, 30}, {{3, 1}, 40},  {{3, 3}, 20}};
  int32_t offsets[16][2], distances[16];
  AvdNLCandidates list{offsets, distances, 9};
  avdNL_Extend(&list, 1, 0, 2, [&](int32_t dx, int32_t dy) { return dist.at({dx, dy}); });
  ASSERT_EQ(list.count, 15);
  const int expected[6][3] = {{2, 0, 50}, {2, -1, 60}, {2, 1, 10}, {3, 2, 30}, {3, 1, 40}, {3, 3, 20}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(offsets[9 + i][0], expected[i][0]) << i;
    EXPECT_EQ(offsets[9 + i][1], expected[i][1]) << i;
    EXPECT_EQ(distances[9 + i], expected[i][2]) << i;
  }
}

TEST(FilterPlan, ExtensionOnTheDiagonalAndTies) {
  // Diagonal: neighbours step toward 0 in x, then in y. Equal distances keep P.
  std::vector<std::pair<int, int>> asked;
  int32_t offsets[16][2], distances[16];
  AvdNLCandidates list{offsets, distances, 0};
  avdNL_Extend(&list, -1, 1, 2, [&](int32_t dx, int32_t dy) {
    asked.push_back({dx, dy});
    return 7;
  });
  const std::vector<std::pair<int, int>> expected{{-2, 2}, {-1, 2}, {-2, 1}, {-3, 3}, {-2, 3}, {-3, 2}};
  EXPECT_EQ(asked, expected);
}

}  // namespace
