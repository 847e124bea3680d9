// The overlapping block loop rewrites a picture in place: a 3 x 3 blur run
// block by block gives the same picture as the blur of the whole original.

#include <gtest/gtest.h>

#include <vector>

#include "filter/AvdBlockLoopRecord.h"

namespace {

TEST(BlockLoopRecord, EdgeRule) {
  const int32_t minE[4] = {1, 1, 1, 1}, maxE[4] = {4, 4, 4, 4};
  int32_t e[4];
  AvdRect first{10, 0, 20, 8};
  avdUpdateLoopExt(30, 20, &first, AvdPoint{10, 0}, minE, maxE, e);
  EXPECT_EQ(e[0], 4);  // first of its row: as much as the picture offers, up to the maximum
  EXPECT_EQ(e[1], 1);  // nothing above the picture: the minimum
  EXPECT_EQ(e[2], 4);
  EXPECT_EQ(e[3], 4);
  AvdRect next{20, 8, 30, 16};
  avdUpdateLoopExt(30, 20, &next, AvdPoint{10, 0}, minE, maxE, e);
  EXPECT_EQ(e[0], 1);  // not first in its row: the minimum, however much lies left
  EXPECT_EQ(e[1], 1);
  EXPECT_EQ(e[2], 1);
  EXPECT_EQ(e[3], 4);
}

std::vector<uint8_t> Blur(const std::vector<uint8_t>& src, int w, int h) {
  auto at = [&](int x, int y) {
    x = x < 0 ? -x : (x >= w ? 2 * w - 2 - x : x);
    y = y < 0 ? -y : (y >= h ? 2 * h - 2 - y : y);
    return src[static_cast<size_t>(y) * w + x];
  };
  std::vector<uint8_t> out(src.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int s = 0;
      for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) s += at(x + i, y + j);
      out[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(s / 9);
    }
  return out;
}

TEST(BlockLoopRecord, InPlaceBlurMatchesWholePicture) {
  const int w = 30, h = 23;
  std::vector<uint8_t> pic(w * h);
  for (size_t i = 0; i < pic.size(); ++i) pic[i] = static_cast<uint8_t>((i * 73) ^ (i >> 2));
  const std::vector<uint8_t> expected = Blur(pic, w, h);

  AvdLoopRecord loop;
  const int32_t step[2] = {7, 5}, minE[4] = {1, 1, 1, 1}, maxE[4] = {2, 2, 2, 2};
  ASSERT_EQ(avdCL_Create(nullptr, &loop, step, nullptr, minE, maxE, 0x10, w, h), 0);
  int blocks = 0;
  do {
    ++blocks;
    avdCL_UpdateBlock(&loop, 1, pic.data(), w, 0x10, 1, 0);
    AvdBlock& b = loop.block.be.block;
    const int l = loop.block.be.left, t = loop.block.be.top;
    const int iw = b.width - l - loop.block.be.right, ih = b.height - t - loop.block.be.bottom;
    std::vector<uint8_t> blurred(static_cast<size_t>(iw) * ih);
    for (int y = 0; y < ih; ++y)
      for (int x = 0; x < iw; ++x) {
        int s = 0;
        for (int j = -1; j <= 1; ++j)
          for (int i = -1; i <= 1; ++i) s += b.data[(t + y + j) * b.pitch + l + x + i];
        blurred[static_cast<size_t>(y) * iw + x] = static_cast<uint8_t>(s / 9);
      }
    for (int y = 0; y < ih; ++y)
      for (int x = 0; x < iw; ++x) b.data[(t + y) * b.pitch + l + x] = blurred[static_cast<size_t>(y) * iw + x];
    ASSERT_EQ(avdCL_UpdateBlock(&loop, 0, pic.data(), w, 0x10, 1, 0), 0);
  } while (avdCL_LoopNext(&loop));
  EXPECT_EQ(blocks, 5 * 5);
  // The last block stays in the record.
  EXPECT_EQ(loop.block.x, 28);
  EXPECT_EQ(loop.block.y, 20);
  EXPECT_EQ(pic, expected);
  avdCL_Release(nullptr, &loop);
}

}  // namespace
