#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "FormsFixture.h"
#include "image/AvdImage.h"
#include "pyramid/AvdPyramid.h"

namespace {

struct PyramidOwner {
  AvdImgPyramid ipb;
  ~PyramidOwner() { avdIPB_Release(nullptr, &ipb); }
};

void ExpectBorders(const AvdChannelBlock& b, int32_t v) {
  EXPECT_EQ(b.be.left, v);
  EXPECT_EQ(b.be.top, v);
  EXPECT_EQ(b.be.right, v);
  EXPECT_EQ(b.be.bottom, v);
}

int32_t ValidWidth(const AvdChannelBlock& b) { return b.be.block.width - b.be.left - b.be.right; }
int32_t ValidHeight(const AvdChannelBlock& b) { return b.be.block.height - b.be.top - b.be.bottom; }

// A YUYV picture with smooth content.
AvdImageRecord MakeYuyv(std::vector<uint8_t>& storage, int32_t w, int32_t h) {
  storage.resize(static_cast<size_t>(2 * w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < 2 * w; ++x) storage[y * 2 * w + x] = static_cast<uint8_t>(60 + (x / 2 + 3 * y) % 50 + (x % 2) * 40);
  AvdImageRecord img;
  img.width = w;
  img.height = h;
  img.format = AVD_IMG_YUYV;
  img.pitch[0] = 2 * w;
  img.buffer = storage.data();
  return img;
}

}  // namespace

TEST(Pyramid, LevelSizesAndBorders) {
  const int32_t block[2] = {100, 60};
  for (auto [border, expected] : {std::pair{4, std::vector<int32_t>{4, 4, 4}}, std::pair{16, std::vector<int32_t>{16, 8, 4}}}) {
    PyramidOwner p;
    const int32_t b[4] = {border, border, border, border}, d[4] = {4, 4, 4, 4};
    ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, 0x10000011, 400, 300, block, b, d, 3, 0, 1), 0);
    ASSERT_EQ(p.ipb.count, 1);
    const AvdPyramid& pb = p.ipb.pyramids[0];
    ASSERT_EQ(pb.levelCount, 3);
    const int32_t sizes[3][2] = {{100, 60}, {50, 30}, {25, 15}};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(ValidWidth(pb.levels[i]), sizes[i][0]);
      EXPECT_EQ(ValidHeight(pb.levels[i]), sizes[i][1]);
      ExpectBorders(pb.levels[i], expected[i]);
    }
    ExpectBorders(pb.details[0], 4);
    EXPECT_EQ(pb.details[0].be.block.pitch, pb.levels[0].be.block.pitch);
  }
}

TEST(Pyramid, PlacementShrinksBlocksByTheOverhang) {
  PyramidOwner p;
  const int32_t block[2] = {64, 32}, b[4] = {8, 8, 8, 8}, d[4] = {4, 4, 4, 4};
  ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, 0x10000011, 118, 64, block, b, d, 2, 0, 1), 0);
  ASSERT_EQ(avdIPB_SetPosEx(&p.ipb, 64, 0, 64, 32, 118, 64), 1);
  const AvdPyramid& pb = p.ipb.pyramids[0];
  EXPECT_EQ(pb.levels[0].be.block.width, 64 + 16 - 10);
  EXPECT_EQ(pb.levels[0].x, 64);
  // Level 1: valid 32 at x 32 in a picture of 59: overhang 5.
  EXPECT_EQ(pb.levels[1].be.block.width, 32 + pb.levels[1].be.left + pb.levels[1].be.right - 5);
}

TEST(Pyramid, ColourLoadSplitsYuyvAndStoresBackExactly) {
  std::vector<uint8_t> storage;
  AvdImageRecord img = MakeYuyv(storage, 48, 20);
  const auto original = storage;
  PyramidOwner p;
  const int32_t block[2] = {16, 8}, b[4] = {4, 4, 4, 4}, d[4] = {4, 4, 4, 4};
  ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, AVD_IMG_YUYV & ~0u, 48, 20, block, b, d, 2, 2, 1), 0);
  ASSERT_EQ(p.ipb.count, 3);
  avdIPB_SetPosEx(&p.ipb, 16, 8, 16, 8, 48, 20);
  avdIPB_UpdateBlock(&p.ipb, &img, 1);
  const AvdChannelBlock& y = p.ipb.pyramids[0].levels[0];
  const AvdChannelBlock& u = p.ipb.pyramids[1].levels[0];
  EXPECT_EQ(ValidWidth(y), 2 * ValidWidth(u));
  // Valid luma sample (0, 0) is picture pixel (16, 8); chroma (0, 0) its pair's C1.
  EXPECT_EQ(y.be.block.data[y.be.top * y.be.block.pitch + y.be.left], original[8 * 96 + 32]);
  EXPECT_EQ(u.be.block.data[u.be.top * u.be.block.pitch + u.be.left], original[8 * 96 + 33]);
  // Change every level-0 sample; storing writes only the valid area.
  for (int c = 0; c < 3; ++c) {
    AvdBlock& blk = p.ipb.pyramids[c].levels[0].be.block;
    for (int i = 0; i < blk.pitch * blk.height; ++i) blk.data[i] = 1;
  }
  avdIPB_UpdateBlock(&p.ipb, &img, 0);
  for (int32_t row = 0; row < 20; ++row)
    for (int32_t x = 0; x < 96; ++x) {
      const bool inside = row >= 8 && row < 16 && x >= 32 && x < 64;
      ASSERT_EQ(storage[row * 96 + x], inside ? 1 : original[row * 96 + x]) << row << "," << x;
    }
}

TEST(Pyramid, LumaOnlyRgbFollowsTheLuma) {
  const int32_t w = 8, h = 4;
  std::vector<uint8_t> pix(3 * w * h);
  for (size_t i = 0; i < pix.size(); ++i) pix[i] = static_cast<uint8_t>(100 + (i * 37) % 150);
  const auto original = pix;
  AvdImageRecord img;
  img.width = w, img.height = h, img.format = AVD_IMG_RGB, img.pitch[0] = 3 * w, img.buffer = pix.data();
  PyramidOwner p;
  const int32_t block[2] = {w, h};
  ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, AVD_IMG_RGB, w, h, block, nullptr, nullptr, 1, 0, 1), 0);
  avdIPB_SetPosEx(&p.ipb, 0, 0, w, h, w, h);
  avdIPB_UpdateBlock(&p.ipb, &img, 1);
  avdIPB_UpdateBlock(&p.ipb, &img, 0);
  EXPECT_EQ(pix, original);
  AvdBlock& blk = p.ipb.pyramids[0].levels[0].be.block;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) blk.data[y * blk.pitch + x] += 10;
  avdIPB_UpdateBlock(&p.ipb, &img, 0);
  for (size_t i = 0; i < pix.size(); ++i) EXPECT_EQ(pix[i], std::min(255, original[i] + 10)) << i;
}

TEST(Pyramid, InterleavedChromaIsReadTheSameWayInBothOrders) {
  for (uint32_t format : {0x51000013u, 0x52800013u}) {
    const int32_t w = 16, h = 8;
    std::vector<uint8_t> buf(w * h + w * h / 2);
    for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<uint8_t>(i);
    AvdImageRecord img;
    img.width = w, img.height = h, img.format = format, img.pitch[0] = w, img.buffer = buf.data();
    PyramidOwner p;
    const int32_t block[2] = {w, h};
    ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, format, w, h, block, nullptr, nullptr, 1, 1, 1), 0);
    avdIPB_SetPosEx(&p.ipb, 0, 0, w, h, w, h);
    avdIPB_UpdateBlock(&p.ipb, &img, 1);
    const AvdBlock& c1 = p.ipb.pyramids[1].levels[0].be.block;
    EXPECT_EQ(c1.data[0], buf[w * h]) << std::hex << format;
    EXPECT_EQ(c1.data[1], buf[w * h + 2]) << std::hex << format;
  }
}

TEST(Pyramid, AnalysisAndSynthesisRestoreTheBlock) {
  for (int32_t inPlace : {1, 0}) {
    FormGuard guard;
    for (KernelForm form : AvailableForms()) {
      ForceKernelForm(form);
      std::vector<uint8_t> storage;
      AvdImageRecord img = MakeYuyv(storage, 96, 48);
      const auto original = storage;
      PyramidOwner p;
      const int32_t block[2] = {32, 32}, b[4] = {16, 16, 16, 16}, d[4] = {4, 4, 4, 4};
      ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, AVD_IMG_YUYV, 96, 48, block, b, d, 3, 2, inPlace), 0);
      for (int32_t by = 0; by < 48; by += 32)
        for (int32_t bx = 0; bx < 96; bx += 32) {
          avdIPB_SetPosEx(&p.ipb, bx, by, 32, 32, 96, 48);
          avdIPB_UpdateBlock(&p.ipb, &img, 1);
          ASSERT_EQ(avdIPB_Analysis(nullptr, &p.ipb), 0);
          for (int c = 0; c < p.ipb.count; ++c) ASSERT_EQ(avdPB_Synthesis(nullptr, &p.ipb.pyramids[c]), 0);
          avdIPB_UpdateBlock(&p.ipb, &img, 0);
        }
      EXPECT_EQ(storage, original) << "in place " << inPlace << " " << KernelFormName(form);
    }
  }
}

TEST(Pyramid, ColourWorkReadsOnlyThePlainThreeByteLayout) {
  for (uint32_t format : {0x13u, 0x400013u, 0x500013u}) {
    const int32_t w = 8, h = 4;
    std::vector<uint8_t> pix(3 * w * h);
    for (size_t i = 0; i < pix.size(); ++i) pix[i] = static_cast<uint8_t>(i % 3 + 1);
    AvdImageRecord img;
    img.width = w, img.height = h, img.format = format, img.pitch[0] = 3 * w, img.buffer = pix.data();
    PyramidOwner p;
    const int32_t block[2] = {w, h};
    ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, format, w, h, block, nullptr, nullptr, 1, 1, 1), 0);
    ASSERT_EQ(p.ipb.count, 3);
    avdIPB_SetPosEx(&p.ipb, 0, 0, w, h, w, h);
    avdIPB_UpdateBlock(&p.ipb, &img, 1);
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(p.ipb.pyramids[c].levels[0].be.block.data[0], format == 0x13u ? c + 1 : 0) << std::hex << format;
  }
}

TEST(Pyramid, ConstantPictureGivesConstantLevelsAndZeroDetailsBordersIncluded) {
  for (int32_t inPlace : {1, 0}) {
    std::vector<uint8_t> bytes(2 * 200 * 72, 100);
    AvdImageRecord img;
    img.width = 200, img.height = 72, img.format = AVD_IMG_YUYV, img.pitch[0] = 400, img.buffer = bytes.data();
    PyramidOwner p;
    const int32_t block[2] = {64, 32}, b[4] = {32, 32, 32, 32}, d[4] = {4, 4, 4, 4};
    ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, AVD_IMG_YUYV, 200, 72, block, b, d, 4, 3, inPlace), 0);
    for (int32_t by = 0; by < 72; by += 32)
      for (int32_t bx = 0; bx < 200; bx += 64) {
        avdIPB_SetPosEx(&p.ipb, bx, by, 64, 32, 200, 72);
        avdIPB_UpdateBlock(&p.ipb, &img, 1);
        ASSERT_EQ(avdIPB_Analysis(nullptr, &p.ipb), 0);
        for (int c = 0; c < 3; ++c) {
          const AvdPyramid& pb = p.ipb.pyramids[c];
          for (int l = 0; l < pb.levelCount; ++l) {
            const AvdBlock& level = pb.levels[l].be.block;
            if (!inPlace || l == pb.levelCount - 1) {
              for (int y = 0; y < level.height; ++y)
                for (int x = 0; x < level.width; ++x) ASSERT_EQ(level.data[y * level.pitch + x], 100);
            }
            if (l + 1 == pb.levelCount) continue;
            const AvdBlock& detail = pb.details[l].be.block;
            for (int y = 0; y < detail.height; ++y)
              for (int x = 0; x < detail.width; ++x) ASSERT_EQ(detail.data[y * detail.pitch + x], 0);
          }
        }
      }
  }
}

TEST(Pyramid, EveryFormDecomposesARandomFrameAlike) {
  std::mt19937 rng(21);
  const int32_t w = 150, h = 70;  // odd block counts and a partial last block
  std::vector<uint8_t> bytes(2 * w * h);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  AvdImageRecord img;
  img.width = w, img.height = h, img.format = AVD_IMG_YUYV, img.pitch[0] = 2 * w, img.buffer = bytes.data();
  FormGuard guard;
  std::vector<uint8_t> reference;
  for (KernelForm form : AvailableForms()) {
    ForceKernelForm(form);
    std::vector<uint8_t> all;
    PyramidOwner p;
    const int32_t block[2] = {64, 32}, b[4] = {16, 16, 16, 16}, d[4] = {4, 4, 4, 4};
    ASSERT_EQ(avdIPB_Create(nullptr, &p.ipb, AVD_IMG_YUYV, w, h, block, b, d, 3, 2, 1), 0);
    for (int32_t by = 0; by < h; by += 32)
      for (int32_t bx = 0; bx < w; bx += 64) {
        avdIPB_SetPosEx(&p.ipb, bx, by, 64, 32, w, h);
        avdIPB_UpdateBlock(&p.ipb, &img, 1);
        ASSERT_EQ(avdIPB_Analysis(nullptr, &p.ipb), 0);
        for (int c = 0; c < 3; ++c)
          for (int l = 0; l < p.ipb.pyramids[c].levelCount; ++l) {
            const AvdBlock& blk = p.ipb.pyramids[c].levels[l].be.block;
            for (int y = 0; y < blk.height; ++y) all.insert(all.end(), blk.data + y * blk.pitch, blk.data + y * blk.pitch + blk.width);
          }
      }
    if (form == KernelForm::Scalar)
      reference = all;
    else
      EXPECT_EQ(all, reference) << KernelFormName(form);
  }
}
