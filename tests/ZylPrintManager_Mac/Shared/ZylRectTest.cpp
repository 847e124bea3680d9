#include "ZylRect.h"

#include <gtest/gtest.h>

namespace {

bool Same(const SRect32& a, SRect32 b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ZylRect, IntersectionOfTouchingRectanglesIsEmptyAndZeroed) {
  SRect32 a{0, 0, 10, 10}, b{10, 0, 20, 10}, d{7, 7, 7, 7};
  EXPECT_EQ(Zyl_IntersectRect(&d, &a, &b), 0);
  EXPECT_TRUE(Same(d, {0, 0, 0, 0}));
  SRect32 c{5, -5, 15, 5};
  EXPECT_EQ(Zyl_IntersectRect(&d, &a, &c), 1);
  EXPECT_TRUE(Same(d, {5, 0, 10, 5}));
  EXPECT_EQ(Zyl_IntersectRect(nullptr, &a, &c), 1);
  d = {1, 2, 3, 4};
  EXPECT_EQ(Zyl_IntersectRect(&d, nullptr, &a), 0);
  EXPECT_TRUE(Same(d, {1, 2, 3, 4}));
}

TEST(ZylRect, PointsOnTheRightAndBottomEdgesAreOutside) {
  SRect32 r{0, 0, 10, 10};
  struct Case { POINT p; int in; } cases[] = {{{0, 0}, 1}, {{9, 9}, 1}, {{10, 5}, 0}, {{5, 10}, 0}, {{-1, 5}, 0}};
  for (const auto& c : cases) EXPECT_EQ(Zyl_PtInRect(&r, c.p), c.in) << c.p.x << "," << c.p.y;
  EXPECT_EQ(Mac_PtInRect(&r, MacPoint16{5, 9}), 1);  // v, h
  EXPECT_EQ(Mac_PtInRect(&r, MacPoint16{10, 0}), 0);
}

TEST(ZylRect, UnionEmptinessEqualityAndMoves) {
  SRect32 a{0, 0, 0, 0}, b{5, 5, 10, 10}, u;
  Zyl_UnionRect(&u, &a, &b);
  EXPECT_TRUE(Same(u, {0, 0, 10, 10}));
  SRect32 thin{5, 5, 5, 9};
  EXPECT_EQ(Zyl_IsRectEmpty(&thin), 1);
  EXPECT_EQ(Zyl_IsRectEmpty(&b), 0);
  SRect32 e1{0, 0, 0, 0}, e2{3, 3, 1, 1};
  EXPECT_EQ(Zyl_EqualRect(&e1, &e2), 0);
  Zyl_OffsetRect(&b, 2, -3);
  EXPECT_TRUE(Same(b, {7, 2, 12, 7}));
  Zyl_InflateRect(&b, 1, 2);
  EXPECT_TRUE(Same(b, {6, 0, 13, 9}));
  Zyl_InsetRect(&b, 1, 2);
  EXPECT_TRUE(Same(b, {7, 2, 12, 7}));
  Zyl_SetRect(&b, 9, 8, 1, 2);  // stored as given
  EXPECT_TRUE(Same(b, {9, 8, 1, 2}));
  Zyl_SetRectEmpty(&b);
  EXPECT_TRUE(Same(b, {0, 0, 0, 0}));
}

TEST(ZylRect, SixteenBitRectanglesKeepTheLowHalfAndSignExtend) {
  SRect32 r{-1, 70000, 32767, -32769};
  MacRect16 q;
  Mac_Rect32ToRect(&r, &q);
  EXPECT_EQ(q.left, -1);
  EXPECT_EQ(q.top, int16_t(70000 & 0xFFFF));
  EXPECT_EQ(q.right, 32767);
  EXPECT_EQ(q.bottom, 32767);
  SRect32 back;
  Mac_RectToRect32(&q, &back);
  EXPECT_TRUE(Same(back, {-1, 4464, 32767, 32767}));
}

}  // namespace
