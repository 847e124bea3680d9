// The date stamp on a plain grey photo: where its digits land, how wide it
// is, and that a missing digit picture leaves the photo unstamped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "DibHelper.h"
#include "ModuleInstance.h"
#include "TestEnvironment.h"
#include "TimeStamp.h"

namespace fs = std::filesystem;

namespace {

fs::path StagedModuleFolder() { return testenv::StageDir() / "Dunsellow.app/Contents/Modules/Capture"; }

// A module folder with the shipped digit pictures, `missing` left out.
void UseDigits(int missing) {
  fs::path dir = testenv::MakeTempDir("module");
  fs::create_directories(dir / "capture.bundle/Contents");
  fs::copy_file(StagedModuleFolder() / "capture.bundle/Contents/Info.plist", dir / "capture.bundle/Contents/Info.plist");
  fs::create_directories(dir / "UI");
  for (int n = 0; n <= 10; ++n) {
    if (n == missing) continue;
    const std::string name = std::to_string(n) + ".png";
    fs::copy_file(StagedModuleFolder() / "UI" / name, dir / "UI" / name);
  }
  auto bundle = plat::Bundle::AtPath((dir / "capture.bundle").string());
  ASSERT_TRUE(bundle);
  vStoreModuleInst(&*bundle);
}

PubImage::QelPicture* GreyPicture(int width, int height) {
  unsigned char* dib = DIBNew(width, height, 24, 72);
  auto* header = reinterpret_cast<tagBITMAPINFOHEADER*>(dib);
  unsigned char* bits = dib + header->biSize;
  std::fill(bits, bits + DIBStride(width, 24) * size_t(height), 0x60);
  PubImage::QelPicture* picture = Dib2Pict(dib);
  DIBDelete(dib);
  return picture;
}

struct Ink {
  int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

// The stamp's amber pixels (top-down coordinates).
Ink AmberOf(PubImage::QelPicture* picture) {
  unsigned char* dib = Pict2Dib(picture);
  Ink ink;
  if (!dib) return ink;
  auto* h = reinterpret_cast<tagBITMAPINFOHEADER*>(dib);
  const size_t stride = DIBStride(h->biWidth, 24);
  for (int y = 0; y < h->biHeight; ++y) {
    const unsigned char* row = dib + h->biSize + size_t(h->biHeight - 1 - y) * stride;
    for (int x = 0; x < h->biWidth; ++x) {
      const int b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
      if (r > 200 && g > 110 && g < 200 && b < 90) {
        ++ink.count;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
  }
  DIBDelete(dib);
  return ink;
}

TEST(TimeStamp, DigitsStandRightAlignedOnTheBaseline) {
  UseDigits(-1);
  CTimeStamp stamp;
  ASSERT_TRUE(stamp.Loaded());
  int32_t date[10];
  CTimeStamp::DateIndexes(2009, 7, 4, date);
  const int32_t expected[10] = {0, 7, 10, 0, 4, 10, 2, 0, 0, 9};
  EXPECT_TRUE(std::equal(date, date + 10, expected));  // leading zeros kept

  PubImage::QelPicture* photo = GreyPicture(640, 480);
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(CTimeStamp::WidthFraction(640), 0.382);
  ASSERT_EQ(stamp.AddTimeStampFor(photo, date, CTimeStamp::WidthFraction(640), 0.025, 0.025), 1);
  EXPECT_EQ(photo->GetLayerCount(), 1);
  const Ink ink = AmberOf(photo);
  EXPECT_GT(ink.count, 1000);
  // Right edge 16 pixels in (2.5 % of 640), baseline 2.5 % of 480 up.
  EXPECT_LE(ink.right, 624);
  EXPECT_GE(ink.right, 600);
  EXPECT_LE(ink.bottom, 468);
  EXPECT_GE(ink.bottom, 450);
  // 0.382 x 640 wide before the overlap: the digits start about 0.838 of that left.
  EXPECT_NEAR(ink.left, 624 - 0.838 * 0.382 * 640, 16);
  photo->Release();

  struct Width {
    int32_t width;
    double fraction;
  };
  for (Width w : {Width{319, 0.618}, Width{320, 0.582}, Width{639, 0.582}}) {
    EXPECT_EQ(CTimeStamp::WidthFraction(w.width), w.fraction) << w.width;
  }
  vStoreModuleInst(nullptr);
}

TEST(TimeStamp, AMissingDigitPictureLeavesThePhotoUnstamped) {
  UseDigits(3);
  CTimeStamp stamp;
  EXPECT_FALSE(stamp.Loaded());
  PubImage::QelPicture* photo = GreyPicture(320, 240);
  int32_t date[10];
  CTimeStamp::DateIndexes(2033, 3, 3, date);
  EXPECT_EQ(stamp.AddTimeStampFor(photo, date, 0.582, 0.025, 0.025), 0);
  EXPECT_EQ(AmberOf(photo).count, 0);
  photo->Release();
  vStoreModuleInst(nullptr);
}

}  // namespace
