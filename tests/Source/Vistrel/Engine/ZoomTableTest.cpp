#include <gtest/gtest.h>

#include "ZoomTable.h"

TEST(ZoomTableTest, TableIsAscendingFromOneEighthToEightWithActualSizeAt16) {
  ASSERT_EQ(s_nZoomParam, 36);
  EXPECT_EQ(s_ZoomParam[0].num, 1);
  EXPECT_EQ(s_ZoomParam[0].den, 8);
  EXPECT_EQ(s_ZoomParam[1].num, 10);  // stored unreduced
  EXPECT_EQ(s_ZoomParam[1].den, 75);
  EXPECT_EQ(s_ZoomParam[16].num, s_ZoomParam[16].den);
  EXPECT_EQ(s_ZoomParam[35].num, 8);
  EXPECT_EQ(s_ZoomParam[35].den, 1);
  for (int i = 1; i < s_nZoomParam; ++i) {
    EXPECT_LT(double(s_ZoomParam[i - 1].num) / s_ZoomParam[i - 1].den, double(s_ZoomParam[i].num) / s_ZoomParam[i].den)
        << i;
  }
}

TEST(ZoomTableTest, StepsThroughTheTable) {
  struct Case {
    bool in;
    int m, d;
    int em, ed;
  } cases[] = {
      {true, 1, 1, 12, 10},      {false, 1, 1, 10, 13},   {true, 7900, 1000, 8, 1}, {true, 8, 1, 8, 1},
      {true, 9000, 1000, 8, 1},  {false, 1, 8, 1, 8},     {false, 1, 100, 1, 8},    {false, 8, 1, 75, 10},
      {true, 250, 1000, 10, 35}, {false, 250, 1000, 10, 45}, {true, 1, 8, 10, 75},  {true, 1000, 999, 12, 10},
  };
  for (const Case& c : cases) {
    int m = c.m, d = c.d;
    zoom::NextInTable(c.in, m, d);
    EXPECT_EQ(m, c.em) << (c.in ? "in " : "out ") << c.m << "/" << c.d;
    EXPECT_EQ(d, c.ed) << (c.in ? "in " : "out ") << c.m << "/" << c.d;
  }
}

TEST(ZoomTableTest, ConversionsBetweenPreviewAndFileZoom) {
  int m = 0, d = 0;
  // A 1000 x 750 preview of a 4000 x 3000 image shown at 1/1 is a quarter of the file.
  zoom::CurToOrg(1, 1, false, SIZE{1000, 750}, SIZE{4000, 3000}, m, d);
  EXPECT_EQ(m, 250);
  EXPECT_EQ(d, 1000);
  // Actual size of that file on the preview is four times the preview.
  int mul = 0, div = 0;
  zoom::OrgToCur(1, 1, false, SIZE{1000, 750}, SIZE{4000, 3000}, mul, div);
  EXPECT_EQ(mul, 1000);
  EXPECT_EQ(div, 250);
  // A portrait picture scales by its height.
  zoom::CurToOrg(1, 2, false, SIZE{300, 400}, SIZE{3000, 4000}, m, d);
  EXPECT_EQ(m, 50);
  EXPECT_EQ(d, 1000);
  // The full-resolution picture keeps the zoom as it is.
  zoom::CurToOrg(3, 7, true, SIZE{4000, 3000}, SIZE{4000, 3000}, m, d);
  EXPECT_EQ(m, 3);
  EXPECT_EQ(d, 7);
  zoom::OrgToCur(12, 10, true, SIZE{1, 1}, SIZE{1, 1}, mul, div);
  EXPECT_EQ(mul, 12);
  EXPECT_EQ(div, 10);
}

TEST(ZoomTableTest, NormalisationKeepsBothSidesPositiveOnBase1000) {
  struct Case {
    double m, d;
    int em, ed;
  } cases[] = {
      {1, 1, 1000, 1000}, {3, 2, 1000, 666}, {2, 3, 666, 1000}, {1, 100000, 1, 1000}, {100000, 1, 1000, 1},
      {8, 1, 1000, 125},
  };
  for (const Case& c : cases) {
    int m = 0, d = 0;
    zoom::Normalise(c.m, c.d, m, d);
    EXPECT_EQ(m, c.em) << c.m << "/" << c.d;
    EXPECT_EQ(d, c.ed) << c.m << "/" << c.d;
  }
}

TEST(ZoomTableTest, ButtonTestsAtTheEndsOfTheTable) {
  EXPECT_FALSE(zoom::CanZoomIn(8, 1));
  EXPECT_FALSE(zoom::CanZoomIn(8000, 1000));
  EXPECT_TRUE(zoom::CanZoomIn(7999, 1000));
  EXPECT_FALSE(zoom::CanZoomOut(1, 8));
  EXPECT_FALSE(zoom::CanZoomOut(125, 1000));
  EXPECT_TRUE(zoom::CanZoomOut(126, 1000));
  EXPECT_FALSE(zoom::CanDoActualSize(1000, 1000));
  EXPECT_TRUE(zoom::CanDoActualSize(250, 1000));
}
