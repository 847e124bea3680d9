// Milliseconds per frame of the effect chain's stages and of the whole chain,
// scalar and vector, one thread; and of the whole chain spread over 4 and all
// of the machine's threads (chain_mt). --write_frames=DIR also writes the frames as
// raw video so other filters can be timed on the very same pictures;
// --digest prints a digest of every output frame per size, form and setting,
// so a faster build can show that it gives the same bytes; --quality prints
// the denoiser's luma PSNR on noisy frames with the camera still and shaking
// (--quality_size=WxH, --quality_frames=DIR and --psnr=CLEAN,OUT let another
// filter be scored on the same frames). --anchored[=WxH,...] prints the chain
// and the denoiser as ratios to FFmpeg's hqdn3d called in this process, and
// the chain on several threads as ratios to one (wall and all threads' CPU).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AnchorRun.h"
#include "PageFrames.h"
#include "QualityRun.h"
#include "ColorConvert.h"
#include "FrameJudge.h"
#include "KernelForm.h"
#include "VideoRealEffect.h"
#include "WorkerPool.h"

namespace {

constexpr int kFrames = 6;

double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
const int kSizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}, {2592, 1944}};

const std::vector<PageFrame>& Frames(int w, int h) {
  static std::map<std::pair<int, int>, std::vector<PageFrame>> cache;
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
void RunStage(benchmark::State& state, Stage stage, KernelForm form, int w, int h, int threads = 1) {
  if (ForceKernelForm(form) != form) {
    state.SkipWithError("kernel form not supported here");
    return;
  }
  const auto& frames = Frames(w, h);
  CVideoRealEffect effect(w, h);
  effect.SetThreadCount(threads);
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
    const PageFrame& f = frames[i % frames.size()];
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
  double cpuMs = 0;  // every thread's, the stage's share
  for (auto _ : state) {
    const PageFrame& f = frames[next++ % frames.size()];
    std::memcpy(work.data(), f.argb.data(), work.size());
    if (stage == Stage::Denoise || stage == Stage::Delight || stage == Stage::ToRGB32)
      RGB32ToYUY2(yuy2.data(), pitch, work.data(), rowBytes, w, h);
    const double cpu0 = ProcessCpuMs();
    const auto start = std::chrono::steady_clock::now();
    switch (stage) {
      case Stage::Judge:
        RGB32ToLumaPlane(planes.data(), work.data(), w, h, rowBytes);
        benchmark::DoNotOptimize(effect.JudgeFrame(planes.data(), w, h, rowBytes));
        break;
      case Stage::ToYUY2: RGB32ToYUY2(yuy2.data(), pitch, work.data(), rowBytes, w, h); break;
      case Stage::Denoise: effect.Denoise(yuy2.data(), w, h, pitch); break;
      case Stage::Delight: effect.Delight(yuy2.data(), w, h, pitch); break;
      case Stage::ToRGB32: YUY2ToRGB32(work.data(), rowBytes, yuy2.data(), pitch, w, h); break;
      case Stage::Chain: rejected += effect.DoEffect(work.data(), w, h, 32, rowBytes) == 0; break;
    }
    const auto end = std::chrono::steady_clock::now();
    cpuMs += ProcessCpuMs() - cpu0;
    benchmark::ClobberMemory();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  // A rejected frame skips the effects; the page should not be one.
  if (stage == Stage::Chain) state.counters["rejected"] = static_cast<double>(rejected);
  // The CPU column is the main thread's alone; this one counts the pool's.
  state.counters["cpu_all_ms"] = benchmark::Counter(cpuMs / std::max<double>(1, state.iterations()));
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
  // The whole chain on several threads, best form.
  const int all = static_cast<int>(std::thread::hardware_concurrency());
  for (const auto& size : kSizes)
    for (int threads : {4, all}) {
      if (threads < 2 || (threads == all && all == 4)) continue;
      const int w = size[0], h = size[1];
      const KernelForm form = BestKernelForm();
      const std::string name = std::string("chain_mt/") + KernelFormName(form) + "/" + std::to_string(w) + "x" +
                               std::to_string(h) + "/threads:" + std::to_string(threads);
      benchmark::RegisterBenchmark(name.c_str(),
                                   [=](benchmark::State& s) { RunStage(s, Stage::Chain, form, w, h, threads); })
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.3);
    }
}

// The settings the digests cover: the benchmark's chain and each effect alone.
struct DigestSetting {
  const char* name;
  bool judge, denoise, delight;
  int denoiseLevel, delightLevel;
};
constexpr DigestSetting kDigestSettings[] = {
    {"chain", true, true, true, 60, 50},
    {"denoise100", false, true, false, 100, 0},
    {"delight30", false, false, true, 0, 30},
};

// Twice through the frames, so the temporal filter's steady state counts too.
uint64_t ChainDigest(const DigestSetting& set, KernelForm form, int threads, int w, int h) {
  ForceKernelForm(form);
  // Every step on every thread, not just the ones the threads pay for.
  enh::WorkerPool::SpreadEveryStep(threads > 1);
  const auto& frames = Frames(w, h);
  CVideoRealEffect effect(w, h);
  effect.SetThreadCount(threads);
  effect.EnableFrameJudge(set.judge);
  effect.EnableDenoise(set.denoise);
  effect.EnableDelight(set.delight);
  effect.SetDenoiseLevel(set.denoiseLevel);
  effect.SetDelightLevel(set.delightLevel);
  uint64_t hash = HashBytes(nullptr, 0);
  std::vector<uint8_t> work(frames[0].argb.size());
  for (size_t i = 0; i < 2 * frames.size(); ++i) {
    std::memcpy(work.data(), frames[i % frames.size()].argb.data(), work.size());
    effect.DoEffect(work.data(), w, h, 32, frames[0].rowBytes);
    hash = HashBytes(work.data(), work.size(), hash);
  }
  ResetKernelForm();
  enh::WorkerPool::SpreadEveryStep(false);
  return hash;
}

// Each form on one thread, and the best form on all threads.
void PrintDigests() {
  const KernelForm forms[] = {KernelForm::Scalar, KernelForm::SSE2, KernelForm::AVX2};
  const int all = static_cast<int>(std::thread::hardware_concurrency());
  for (const auto& size : kSizes)
    for (const DigestSetting& set : kDigestSettings)
      for (int run = 0; run < 4; ++run) {
        const KernelForm form = run < 3 ? forms[run] : BestKernelForm();
        if (run < 3 && static_cast<int>(form) > static_cast<int>(BestKernelForm())) continue;
        const int threads = run < 3 ? 1 : all;
        std::printf("%dx%d %-10s %-6s threads:%-2d %016llx\n", size[0], size[1], set.name, KernelFormName(form),
                    threads, static_cast<unsigned long long>(ChainDigest(set, form, threads, size[0], size[1])));
        std::fflush(stdout);
      }
}

}  // namespace

int main(int argc, char** argv) {
  std::string writeDir, qualityDir, psnr, anchored;
  bool digest = false, quality = false, anchoredOn = false;
  int anchoredFrames = 20, anchoredRounds = 7;
  int qw = 1280, qh = 720;
  std::vector<char*> rest;
  auto value = [&](const char* arg, const char* prefix, std::string* out) {
    if (std::strncmp(arg, prefix, std::strlen(prefix)) != 0) return false;
    *out = arg + std::strlen(prefix);
    return true;
  };
  for (int i = 0; i < argc; ++i) {
    std::string size;
    if (value(argv[i], "--write_frames=", &writeDir) || value(argv[i], "--quality_frames=", &qualityDir) ||
        value(argv[i], "--psnr=", &psnr))
      continue;
    if (std::strcmp(argv[i], "--digest") == 0)
      digest = true;
    else if (std::strcmp(argv[i], "--anchored") == 0 || value(argv[i], "--anchored=", &anchored))
      anchoredOn = true;
    else if (value(argv[i], "--anchored_frames=", &size))
      anchoredFrames = std::max(1, std::atoi(size.c_str()));
    else if (value(argv[i], "--anchored_rounds=", &size))
      anchoredRounds = std::max(1, std::atoi(size.c_str()));
    else if (std::strcmp(argv[i], "--quality") == 0)
      quality = true;
    else if (value(argv[i], "--quality_size=", &size))
      std::sscanf(size.c_str(), "%dx%d", &qw, &qh);
    else
      rest.push_back(argv[i]);
  }
  if (digest) {
    PrintDigests();
    return 0;
  }
  if (quality) {
    PrintQuality(qw, qh);
    return 0;
  }
  if (anchoredOn) {
    std::vector<std::string> sizes;
    if (anchored.empty()) anchored = "1280x720,1920x1080,2592x1944";
    for (size_t at = 0; at <= anchored.size();) {
      const size_t comma = std::min(anchored.find(',', at), anchored.size());
      if (comma > at) sizes.push_back(anchored.substr(at, comma - at));
      at = comma + 1;
    }
    PrintAnchored(sizes, anchoredFrames, anchoredRounds);
    return 0;
  }
  if (!qualityDir.empty()) {
    std::string error;
    if (!WriteQualityFrames(qualityDir, qw, qh, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (!psnr.empty()) {
    // --psnr=CLEAN,PROCESSED (raw planar 4:2:2 of the quality size)
    const size_t comma = psnr.find(',');
    const double db = comma == std::string::npos ? -1.0 : RawLumaPsnr(psnr.substr(0, comma), psnr.substr(comma + 1), qw, qh);
    if (db < 0) {
      std::fprintf(stderr, "cannot score %s\n", psnr.c_str());
      return 1;
    }
    std::printf("%.2f\n", db);
    return 0;
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
