// The save's brightness and contrast on 4:2:0 planes: what the player shows
// of them is what the 32-bit path (the preview's) shows, clipped channels
// included, and the scalar and AVX2 forms give the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "KernelForm.h"
#include "PlanarLevels.h"
#include "img/Operations.h"

namespace {

struct Picture {
  int32_t width, height;
  std::vector<uint8_t> plane[3];
  uint8_t* p[3];
  int32_t rowBytes[3];
  Picture(int32_t w, int32_t h) : width(w), height(h) {
    for (int i = 0; i < 3; ++i) {
      rowBytes[i] = i ? (w + 1) / 2 : w;
      plane[i].resize(size_t(rowBytes[i]) * size_t(i ? (h + 1) / 2 : h));
      p[i] = plane[i].data();
    }
  }
};

// Video-range BT.601 to R, G, B, as the player reads a pixel.
std::array<double, 3> Rgb(int y, int u, int v) {
  const double l = (y - 16) * 255.0 / 219, cb = (u - 128) * 255.0 / 224, cr = (v - 128) * 255.0 / 224;
  return {l + 1.402 * cr, l - 0.344136 * cb - 0.714136 * cr, l + 1.772 * cb};
}

}  // namespace

// Flat 2 x 2 blocks of colours all over the cube, saturated and near white
// among them: each comes back from the planes as the level table makes its
// R, G and B. The slack is rounding: the preview's R, G and B before the
// table and the table itself (up to a level between them), luma twice in its
// table and chroma once (up to a level in blue) on the planes' side.
TEST(PlanarLevels, ColoursComeOutAsTheLevelTableMakesThem) {
  const int steps = 16;
  Picture original(2 * steps * steps, 2 * steps);
  for (int y = 0; y < steps; ++y)
    for (int u = 0; u < steps; ++u)
      for (int v = 0; v < steps; ++v) {
        const int bx = u * steps + v, by = y;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx)
            original.p[0][size_t((2 * by + dy) * original.rowBytes[0] + 2 * bx + dx)] = uint8_t(16 + y * 219 / (steps - 1));
        original.p[1][size_t(by * original.rowBytes[1] + bx)] = uint8_t(16 + u * 224 / (steps - 1));
        original.p[2][size_t(by * original.rowBytes[2] + bx)] = uint8_t(16 + v * 224 / (steps - 1));
      }
  struct Effect {
    int32_t brightness, contrast;
  } effects[] = {{30, 0}, {30, 20}, {-40, 10}, {0, 60}, {60, -30}, {-20, -40}};
  for (const Effect& e : effects) {
    SCOPED_TRACE(std::to_string(e.brightness) + " " + std::to_string(e.contrast));
    PlanarLevels levels;
    ASSERT_TRUE(MakePlanarLevels(e.brightness, e.contrast, &levels));
    Picture made = original;
    for (int i = 0; i < 3; ++i) made.p[i] = made.plane[i].data();
    ApplyPlanarLevels(levels, made.p, made.rowBytes, made.width, made.height);
    const std::array<uint8_t, 256> table = img::BrightnessContrastTable(e.brightness, e.contrast);
    double worst = 0;
    for (int by = 0; by < steps; ++by)
      for (int bx = 0; bx < steps * steps; ++bx) {
        const auto at = [&](const Picture& pic, int plane) {
          const int x = plane ? bx : 2 * bx, y = plane ? by : 2 * by;
          return int(pic.p[plane][size_t(y * pic.rowBytes[plane] + x)]);
        };
        const auto before = Rgb(at(original, 0), at(original, 1), at(original, 2));
        const auto after = Rgb(at(made, 0), at(made, 1), at(made, 2));
        for (int c = 0; c < 3; ++c) {
          const int shown = table[size_t(std::clamp(std::lround(before[size_t(c)]), 0L, 255L))];
          worst = std::max(worst, std::abs(std::clamp(after[size_t(c)], 0.0, 255.0) - shown));
        }
      }
    EXPECT_LE(worst, 3.5);
  }
}

// A picture of odd size with every kind of block: the forms agree byte for
// byte, at ordinary and at extreme settings.
TEST(PlanarLevels, FormsGiveTheSameBytes) {
  if (BestKernelForm() != KernelForm::AVX2) GTEST_SKIP() << "no AVX2 here";
  Picture original(197, 37);
  uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < 3; ++i)
    for (size_t k = 0; k < original.plane[i].size(); ++k) {
      // Stretches of one colour between noisy ones: whole steps of the
      // AVX2 form that clip, that do not, and mixed ones.
      const uint32_t r = next() >> 8;
      original.plane[i][k] = uint8_t((k / 40) % 3 == 0 ? (i ? 128 : 120) : r & 0xFF);
    }
  struct Effect {
    int32_t brightness, contrast;
  } effects[] = {{30, 20}, {30, 0}, {-40, 10}, {0, 127}, {128, -128}, {-128, 127}, {60, -30}, {5, 0}};
  for (const Effect& e : effects) {
    SCOPED_TRACE(std::to_string(e.brightness) + " " + std::to_string(e.contrast));
    PlanarLevels levels;
    ASSERT_TRUE(MakePlanarLevels(e.brightness, e.contrast, &levels));
    Picture forms[2] = {original, original};
    const KernelForm which[2] = {KernelForm::Scalar, KernelForm::AVX2};
    for (int f = 0; f < 2; ++f) {
      for (int i = 0; i < 3; ++i) forms[f].p[i] = forms[f].plane[i].data();
      ForceKernelForm(which[f]);
      ApplyPlanarLevels(levels, forms[f].p, forms[f].rowBytes, forms[f].width, forms[f].height);
    }
    ResetKernelForm();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(forms[0].plane[i], forms[1].plane[i]) << "plane " << i;
    EXPECT_NE(forms[0].plane[0], original.plane[0]);
  }
}
