// Photos tagged with an EXIF orientation come out upright (compared with
// Pillow's ImageOps.exif_transpose), and a saved photo tells other programs
// (exiftool) that its pixels are upright.
#include <gtest/gtest.h>

#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "img/Orientation.h"

namespace {

namespace fs = std::filesystem;
using imgtest::HaveTool;
using imgtest::SameLayout;

fs::path Photo(const fs::path& dir, int n) { return dir / ("orient-" + std::to_string(n) + ".jpg"); }

class Orientation : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
    dir_ = testenv::MakeTempDir("orient");
    ASSERT_TRUE(imgtest::MakeOrientedPhotos(dir_));
  }
  fs::path dir_;
};

TEST_F(Orientation, EveryOrientationDecodesUprightWithUprightSizes) {
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE("orientation " + std::to_string(n));
    img::Bitmap want = imgtest::ReadPpm(dir_ / ("orient-" + std::to_string(n) + "-upright.ppm"));
    ASSERT_EQ(want.width(), 96);
    ASSERT_EQ(want.height(), 64);

    img::ImageInfo info;
    ASSERT_EQ(img::ReadImageInfo(Photo(dir_, n).string(), info), img::Status::kOk);
    EXPECT_EQ(info.orientation, n);
    EXPECT_EQ(info.width, 96);
    EXPECT_EQ(info.height, 64);

    img::Decoded full;
    ASSERT_EQ(img::DecodeFile(Photo(dir_, n).string(), {}, full), img::Status::kOk);
    EXPECT_EQ(full.info.width, 96);
    EXPECT_EQ(full.info.height, 64);
    // The same decoder library on both sides: the turn must be exact.
    EXPECT_TRUE(imgtest::SamePixels(full.pixels, want)) << imgtest::Psnr(full.pixels, want) << " dB";

    // Reduced decoding for thumbnails and previews turns the same way.
    img::DecodeOptions half;
    half.reduction = img::ReductionFor(info, 48, 32);
    EXPECT_EQ(half.reduction, 2);
    img::Decoded reduced;
    ASSERT_EQ(img::DecodeFile(Photo(dir_, n).string(), half, reduced), img::Status::kOk);
    EXPECT_EQ(reduced.pixels.width(), 48);
    EXPECT_EQ(reduced.pixels.height(), 32);
    EXPECT_TRUE(SameLayout(reduced.pixels, want));
  }
}

TEST_F(Orientation, DamagedOrMissingTagsCountAsUpright) {
  img::ImageInfo info;
  ASSERT_EQ(img::ReadImageInfo(Photo(dir_, 6).string(), info), img::Status::kOk);
  EXPECT_EQ(img::ExifOrientation({}), 1);
  std::vector<uint8_t> cut(info.exif.begin(), info.exif.begin() + 12);
  EXPECT_EQ(img::ExifOrientation(cut), 1);
  std::vector<uint8_t> junk(info.exif.size(), 0xEE);
  std::copy_n(info.exif.begin(), 6, junk.begin());
  EXPECT_EQ(img::ExifOrientation(junk), 1);
}

// Turning a photo upright holds copies of its decoded size beside it (two
// for a transpose: the turn, then its mirror): the budget counts them, so a
// budget that holds the decoded picture alone refuses a photo to be turned.
TEST_F(Orientation, TheTurnedCopiesCountAgainstTheDecodeBudget) {
  for (int reduction : {1, 2}) {
    const uint64_t picture = uint64_t(96 / reduction) * uint64_t(64 / reduction) * 3;
    for (int n = 1; n <= 8; ++n) {
      SCOPED_TRACE("orientation " + std::to_string(n) + ", reduction " + std::to_string(reduction));
      const uint64_t copies = n == 1 ? 0 : n == 5 || n == 7 ? 2 : 1;
      img::DecodeOptions o;
      o.reduction = reduction;
      o.max_bytes = picture * (1 + copies);
      img::Decoded d;
      EXPECT_EQ(img::DecodeFile(Photo(dir_, n).string(), o, d), img::Status::kOk);
      EXPECT_EQ(d.pixels.width(), 96 / reduction);
      o.max_bytes -= 1;
      EXPECT_EQ(img::DecodeFile(Photo(dir_, n).string(), o, d), img::Status::kTooLarge);
      EXPECT_TRUE(d.pixels.empty());
    }
  }
}

// The editor's save: upright pixels with the opened photo's block kept.
TEST_F(Orientation, SavedPhotoIsUprightForOtherPrograms) {
  if (!HaveTool("exiftool")) GTEST_SKIP() << "exiftool missing";
  for (int n : {3, 6, 8, 5}) {
    SCOPED_TRACE("orientation " + std::to_string(n));
    fs::path src = Photo(dir_, n);
    // A camera's embedded thumbnail, stored turned as its photo is.
    img::Decoded stored;
    ASSERT_EQ(img::DecodeFile(src.string(), {}, stored), img::Status::kOk);
    img::Bitmap turned = img::TurnUpright(stored.pixels, n == 6 ? 8 : n == 8 ? 6 : n);  // back as stored
    fs::path thumb = dir_ / "thumb.jpg";
    ASSERT_EQ(img::SaveJpeg(turned, thumb.string(), {}), img::Status::kOk);
    ASSERT_EQ(imgtest::Run({"exiftool", "-q", "-overwrite_original", "-ThumbnailImage<=" + thumb.string(),
                            src.string()}), 0);

    img::Decoded opened;
    ASSERT_EQ(img::DecodeFile(src.string(), {}, opened), img::Status::kOk);
    img::JpegOptions o;
    o.exif_base = opened.info.exif;
    o.exif = img::ExifFields{};
    o.exif->pixel_x = opened.pixels.width();
    o.exif->pixel_y = opened.pixels.height();
    fs::path saved = dir_ / ("saved-" + std::to_string(n) + ".jpg");
    ASSERT_EQ(img::SaveJpeg(opened.pixels, saved.string(), o), img::Status::kOk);

    std::string out;
    ASSERT_EQ(imgtest::Run({"exiftool", "-s3", "-n", "-Orientation", "-ImageWidth", "-ImageHeight",
                            "-ExifImageWidth", "-ExifImageHeight", "-Make", saved.string()}, &out), 0);
    EXPECT_EQ(out, "1\n96\n64\n96\n64\nDunsellow test camera\n");
    // Other programs show what we show.
    img::Bitmap theirs = imgtest::PillowUpright(saved, dir_);
    EXPECT_TRUE(SameLayout(theirs, opened.pixels));
    img::Bitmap want = imgtest::ReadPpm(dir_ / ("orient-" + std::to_string(n) + "-upright.ppm"));
    EXPECT_TRUE(SameLayout(theirs, want));

    // The embedded thumbnail was made again from the saved pixels.
    fs::path kept = dir_ / "kept-thumb.jpg";
    ASSERT_EQ(imgtest::Run({"sh", "-c", "exiftool -b -ThumbnailImage '" + saved.string() + "' > '" +
                                            kept.string() + "'"}), 0);
    img::Decoded t;
    ASSERT_EQ(img::DecodeFile(kept.string(), {}, t), img::Status::kOk);
    EXPECT_EQ(t.info.orientation, 1);
    EXPECT_GT(t.pixels.width(), t.pixels.height());
    EXPECT_TRUE(SameLayout(t.pixels, want));
  }
}

}  // namespace
