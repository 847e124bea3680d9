#include <gtest/gtest.h>

#include <vector>

#include "pyramid/AvdChannelBlock.h"
#include "pyramid/AvdPyramid.h"

TEST(ChannelBlock, CreatesWithEdgesAndKeepsSamplesOnReinit) {
  AvdChannelBlock cb;
  const int32_t edges[4] = {2, 3, 4, 5};
  ASSERT_EQ(avdCB_Create(nullptr, &cb, 0x10, 20, 10, edges, 100, 50), 0);
  EXPECT_EQ(cb.be.block.width, 26);
  EXPECT_EQ(cb.be.block.height, 18);
  EXPECT_EQ(cb.be.block.pitch, 32);
  uint8_t* data = cb.be.block.data;
  // Re-initialising smaller keeps samples and pitch; growing past them is refused.
  ASSERT_EQ(avdCB_Init_Ex(nullptr, &cb, 0x110, 10, 10, nullptr, 100, 50), 0);
  EXPECT_EQ(cb.be.block.data, data);
  EXPECT_EQ(cb.be.block.pitch, 32);
  EXPECT_EQ(cb.be.block.kind, 0x110u);
  EXPECT_EQ(avdCB_Init_Ex(nullptr, &cb, 0x10, 40, 10, nullptr, 100, 50), -2);
  AvdBlock valid = avdBE_ValidBlock(&cb.be);
  EXPECT_EQ(valid.width, 10);
  avdCB_Release(nullptr, &cb);
  EXPECT_EQ(cb.be.block.data, nullptr);
}

TEST(ChannelBlock, MirrorFillReflectsWithoutRepeatingTheEdge) {
  // Valid area columns 2..5 of row 2; mirror about the first and last column.
  const int32_t w = 8, h = 5;
  std::vector<uint8_t> b(w * h, 0);
  for (int y = 2; y < 4; ++y)
    for (int x = 2; x < 6; ++x) b[y * w + x] = static_cast<uint8_t>(10 * y + x);
  avdMirrorFill(b.data(), w, w, h, 2, 2, 6, 4);
  const uint8_t row2[8] = {24, 23, 22, 23, 24, 25, 24, 23};
  for (int x = 0; x < w; ++x) EXPECT_EQ(b[2 * w + x], row2[x]) << x;
  for (int x = 0; x < w; ++x) {
    EXPECT_EQ(b[1 * w + x], b[3 * w + x]) << x;  // row 1 mirrors row 3
    EXPECT_EQ(b[4 * w + x], b[2 * w + x]) << x;  // row 4 mirrors row 2
  }
}

TEST(ChannelBlock, StridedCopyOfSixteenBitSamplesAndRefusals) {
  std::vector<uint16_t> pic = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::vector<uint16_t> block(4, 0);
  ASSERT_EQ(avdAccessChannel(reinterpret_cast<uint8_t*>(pic.data()), 6, reinterpret_cast<uint8_t*>(block.data()),
                             2, 2, 2, 3, 1, 0x20, 1),
            0);
  EXPECT_EQ(block, (std::vector<uint16_t>{2, 5, 8, 11}));
  EXPECT_EQ(avdAccessChannel(reinterpret_cast<uint8_t*>(pic.data()), 6, reinterpret_cast<uint8_t*>(block.data()),
                             2, 2, 2, 3, 1, 0x40, 1),
            -701);
  // A picture pitch that makes rows overlap is refused.
  EXPECT_EQ(avdAccessChannel(reinterpret_cast<uint8_t*>(pic.data()), 2, reinterpret_cast<uint8_t*>(block.data()),
                             2, 2, 2, 3, 1, 0x20, 1),
            -2);
}
