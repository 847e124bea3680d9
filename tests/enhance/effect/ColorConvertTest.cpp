// Colour conversions of the effect chain: stated values and the forms agreeing.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "ColorConvert.h"
#include "KernelForm.h"

namespace {

std::vector<uint8_t> Pixel(int r, int g, int b) {
  return {0x5A, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
          0x5A, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

TEST(ColorConvert, StatedValues) {
  struct Case { int in; int y; int back; };
  for (const Case c : {Case{255, 235, 254}, Case{0, 16, 0}, Case{128, 126, 128}}) {
    const std::vector<uint8_t> rgb = Pixel(c.in, c.in, c.in);
    uint8_t yuy2[4];
    RGB32ToYUY2(yuy2, 4, rgb.data(), 8, 2, 1);
    EXPECT_EQ(yuy2[0], c.y);
    EXPECT_EQ(yuy2[1], 128);
    EXPECT_EQ(yuy2[2], c.y);
    EXPECT_EQ(yuy2[3], 128);
    uint8_t out[8];
    YUY2ToRGB32(out, 8, yuy2, 4, 2, 1);
    const uint8_t want[8] = {0, uint8_t(c.back), uint8_t(c.back), uint8_t(c.back),
                             0, uint8_t(c.back), uint8_t(c.back), uint8_t(c.back)};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], want[i]) << c.in << " byte " << i;
  }
  EXPECT_EQ(g_iYYTab[16], 0);
  EXPECT_EQ(g_iBUTab[255], 16531 * 127);
  EXPECT_EQ(g_iRVTab[0], 13074 * -128);
}

TEST(ColorConvert, NegativeHeightReadsBottomUp) {
  std::vector<uint8_t> rgb = Pixel(10, 20, 30);
  const std::vector<uint8_t> second = Pixel(200, 100, 50);
  rgb.insert(rgb.end(), second.begin(), second.end());
  uint8_t down[8], up[8];
  RGB32ToYUY2(down, 4, rgb.data(), 8, 2, 2);
  RGB32ToYUY2(up, 4, rgb.data(), 8, 2, -2);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(up[i], down[4 + i]);
    EXPECT_EQ(up[4 + i], down[i]);
  }
}

// Every form gives the same bytes on random rows of many widths, edges and
// extreme values included.
TEST(ColorConvert, FormsAgree) {
  std::mt19937 rng(3);
  for (int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 33, 640, 1921}) {
    const int height = 3, srcPitch = 4 * width + 4;
    std::vector<uint8_t> rgb(static_cast<size_t>(srcPitch) * height);
    for (auto& b : rgb) b = static_cast<uint8_t>((rng() % 5 == 0) ? (rng() & 1) * 255 : rng());
    const int yuyPitch = (2 * width + 3) & ~3;
    std::vector<uint8_t> yuy(static_cast<size_t>(yuyPitch) * height);
    for (auto& b : yuy) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> ref[3];
    for (int form = 0; form < 3; ++form) {
      if (ForceKernelForm(static_cast<KernelForm>(form)) != static_cast<KernelForm>(form)) continue;
      std::vector<uint8_t> toYuy(yuy.size(), 7), toRgb(rgb.size(), 7), planes(3 * width * height, 7);
      RGB32ToYUY2(toYuy.data(), yuyPitch, rgb.data(), srcPitch, width, height);
      YUY2ToRGB32(toRgb.data(), srcPitch, yuy.data(), yuyPitch, width, -height);
      RGB32ToYUVPlane(planes.data(), rgb.data(), width, height, srcPitch);
      // The luma-only conversion gives the same Y plane.
      std::vector<uint8_t> luma(width * height, 7);
      RGB32ToLumaPlane(luma.data(), rgb.data(), width, height, srcPitch);
      EXPECT_TRUE(std::equal(luma.begin(), luma.end(), planes.begin())) << "width " << width << " form " << form;
      // And both in one pass give the same bytes as each alone.
      std::vector<uint8_t> bothYuy(yuy.size(), 7), bothLuma(luma.size(), 7);
      RGB32ToYUY2AndLuma(bothYuy.data(), yuyPitch, bothLuma.data(), rgb.data(), srcPitch, width, height);
      EXPECT_EQ(bothYuy, toYuy) << "width " << width << " form " << form;
      EXPECT_EQ(bothLuma, luma) << "width " << width << " form " << form;
      std::vector<uint8_t> all = toYuy;
      all.insert(all.end(), toRgb.begin(), toRgb.end());
      all.insert(all.end(), planes.begin(), planes.end());
      ref[form] = all;
    }
    ResetKernelForm();
    for (int form = 1; form < 3; ++form)
      if (!ref[form].empty()) {
        EXPECT_EQ(ref[form], ref[0]) << "width " << width << " form " << form;
      }
  }
}

}  // namespace
