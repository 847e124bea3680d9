// A whole block read from the picture: inside samples copied, the part beyond
// the picture's edge mirrored.

#include <gtest/gtest.h>

#include <vector>

#include "filter/AvdChannelBlockLoad.h"

namespace {

TEST(ChannelBlockLoad, CornerBlockIsCopiedAndMirrored) {
  const int w = 12, h = 10;
  std::vector<uint8_t> pic(w * h);
  for (int i = 0; i < w * h; ++i) pic[i] = static_cast<uint8_t>(i);
  AvdChannelBlock cb;
  const int32_t edges[4] = {3, 3, 3, 3};
  ASSERT_EQ(avdCB_Create(nullptr, &cb, 0x10, 4, 4, edges, w, h), 0);
  cb.x = 0;  // top-left corner: the left and top edges lie outside the picture
  cb.y = 0;
  avdCB_LoadBlock(&cb, pic.data(), w, 0x10, 1, 0);
  const AvdBlock& b = cb.be.block;
  auto at = [&](int bx, int by) { return b.data[by * b.pitch + bx]; };
  // Block (3 + i, 3 + j) is picture (i, j) for everything inside the picture.
  for (int j = 0; j < 7; ++j)
    for (int i = 0; i < 7; ++i) EXPECT_EQ(at(3 + i, 3 + j), pic[j * w + i]) << i << "," << j;
  // Mirrored about the first column and row without repeating them.
  EXPECT_EQ(at(2, 3), pic[1]);
  EXPECT_EQ(at(0, 3), pic[3]);
  EXPECT_EQ(at(3, 1), pic[2 * w]);
  avdCB_Release(nullptr, &cb);
}

}  // namespace
