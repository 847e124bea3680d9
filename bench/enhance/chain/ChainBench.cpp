// Milliseconds per frame of the effect chain's stages and of the whole chain,
// scalar and vector, one thread. --write_frames=DIR also writes the frames as
// raw video so other filters can be timed on the very same pictures.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchFrames.h"
#include "ColorConvert.h"
#include "FrameJudge.h"
#include "KernelForm.h"
#include "VideoRealEffect.h"

namespace {

constexpr int kFrames = 6;
const int kSizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}, {2592, 1944}};

const std::vector<BenchFrame>& Frames(int w, int h) {
  static std::map<std::pair<int, int>, std::vector<BenchFrame>> cache;
  auto it = cache.find({w, h});
  if (it == cache.end()) it = cache.emplace(std::make_pair(w, h), MakePageFrames(w, h, kFrames)).first;
  return it->second;
}

enum class Stage { Judge, ToYUY2, Denoise, Delight, ToRGB32, Chain };

const char* StageName(Stage s) {
  switch (s) {
    case Stage::Judge: return "judge";
    case Stage::ToYUY2: return "rgb32_to_yuy2";
    case Stage::Denoise: return "denoise";
    case Stage::Delight: return "delight";
    case Stage::ToRGB32: return "yuy2_to_rgb32";
    case Stage::Chain: return "chain";
  }
  return "?";
}

// Each iteration takes the next frame; only the stage itself is timed.
void RunStage(benchmark::State& state, Stage stage, KernelForm form, int w, int h) {
  if (ForceKernelForm(form) != form) {
    state.SkipWithError("kernel form not supported here");
    return;
  }
  const auto& frames = Frames(w, h);
  CVideoRealEffect effect(w, h);
  if (stage == Stage::Denoise && !effect.HasDenoiser()) {
    ResetKernelForm();
    state.SkipWithError("denoiser not built");
    return;
  }
  effect.SetDenoiseLevel(60);
  effect.SetDelightLevel(50);
  if (stage == Stage::Chain) {
    effect.EnableFrameJudge(1);
    effect.EnableDenoise(1);
    effect.EnableDelight(1);
  }
  const int rowBytes = frames[0].rowBytes;
  const int pitch = (2 * w + 3) & ~3;
  std::vector<uint8_t> work(frames[0].argb.size());
  std::vector<uint8_t> yuy2(static_cast<size_t>(pitch) * h);
  std::vector<uint8_t> planes(static_cast<size_t>(w) * h * 3);
  // The denoiser estimates its noise profile on the first frames and the
  // dynamic light builds its gain table: both stay out of the timing.
  for (size_t i = 0; i < 3; ++i) {
    const BenchFrame& f = frames[i % frames.size()];
    std::memcpy(work.data(), f.argb.data(), work.size());
    if (stage == Stage::Chain) {
      effect.DoEffect(work.data(), w, h, 32, rowBytes);
    } else if (stage == Stage::Denoise || stage == Stage::Delight) {
      RGB32ToYUY2(yuy2.data(), pitch, work.data(), rowBytes, w, h);
      if (stage == Stage::Denoise) effect.Denoise(yuy2.data(), w, h, pitch);
      else effect.Delight(yuy2.data(), w, h, pitch);
    }
  }
  size_t next = 0;
  int64_t rejected = 0;
  for (auto _ : state) {
    const BenchFrame& f = frames[next++ % frames.size()];
    std::memcpy(work.data(), f.argb.data(), work.size());
    if (stage == Stage::Denoise || stage == Stage::Delight || stage == Stage::ToRGB32)
      RGB32ToYUY2(yuy2.data(), pitch, work.data(), rowBytes, w, h);
    const auto start = std::chrono::steady_clock::now();
    switch (stage) {
      case Stage::Judge:
        RGB32ToYUVPlane(planes.data(), work.data(), w, h, rowBytes);
        benchmark::DoNotOptimize(effect.JudgeFrame(planes.data(), w, h, rowBytes));
        break;
      case Stage::ToYUY2: RGB32ToYUY2(yuy2.data(), pitch, work.data(), rowBytes, w, h); break;
      case Stage::Denoise: effect.Denoise(yuy2.data(), w, h, pitch); break;
      case Stage::Delight: effect.Delight(yuy2.data(), w, h, pitch); break;
      case Stage::ToRGB32: YUY2ToRGB32(work.data(), rowBytes, yuy2.data(), pitch, w, h); break;
      case Stage::Chain: rejected += effect.DoEffect(work.data(), w, h, 32, rowBytes) == 0; break;
    }
    const auto end = std::chrono::steady_clock::now();
    benchmark::ClobberMemory();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  // A rejected frame skips the effects; the page should not be one.
  if (stage == Stage::Chain) state.counters["rejected"] = static_cast<double>(rejected);
  ResetKernelForm();
}

void RegisterAll() {
  const Stage stages[] = {Stage::Judge, Stage::ToYUY2, Stage::Denoise, Stage::Delight, Stage::ToRGB32, Stage::Chain};
  const KernelForm forms[] = {KernelForm::Scalar, KernelForm::SSE2, KernelForm::AVX2};
  for (const auto& size : kSizes)
    for (Stage stage : stages)
      for (KernelForm form : forms) {
        if (form == KernelForm::AVX2 && BestKernelForm() != KernelForm::AVX2) continue;
        const int w = size[0], h = size[1];
        const std::string name = std::string(StageName(stage)) + "/" + KernelFormName(form) + "/" +
                                 std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& s) { RunStage(s, stage, form, w, h); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
      }
}

}  // namespace

int main(int argc, char** argv) {
  std::string writeDir;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const char* prefix = "--write_frames=";
    if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0)
      writeDir = argv[i] + std::strlen(prefix);
    else
      rest.push_back(argv[i]);
  }
  if (!writeDir.empty()) {
    for (const auto& size : kSizes) {
      std::string error;
      if (!WriteRawFrames(Frames(size[0], size[1]), writeDir, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
    }
    std::printf("%d frames a size written to %s\n", kFrames, writeDir.c_str());
    return 0;
  }
  int restCount = static_cast<int>(rest.size());
  RegisterAll();
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
