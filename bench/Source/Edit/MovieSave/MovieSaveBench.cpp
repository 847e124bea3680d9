// Usage: movie_save_bench [seconds=60] [rounds=1]. Makes a 1920x1080 29.97 fps
// MPEG-4 movie with a tone, saves it trimmed (from 10 s to the last 10 s)
// with brightness 30 and contrast 20 through the editor's save, then has
// ffmpeg do the same (its default threads), and prints both wall times, the
// CPU time of each (every thread of this process; ffmpeg's as a child),
// their ratios and the load average. With more rounds the two take turns
// going first, and the median ratios close the run.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MovieSource.h"
#include "VideoSave.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = 0, cpu = 0;
  bool ok = false;
};

constexpr int kBrightness = 30, kContrast = 20;

Timing SaveInEditor(const fs::path& source, const fs::path& target, int start, int end) {
  Timing t;
  const double cpu0 = CpuSeconds(RUSAGE_SELF);
  const auto t0 = std::chrono::steady_clock::now();
  auto* s = new CSource();
  s->AddRef();
  s->SetFilePath(QelFromUTF8(source.string()).c_str());
  if (s->Open() == 1) {
    s->SetBound(start * 600, end * 600);
    AdjustBothCrop(s);
    s->SetEffect(kBrightness, kContrast);
    t.ok = SaveMovie(s, QelFromUTF8(target.string()), {}) == kSaveDone;
  }
  s->Close();
  s->Release();
  t.wall = Seconds(t0);
  t.cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  return t;
}

// Same work for ffmpeg: the trim, an eq filter (its brightness is -1..1,
// contrast a factor), MPEG-4 at the writer's quality (qscale 2) and PCM.
Timing SaveWithFfmpeg(const fs::path& source, const fs::path& target, int start, int end) {
  Timing t;
  const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
  const auto t0 = std::chrono::steady_clock::now();
  char eq[96];
  std::snprintf(eq, sizeof eq, "eq=brightness=%.3f:contrast=%.3f", kBrightness / 255.0, 1.0 + kContrast / 128.0);
  t.ok = Shell("ffmpeg -nostdin -v error -y -ss " + std::to_string(start) + " -to " + std::to_string(end) + " -i '" +
               source.string() + "' -vf " + eq + " -c:v mpeg4 -q:v 2 -c:a pcm_s16le '" + target.string() + "'") == 0;
  t.wall = Seconds(t0);
  t.cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu0;
  return t;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int length = argc > 1 ? std::max(std::atoi(argv[1]), 21) : 60;
  const int rounds = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 20) : 1;
  fs::path dir = fs::temp_directory_path() / ("movie_save_bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path source = dir / "source.mov";
  std::printf("making a %d s 1920x1080 movie with sound...\n", length);
  if (Shell("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=1920x1080:r=30000/1001:d=" + std::to_string(length) +
            " -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=" + std::to_string(length) +
            " -c:v mpeg4 -q:v 3 -c:a pcm_s16le -ac 2 '" + source.string() + "'") != 0) {
    std::fprintf(stderr, "ffmpeg could not make the movie\n");
    return 1;
  }
  const int start = 10, end = length - 10;
  std::vector<double> wallRatios, cpuRatios;
  for (int round = 0; round < rounds; ++round) {
    double load[1] = {0};
    getloadavg(load, 1);
    Timing ours, theirs;
    // Taking turns: neither side always finds the other's file in the cache.
    if (round % 2 == 0) {
      ours = SaveInEditor(source, dir / "edited.mov", start, end);
      theirs = SaveWithFfmpeg(source, dir / "ffmpeg.mov", start, end);
    } else {
      theirs = SaveWithFfmpeg(source, dir / "ffmpeg.mov", start, end);
      ours = SaveInEditor(source, dir / "edited.mov", start, end);
    }
    if (!ours.ok || !theirs.ok) {
      std::fprintf(stderr, ours.ok ? "ffmpeg could not save\n" : "the save failed\n");
      return 1;
    }
    if (round == 0)
      std::printf("kept %d s of %d s at 1920x1080 29.97 fps with sound, brightness %d and contrast %d\n", end - start,
                  length, kBrightness, kContrast);
    std::printf("load %4.1f  editor save: %.2f s (cpu %.2f s)   ffmpeg: %.2f s (cpu %.2f s)   ratio: %.2f (cpu %.2f)%s\n",
                load[0], ours.wall, ours.cpu, theirs.wall, theirs.cpu, ours.wall / theirs.wall, ours.cpu / theirs.cpu,
                round % 2 ? "  [ffmpeg first]" : "");
    wallRatios.push_back(ours.wall / theirs.wall);
    cpuRatios.push_back(ours.cpu / theirs.cpu);
    fs::remove(dir / "edited.mov");
    fs::remove(dir / "ffmpeg.mov");
  }
  if (rounds > 1)
    std::printf("median of %d rounds   ratio: %.2f (cpu %.2f)\n", rounds, Median(wallRatios), Median(cpuRatios));
  fs::remove_all(dir);
  return 0;
}
