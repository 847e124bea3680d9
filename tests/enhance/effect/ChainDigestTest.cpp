// The whole chain's output, pinned to the byte: a digest of every output frame
// over a run of generated pages (a torn frame among them), for each setting.
// Every kernel form on any number of threads must give these bytes; a change
// of arithmetic shows here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "KernelForm.h"
#include "PageFrames.h"
#include "VideoRealEffect.h"
#include "WorkerPool.h"

namespace {

struct Setting {
  const char* name;
  int width, height;
  bool judge, denoise, delight;
  int denoiseLevel, delightLevel;
  uint64_t digest;
};

constexpr Setting kSettings[] = {
    {"chain 640x480", 640, 480, true, true, true, 60, 50, 0x3ac38af6373d459eull},
    {"denoise 640x480", 640, 480, false, true, false, 100, 0, 0xdd13e1857115ed91ull},
    {"delight 640x480", 640, 480, false, false, true, 0, 30, 0x483d95f436e1084bull},
    {"chain 320x240", 320, 240, true, true, true, 60, 50, 0xe7b7d62f3c54ad48ull},
    {"chain 326x244", 326, 244, true, true, true, 100, 80, 0xecb9f846165656aeull},
};

// Every other row garbled: the judge rejects it.
PageFrame Torn(PageFrame f) {
  for (int r = 1; r < f.height; r += 2)
    std::memset(f.argb.data() + static_cast<size_t>(r) * f.rowBytes, 250, 4 * f.width);
  return f;
}

uint64_t Digest(const Setting& s, int threads) {
  std::vector<PageFrame> frames = MakePageFrames(s.width, s.height, 6);
  frames.insert(frames.begin() + 3, Torn(frames[2]));
  CVideoRealEffect effect(s.width, s.height);
  effect.SetThreadCount(threads);
  effect.EnableFrameJudge(s.judge);
  effect.EnableDenoise(s.denoise);
  effect.EnableDelight(s.delight);
  effect.SetDenoiseLevel(s.denoiseLevel);
  effect.SetDelightLevel(s.delightLevel);
  uint64_t hash = HashBytes(nullptr, 0);
  for (int round = 0; round < 2; ++round)
    for (PageFrame f : frames) {
      effect.DoEffect(f.argb.data(), f.width, f.height, 32, f.rowBytes);
      hash = HashBytes(f.argb.data(), f.argb.size(), hash);
    }
  // The torn frame is replaced each time round (small noisy pages may trip
  // the judge as well).
  if (s.judge) EXPECT_GE(effect.ErrorFrameCount(), 2) << s.name;
  return hash;
}

class ChainDigest : public testing::TestWithParam<std::tuple<KernelForm, int, int>> {
 protected:
  // Every step on every thread, not just the ones the threads pay for.
  void SetUp() override { enh::WorkerPool::SpreadEveryStep(true); }
  void TearDown() override {
    ResetKernelForm();
    enh::WorkerPool::SpreadEveryStep(false);
  }
};

TEST_P(ChainDigest, GivesTheSettingsBytes) {
  const auto [form, threads, setting] = GetParam();
  if (ForceKernelForm(form) != form) GTEST_SKIP() << "form not supported here";
  const Setting& s = kSettings[setting];
  const uint64_t got = Digest(s, threads);
  EXPECT_EQ(got, s.digest) << s.name << ": 0x" << std::hex << got;
}

INSTANTIATE_TEST_SUITE_P(FormsAndThreads, ChainDigest,
                         testing::Combine(testing::Values(KernelForm::Scalar, KernelForm::SSE2, KernelForm::AVX2),
                                          testing::Values(1, 3, 8),
                                          testing::Range(0, static_cast<int>(std::size(kSettings)))),
                         [](const auto& info) {
                           std::string name = kSettings[std::get<2>(info.param)].name;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name + "_" + KernelFormName(std::get<0>(info.param)) + "_threads" +
                                  std::to_string(std::get<1>(info.param));
                         });

}  // namespace
