// The staged program on a private X server, each page left alone: the CPU
// time it takes per second of wall time (user + system, all threads, from
// /proc), where nothing moves and where only the camera's frames do.
//
//   home                        the home page
//   capture, preview stopped    the capture page without a camera
//   edit, photo                 the edit page showing a 12-megapixel photo
//   edit, paused movie          the edit page showing a 1280 x 720 movie
//   preview 640x480 / 1920x1080 the capture page with the stand-in camera at
//                               30 frames a second: CPU per frame as well
//
//   rest_bench [--seconds=N] [--app=path/to/Dunsellow.app]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PrivateDisplay.h"
#include "img/ImageFile.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

struct Page {
  const char* name;
  std::vector<std::string> args;
  std::vector<std::string> env;  // NAME=value
  const char* ready;             // the trace line that says the page is up
  double fps;                    // frames a second it draws, 0 at rest
};

std::vector<std::string> TraceLines(const fs::path& trace) {
  std::vector<std::string> lines;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool WaitForTrace(const fs::path& trace, const std::string& prefix, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    for (const std::string& line : TraceLines(trace)) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// utime + stime of every thread of the process, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

pid_t Spawn(const fs::path& program, const Page& page, const fs::path& trace) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back("DUNSELLOW_TRACE=" + trace.string());
  for (const std::string& e : page.env) env.push_back(e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = program.string();
  std::vector<std::string> args = page.args;
  std::vector<char*> argv{path.data()};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The program's own output goes beside the trace, not into the report.
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  const std::string log = trace.string() + ".out";
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &files, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10;
  fs::path app = DUNSELLOW_APP;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::max(1.0, std::atof(argv[i] + 10));
    if (std::strncmp(argv[i], "--app=", 6) == 0) app = argv[i] + 6;
  }
  const fs::path program = app / "Contents/MacOS/Dunsellow";
  const fs::path home = fs::temp_directory_path() / ("rest-bench-" + std::to_string(getpid()));
  const fs::path media = home / "Documents" / "Document Camera Media" / "Capture";
  fs::create_directories(media);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  if (!testenv::StartPrivateDisplay()) {
    std::fprintf(stderr, "no X server (Xvfb) could be started\n");
    return 1;
  }

  const Page pages[] = {
      {"home", {}, {}, "started", 0},
      {"capture, preview stopped", {"--cmdl=-Capture/Open"}, {"DUNSELLOW_CAPTURE_DEVICES=real"},
       "capture panel ready", 0},
      {"edit, photo", {"--cmdl=-Edit/Open"}, {}, "edit show photo", 0},
      {"edit, paused movie", {"--cmdl=-Edit/Open"}, {}, "edit show movie", 0},
      {"preview 640x480", {"--cmdl=-Capture/Open"},
       {"DUNSELLOW_CAPTURE_DEVICES=synthetic", "DUNSELLOW_SYNTHETIC_CAMERA=bounds=640x480"}, "capture first frame", 30},
      {"preview 1920x1080", {"--cmdl=-Capture/Open"},
       {"DUNSELLOW_CAPTURE_DEVICES=synthetic", "DUNSELLOW_SYNTHETIC_CAMERA=bounds=1920x1080"}, "capture first frame",
       30},
  };
  std::printf("CPU of the program per second of wall time (%.0f s each, after 3 s to settle)\n", seconds);
  for (const Page& page : pages) {
    // Each page with only its own file in the media folder.
    for (const auto& e : fs::directory_iterator(media)) fs::remove_all(e.path());
    if (std::strstr(page.name, "photo")) {
      img::Bitmap photo = img::Bitmap::Create(4000, 3000);
      for (int32_t y = 0; y < photo.height(); ++y) {
        uint8_t* row = photo.mutable_row(y);
        for (int32_t x = 0; x < photo.width(); ++x) {
          row[3 * x] = uint8_t(x / 16), row[3 * x + 1] = uint8_t(y / 12), row[3 * x + 2] = uint8_t((x + y) / 28);
        }
      }
      img::SaveJpeg(photo, (media / "photo.jpg").string(), {});
    } else if (std::strstr(page.name, "movie")) {
      std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=1280x720:r=30:d=5 -f lavfi -i "
                         "sine=duration=5 -c:v mjpeg -q:v 4 -c:a pcm_s16le '" + (media / "clip.mov").string() + "'";
      if (std::system(make.c_str()) != 0) {
        std::printf("  %-28s no movie (ffmpeg failed)\n", page.name);
        continue;
      }
    }
    const fs::path trace = home / "trace.log";
    fs::remove(trace);
    pid_t pid = Spawn(program, page, trace);
    if (pid <= 0 || !WaitForTrace(trace, page.ready, 60)) {
      std::printf("  %-28s did not come up\n", page.name);
      if (pid > 0) Stop(pid);
      continue;
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double cpu0 = CpuSeconds(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = CpuSeconds(pid) - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    Stop(pid);
    std::printf("  %-28s %6.2f %% of a core", page.name, 100.0 * cpu / wall);
    if (page.fps > 0) std::printf("   %.2f ms per frame at %.0f frames/s", 1e3 * cpu / (wall * page.fps), page.fps);
    std::printf("\n");
  }
  fs::remove_all(home);
  return 0;
}
