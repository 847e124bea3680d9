// The operations against Pillow, an independent implementation: quarter
// turns, mirrors and crops exactly; sharpen, auto-levels and Lanczos
// resampling within a stated PSNR.
#include <gtest/gtest.h>

#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/Operations.h"

namespace {

using imgtest::Psnr;
using imgtest::SamePixels;

class PillowReference : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
    dir_ = testenv::MakeTempDir("pil");
  }
  img::Bitmap Reference(const img::Bitmap& in, const std::vector<std::string>& op) {
    img::Bitmap out = imgtest::PillowReference(in, op, dir_);
    EXPECT_FALSE(out.empty()) << op[0];
    return out;
  }
  std::filesystem::path dir_;
};

TEST_F(PillowReference, PermutationsAreExact) {
  img::Bitmap in = imgtest::Noise(37, 23);
  struct Case {
    std::vector<std::string> op;
    img::Bitmap ours;
  } cases[] = {
      {{"rotate", "90"}, img::Rotate(in, 90)},
      {{"rotate", "180"}, img::Rotate(in, 180)},
      {{"rotate", "270"}, img::Rotate(in, 270)},
      {{"rotate", "90"}, img::Rotate(in, -270)},
      {{"flip", "lr"}, img::Flip(in, img::FlipAxis::kLeftRight)},
      {{"flip", "tb"}, img::Flip(in, img::FlipAxis::kTopBottom)},
      {{"crop", "5", "3", "30", "20"}, img::Crop(in, 5, 3, 30, 20)},
  };
  for (auto& c : cases) {
    EXPECT_TRUE(SamePixels(c.ours, Reference(in, c.op))) << c.op[0] << " " << c.op[1];
  }
}

TEST_F(PillowReference, SharpenAutoLevelsAndLanczosAreClose) {
  img::Bitmap scene = imgtest::Scene(160, 120);
  img::Bitmap dull = scene;
  img::ApplyTable(dull, img::BrightnessContrastTable(-20, -50));  // low contrast input
  struct Case {
    const char* what;
    std::vector<std::string> op;
    img::Bitmap input, ours;
    double min_psnr;
  } cases[] = {
      {"unsharp 60", {"unsharp", "2", "60"}, scene, img::UnsharpMask(scene, 2, 60), 45},
      {"unsharp 200", {"unsharp", "2", "200"}, scene, img::UnsharpMask(scene, 2, 200), 45},
      {"autocontrast", {"autocontrast", "0.5"}, dull, {}, 60},
      {"lanczos down", {"lanczos", "61", "47"}, scene, img::Resample(scene, 61, 47), 60},
      {"lanczos up", {"lanczos", "333", "250"}, scene, img::Resample(scene, 333, 250), 60},
      {"lanczos width only", {"lanczos", "100", "120"}, scene, img::Resample(scene, 100, 120), 60},
  };
  cases[2].ours = dull;
  img::AutoLevels(cases[2].ours, 0.5);
  for (auto& c : cases) {
    double p = Psnr(c.ours, Reference(c.input, c.op));
    EXPECT_GE(p, c.min_psnr) << c.what;
    std::printf("%s: PSNR %.1f dB against Pillow\n", c.what, p);
  }
}

// Pictures of several megabytes take the other road: buffers kept from
// released pictures, many pieces of work over the worker threads, the wide
// row kernels. Twice over, so the second round reuses the first's buffers.
TEST_F(PillowReference, LargePicturesMatchToo) {
  img::Bitmap scene = imgtest::Scene(1203, 901, 5);
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(SamePixels(img::Rotate(scene, 90), Reference(scene, {"rotate", "90"})));
    EXPECT_TRUE(SamePixels(img::Flip(scene, img::FlipAxis::kLeftRight), Reference(scene, {"flip", "lr"})));
    EXPECT_GE(Psnr(img::UnsharpMask(scene, 2, 100), Reference(scene, {"unsharp", "2", "100"})), 45);
    EXPECT_GE(Psnr(img::Resample(scene, 401, 299), Reference(scene, {"lanczos", "401", "299"})), 60);
    img::Bitmap levelled = scene;
    img::AutoLevels(levelled, 0.5);
    EXPECT_GE(Psnr(levelled, Reference(scene, {"autocontrast", "0.5"})), 60);
  }
}

}  // namespace
