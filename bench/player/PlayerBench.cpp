// player_bench [seconds]: a 1080p30 movie with sound (made once with ffmpeg)
// played the way the player plays it, against ffplay -nodisp on the same
// file in the same run. Prints the figures; asserts nothing.
#include <cairo.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "BenchTiming.h"
#include "media/Player.h"
#include "qel/QelVideo.h"

namespace fs = std::filesystem;
using bench::Clock;

namespace {

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

fs::path Movie(int seconds) {
  fs::path dir = DUNSELLOW_BENCH_DATA;
  fs::create_directories(dir);
  fs::path out = dir / ("player-1080p30-" + std::to_string(seconds) + "s.mov");
  if (fs::exists(out)) return out;
  const std::string s = std::to_string(seconds);
  const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=" + s +
                              " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + s +
                              " -c:v mpeg4 -q:v 4 -c:a pcm_s16le '" + out.string() + "'";
  if (std::system(command.c_str()) != 0) return {};
  return out;
}

// Runs a program on the file; its wall and CPU seconds.
bool RunTool(std::vector<std::string> args, double& wall, double& cpu) {
  const double before = CpuSeconds(RUSAGE_CHILDREN);
  const auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  wall = bench::Ms(Clock::now() - start) / 1000.0;
  cpu = CpuSeconds(RUSAGE_CHILDREN) - before;
  return true;
}

// ffplay without a display (it then decodes the sound alone) or a sound device.
bool RunFfplay(const fs::path& file, const std::vector<std::string>& extra, double& wall, double& cpu) {
  std::vector<std::string> args = {"ffplay", "-v", "error", "-autoexit", "-nodisp"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(file.string());
  return RunTool(args, wall, cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  setenv("DUNSELLOW_SOUND_OUTPUT", "null", 1);  // ffplay runs with SDL's dummy sound too
  const fs::path file = Movie(seconds);
  if (file.empty()) {
    std::fprintf(stderr, "player_bench: ffmpeg could not make the movie\n");
    return 1;
  }
  // The window's video element at 1280 x 720, painted as the window paints it.
  qel::Element* e = qel::CreateElement(qel::kVideoClass, "view_Video");
  auto* view = dynamic_cast<qel::VideoElement*>(e);
  view->SetFrameSize(SIZE{1280, 720});
  view->LayoutNow();
  cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1280, 720);
  cairo_t* cr = cairo_create(window);
  auto present = [&](const media::Frame& f) {
    view->ShowFrame(f.pixels.data(), f.width, f.height, f.rowBytes, f.timeUs);
    view->PaintOver(cr);
    cairo_surface_flush(window);
  };

  // Opening to the first picture shown.
  std::vector<double> open;
  for (int i = 0; i < 9; ++i) {
    const auto start = Clock::now();
    media::Player player;
    media::Frame frame;
    if (player.Open(file.string()) != 0 || !player.TakeFrame(frame)) return 1;
    present(frame);
    open.push_back(bench::Ms(Clock::now() - start));
  }
  std::vector<double> ffOpen;
  for (int i = 0; i < 5; ++i) {
    double wall = 0, cpu = 0;
    if (RunFfplay(file, {"-t", "0.001"}, wall, cpu)) ffOpen.push_back(wall * 1000.0);
  }
  const double ours = bench::Median(open), theirs = bench::Median(ffOpen);
  std::printf("open to first picture: %.1f ms (median of 9); ffplay -nodisp -t 0.001 start to end: %.1f ms; ratio %.2f\n",
              ours, theirs, theirs > 0 ? ours / theirs : 0.0);

  // Playing the whole movie: CPU and the picture against the clock.
  media::Player player;
  if (player.Open(file.string()) != 0) return 1;
  media::Frame frame;
  std::vector<double> offsets;
  int64_t worst = 0, late = 0;
  const double cpu0 = CpuSeconds(RUSAGE_SELF);
  const auto start = Clock::now();
  player.Play();
  while (player.State() == media::PlayState::Playing) {
    if (player.TakeFrame(frame)) {
      present(frame);
      const int64_t offsetUs = player.PositionMs() * 1000 - frame.timeUs;
      offsets.push_back(double(offsetUs) / 1000.0);
      worst = std::max<int64_t>(worst, std::llabs(offsetUs));
      if (offsetUs > 1000000 / 30 || offsetUs < 0) {
        ++late;
        if (std::getenv("PLAYER_BENCH_VERBOSE"))
          std::printf("late picture at %.3f s: %.1f ms\n", double(frame.timeUs) / 1e6, double(offsetUs) / 1000.0);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const double wall = bench::Ms(Clock::now() - start) / 1000.0;
  const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  double mean = 0;
  for (double o : offsets) mean += o;
  mean = offsets.empty() ? 0 : mean / double(offsets.size());
  double ffWall = 0, ffCpu = 0;
  const bool ff = RunFfplay(file, {}, ffWall, ffCpu);
  std::printf("playing %d s of 1080p30: %.3f CPU s per s (%zu pictures shown in %.1f s)", seconds, cpu / wall,
              offsets.size(), wall);
  if (ff) std::printf("; ffplay -nodisp: %.3f CPU s per s; ratio %.2f", ffCpu / ffWall, (cpu / wall) / (ffCpu / ffWall));
  // Decoding picture and sound at the movie's pace, showing nothing.
  double fmWall = 0, fmCpu = 0;
  if (RunTool({"ffmpeg", "-v", "error", "-re", "-i", file.string(), "-f", "null", "-"}, fmWall, fmCpu))
    std::printf("; ffmpeg -re decoding both to nothing: %.3f CPU s per s; ratio %.2f", fmCpu / fmWall,
                (cpu / wall) / (fmCpu / fmWall));
  std::printf("\npicture behind the sound clock: mean %.1f ms, worst %.1f ms, %lld of %zu pictures outside one frame (33.3 ms)\n",
              mean, double(worst) / 1000.0, static_cast<long long>(late), offsets.size());
  cairo_destroy(cr);
  cairo_surface_destroy(window);
  view->Release();
  return 0;
}
