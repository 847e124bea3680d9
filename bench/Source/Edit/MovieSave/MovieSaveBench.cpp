// Usage: movie_save_bench [seconds=60]. Makes a 1920x1080 29.97 fps MPEG-4
// movie with a tone, saves it trimmed (from 10 s to the last 10 s) with
// brightness 30 and contrast 20 through the editor's save, then has ffmpeg
// do the same (its default threads), and prints both wall times, the CPU
// time of each (every thread of this process; ffmpeg's as a child), their
// ratios and the load average.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  const int length = argc > 1 ? std::max(std::atoi(argv[1]), 21) : 60;
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
  const int brightness = 30, contrast = 20;

  double load[1] = {0};
  getloadavg(load, 1);
  double cpu0 = CpuSeconds(RUSAGE_SELF);
  auto t0 = std::chrono::steady_clock::now();
  auto* s = new CSource();
  s->AddRef();
  s->SetFilePath(QelFromUTF8(source.string()).c_str());
  if (s->Open() != 1) return 1;
  s->SetBound(start * 600, end * 600);
  AdjustBothCrop(s);
  s->SetEffect(brightness, contrast);
  MovieSaveResult r = SaveMovie(s, QelFromUTF8((dir / "edited.mov").string()), {});
  s->Close();
  s->Release();
  const double ours = Seconds(t0);
  const double oursCpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  if (r != kSaveDone) {
    std::fprintf(stderr, "the save failed\n");
    return 1;
  }

  // Same work for ffmpeg: the trim, an eq filter (its brightness is -1..1,
  // contrast a factor), MPEG-4 at the writer's quality (qscale 2) and PCM.
  cpu0 = CpuSeconds(RUSAGE_CHILDREN);
  t0 = std::chrono::steady_clock::now();
  char eq[96];
  std::snprintf(eq, sizeof eq, "eq=brightness=%.3f:contrast=%.3f", brightness / 255.0, 1.0 + contrast / 128.0);
  if (Shell("ffmpeg -nostdin -v error -y -ss " + std::to_string(start) + " -to " + std::to_string(end) + " -i '" +
            source.string() + "' -vf " + eq + " -c:v mpeg4 -q:v 2 -c:a pcm_s16le '" + (dir / "ffmpeg.mov").string() +
            "'") != 0) {
    std::fprintf(stderr, "ffmpeg could not save\n");
    return 1;
  }
  const double theirs = Seconds(t0);
  const double theirsCpu = CpuSeconds(RUSAGE_CHILDREN) - cpu0;
  std::printf("kept %d s of %d s at 1920x1080 29.97 fps with sound; load %.1f at the start\n", end - start, length,
              load[0]);
  std::printf("editor save: %.2f s (cpu %.2f s)   ffmpeg: %.2f s (cpu %.2f s)   ratio: %.2f (cpu %.2f)\n", ours,
              oursCpu, theirs, theirsCpu, ours / theirs, oursCpu / theirsCpu);
  fs::remove_all(dir);
  return 0;
}
