// Picture files: what we write is read back by independent readers
// (ImageMagick, exiftool), what ImageMagick writes we read exactly, damaged
// files fail cleanly, and saves are whole or absent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"

namespace {

using imgtest::HaveTool;

using imgtest::SamePixels;
namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const fs::path& p) {
  std::string s = testenv::ReadFile(p);
  return std::vector<uint8_t>(s.begin(), s.end());
}

img::Bitmap Decode(const fs::path& p, img::Status* status = nullptr) {
  img::Decoded d;
  img::Status s = img::DecodeFile(p.string(), {}, d);
  if (status) *status = s;
  return d.pixels;
}

TEST(ImageFile, RoundTripsThroughEveryWriter) {
  fs::path dir = testenv::MakeTempDir("rt");
  img::Bitmap pic = imgtest::Scene(97, 61);
  img::Bitmap grey = img::Bitmap::Create(97, 61);
  for (size_t i = 0; i < grey.bytes(); i += 3) {
    uint8_t v = pic.data()[i + 1];
    grey.mutable_data()[i] = grey.mutable_data()[i + 1] = grey.mutable_data()[i + 2] = v;
  }
  struct Case {
    const char* file;
    img::Status (*save)(const img::Bitmap&, const std::string&);
    const img::Bitmap* input;
    bool exact;
    int bpp;
  } cases[] = {
      {"a.bmp", [](const img::Bitmap& b, const std::string& p) { return img::SaveBmp(b, p, {}); }, &pic, true, 24},
      {"b.bmp", [](const img::Bitmap& b, const std::string& p) { return img::SaveBmp(b, p, {32, 72}); }, &pic, true, 32},
      {"c.bmp", [](const img::Bitmap& b, const std::string& p) { return img::SaveBmp(b, p, {8, 72}); }, &grey, true, 8},
      {"d.png", [](const img::Bitmap& b, const std::string& p) { return img::SavePng(b, {}, p, {}); }, &pic, true, 24},
      {"e.jpg", [](const img::Bitmap& b, const std::string& p) { return img::SaveJpeg(b, p, {}); }, &pic, false, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    fs::path p = dir / c.file;
    ASSERT_EQ(c.save(*c.input, p.string()), img::Status::kOk);
    img::ImageInfo info;
    ASSERT_EQ(img::ReadImageInfo(p.string(), info), img::Status::kOk);
    EXPECT_EQ(info.width, 97);
    EXPECT_EQ(info.height, 61);
    EXPECT_EQ(info.bits_per_pixel, c.bpp);
    img::Bitmap back = Decode(p);
    if (c.exact) {
      EXPECT_TRUE(SamePixels(back, *c.input));
    } else if (HaveTool("convert")) {
      // Lossy: ImageMagick's decoding of our file agrees with ours.
      fs::path ref = dir / "ref.ppm";
      ASSERT_EQ(imgtest::Run({"convert", p.string(), ref.string()}), 0);
      EXPECT_GT(imgtest::Psnr(back, imgtest::ReadPpm(ref)), 45);
      EXPECT_GT(imgtest::Psnr(back, *c.input), 20);
    }
    if (HaveTool("identify")) {
      std::string out;
      EXPECT_EQ(imgtest::Run({"identify", "-format", "%w %h", p.string()}, &out), 0);
      EXPECT_EQ(out, "97 61");
    }
  }
  // ImageMagick decodes our BMP and PNG to the very same pixels.
  if (HaveTool("compare")) {
    std::string out;
    imgtest::Run({"sh", "-c", "compare -metric AE '" + (dir / "a.bmp").string() + "' '" +
                         (dir / "d.png").string() + "' null: 2>&1"}, &out);
    EXPECT_EQ(out, "0");
  }
}

TEST(ImageFile, JpegQualityAndExifReadBackByIndependentTools) {
  if (!HaveTool("exiftool") || !HaveTool("identify")) GTEST_SKIP() << "exiftool/imagemagick missing";
  fs::path dir = testenv::MakeTempDir("exif");
  img::Bitmap pic = imgtest::Scene(320, 240);
  for (int q : {60, 75, 90}) {
    img::JpegOptions o;
    o.quality = q;
    o.exif = img::ExifFields{"2009:07:04 13:05:09", std::string(), std::string("0220"), 320, 240};
    fs::path p = dir / ("q" + std::to_string(q) + ".jpg");
    ASSERT_EQ(img::SaveJpeg(pic, p.string(), o), img::Status::kOk);
    std::string out;
    EXPECT_EQ(imgtest::Run({"identify", "-format", "%m %w %h %Q", p.string()}, &out), 0);
    EXPECT_EQ(out, "JPEG 320 240 " + std::to_string(q));
    EXPECT_EQ(imgtest::Run({"exiftool", "-s3", "-d", "%Y:%m:%d %H:%M:%S", "-DateTimeOriginal", "-ModifyDate",
                   "-ExifVersion", "-ExifImageWidth", "-ExifImageHeight", p.string()}, &out), 0);
    EXPECT_EQ(out, "2009:07:04 13:05:09\n2009:07:04 13:05:09\n0220\n320\n240\n");
  }
  // Saving again keeps the old block and updates the dimensions.
  img::Decoded d;
  ASSERT_EQ(img::DecodeFile((dir / "q90.jpg").string(), {}, d), img::Status::kOk);
  ASSERT_FALSE(d.info.exif.empty());
  img::JpegOptions o;
  o.exif_base = d.info.exif;
  o.exif = img::ExifFields{};
  o.exif->pixel_x = 160;
  o.exif->pixel_y = 120;
  fs::path again = dir / "again.jpg";
  ASSERT_EQ(img::SaveJpeg(img::Bitmap::Filled(160, 120, 90), again.string(), o), img::Status::kOk);
  std::string out;
  EXPECT_EQ(imgtest::Run({"exiftool", "-s3", "-DateTimeOriginal", "-ExifImageWidth", "-ExifImageHeight", again.string()}, &out), 0);
  EXPECT_EQ(out, "2009:07:04 13:05:09\n160\n120\n");
}

TEST(ImageFile, ReadsTheBmpVariantsImageMagickWrites) {
  if (!HaveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  fs::path dir = testenv::MakeTempDir("imbmp");
  imgtest::WritePpm(imgtest::Scene(45, 31), dir / "src.ppm");
  struct Variant {
    const char* file;
    std::vector<std::string> options;  // the last one names the output format
  };
  const Variant variants[] = {
      {"v24.bmp", {"BMP3:"}},
      {"v8.bmp", {"-type", "Palette", "BMP3:"}},  // RLE8
      {"v8raw.bmp", {"-type", "Palette", "-compress", "none", "BMP3:"}},
      {"v4.bmp", {"-colors", "16", "-type", "Palette", "BMP3:"}},  // RLE4
      {"v4raw.bmp", {"-colors", "16", "-type", "Palette", "-compress", "none", "BMP3:"}},
      {"v1.bmp", {"-monochrome", "BMP3:"}},
      {"v32.bmp", {"-alpha", "on", "BMP:"}},
      {"v16.bmp", {"-define", "bmp:subtype=RGB565", "BMP:"}},
  };
  for (const auto& v : variants) {
    fs::path bmp = dir / v.file;
    std::vector<std::string> argv{"convert", (dir / "src.ppm").string()};
    argv.insert(argv.end(), v.options.begin(), v.options.end() - 1);
    argv.push_back(v.options.back() + bmp.string());
    ASSERT_EQ(imgtest::Run(argv), 0) << v.file;
    fs::path ref = dir / (bmp.stem().string() + ".ppm");
    ASSERT_EQ(imgtest::Run({"convert", bmp.string(), "-alpha", "off", "-depth", "8", ref.string()}), 0);
    img::Status s;
    img::Bitmap ours = Decode(bmp, &s);
    ASSERT_EQ(s, img::Status::kOk) << bmp;
    EXPECT_TRUE(SamePixels(ours, imgtest::ReadPpm(ref))) << bmp;
  }
}

TEST(ImageFile, JpegReducedDecodingAbortAndProgress) {
  fs::path dir = testenv::MakeTempDir("red");
  fs::path p = dir / "big.jpg";
  ASSERT_EQ(img::SaveJpeg(imgtest::Scene(1001, 603), p.string(), {}), img::Status::kOk);
  img::ImageInfo info;
  ASSERT_EQ(img::ReadImageInfo(p.string(), info), img::Status::kOk);
  EXPECT_EQ(info.format, img::FileFormat::kJpeg);
  for (int r : {1, 2, 4, 8}) {
    img::DecodeOptions o;
    o.reduction = r;
    img::Decoded d;
    ASSERT_EQ(img::DecodeFile(p.string(), o, d), img::Status::kOk);
    EXPECT_EQ(d.pixels.width(), (1001 + r - 1) / r);
    EXPECT_EQ(d.pixels.height(), (603 + r - 1) / r);
    EXPECT_EQ(d.info.width, 1001);
  }
  EXPECT_EQ(img::ReductionFor(info, 160, 160), 2);
  EXPECT_EQ(img::ReductionFor(info, 120, 70), 8);

  int last = -1, rows = 0;
  img::DecodeOptions o;
  o.progress = [&](int32_t pct) { EXPECT_GT(pct, last); last = pct; };
  img::Decoded d;
  ASSERT_EQ(img::DecodeFile(p.string(), o, d), img::Status::kOk);
  EXPECT_EQ(last, 100);
  o.progress = nullptr;
  o.abort = [&] { return ++rows > 3; };
  EXPECT_EQ(img::DecodeFile(p.string(), o, d), img::Status::kAborted);
  EXPECT_TRUE(d.pixels.empty());
}

TEST(ImageFile, DamagedAndHostileFilesFailCleanly) {
  fs::path dir = testenv::MakeTempDir("bad");
  std::vector<uint8_t> jpeg, png, bmp;
  img::Bitmap pic = imgtest::Scene(40, 30);
  ASSERT_EQ(img::EncodeJpeg(pic, {}, jpeg), img::Status::kOk);
  ASSERT_EQ(img::EncodePng(pic, {}, {}, png), img::Status::kOk);
  ASSERT_EQ(img::EncodeBmp(pic, {}, bmp), img::Status::kOk);
  auto patched = [](std::vector<uint8_t> v, size_t at, std::vector<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), v.begin() + long(at));
    return v;
  };
  auto cut = [](std::vector<uint8_t> v, size_t n) { v.resize(n); return v; };
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
    img::Status want;
  } cases[] = {
      {"empty", {}, img::Status::kUnsupported},
      {"text", {'h', 'e', 'l', 'l', 'o'}, img::Status::kUnsupported},
      {"jpeg header only", cut(jpeg, 20), img::Status::kCorrupt},
      {"png header only", cut(png, 30), img::Status::kCorrupt},
      {"png pixels cut", cut(png, png.size() / 2), img::Status::kCorrupt},
      {"bmp pixels cut", cut(bmp, bmp.size() - 10), img::Status::kCorrupt},
      {"bmp huge width", patched(bmp, 18, {0xff, 0xff, 0xff, 0x7f}), img::Status::kTooLarge},
      {"bmp pixel offset past end", patched(bmp, 10, {0xff, 0xff, 0xff, 0x0f}), img::Status::kCorrupt},
      {"bmp rle", patched(bmp, 30, {1, 0, 0, 0}), img::Status::kUnsupported},
      {"bmp 7 bits", patched(bmp, 28, {7, 0}), img::Status::kUnsupported},
      {"bmp header size 0", patched(bmp, 14, {0, 0, 0, 0}), img::Status::kUnsupported},
  };
  for (const auto& c : cases) {
    img::Decoded d;
    EXPECT_EQ(img::DecodeMemory(c.data.data(), c.data.size(), {}, d), c.want) << c.what;
    EXPECT_TRUE(d.pixels.empty()) << c.what;
  }
  // A truncated JPEG body still decodes (the missing rows come out grey), as
  // viewers show a partly downloaded photo.
  img::Decoded d;
  std::vector<uint8_t> half = cut(jpeg, jpeg.size() * 2 / 3);
  EXPECT_EQ(img::DecodeMemory(half.data(), half.size(), {}, d), img::Status::kOk);
  EXPECT_EQ(img::DecodeFile((dir / "missing.jpg").string(), {}, d), img::Status::kOpenFailed);
  img::ImageInfo info;
  EXPECT_EQ(img::ReadImageInfo(dir.string(), info), img::Status::kOpenFailed);
}

TEST(ImageFile, SavesAreWholeOrAbsent) {
  fs::path dir = testenv::MakeTempDir("atomic");
  fs::path target = dir / "photo.jpg";
  img::Bitmap first = imgtest::Scene(200, 150, 1), second = imgtest::Scene(200, 150, 2);
  ASSERT_EQ(img::SaveJpeg(first, target.string(), {}), img::Status::kOk);
  ::chmod(target.c_str(), 0640);
  std::vector<uint8_t> before = Bytes(target);
  // A full disk at any point of the write leaves the old file and no debris.
  for (int64_t at : {int64_t(0), int64_t(1), int64_t(before.size() / 2)}) {
    img::SimulateDiskFullAfter(at);
    EXPECT_EQ(img::SaveJpeg(second, target.string(), {}), img::Status::kWriteFailed);
    img::SimulateDiskFullAfter(-1);
    EXPECT_EQ(Bytes(target), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
  }
  ASSERT_EQ(img::SaveJpeg(second, target.string(), {}), img::Status::kOk);
  EXPECT_NE(Bytes(target), before);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // No folder to write into.
  EXPECT_EQ(img::SaveBmp(second, (dir / "nope" / "x.bmp").string(), {}), img::Status::kWriteFailed);
  if (::geteuid() != 0) {
    fs::path ro = testenv::MakeTempDir("ro");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(img::SavePng(second, {}, (ro / "x.png").string(), {}), img::Status::kWriteFailed);
    EXPECT_TRUE(fs::is_empty(ro));
  }
}

}  // namespace
