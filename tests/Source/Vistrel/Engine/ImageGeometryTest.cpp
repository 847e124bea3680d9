#include <gtest/gtest.h>

#include <vector>

#include "ImageGeometry.h"

TEST(ImageGeometryTest, FitInFrame) {
  struct Case {
    long fw, fh, w, h, ow, oh;
  } cases[] = {
      {640, 480, 1000, 500, 640, 320}, {640, 480, 300, 600, 240, 480}, {640, 480, 0, 500, 0, 0},
      {640, 480, 4000, 3000, 640, 480}, {640, 480, 100000, 1, 640, 1},  {0, 480, 10, 10, 0, 0},
      {640, 480, 10, 10, 480, 480},    {7, 5, 3, 2, 7, 5},
  };
  for (const Case& c : cases) {
    long ow = -1, oh = -1;
    geom::GetFitInSize(c.fw, c.fh, c.w, c.h, ow, oh);
    EXPECT_EQ(ow, c.ow) << c.w << "x" << c.h << " in " << c.fw << "x" << c.fh;
    EXPECT_EQ(oh, c.oh) << c.w << "x" << c.h << " in " << c.fw << "x" << c.fh;
  }
  // The shrinking form never enlarges.
  SIZE s = geom::FitInSize(SIZE{300, 200}, SIZE{640, 480});
  EXPECT_EQ(s.cx, 300);
  EXPECT_EQ(s.cy, 200);
  s = geom::FitInSize(SIZE{4000, 3000}, SIZE{0, 480});
  EXPECT_EQ(s.cx, 0);
}

TEST(ImageGeometryTest, DeflateLevelFollowsTheFittedShare) {
  struct Case {
    int areaWidth;  // for a 1000 x 1000 image
    enuDeflateLevel level;
  } cases[] = {{600, PPIC_ORIGINAL}, {400, PPIC_HALF}, {500, PPIC_HALF}, {200, PPIC_QUARTER},
               {100, PPIC_EIGHTH},   {2000, PPIC_ORIGINAL}, {126, PPIC_QUARTER}, {125, PPIC_EIGHTH}};
  for (const Case& c : cases) {
    EXPECT_EQ(geom::GetDeflateLevel(SIZE{1000, 1000}, SIZE{c.areaWidth, c.areaWidth}), c.level) << c.areaWidth;
  }
  // The photo benchmark's case: 4000 x 3000 in a 640 x 480 area reads at 1/4.
  EXPECT_EQ(geom::GetDeflateLevel(SIZE{4000, 3000}, SIZE{640, 480}), PPIC_QUARTER);
}

TEST(ImageGeometryTest, ReadOrderFavoursTheDirectionOfTravel) {
  EXPECT_EQ(geom::ReadOrderNext(4), (std::vector<int>{4, 5, 6, 7, 8, 3, 2, 1, 0}));
  EXPECT_EQ(geom::ReadOrderPrevious(4), (std::vector<int>{4, 3, 2, 1, 0, 5, 6, 7, 8}));
  EXPECT_EQ(geom::ReadOrderNext(0), std::vector<int>{0});
  for (int n : {1, 2, 50}) {
    std::vector<int> next = geom::ReadOrderNext(n), prev = geom::ReadOrderPrevious(n);
    std::vector<int> seen(size_t(2 * n + 1), 0);
    for (int s : next) ++seen[size_t(s)];
    for (int s : prev) ++seen[size_t(s)];
    for (int count : seen) EXPECT_EQ(count, 2) << n;  // every slot once per order
  }
}

TEST(ImageGeometryTest, IndexesWrapAroundTheList) {
  struct Case {
    int index, size, expected;
  } cases[] = {{-1, 10, 9}, {12, 10, 2}, {3, 10, 3}, {-4, 3, 2}, {7, 3, 1}, {-25, 10, 5}, {5, 0, 0}, {0, 1, 0}};
  for (const Case& c : cases) EXPECT_EQ(geom::TransIndex(c.index, c.size), c.expected) << c.index << " of " << c.size;
}

TEST(ImageGeometryTest, MatricesComposeAndRectanglesRoundOutward) {
  // A quarter turn about the centre of a 40 x 20 rectangle exchanges its sides.
  const double cx = 20, cy = 10, c = 0, s = 1;  // cos and sin of a quarter turn
  geom::Xform r;
  r.eM11 = c;
  r.eM12 = s;
  r.eM21 = -s;
  r.eM22 = c;
  r.eM31 = cx - c * cx + s * cy;
  r.eM32 = cy - c * cy - s * cx;
  SRect32 out{};
  geom::Transform_Rect(&r, SRect32{0, 0, 40, 20}, &out);
  EXPECT_EQ(out.right - out.left, 20);
  EXPECT_EQ(out.bottom - out.top, 40);
  EXPECT_EQ(out.left, 10);
  EXPECT_EQ(out.top, -10);

  // Scaling about a point, then moving: composed in order.
  geom::Xform scale;
  scale.eM11 = scale.eM22 = 0.5;
  geom::Xform move;
  move.eM31 = 3;
  move.eM32 = -2;
  geom::Xform both;
  geom::MultMatrix(both, &scale, &move);
  double x = 0, y = 0;
  geom::TransformPoint(&both, 10, 10, &x, &y);
  EXPECT_DOUBLE_EQ(x, 8);
  EXPECT_DOUBLE_EQ(y, 3);
  // A fractional rectangle grows to whole pixels.
  geom::Transform_Rect(&scale, SRect32{1, 1, 5, 5}, &out);
  EXPECT_EQ(out.left, 0);
  EXPECT_EQ(out.top, 0);
  EXPECT_EQ(out.right, 3);
  EXPECT_EQ(out.bottom, 3);
}
