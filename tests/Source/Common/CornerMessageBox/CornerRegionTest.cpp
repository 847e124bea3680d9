// Corner masks from BMP bytes and the window shapes cut from them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CornerRegion.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace {

void Put16(std::string& s, uint16_t v) {
  s += char(v & 0xff);
  s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xff);
}

// A 1-bit BMP from rows of '#' (black) and '.' (white), top row first.
std::string MonoBmp(const std::vector<std::string>& rows, bool topDown = false, bool blackFirst = true) {
  const int32_t w = int32_t(rows[0].size()), h = int32_t(rows.size());
  const uint32_t stride = ((w + 31) / 32) * 4;
  std::string pixels;
  for (int32_t i = 0; i < h; ++i) {
    const std::string& row = rows[size_t(topDown ? i : h - 1 - i)];
    std::string bytes(stride, '\0');
    for (int32_t x = 0; x < w; ++x) {
      bool black = row[size_t(x)] == '#';
      bool bit = blackFirst ? !black : black;  // palette index of the pixel
      if (bit) bytes[size_t(x >> 3)] = char(bytes[size_t(x >> 3)] | (0x80 >> (x & 7)));
    }
    pixels += bytes;
  }
  std::string pal = blackFirst ? std::string("\0\0\0\0\xff\xff\xff\0", 8) : std::string("\xff\xff\xff\0\0\0\0\0", 8);
  std::string out = "BM";
  const uint32_t off = 14 + 40 + 8;
  Put32(out, off + uint32_t(pixels.size()));
  Put32(out, 0);
  Put32(out, off);
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(topDown ? -h : h));
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, 0);
  Put32(out, uint32_t(pixels.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 2);
  Put32(out, 2);
  return out + pal + pixels;
}

std::optional<ORVRegion> Decode(const std::string& bytes) {
  return RegionFromBmpBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void ExpectMatches(const ORVRegion& r, const std::vector<std::string>& rows) {
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      EXPECT_EQ(r.Contains(POINT{int32_t(x), int32_t(y)}), rows[y][x] == '#') << x << "," << y;
    }
  }
}

const std::vector<std::string> kPattern = {
    "##...#####",
    "##...#####",
    "#.........",
    "..........",
    "........##",
};

}  // namespace

TEST(CornerRegion, BlackPixelsOfAOneBitBmpInEveryRowOrderAndPalette) {
  for (bool topDown : {false, true}) {
    for (bool blackFirst : {true, false}) {
      auto r = Decode(MonoBmp(kPattern, topDown, blackFirst));
      ASSERT_TRUE(r) << topDown << blackFirst;
      EXPECT_EQ(r->bounds.right, 10);
      EXPECT_EQ(r->bounds.bottom, 5);
      EXPECT_EQ(r->Area(), 2 * 2 + 5 * 2 + 1 + 2);
      ExpectMatches(*r, kPattern);
    }
  }
  // Identical rows merge into one rectangle per run.
  auto r = Decode(MonoBmp(kPattern));
  EXPECT_EQ(r->rects.size(), 4u);
}

TEST(CornerRegion, BrokenOrForeignFilesGiveNoRegion) {
  std::string good = MonoBmp(kPattern);
  EXPECT_FALSE(Decode(good.substr(0, good.size() - 1)));  // pixels cut short
  EXPECT_FALSE(Decode(good.substr(0, 30)));
  std::string notBmp = good;
  notBmp[0] = 'X';
  EXPECT_FALSE(Decode(notBmp));
  std::string compressed = good;
  compressed[14 + 16] = 1;  // run-length coded
  EXPECT_FALSE(Decode(compressed));
  std::string huge = good;
  huge[14 + 4] = '\xff';  // width far past any mask
  huge[14 + 5] = '\xff';
  huge[14 + 6] = '\xff';
  EXPECT_FALSE(Decode(huge));
  std::string badPalette = good;
  badPalette[14 + 32] = 3;  // three colours on a 1-bit picture
  EXPECT_FALSE(Decode(badPalette));
  EXPECT_FALSE(RegionFromBmpBytes(nullptr, 0));
  EXPECT_FALSE(CreateRgnFromFile(u""));
  EXPECT_FALSE(CreateRgnFromFile(QelFromUTF8((testenv::Root() / "missing.bmp").string())));
}

TEST(CornerRegion, SubtractingLeavesDisjointRectanglesOfTheRightArea) {
  const SRect32 bounds{0, 0, 20, 10};
  const std::vector<SRect32> cuts{{0, 0, 4, 3}, {16, 0, 20, 3}, {2, 2, 6, 5}, {-5, 8, 30, 20}};
  auto rects = SubtractRects(bounds, cuts);
  ORVRegion r{bounds, rects};
  int64_t expected = 0;
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      bool cut = false;
      for (const SRect32& c : cuts) cut |= x >= c.left && x < c.right && y >= c.top && y < c.bottom;
      EXPECT_EQ(r.Contains(POINT{x, y}), !cut) << x << "," << y;
      expected += cut ? 0 : 1;
    }
  }
  EXPECT_EQ(r.Area(), expected);  // no pixel counted twice
  EXPECT_EQ(SubtractRects(bounds, {}).size(), 1u);
  EXPECT_TRUE(SubtractRects(SRect32{5, 5, 5, 9}, {}).empty());
}

TEST(CornerRegion, SubtractingAgreesWithEveryPixelOnRandomCuts) {
  // Overlapping, touching, empty and out-of-bounds cuts, many to a row.
  const SRect32 bounds{-3, 2, 61, 50};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    uint32_t state = seed * 2654435761u;
    auto next = [&state](int32_t lo, int32_t hi) {
      state = state * 1664525u + 1013904223u;
      return lo + int32_t((state >> 8) % uint32_t(hi - lo + 1));
    };
    std::vector<SRect32> cuts;
    for (int i = next(0, 60); i > 0; --i) {
      int32_t l = next(-10, 70), t = next(-5, 55);
      cuts.push_back(SRect32{l, t, l + next(-2, 20), t + next(-2, 12)});
    }
    ORVRegion r{bounds, SubtractRects(bounds, cuts)};
    int64_t expected = 0;
    for (int32_t y = bounds.top - 1; y <= bounds.bottom; ++y) {
      for (int32_t x = bounds.left - 1; x <= bounds.right; ++x) {
        bool inside = x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
        for (const SRect32& c : cuts) inside &= !(x >= c.left && x < c.right && y >= c.top && y < c.bottom);
        ASSERT_EQ(r.Contains(POINT{x, y}), inside) << "seed " << seed << " at " << x << "," << y;
        expected += inside ? 1 : 0;
      }
    }
    ASSERT_EQ(r.Area(), expected) << "seed " << seed;  // no pixel counted twice
  }
}

TEST(CornerRegion, MasksLargerThanAnyCornerAreRefused) {
  // A full-size checkerboard is the costliest mask there can be: still read,
  // whole; one pixel more a side is refused.
  auto board = [](int side) {
    std::vector<std::string> rows(size_t(side), std::string(size_t(side), '.'));
    for (int y = 0; y < side; ++y)
      for (int x = (y & 1); x < side; x += 2) rows[size_t(y)][size_t(x)] = '#';
    return MonoBmp(rows);
  };
  auto largest = Decode(board(1024));
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->Area(), 1024 * 1024 / 2);
  EXPECT_EQ(ComplementInBounds(*largest).Area(), 1024 * 1024 / 2);
  EXPECT_FALSE(Decode(board(1025)));
  EXPECT_FALSE(Decode(board(2048)));
}

TEST(CornerRegion, AShapeCostsAFewRectanglesAMaskRowWhateverTheMaskHolds) {
  // The costliest legal mask at every corner: each row's cut is one run,
  // from its first cut pixel to its last.
  std::vector<std::string> rows(1024, std::string(1024, '.'));
  for (int y = 0; y < 1024; ++y)
    for (int x = (y & 1); x < 1024; x += 2) rows[size_t(y)][size_t(x)] = '#';
  auto dir = testenv::MakeTempDir("board");
  testenv::WriteFile(dir / "board.bmp", MonoBmp(rows));
  CornerMaskTable table;
  for (auto& path : table.path) path = QelFromUTF8((dir / "board.bmp").string());
  for (CornerMaskSense sense : {CornerMaskSense::kBlackIsWindow, CornerMaskSense::kBlackIsCut}) {
    const std::vector<SRect32> shape = CornerWindowShape(table, 3000, 3000, sense);
    EXPECT_LE(shape.size(), 4u * 1024u + 1u);
    ORVRegion r{SRect32{0, 0, 3000, 3000}, shape};
    // Row 0 of the top-left mask: black at even columns, so 1 .. 1023 is
    // cut when black is the window, and 0 .. 1022 when black is cut.
    const bool window = sense == CornerMaskSense::kBlackIsWindow;
    EXPECT_EQ(r.Contains(POINT{0, 0}), window);
    EXPECT_FALSE(r.Contains(POINT{500, 0}));
    EXPECT_EQ(r.Contains(POINT{1023, 0}), !window);
    EXPECT_TRUE(r.Contains(POINT{1500, 1500}));
  }
  // A mask without a hole cuts exactly its pixels.
  ORVRegion mask{SRect32{0, 0, 4, 3}, {SRect32{0, 0, 2, 1}, SRect32{0, 1, 1, 2}}};
  ORVRegion cut = CornerCut(mask, CornerMaskSense::kBlackIsCut);
  EXPECT_EQ(cut.Area(), 3);
  EXPECT_EQ(CornerCut(mask, CornerMaskSense::kBlackIsWindow).Area(), 12 - 3);
}

TEST(CornerRegion, ShapeCutsTheTransparentPartOfEachCornerMask) {
  // Black is the window's own part of the corner.
  const std::vector<std::string> lt = {"..##", ".###", "####", "####"};
  const std::vector<std::string> rt = {"##..", "###.", "####", "####"};
  auto dir = testenv::MakeTempDir("masks");
  testenv::WriteFile(dir / "LT.bmp", MonoBmp(lt));
  testenv::WriteFile(dir / "RT.bmp", MonoBmp(rt));
  CornerMaskTable table;
  table.path[0] = QelFromUTF8((dir / "LT.bmp").string());
  table.path[1] = QelFromUTF8((dir / "RT.bmp").string());
  table.path[2] = QelFromUTF8((dir / "absent.bmp").string());  // stays square

  ORVRegion shape{SRect32{0, 0, 30, 20}, CornerWindowShape(table, 30, 20)};
  EXPECT_EQ(shape.Area(), 30 * 20 - 3 - 3);
  for (POINT p : {POINT{0, 0}, POINT{1, 0}, POINT{0, 1}, POINT{29, 0}, POINT{28, 0}, POINT{29, 1}}) {
    EXPECT_FALSE(shape.Contains(p)) << p.x << "," << p.y;
  }
  for (POINT p : {POINT{2, 0}, POINT{1, 1}, POINT{27, 0}, POINT{29, 2}, POINT{0, 19}, POINT{29, 19}}) {
    EXPECT_TRUE(shape.Contains(p)) << p.x << "," << p.y;
  }

  ORVRegion inverse{SRect32{0, 0, 30, 20}, CornerWindowShape(table, 30, 20, CornerMaskSense::kBlackIsCut)};
  EXPECT_EQ(inverse.Area(), 30 * 20 - 13 - 13);
  EXPECT_TRUE(inverse.Contains(POINT{0, 0}));
  EXPECT_FALSE(inverse.Contains(POINT{3, 3}));
}

TEST(CornerRegion, PlacesMasksAgainstTheirCorners) {
  ORVRegion mask{SRect32{0, 0, 3, 2}, {SRect32{0, 0, 1, 1}}};
  auto at = [&](int corner) { return PlaceAtCorner(mask, corner, 10, 8).rects.at(0); };
  EXPECT_EQ(at(0).left, 0);
  EXPECT_EQ(at(0).top, 0);
  EXPECT_EQ(at(1).left, 7);
  EXPECT_EQ(at(1).top, 0);
  EXPECT_EQ(at(2).left, 7);
  EXPECT_EQ(at(2).top, 6);
  EXPECT_EQ(at(3).left, 0);
  EXPECT_EQ(at(3).top, 6);
}

TEST(CornerRegion, ShippedMasksRoundTheTopCorners) {
  const auto res = testenv::SourceDir() / "Source" / "Orvenna" / "Resources";
  auto lt = CreateRgnFromFile(QelFromUTF8((res / "MainWndLT.bmp").string()));
  auto rt = CreateRgnFromFile(QelFromUTF8((res / "MainWndRT.bmp").string()));
  ASSERT_TRUE(lt && rt);
  EXPECT_FALSE(lt->Contains(POINT{0, 0}));
  EXPECT_TRUE(lt->Contains(POINT{lt->bounds.right - 1, lt->bounds.bottom - 1}));
  EXPECT_FALSE(rt->Contains(POINT{rt->bounds.right - 1, 0}));
  EXPECT_TRUE(rt->Contains(POINT{0, rt->bounds.bottom - 1}));
  EXPECT_EQ(lt->Area(), rt->Area());
}

TEST(CornerRegion, WindowDefinitionAnswers) {
  uint32_t features = 0;
  EXPECT_EQ(CornerMessageBoxDef::myWindowDef(0, nullptr, 7, reinterpret_cast<intptr_t>(&features)), 1);
  EXPECT_EQ(features, 0x40000016u);
  EXPECT_EQ(CornerMessageBoxDef::myWindowDef(0, nullptr, 1, 0), 1);
  std::vector<SRect32> region{SRect32{1, 2, 3, 4}};
  CornerRegionRequest other{34, &region};
  EXPECT_EQ(CornerMessageBoxDef::myWindowDef(0, nullptr, 8, reinterpret_cast<intptr_t>(&other)), 0);
  EXPECT_EQ(region.size(), 1u);  // other region codes are left alone
  EXPECT_EQ(CornerMessageBoxDef::myWindowDef(0, nullptr, 99, 0), 0);
}
