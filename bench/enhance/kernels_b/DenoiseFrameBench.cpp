// Whole preview frames through the denoiser as the frame effect chain drives
// it (type 17, luma only), per kernel form.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "KernelForm.h"
#include "driver/AvdDenoiser.h"

namespace {

void BM_DenoiseFrame(benchmark::State& state) {
  const KernelForm form = static_cast<KernelForm>(state.range(0));
  if (static_cast<int>(form) > static_cast<int>(BestKernelForm())) {
    state.SkipWithError("form not supported");
    return;
  }
  ForceKernelForm(form);
  state.SetLabel(KernelFormName(form));
  const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
  std::vector<std::vector<uint8_t>> frames(4, std::vector<uint8_t>(static_cast<size_t>(2 * w) * h));
  std::mt19937 rng(1);
  std::normal_distribution<double> noise(0, 6);
  for (auto& f : frames)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double v = 120 + 80.0 * x / w + noise(rng);
        f[static_cast<size_t>(y) * 2 * w + 2 * x] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        f[static_cast<size_t>(y) * 2 * w + 2 * x + 1] = 128;
      }
  AVD_HANDLE handle = nullptr;
  AVD_CreateHandle(nullptr, &handle);
  AVD_SetDenoiserType(handle, AVD_TYPE_VIDEO_LUMA);
  AVD_SetTunerLevel(handle, 0, 1, AVD_TUNE_SHARP);
  AVD_SetTunerLevel(handle, 0, 1, AVD_TUNE_DENOISE);
  AVD_SetTunerLevel(handle, 0, 0, AVD_TUNE_SHARP);
  std::vector<uint8_t> work(frames[0].size());
  size_t i = 0;
  for (auto _ : state) {
    work = frames[i++ % frames.size()];
    AVD_IMAGE img;
    img.width = w;
    img.height = h;
    img.format = AVD_FMT_YUYV;
    img.pitch[0] = 2 * w;
    img.plane[0] = work.data();
    benchmark::DoNotOptimize(AVD_Denoise(handle, &img, &img, nullptr, nullptr));
  }
  state.SetItemsProcessed(state.iterations());
  AVD_ReleaseHandle(handle);
  ResetKernelForm();
}

BENCHMARK(BM_DenoiseFrame)
    ->ArgsProduct({{0, 1, 2}, {640}, {480}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
