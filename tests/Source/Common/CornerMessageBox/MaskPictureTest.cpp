// Pictures read as 1-bit masks through the imaging library: the same
// region from a BMP, a PNG (transparent pixels count as white) and a file
// specification; what is not a small picture gives nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "MaskPicture.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"

namespace {

namespace fs = std::filesystem;

// A 12 x 6 picture: black where x < y + 2 (a staircase), white elsewhere.
img::Bitmap Staircase() {
  img::Bitmap b = img::Bitmap::Filled(12, 6, 255);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 12 && x < y + 2; ++x) std::fill(b.mutable_row(y) + 3 * x, b.mutable_row(y) + 3 * x + 3, 0);
  return b;
}

bool Inside(const ORVRegion& r, int32_t x, int32_t y) { return r.Contains(POINT{x, y}); }

TEST(MaskPicture, PicturesOfEveryFormatGiveTheSameRegion) {
  fs::path dir = testenv::MakeTempDir("mask");
  img::Bitmap b = Staircase();
  ASSERT_EQ(img::SaveBmp(b, (dir / "m.bmp").string(), {}), img::Status::kOk);
  // PNG: the right part transparent (black there too, which must not count).
  img::Bitmap dark = b;
  img::Plane alpha = img::Plane::Filled(12, 6, 255);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 8; x < 12; ++x) {
      alpha.mutable_row(y)[x] = 0;
      std::fill(dark.mutable_row(y) + 3 * x, dark.mutable_row(y) + 3 * x + 3, 0);
    }
  }
  ASSERT_EQ(img::SavePng(dark, alpha, (dir / "m.png").string(), {}), img::Status::kOk);

  for (const char* name : {"m.bmp", "m.png"}) {
    SCOPED_TRACE(name);
    GWorldPtr world = ReadFileToGWorld((dir / name).string());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->depth, plat::kOffscreenMono);
    std::optional<ORVRegion> region = BitMapToRegion(world);
    plat::DisposeOffscreen(world);
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Area(), 2 + 3 + 4 + 5 + 6 + 7);
    EXPECT_TRUE(Inside(*region, 0, 0));
    EXPECT_TRUE(Inside(*region, 1, 0));
    EXPECT_FALSE(Inside(*region, 2, 0));
    EXPECT_TRUE(Inside(*region, 6, 5));
    EXPECT_FALSE(Inside(*region, 7, 5));
    EXPECT_FALSE(Inside(*region, 11, 5)) << "transparent or white";
  }
  // Through a file specification, as the corner masks are read.
  FSSpec spec;
  ASSERT_EQ(Mac_GetFileByPath((dir / "m.png").c_str(), &spec), 1);
  GWorldPtr world = ReadFileToGWorldByQT(&spec);
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(world->width, 12);
  plat::DisposeOffscreen(world);
  // And the corner masks take PNG files as well as BMP.
  std::optional<ORVRegion> corner = CreateRgnFromFile(QelFromUTF8((dir / "m.png").string()));
  ASSERT_TRUE(corner);
  EXPECT_EQ(corner->Area(), 27);
}

TEST(MaskPicture, WhatIsNoSmallPictureGivesNoWorld) {
  fs::path dir = testenv::MakeTempDir("nomask");
  testenv::WriteFile(dir / "text.png", "not a picture");
  ASSERT_EQ(img::SaveBmp(img::Bitmap::Filled(1100, 4, 0), (dir / "wide.bmp").string(), {}), img::Status::kOk);
  EXPECT_EQ(ReadFileToGWorld((dir / "text.png").string()), nullptr);
  EXPECT_EQ(ReadFileToGWorld((dir / "missing.bmp").string()), nullptr);
  EXPECT_EQ(ReadFileToGWorld((dir / "wide.bmp").string()), nullptr) << "wider than any corner";
  EXPECT_EQ(ReadFileToGWorld(""), nullptr);
  EXPECT_EQ(ReadFileToGWorldByQT(nullptr), nullptr);
  EXPECT_FALSE(BitMapToRegion(nullptr));
  plat::Offscreen* colour = plat::NewOffscreen(4, 4, plat::kOffscreenARGB32);
  EXPECT_FALSE(BitMapToRegion(colour)) << "only 1-bit worlds";
  plat::DisposeOffscreen(colour);
}

}  // namespace
