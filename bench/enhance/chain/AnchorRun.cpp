#include "AnchorRun.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "ColorConvert.h"
#include "Hqdn3dAnchor.h"
#include "PageFrames.h"
#include "VideoRealEffect.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Load() {
  double l[1] = {0};
  return getloadavg(l, 1) == 1 ? l[0] : -1.0;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Cost {
  double wallMs = 0;  // the step alone, on the calling thread's clock
  double cpuMs = 0;   // every thread of the process, the step's share
};

// One figure: `frames` calls of step, each after an untimed prepare. The CPU
// of the same loop without the steps is taken off, so work the pool's
// threads do after a step returns (their short watch for the next one)
// still counts and the copies do not.
class Figure {
 public:
  Figure(std::function<void()> prepare, std::function<void()> step)
      : m_prepare(std::move(prepare)), m_step(std::move(step)) {}

  void Measure(int frames) {
    const double base0 = ProcessCpuMs();
    for (int i = 0; i < frames; ++i) m_prepare();
    const double base = ProcessCpuMs() - base0;
    double wall = 0;
    const double cpu0 = ProcessCpuMs();
    for (int i = 0; i < frames; ++i) {
      m_prepare();
      const auto t = Clock::now();
      m_step();
      wall += std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    }
    const double cpu = ProcessCpuMs() - cpu0 - base;
    m_wall.push_back(wall / frames);
    m_cpu.push_back(std::max(cpu, 0.0) / frames);
  }

  Cost Result() const { return Cost{Median(m_wall), Median(m_cpu)}; }

 private:
  std::function<void()> m_prepare, m_step;
  std::vector<double> m_wall, m_cpu;
};

std::unique_ptr<CVideoRealEffect> Chain(int w, int h, int threads, bool all) {
  auto effect = std::make_unique<CVideoRealEffect>(w, h);
  if (threads > 0) effect->SetThreadCount(threads);
  effect->EnableFrameJudge(all);
  effect->EnableDenoise(1);
  effect->EnableDelight(all);
  effect->SetDenoiseLevel(60);
  effect->SetDelightLevel(50);
  return effect;
}

void PrintSize(int w, int h, int frames, int rounds) {
  const std::vector<PageFrame> pages = MakePageFrames(w, h, 6);
  const int rowBytes = pages[0].rowBytes;
  const int pitch = (2 * w + 3) & ~3;
  std::vector<std::vector<uint8_t>> yuy2(pages.size(), std::vector<uint8_t>(static_cast<size_t>(pitch) * h));
  for (size_t i = 0; i < pages.size(); ++i)
    RGB32ToYUY2(yuy2[i].data(), pitch, pages[i].argb.data(), rowBytes, w, h);

  Hqdn3dAnchor anchor(w, h, yuy2, pitch);
  if (!anchor.Ok()) {
    std::printf("%dx%d: hqdn3d cannot be set up (libavfilter)\n", w, h);
    return;
  }
  std::vector<uint8_t> argb(pages[0].argb.size());
  std::vector<uint8_t> work(yuy2[0].size());
  size_t next = 0;
  auto nextArgb = [&] { std::memcpy(argb.data(), pages[next++ % pages.size()].argb.data(), argb.size()); };
  auto nextYuy2 = [&] { std::memcpy(work.data(), yuy2[next++ % yuy2.size()].data(), work.size()); };

  const int all = static_cast<int>(std::thread::hardware_concurrency());
  std::vector<int> counts = {1, 2, 4};
  if (all > 4) counts.push_back(all);

  struct Row {
    std::string name;
    int threads;  // 0: the effect's own choice
    std::unique_ptr<CVideoRealEffect> effect;
    std::unique_ptr<Figure> figure;
  };
  std::vector<Row> rows;
  Figure hq([] {}, [&] { anchor.Filter(); });
  auto denoiser = Chain(w, h, 1, false);
  Figure dn(nextYuy2, [&] { denoiser->Denoise(work.data(), w, h, pitch); });
  for (int t : counts) rows.push_back(Row{"chain", t, Chain(w, h, t, true), nullptr});
  rows.push_back(Row{"chain", 0, Chain(w, h, 0, true), nullptr});
  for (Row& r : rows) {
    CVideoRealEffect* e = r.effect.get();
    r.figure = std::make_unique<Figure>(nextArgb, [&argb, e, w, h, rowBytes] {
      e->DoEffect(argb.data(), w, h, 32, rowBytes);
    });
  }
  // Warm: the denoiser's noise profile, the light's tables, the filter's pool.
  for (int i = 0; i < 4; ++i) {
    anchor.Filter();
    nextYuy2();
    denoiser->Denoise(work.data(), w, h, pitch);
    for (Row& r : rows) {
      nextArgb();
      r.effect->DoEffect(argb.data(), w, h, 32, rowBytes);
    }
  }
  const double load0 = Load();
  for (int round = 0; round < rounds; ++round) {
    hq.Measure(frames);
    dn.Measure(frames);
    for (Row& r : rows) r.figure->Measure(frames);
  }
  const double load1 = Load();
  const Cost anchorCost = hq.Result(), denoise = dn.Result(), one = rows[0].figure->Result();
  std::printf("%dx%d (load %.1f .. %.1f; median of %d turns of %d frames)\n", w, h, load0, load1, rounds, frames);
  std::printf("  %-22s %8s %8s %10s %10s\n", "", "wall ms", "cpu ms", "wall ratio", "cpu ratio");
  auto line = [](const std::string& name, Cost c, Cost to) {
    std::printf("  %-22s %8.2f %8.2f %10.3f %10.3f\n", name.c_str(), c.wallMs, c.cpuMs,
                to.wallMs > 0 ? c.wallMs / to.wallMs : 0.0, to.cpuMs > 0 ? c.cpuMs / to.cpuMs : 0.0);
  };
  line("hqdn3d (anchor)", anchorCost, anchorCost);
  line("denoise / hqdn3d", denoise, anchorCost);
  line("chain / hqdn3d", one, anchorCost);
  for (Row& r : rows) {
    const std::string name = r.threads > 0 ? "chain " + std::to_string(r.threads) + " thr / 1 thr"
                                           : "chain own (" + std::to_string(r.effect->ThreadCount()) + ") / 1 thr";
    line(name, r.figure->Result(), one);
  }
  std::fflush(stdout);
}

}  // namespace

void PrintAnchored(const std::vector<std::string>& sizes, int frames, int rounds) {
  std::printf("ratios: below 1 is cheaper than the anchor; cpu is every thread of the process\n");
  for (const std::string& size : sizes) {
    int w = 0, h = 0;
    if (std::sscanf(size.c_str(), "%dx%d", &w, &h) != 2 || w < 64 || h < 64) {
      std::fprintf(stderr, "bad size %s\n", size.c_str());
      continue;
    }
    PrintSize(w, h, frames, rounds);
  }
}
