// The print cell: zoom steps, merged turns and flips, auto-rotate, fitting
// and equality.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PrintCell.h"

namespace {

// A 400 x 300 picture in a cell of the given size.
CPrintCell PictureCell(int32_t cw = 200, int32_t ch = 200, SIZE pic = {400, 300}) {
  CPrintCell c;
  c.cellRect = SRect32{0, 0, cw, ch};
  c.SetResourceIndex(3, pic, false);
  return c;
}

std::vector<std::pair<int, int>> History(const CPrintCell& c) {
  std::vector<std::pair<int, int>> h;
  for (const auto& n : c.history) h.emplace_back(n.kind, n.value);
  return h;
}

TEST(PrintCellTest, ZoomSteps) {
  CPrintCell c = PictureCell();
  ASSERT_EQ(c.DoZoom(1), 1);
  EXPECT_DOUBLE_EQ(c.zoom, 1.2);
  c.DoZoom(0);
  ASSERT_EQ(c.DoZoom(-1), 1);
  EXPECT_DOUBLE_EQ(c.zoom, 1 / 1.3);
  // A zoom of 1 or less shows the whole picture.
  EXPECT_EQ(c.picRect.right, 400);
  EXPECT_EQ(c.picRect.bottom, 300);
  struct Case {
    double from;
    int step;
    int result;
    double to;
  } cases[] = {{8.0, 1, 0, 8.0}, {0.125, -1, 0, 0.125}, {7.5, 1, 1, 8.0}, {0.2, -1, 1, 1 / 5.5},
               {1.37, 1, 1, 1.5}, {1.37, -1, 1, 1.3}, {2.0, 2, 0, 2.0}};
  for (const Case& k : cases) {
    CPrintCell z = PictureCell();
    ASSERT_EQ(z._SetZoom(k.from), 1) << k.from;
    EXPECT_EQ(z.DoZoom(k.step), k.result) << k.from << " " << k.step;
    EXPECT_DOUBLE_EQ(z.zoom, k.to) << k.from << " " << k.step;
  }
  EXPECT_FALSE(PictureCell().isText);
  CPrintCell text;
  text.SetResourceIndex(1, SIZE{10, 10}, true);
  EXPECT_EQ(text.DoZoom(1), 0);
  EXPECT_FALSE(text.CanZoomIn());
}

TEST(PrintCellTest, ZoomOnlyFiniteAndInRange) {
  for (double z : {std::nan(""), std::numeric_limits<double>::infinity(), 0.0, -1.0, 1e-7, 8.5, 1e300}) {
    CPrintCell c = PictureCell();
    EXPECT_EQ(c._SetZoom(z), 0) << z;
    EXPECT_DOUBLE_EQ(c.zoom, 1.0);
  }
  CPrintCell empty;
  EXPECT_EQ(empty._SetZoom(2.0), 0);
}

TEST(PrintCellTest, ZoomedRectStaysInsideThePicture) {
  // A wide picture in a square cell: zoom 2 shows half the width and the
  // cell's proportion of the height, centred and inside the picture.
  CPrintCell c = PictureCell(200, 200);
  ASSERT_EQ(c._SetZoom(2.0), 1);
  EXPECT_EQ(c.picRect.right - c.picRect.left, 200);
  EXPECT_EQ(c.picRect.bottom - c.picRect.top, 200);
  EXPECT_GE(c.picRect.left, 0);
  EXPECT_LE(c.picRect.right, 400);
  // Panned to the corner and zoomed again: pushed back inside.
  c.DoPan(SRect32{300, 200, 400, 300});
  c._SetZoom(4.0);
  EXPECT_LE(c.picRect.right, 400);
  EXPECT_LE(c.picRect.bottom, 300);
  EXPECT_EQ(c.picRect.right - c.picRect.left, 100);
  // A 180 turn of a zoomed cell keeps its rectangle.
  SRect32 before = c.picRect;
  c.DoRotate(180);
  EXPECT_EQ(c.picRect.left, before.left);
  EXPECT_EQ(c.picRect.bottom, before.bottom);
  // Moving the cell resets the zoom.
  c.DoMoveOrZoom(SRect32{0, 0, 100, 100});
  EXPECT_DOUBLE_EQ(c.zoom, 1.0);
  EXPECT_EQ(c.picRect.right, 400);
}

TEST(PrintCellTest, TurnsAndFlipsMerge) {
  using H = std::vector<std::pair<int, int>>;
  struct Case {
    std::vector<std::pair<char, int>> ops;  // 'r' angle, 'f' dir
    H history;
    long angle;
    int flipA, flipB;
  } cases[] = {
      {{{'r', 90}, {'r', 90}}, {{0, 180}}, 180, 0, 0},
      {{{'r', 90}, {'r', 90}, {'r', 90}, {'r', 90}}, {}, 0, 0, 0},
      {{{'f', 1}, {'f', 1}}, {}, 0, 0, 0},
      {{{'f', 1}, {'r', 90}, {'f', 1}}, {{1, 1}, {0, 90}, {1, 1}}, 270, 0, 0},
      {{{'r', 90}, {'f', 1}}, {{0, 90}, {1, 1}}, 270, 1, 0},
      {{{'r', 270}, {'f', 0}}, {{0, 270}, {1, 0}}, 90, 0, 1},
      {{{'r', -90}, {'r', 45}, {'r', 450}}, {{0, 90}}, 90, 0, 0},
  };
  for (const Case& k : cases) {
    CPrintCell c = PictureCell();
    for (auto [op, v] : k.ops) {
      if (op == 'r') c.DoRotate(v);
      else c.DoFlip(v == 1);
    }
    EXPECT_EQ(History(c), k.history);
    long a;
    int fa, fb;
    c.GetImgState(a, fa, fb);
    EXPECT_EQ(a, k.angle);
    EXPECT_EQ(fa, k.flipA);
    EXPECT_EQ(fb, k.flipB);
  }
  // A quarter turn swaps the picture's sides and turns the shown part with it.
  CPrintCell c = PictureCell();
  c.DoPan(SRect32{0, 0, 100, 50});
  c.DoRotate(90);
  EXPECT_EQ(c.picWidth, 300);
  EXPECT_EQ(c.picHeight, 400);
  // Empty cells keep no history.
  CPrintCell empty;
  empty.DoRotate(90);
  empty.DoFlip(true);
  EXPECT_TRUE(empty.history.empty());
}

TEST(PrintCellTest, AutoRotate) {
  struct Case {
    int32_t cw, ch;
    std::vector<int> before;  // turns made first
    long mode;
    long angle;  // orientation afterwards
  } cases[] = {
      {200, 400, {}, 0, 90},     {200, 400, {}, 1, 270},   {200, 400, {180}, 0, 90},
      {200, 400, {180}, 1, 270}, {400, 200, {90}, 0, 0},   {400, 200, {270}, 1, 0},
      {200, 200, {}, 0, 0},      {400, 200, {}, 0, 0},
  };
  for (const Case& k : cases) {
    CPrintCell c = PictureCell(k.cw, k.ch);
    for (int t : k.before) c.DoRotate(t);
    c.DoAutoRotate(k.mode);
    long a;
    int fa, fb;
    c.GetImgState(a, fa, fb);
    EXPECT_EQ(a, k.angle) << k.cw << "x" << k.ch << " mode " << k.mode;
  }
}

TEST(PrintCellTest, AutoCropFillsTheCellAndShowRect) {
  CPrintCell c = PictureCell(200, 200);
  c.DoAutoCrop(true);
  EXPECT_TRUE(c.autoCrop);
  // floor(200 x 400 / 300 + 0.5) / 200: the picture's height fills the cell.
  EXPECT_DOUBLE_EQ(c.zoom, 1.335);
  EXPECT_EQ(c.picRect.bottom - c.picRect.top, 300);
  EXPECT_EQ(c.picRect.right - c.picRect.left, 299);
  SRect32 show;
  c.GetPicShowRect(show);
  EXPECT_EQ(show.left, 0);
  EXPECT_EQ(show.right, 200);
  EXPECT_EQ(show.bottom, 200);
  // Off: only the flag.
  c.DoAutoCrop(false);
  EXPECT_FALSE(c.autoCrop);
  EXPECT_DOUBLE_EQ(c.zoom, 1.335);
  // Whole picture: letterboxed in the cell.
  CPrintCell whole = PictureCell(200, 200);
  whole.GetPicShowRect(show);
  EXPECT_EQ(show.top, 25);
  EXPECT_EQ(show.bottom, 175);
  CPrintCell empty;
  empty.cellRect = SRect32{0, 0, 10, 10};
  empty.GetPicShowRect(show);
  EXPECT_EQ(show.right, 0);
}

TEST(PrintCellTest, Equality) {
  CPrintCell a = PictureCell(), b = PictureCell(100, 50);
  EXPECT_TRUE(a == b);  // rectangles and zoom do not count
  b.DoFlip(true);
  EXPECT_FALSE(a == b);
  a.DoRotate(180);
  a.DoFlip(false);  // the same look by another history: states compare as recorded
  EXPECT_FALSE(a == b);
  CPrintCell t1, t2;
  t1.SetResourceIndex(1, SIZE{5, 5}, true);
  t2.SetResourceIndex(1, SIZE{5, 5}, true);
  EXPECT_FALSE(t1 == t2);
  CPrintCell e1, e2;
  EXPECT_FALSE(e1 == e2);
  CPrintCell copy(&a);
  EXPECT_TRUE(copy == a);
  CPrintCell fromNull(static_cast<const CPrintCell*>(nullptr));
  EXPECT_EQ(fromNull.resIndex, -1);
}

}  // namespace
