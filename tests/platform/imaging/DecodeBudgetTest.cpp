// The decode budget: files of a few bytes that declare huge pictures are
// refused before anything of their size is allocated (the sanitizer run
// would abort on a multi-gigabyte allocation), thumbnails of every format
// decode reduced within a small budget, and special files are never read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <future>

#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put32Be(Bytes& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}
void Put16Be(Bytes& v, uint32_t x) {
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}
void Put32Le(Bytes& v, uint32_t x) {
  for (int s = 0; s < 32; s += 8) v.push_back(uint8_t(x >> s));
}
void Put16Le(Bytes& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void PngChunk(Bytes& v, const char* type, const Bytes& body) {
  Put32Be(v, uint32_t(body.size()));
  size_t at = v.size();
  v.insert(v.end(), type, type + 4);
  v.insert(v.end(), body.begin(), body.end());
  Put32Be(v, Crc32(v.data() + at, v.size() - at));
}

// A PNG header and nothing else worth reading: an interlaced RGBA picture
// of `side` x `side` with a two-byte stored deflate block.
Bytes PngBomb(uint32_t side) {
  Bytes v = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  Put32Be(ihdr, side);
  Put32Be(ihdr, side);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 1});  // 8 bits, RGBA, interlaced
  PngChunk(v, "IHDR", ihdr);
  PngChunk(v, "IDAT", {0x78, 0x01, 0x01, 0x01, 0x00, 0xFE, 0xFF, 0x00});
  PngChunk(v, "IEND", {});
  return v;
}

// A run-length BMP of `side` x `side` whose data ends at once.
Bytes BmpRleBomb(int32_t side) {
  Bytes v = {'B', 'M'};
  Put32Le(v, 14 + 40 + 8 + 4);
  Put32Le(v, 0);
  Put32Le(v, 14 + 40 + 8);
  Put32Le(v, 40);
  Put32Le(v, uint32_t(side));
  Put32Le(v, uint32_t(side));
  Put16Le(v, 1);
  Put16Le(v, 8);
  Put32Le(v, 1);  // RLE8
  for (int i = 0; i < 5; ++i) Put32Le(v, 0);
  Put32Le(v, 2);  // two palette entries
  Put32Le(v, 0);
  Put32Le(v, 0x00FFFFFF);
  Put32Le(v, 0);
  v.insert(v.end(), {0, 1, 0, 0});  // end of bitmap
  return v;
}

// A JPEG of `w` x `h`, three components, with headers and no picture data
// worth the name; progressive or baseline.
Bytes JpegBomb(uint16_t w, uint16_t h, bool progressive) {
  Bytes v = {0xFF, 0xD8};
  v.insert(v.end(), {0xFF, 0xDB});
  Put16Be(v, 67);
  v.push_back(0);
  for (int i = 0; i < 64; ++i) v.push_back(1);
  v.insert(v.end(), {0xFF, uint8_t(progressive ? 0xC2 : 0xC0)});
  Put16Be(v, 17);
  v.push_back(8);
  Put16Be(v, h);
  Put16Be(v, w);
  v.push_back(3);
  v.insert(v.end(), {1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
  // One DC table with a single one-bit code (value 0).
  v.insert(v.end(), {0xFF, 0xC4});
  Put16Be(v, 2 + 17 + 1);
  v.push_back(0x00);
  v.push_back(1);
  for (int i = 0; i < 15; ++i) v.push_back(0);
  v.push_back(0);
  v.insert(v.end(), {0xFF, 0xDA});
  Put16Be(v, 12);
  v.insert(v.end(), {3, 1, 0x00, 2, 0x00, 3, 0x00});
  v.insert(v.end(), {0, uint8_t(progressive ? 0 : 63), 0});
  v.insert(v.end(), {0x00, 0x00, 0xFF, 0xD9});
  return v;
}

img::Status DecodeWith(const Bytes& data, int32_t reduction, uint64_t max_bytes, img::Decoded& d) {
  img::DecodeOptions o;
  o.reduction = reduction;
  o.max_bytes = max_bytes;
  return img::DecodeMemory(data.data(), data.size(), o, d);
}

TEST(DecodeBudget, TinyFilesDeclaringHugePicturesAreRefusedBeforeAllocating) {
  const uint64_t budget = img::kDecodeMaxBytes;
  struct Case {
    const char* what;
    Bytes data;
    int32_t reduction;
  } cases[] = {
      // 16000 x 16000 RGBA, interlaced: 256 MP, 2 GB to decode.
      {"interlaced png", PngBomb(16000), 1},
      {"interlaced png read for a thumbnail", PngBomb(16000), 8},
      {"run-length bmp", BmpRleBomb(16000), 1},
      {"progressive jpeg", JpegBomb(16000, 16000, true), 1},
      // Reduced output is small, but the coefficients are kept at full size.
      {"progressive jpeg read for a thumbnail", JpegBomb(16000, 16000, true), 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_LT(c.data.size(), 1024u);
    img::Decoded d;
    EXPECT_EQ(DecodeWith(c.data, c.reduction, budget, d), img::Status::kTooLarge);
    EXPECT_TRUE(d.pixels.empty());
    EXPECT_EQ(d.info.width, 16000);  // the header was read, the picture was not
  }
  // Within the library's limits but over a caller's small budget.
  img::ImageInfo info;
  Bytes png = PngBomb(6000);
  ASSERT_EQ(img::ReadImageInfoMemory(png.data(), png.size(), info), img::Status::kOk);
  img::DecodeOptions small;
  small.max_bytes = uint64_t(64) << 20;
  EXPECT_EQ(img::CheckDecodeBudget(info, small), img::Status::kTooLarge);
  small.reduction = 8;
  EXPECT_EQ(img::CheckDecodeBudget(info, small), img::Status::kOk);
}

TEST(DecodeBudget, ThumbnailsOfEveryFormatDecodeReducedWithinASmallBudget) {
  // 2400 x 1800 is 13 MB at full size; the thumbnail budget here is 4 MB.
  const img::Bitmap scene = imgtest::Scene(2400, 1800);
  Bytes jpeg, png, bmp;
  ASSERT_EQ(img::EncodeJpeg(scene, {}, jpeg), img::Status::kOk);
  ASSERT_EQ(img::EncodePng(scene, {}, {}, png), img::Status::kOk);
  ASSERT_EQ(img::EncodeBmp(scene, {}, bmp), img::Status::kOk);
  const uint64_t small = uint64_t(4) << 20;
  for (const Bytes* file : {&jpeg, &png, &bmp}) {
    img::Decoded d;
    EXPECT_EQ(DecodeWith(*file, 1, small, d), img::Status::kTooLarge);
    ASSERT_EQ(DecodeWith(*file, 4, small, d), img::Status::kOk);
    EXPECT_EQ(d.pixels.width(), 600);
    EXPECT_EQ(d.pixels.height(), 450);
    // Each reduced pixel is its box's mean: compare with the full decode.
    img::Decoded full;
    ASSERT_EQ(DecodeWith(*file, 1, img::kDecodeMaxBytes, full), img::Status::kOk);
    int64_t sum = 0;
    for (int dy = 0; dy < 4; ++dy) {
      for (int dx = 0; dx < 4; ++dx) sum += full.pixels.row(400 + dy)[3 * (800 + dx) + 1];
    }
    EXPECT_NEAR(d.pixels.row(100)[3 * 200 + 1], double(sum) / 16, file == &jpeg ? 12 : 1);
  }
  // An odd size keeps its last partial boxes; alpha is reduced alongside.
  img::Plane alpha = img::Plane::Create(101, 7);
  for (int32_t y = 0; y < 7; ++y) std::fill_n(alpha.mutable_row(y), 101, uint8_t(y < 4 ? 0 : 200));
  ASSERT_EQ(img::EncodePng(imgtest::Scene(101, 7), alpha, {}, png), img::Status::kOk);
  img::Decoded d;
  ASSERT_EQ(DecodeWith(png, 4, small, d), img::Status::kOk);
  EXPECT_EQ(d.pixels.width(), 26);
  EXPECT_EQ(d.pixels.height(), 2);
  ASSERT_EQ(d.alpha.width(), 26);
  EXPECT_EQ(d.alpha.row(0)[25], 0);
  EXPECT_EQ(d.alpha.row(1)[25], 200);
}

TEST(DecodeBudget, OnlyRegularFilesAreReadAndAPipeNeverBlocks) {
  fs::path dir = testenv::MakeTempDir("special");
  fs::path fifo = dir / "x.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Nobody ever writes to the pipe: a blocking open would never return.
  auto read = std::async(std::launch::async, [&] {
    img::Decoded d;
    img::ImageInfo info;
    return std::make_pair(img::DecodeFile(fifo.string(), {}, d), img::ReadImageInfo(fifo.string(), info));
  });
  ASSERT_EQ(read.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "open() blocked on a pipe";
  EXPECT_EQ(read.get(), std::make_pair(img::Status::kOpenFailed, img::Status::kOpenFailed));
  EXPECT_EQ(img::FormatOfFile(fifo.string()), img::FileFormat::kUnknown);
  EXPECT_EQ(img::FormatOfFile("/dev/zero"), img::FileFormat::kUnknown);
}

}  // namespace
