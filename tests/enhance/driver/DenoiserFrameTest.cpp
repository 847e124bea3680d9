// Whole frames through the denoiser as the frame effect chain drives it: a
// static scene with camera noise comes out closer to the clean scene than the
// noisy input, also after a black first frame, and odd widths keep the state
// from one frame to the next.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "KernelForm.h"
#include "driver/AvdDenoiser.h"
#include "driver/AvdDenoiserHandle.h"
#include "noise/AvdNoiseProfile.h"

namespace {

struct Frame {
  int32_t width, height;
  std::vector<uint8_t> yuyv;
  AVD_IMAGE Image() {
    AVD_IMAGE img;
    img.width = width;
    img.height = height;
    img.format = AVD_FMT_YUYV;
    img.pitch[0] = 2 * width + 4;
    img.plane[0] = yuyv.data();
    return img;
  }
  uint8_t& Y(int x, int y) { return yuyv[static_cast<size_t>(y) * (2 * width + 4) + 2 * x]; }
};

// A document-like scene: soft gradient paper, dark text strokes, a grey box.
Frame Clean(int32_t w, int32_t h, bool text = true) {
  Frame f{w, h, std::vector<uint8_t>(static_cast<size_t>(2 * w + 4) * h, 128)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int v = 150 + (x * 60) / w + (y * 20) / h;
      if (text && (y / 6) % 4 == 1 && (x / 3) % 5 != 0 && x > w / 8 && x < w / 2) v = 40;
      if (x > w * 5 / 8 && x < w * 7 / 8 && y > h / 4 && y < h * 3 / 4) v = 100;
      f.Y(x, y) = static_cast<uint8_t>(v);
    }
  return f;
}

Frame Noisy(const Frame& clean, uint32_t seed, double sigma) {
  Frame f = clean;
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      double v = f.Y(x, y) + noise(rng);
      f.Y(x, y) = static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
    }
  return f;
}

double PsnrY(Frame& a, Frame& b) {
  double se = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const double d = double(a.Y(x, y)) - b.Y(x, y);
      se += d * d;
    }
  const double mse = se / (double(a.width) * a.height);
  return 10.0 * std::log10(255.0 * 255.0 / std::fmax(mse, 1e-9));
}

// The effect chain's set-up: luma-only video type, level 60.
AVD_HANDLE ChainHandle() {
  AVD_HANDLE h = nullptr;
  EXPECT_EQ(AVD_CreateHandle(nullptr, &h), 0);
  AVD_SetDenoiserType(h, 17);
  AVD_SetTunerLevel(h, 0, 1, AVD_TUNE_SHARP);
  AVD_SetTunerLevel(h, 0, 1, AVD_TUNE_DENOISE);
  AVD_SetTunerLevel(h, 0, 0, AVD_TUNE_SHARP);
  AVD_SetTunerLevel(h, 60, 0, AVD_TUNE_DENOISE);
  AVD_SetTunerLevel(h, 30, 0, AVD_TUNE_NOISE);
  return h;
}

struct Quality {
  double inputPsnr = 0, outputPsnr = 0;
};

Quality DenoiseSequence(AVD_HANDLE h, Frame& clean, int frames, bool blackFirst, double sigma = 6.0) {
  Quality r;
  if (blackFirst) {
    Frame black = clean;
    for (int y = 0; y < black.height; ++y)
      for (int x = 0; x < black.width; ++x) black.Y(x, y) = 16;
    AVD_IMAGE img = black.Image();
    EXPECT_EQ(AVD_Denoise(h, &img, &img, nullptr, nullptr), 0);
  }
  for (int i = 0; i < frames; ++i) {
    Frame noisy = Noisy(clean, 100 + i, sigma);
    Frame out = noisy;
    AVD_IMAGE in = noisy.Image(), dst = out.Image();
    EXPECT_EQ(AVD_Denoise(h, &in, &dst, nullptr, nullptr), 0);
    r.inputPsnr = PsnrY(noisy, clean);
    r.outputPsnr = PsnrY(out, clean);
  }
  return r;
}

class DenoiserFrames : public ::testing::Test {
 protected:
  void TearDown() override { ResetKernelForm(); }
};

TEST_F(DenoiserFrames, NoisyScenesComeOutCloserToTheClean) {
  for (auto [w, h] : {std::pair{320, 240}, std::pair{352, 288}}) {
    AVD_HANDLE handle = ChainHandle();
    Frame clean = Clean(w, h);
    Quality r = DenoiseSequence(handle, clean, 4, false);
    EXPECT_GT(r.outputPsnr, r.inputPsnr + 1.0) << w << "x" << h;
    AVD_ReleaseHandle(handle);
  }
}

TEST_F(DenoiserFrames, DefaultTypeDenoisesColourFrames) {
  // The default type filters chroma too: 4 luma and 3 chroma levels at 640 x 480.
  // Sharpening off, which would move the picture away from the clean one.
  for (auto [w, h] : {std::pair{160, 120}, std::pair{640, 480}}) {
    AVD_HANDLE handle = nullptr;
    ASSERT_EQ(AVD_CreateHandle(nullptr, &handle), 0);
    AVD_SetTunerLevel(handle, 0, 0, AVD_TUNE_SHARP);
    AVD_SetTunerLevel(handle, 0, 1, AVD_TUNE_SHARP);
    Frame clean = Clean(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; x += 2) {
        uint8_t* pair = &clean.Y(x, y);
        pair[1] = static_cast<uint8_t>(96 + (x * 64) / w);   // U
        pair[3] = static_cast<uint8_t>(160 - (y * 64) / h);  // V
      }
    Quality r = DenoiseSequence(handle, clean, 3, false);
    EXPECT_GT(r.outputPsnr, r.inputPsnr) << "type 18 " << w << "x" << h;
    EXPECT_EQ(handle->preFrame.pyramids[0].count, 3);
    EXPECT_EQ(handle->preFrame.pyramids[0].pyramids[1].levelCount, w == 640 ? 3 : 1);
    AVD_ReleaseHandle(handle);
  }
}

TEST_F(DenoiserFrames, BlackFirstFrameDoesNotSwitchDenoisingOff) {
  AVD_HANDLE handle = ChainHandle();
  Frame clean = Clean(320, 240);
  Quality r = DenoiseSequence(handle, clean, 4, true);
  EXPECT_GT(r.outputPsnr, r.inputPsnr + 1.0);
  AVD_ReleaseHandle(handle);
}

// A long clean start (a still, noise-free picture) is measured on every one
// of its first frames and then only now and then; noise that turns up later
// is still measured and filtered within one such interval.
TEST_F(DenoiserFrames, NoiseAfterALongCleanStartIsStillMeasured) {
  AVD_HANDLE handle = ChainHandle();
  Frame clean = Clean(320, 240);
  for (int i = 0; i < kAvdMeasureEachFrames + 3 * kAvdMeasureEvery; ++i) {
    Frame flat = clean;
    AVD_IMAGE img = flat.Image();
    ASSERT_EQ(AVD_Denoise(handle, &img, &img, nullptr, nullptr), 0);
  }
  EXPECT_FALSE(handle->profileMeasured);
  Quality r = DenoiseSequence(handle, clean, kAvdMeasureEvery + 2, false);
  EXPECT_TRUE(handle->profileMeasured);
  EXPECT_GT(r.outputPsnr, r.inputPsnr + 1.0);
  AVD_ReleaseHandle(handle);
}

TEST_F(DenoiserFrames, OddWidthsKeepTheState) {
  AVD_HANDLE handle = ChainHandle();
  Frame clean = Clean(321, 241);
  Frame a = Noisy(clean, 1, 6.0), b = Noisy(clean, 2, 6.0);
  AVD_IMAGE ia = a.Image(), ib = b.Image();
  ASSERT_EQ(AVD_Denoise(handle, &ia, &ia, nullptr, nullptr), 0);
  const AvdImgPyramid* pyramids = handle->preFrame.pyramids;
  ASSERT_EQ(AVD_Denoise(handle, &ib, &ib, nullptr, nullptr), 0);
  EXPECT_EQ(handle->preFrame.frameCounter, 1);
  EXPECT_EQ(handle->preFrame.pyramids, pyramids);
  EXPECT_EQ(handle->lastWidth, 320);

  // Into a separate output, the column the work leaves out is the input's.
  Frame c = Noisy(clean, 3, 6.0), out = Clean(321, 241);
  for (auto& byte : out.yuyv) byte = 0;
  AVD_IMAGE ic = c.Image(), io = out.Image();
  ASSERT_EQ(AVD_Denoise(handle, &ic, &io, nullptr, nullptr), 0);
  for (int y = 0; y < 241; ++y) EXPECT_EQ(out.Y(320, y), c.Y(320, y)) << y;
  AVD_ReleaseHandle(handle);
}

TEST_F(DenoiserFrames, EveryKernelFormGivesTheSameFrame) {
  Frame clean = Clean(200, 150);
  std::vector<std::vector<uint8_t>> results;
  for (KernelForm form : {KernelForm::Scalar, KernelForm::SSE2, KernelForm::AVX2}) {
    if (static_cast<int>(form) > static_cast<int>(BestKernelForm())) continue;
    ForceKernelForm(form);
    AVD_HANDLE handle = nullptr;
    ASSERT_EQ(AVD_CreateHandle(nullptr, &handle), 0);
    Frame last = clean;
    for (int i = 0; i < 3; ++i) {
      last = Noisy(clean, 50 + i, 8.0);
      AVD_IMAGE img = last.Image();
      ASSERT_EQ(AVD_Denoise(handle, &img, &img, nullptr, nullptr), 0);
    }
    results.push_back(last.yuyv);
    AVD_ReleaseHandle(handle);
  }
  for (size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]) << "form " << i;
}

TEST_F(DenoiserFrames, ProgressRisesToOneHundred) {
  AVD_HANDLE handle = ChainHandle();
  Frame f = Noisy(Clean(64, 48), 3, 5.0);
  AVD_IMAGE img = f.Image();
  std::vector<int32_t> seen;
  auto report = [](int32_t percent, int32_t, void* p) -> int32_t {
    static_cast<std::vector<int32_t>*>(p)->push_back(percent);
    return 0;
  };
  ASSERT_EQ(AVD_Denoise(handle, &img, &img, report, &seen), 0);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  AVD_ReleaseHandle(handle);
}

}  // namespace

namespace {

// A profile with the same noise at every band and level.
std::vector<uint8_t> FlatProfile(uint8_t noise) {
  std::vector<uint8_t> blob(4096, 0);
  AvdNoiseProfile* p = avdInitImgNoiseConfig(blob.data(), blob.size(), 3, 4, 8, 4, 8);
  EXPECT_NE(p, nullptr);
  for (int c = 0; c < 3; ++c)
    for (int l = 0; l < 4; ++l) {
      avdNoiseLevel(p, c, l)->levelIndex = l;
      uint8_t* v = avdNoiseValues(p, c, l);
      for (int b = 0; b < 256; ++b) v[b] = noise;
    }
  return blob;
}

// Every type, on sizes that are small, odd or not a multiple of the block
// grid, with a known noise profile from the second frame on: each frame is
// taken, and a smooth scene comes out better than it went in.
TEST_F(DenoiserFrames, EveryTypeOnAwkwardSizes) {
  const std::vector<uint8_t> profile = FlatProfile(12);
  for (int32_t type : {0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19}) {
    for (auto [w, h] : {std::pair{16, 16}, std::pair{19, 17}, std::pair{66, 34}, std::pair{101, 77}}) {
      AVD_HANDLE handle = nullptr;
      ASSERT_EQ(AVD_CreateHandle(nullptr, &handle), 0);
      AVD_SetDenoiserType(handle, type);
      AVD_SetTunerLevel(handle, 0, 0, AVD_TUNE_SHARP);
      Frame clean = Clean(w, h, false);
      DenoiseSequence(handle, clean, 1, false, 8.0);
      ASSERT_EQ(LI_NoiseConfigFromMemory(handle, profile.data()), 0);
      Quality r = DenoiseSequence(handle, clean, 2, false, 8.0);
      // On the tiniest frames the spatial types' wide search smooths across
      // the box edges, which cover most of the picture; only bigger ones count.
      if (w >= 64) {
        EXPECT_GT(r.outputPsnr, r.inputPsnr) << "type " << type << " " << w << "x" << h;
      }
      AVD_ReleaseHandle(handle);
    }
  }
}

}  // namespace

namespace {

// A new scene starts a re-estimation that visits every luma level (count,
// then fit) over the following frames and then goes idle again.
TEST_F(DenoiserFrames, SceneChangeRefitsTheProfileOverTheNextFrames) {
  AVD_HANDLE handle = ChainHandle();
  Frame paper = Clean(320, 240, false);
  Frame print = Clean(320, 240, true);
  for (int i = 0; i < 3; ++i) {
    Frame f = Noisy(paper, 10 + i, 6.0);
    AVD_IMAGE img = f.Image();
    ASSERT_EQ(AVD_Denoise(handle, &img, &img, nullptr, nullptr), 0);
  }
  EXPECT_EQ(handle->preFrame.reestCounter, kAvdReestIdle);
  Frame f = Noisy(print, 20, 6.0);
  AVD_IMAGE img = f.Image();
  ASSERT_EQ(AVD_Denoise(handle, &img, &img, nullptr, nullptr), 0);
  ASSERT_EQ(handle->preFrame.reestCounter, -1);
  // 320 x 240: two luma levels, two frames each (count, fit), luma only.
  std::vector<int32_t> counters;
  for (int i = 0; i < 5; ++i) {
    Frame g = Noisy(print, 30 + i, 6.0);
    AVD_IMAGE gi = g.Image();
    ASSERT_EQ(AVD_Denoise(handle, &gi, &gi, nullptr, nullptr), 0);
    counters.push_back(handle->preFrame.reestCounter);
  }
  EXPECT_EQ(counters, (std::vector<int32_t>{0, 1, 2, 3, kAvdReestIdle}));
  EXPECT_NE(handle->preFrame.work, nullptr);
  AVD_ReleaseHandle(handle);
}

}  // namespace
