// The frame effect chain: untouched frames with the effects off, the judge's
// replacement and its limit, levels, and the effects changing frames.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "ColorConvert.h"
#include "VideoRealEffect.h"

namespace {

struct Frame {
  int width, height, rowBytes;
  std::vector<uint8_t> bytes;
  Frame(int w, int h, int extra = 16) : width(w), height(h), rowBytes(4 * w + extra),
        bytes(static_cast<size_t>(rowBytes) * h) {}
  uint8_t* px(int r, int x) { return &bytes[static_cast<size_t>(r) * rowBytes + 4 * x]; }
  const uint8_t* px(int r, int x) const { return &bytes[static_cast<size_t>(r) * rowBytes + 4 * x]; }
  void set(int r, int x, int red, int green, int blue) {
    uint8_t* p = px(r, x);
    p[1] = static_cast<uint8_t>(red);
    p[2] = static_cast<uint8_t>(green);
    p[3] = static_cast<uint8_t>(blue);
  }
  int32_t run(CVideoRealEffect& e) { return e.DoEffect(bytes.data(), width, height, 32, rowBytes); }
};

// A page: gradient paper, dark text strokes, optional noise, alpha 0xFF.
Frame Page(int w, int h, unsigned seed, int noise = 0, int shift = 0) {
  Frame f(w, h);
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, noise);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) {
      int v = 90 + (x * 60) / w + (r * 40) / h;
      const int tx = x + shift;
      if ((r / 6) % 3 == 1 && (tx / 4) % 5 != 0 && ((tx * 7 + r * 3) % 11) < 6) v = 40;
      if (noise) v += static_cast<int>(std::lround(gauss(rng)));
      v = v < 0 ? 0 : (v > 255 ? 255 : v);
      f.set(r, x, v, v, std::min(255, v + 8));
      f.px(r, x)[0] = 0xFF;
    }
  return f;
}

// Paper without text: nothing for the judge to object to.
Frame Plain(int w, int h, int tint) {
  Frame f(w, h);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) f.set(r, x, 90 + tint + (x * 60) / w, 100 + (r * 40) / h, 120);
  return f;
}

// A ruled line across the page: the judge calls every such frame bad.
Frame Ruled(int w, int h) {
  Frame f = Plain(w, h, 0);
  for (int x = 0; x < w; ++x) f.set(h / 2, x, 20, 20, 20);
  return f;
}

// A torn frame: every other row garbled.
Frame Torn(const Frame& good) {
  Frame f = good;
  for (int r = 1; r < f.height; r += 2)
    for (int x = 0; x < f.width; ++x) f.set(r, x, 250, 250, 250);
  return f;
}

TEST(VideoRealEffect, AllEffectsOffLeavesFrameUntouched) {
  CVideoRealEffect e(64, 48);
  e.SetDenoiseLevel(50);
  e.SetDelightLevel(50);
  Frame f = Page(64, 48, 1, 6);
  const Frame before = f;
  EXPECT_EQ(f.run(e), 1);
  EXPECT_EQ(f.bytes, before.bytes);
  // The kept frame is that frame: a torn one next shows it again.
  e.EnableFrameJudge(1);
  Frame torn = Torn(before);
  EXPECT_EQ(torn.run(e), 0);
  EXPECT_EQ(torn.bytes, before.bytes);
}

TEST(VideoRealEffect, RoundTripAtLevelZero) {
  CVideoRealEffect e(4, 2);
  e.EnableDenoise(1);  // level 0: the denoiser is skipped, the round trip is not
  Frame f(4, 2);
  f.set(0, 0, 255, 255, 255);
  f.set(0, 1, 255, 255, 255);
  f.set(0, 2, 128, 128, 128);
  f.set(0, 3, 128, 128, 128);
  f.set(1, 0, 200, 0, 0);
  f.set(1, 1, 0, 0, 200);
  f.px(0, 0)[0] = 0xFF;
  EXPECT_EQ(f.run(e), 1);
  EXPECT_EQ(f.px(0, 0)[0], 0);  // alpha cleared
  for (int k = 1; k < 4; ++k) {
    EXPECT_EQ(f.px(0, 0)[k], 254);
    EXPECT_EQ(f.px(0, 2)[k], 128);
  }
  // Chroma is averaged over the pair: a red and a blue pixel both turn purplish.
  EXPECT_GT(f.px(1, 0)[3], 40);
  EXPECT_GT(f.px(1, 1)[1], 40);
  EXPECT_EQ(f.px(1, 2)[1], 0);  // black stays black
}

TEST(VideoRealEffect, JudgeReplacesBadFramesUpToItsLimit) {
  CVideoRealEffect e(96, 64);
  e.EnableFrameJudge(1);
  const Frame good = Plain(96, 64, 0);
  // A torn frame before any accepted frame keeps its own pixels.
  Frame first = Torn(good);
  const Frame firstBefore = first;
  EXPECT_EQ(first.run(e), 0);
  EXPECT_EQ(first.bytes, firstBefore.bytes);

  Frame g = good;
  EXPECT_EQ(g.run(e), 1);
  for (int i = 0; i < CVideoRealEffect::kMaxHeldFrames; ++i) {
    Frame torn = Torn(good);
    EXPECT_EQ(torn.run(e), 0) << i;
    EXPECT_EQ(torn.bytes, good.bytes) << i;
  }
  // Still "bad" after the limit: a steady scene feature, shown from now on.
  for (int i = 0; i < 3; ++i) {
    Frame torn = Torn(good);
    const Frame tornBefore = torn;
    EXPECT_EQ(torn.run(e), 1) << i;
    EXPECT_EQ(torn.bytes, tornBefore.bytes) << i;
  }
  // A good frame starts a new count; the last shown frame is what comes back.
  Frame g2 = Plain(96, 64, 9);
  EXPECT_EQ(g2.run(e), 1);
  Frame torn = Torn(good);
  EXPECT_EQ(torn.run(e), 0);
  EXPECT_EQ(torn.bytes, g2.bytes);
  EXPECT_EQ(e.ErrorFrameCount(), 1 + CVideoRealEffect::kMaxHeldFrames + 1);
}

// With the effects on, a rejected frame shows the last shown frame to the
// byte, whatever the row layout and however many frames were rejected.
TEST(VideoRealEffect, RejectedFrameShowsTheLastProcessedFrame) {
  struct Case { int width, extra; };
  for (const Case c : {Case{96, 0}, Case{96, 16}, Case{95, 0}}) {
    CVideoRealEffect e(c.width, 64);
    e.EnableFrameJudge(1);
    e.EnableDenoise(1);
    e.EnableDelight(1);
    e.SetDenoiseLevel(60);
    e.SetDelightLevel(50);
    Frame shown(c.width, 64, c.extra);
    for (int i = 0; i < 3; ++i) {
      Frame f(c.width, 64, c.extra);
      const Frame plain = Plain(c.width, 64, 3 * i);
      for (int r = 0; r < 64; ++r) std::memcpy(f.px(r, 0), plain.px(r, 0), 4 * c.width);
      ASSERT_EQ(f.run(e), 1) << c.width;
      shown = f;
    }
    for (int i = 0; i < 2; ++i) {
      Frame torn = Torn(shown);
      EXPECT_EQ(torn.run(e), 0) << c.width;
      EXPECT_EQ(torn.bytes, shown.bytes) << c.width << " extra " << c.extra;
    }
  }
}

TEST(VideoRealEffect, RuledLineFreezesThePreviewOnlyBriefly) {
  CVideoRealEffect e(96, 64);
  e.EnableFrameJudge(1);
  Frame g = Plain(96, 64, 0);
  EXPECT_EQ(g.run(e), 1);
  int held = 0;
  for (int i = 0; i < 30; ++i) {
    Frame f = Ruled(96, 64);
    held += f.run(e) == 0;
  }
  EXPECT_EQ(held, CVideoRealEffect::kMaxHeldFrames);
}

TEST(VideoRealEffect, EveryTenthRejectionIsReported) {
  CVideoRealEffect e(32, 16);
  e.EnableFrameJudge(1);
  const Frame good = Plain(32, 16, 0);
  testing::internal::CaptureStdout();
  for (int i = 0; i < 21; ++i) {
    Frame f = (i % 3 == 2) ? good : Torn(good);
    f.run(e);
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(e.ErrorFrameCount(), 14);
  EXPECT_EQ(out, "Error Frame 10\n");
}

TEST(VideoRealEffect, Levels) {
  CVideoRealEffect e(64, 48);
  struct Case { int in, stored; };
  for (const Case c : {Case{150, 100}, Case{-5, 0}, Case{37, 37}}) {
    e.SetDenoiseLevel(c.in);
    EXPECT_EQ(e.DenoiseLevel(), c.stored);
    EXPECT_EQ(e.SetDelightLevel(c.in), c.stored);
  }
}

TEST(VideoRealEffect, DelightBrightensADimPage) {
  CVideoRealEffect e(160, 120);
  ASSERT_TRUE(e.HasDelighter());
  e.EnableDelight(1);
  e.SetDelightLevel(50);
  Frame f = Page(160, 120, 5, 3);
  for (auto& b : f.bytes) b = static_cast<uint8_t>(b / 3);
  long before = 0, after = 0;
  for (int r = 0; r < 120; ++r)
    for (int x = 0; x < 160; ++x) before += f.px(r, x)[2];
  EXPECT_EQ(f.run(e), 1);
  for (int r = 0; r < 120; ++r)
    for (int x = 0; x < 160; ++x) after += f.px(r, x)[2];
  EXPECT_GT(after, before + before / 5);
}

TEST(VideoRealEffect, OddWidthConvertsEvenPixelsOnly) {
  CVideoRealEffect e(33, 10);
  EXPECT_FALSE(e.HasDelighter());
  e.EnableDelight(1);
  e.SetDelightLevel(50);
  Frame f = Page(33, 10, 6);
  const Frame before = f;
  EXPECT_EQ(f.run(e), 1);
  for (int r = 0; r < 10; ++r) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(f.px(r, 32)[k], before.px(r, 32)[k]);
    EXPECT_EQ(f.px(r, 0)[0], 0);
  }
}

TEST(VideoRealEffect, OtherSizeIsLeftAlone) {
  CVideoRealEffect e(64, 48);
  e.EnableDelight(1);
  e.SetDelightLevel(50);
  Frame f = Page(80, 48, 7);
  const Frame before = f;
  EXPECT_EQ(f.run(e), 1);
  EXPECT_EQ(f.bytes, before.bytes);
  EXPECT_EQ(e.DoEffect(nullptr, 64, 48, 32, 256), 1);
}

double PsnrY(const Frame& a, const Frame& b) {
  std::vector<uint8_t> pa(3 * a.width * a.height), pb(pa.size());
  RGB32ToYUVPlane(pa.data(), a.bytes.data(), a.width, a.height, a.rowBytes);
  RGB32ToYUVPlane(pb.data(), b.bytes.data(), b.width, b.height, b.rowBytes);
  double se = 0;
  const int n = a.width * a.height;
  for (int i = 0; i < n; ++i) se += (pa[i] - pb[i]) * (pa[i] - pb[i]);
  return 10.0 * std::log10(255.0 * 255.0 / (se / n + 1e-9));
}

TEST(VideoRealEffect, DenoiseImprovesLumaPsnr) {
  CVideoRealEffect e(320, 240);
  if (!e.HasDenoiser()) GTEST_SKIP() << "denoiser not built";
  e.EnableDenoise(1);
  e.SetDenoiseLevel(60);
  const Frame clean = Page(320, 240, 8);
  double noisy = 0, denoised = 0;
  for (int i = 0; i < 6; ++i) {
    Frame f = Page(320, 240, 100 + i, 10);  // same page, fresh noise each frame
    noisy = PsnrY(f, clean);
    f.run(e);
    denoised = PsnrY(f, clean);
  }
  EXPECT_GT(denoised, noisy + 1.0) << noisy << " -> " << denoised;
  std::printf("luma PSNR %.2f dB -> %.2f dB\n", noisy, denoised);
}

TEST(VideoRealEffect, DenoiseLevelReachesTheDenoiser) {
  CVideoRealEffect e(64, 48);
  if (!e.HasDenoiser()) GTEST_SKIP() << "denoiser not built";
  e.SetDenoiseLevel(150);
  // The previous luma noise level comes back: 100 / 2.
  EXPECT_EQ(e.SetDenoiseLevel(40), 50);
  EXPECT_EQ(e.SetDenoiseLevel(-5), 20);
  EXPECT_EQ(e.DenoiseLevel(), 0);
}

// Effect objects are made for each preview size while others convert frames
// on other threads: making one must not touch what the others read.
TEST(VideoRealEffect, ObjectsMadeWhileOthersConvertFrames) {
  const Frame page = Page(64, 48, 11, 4);
  Frame expected = page;
  {
    CVideoRealEffect e(64, 48);
    e.EnableDenoise(1);  // level 0: just the round trip through YUY2
    expected.run(e);
  }
  constexpr int kMakers = 3, kConverters = 3, kRounds = 40;
  std::latch start(kMakers + kConverters);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kMakers; ++t)
    threads.emplace_back([&] {
      start.arrive_and_wait();
      for (int i = 0; i < kRounds; ++i) CVideoRealEffect e(32 + 2 * i, 24);
    });
  for (int t = 0; t < kConverters; ++t)
    threads.emplace_back([&] {
      CVideoRealEffect e(64, 48);
      e.EnableDenoise(1);
      start.arrive_and_wait();
      for (int i = 0; i < kRounds; ++i) {
        Frame f = page;
        f.run(e);
        wrong += f.bytes != expected.bytes;
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
