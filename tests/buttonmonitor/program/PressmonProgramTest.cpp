// The staged Pressmon as a process: it idles without a camera, ends cleanly
// on SIGTERM, keeps to one instance, and delivers a scripted camera's
// button commands to a real running main program or starts it with them.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestEnvironment.h"
#include "TestModules.h"
#include "os/Preferences.h"
#include "os/UserFolders.h"

extern char** environ;

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

bool WaitUntil(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// A program of this test with its standard error in a file.
class Process {
 public:
  Process(const fs::path& program, const std::vector<std::string>& args, const fs::path& errors) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  pid_t pid() const { return pid_; }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  // The exit code, -1 after a signal.
  int Wait() {
    int status = 0;
    pid_t r;
    do {
      r = waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    pid_ = -1;
    return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Terminate() {
    kill(pid_, SIGTERM);
    return Wait();
  }

 private:
  pid_t pid_ = -1;
};

fs::path Pressmon() { return testenv::StageDir() / "Pressmon.app/Contents/MacOS/Pressmon"; }

Lines Only(const Lines& lines, const std::string& part) {
  Lines out;
  for (const std::string& l : lines) {
    if (l.find(part) != std::string::npos) out.push_back(l);
  }
  return out;
}

// An applications folder holding a copy of the staged main program with a
// recording module named "Capture".
fs::path MakeApplications(const fs::path& dir) {
  fs::path apps = dir / "apps";
  fs::path contents = apps / "Dunsellow.app/Contents";
  fs::path staged = testenv::StageDir() / "Dunsellow.app/Contents";
  fs::create_directories(contents / "MacOS");
  fs::copy_file(staged / "Info.plist", contents / "Info.plist");
  fs::copy_file(staged / "MacOS/Dunsellow", contents / "MacOS/Dunsellow");
  fs::copy(staged / "UI", contents / "UI", fs::copy_options::recursive);
  orvtest::StageModule(contents / "Modules", {.folder = "Capture", .index = "1"});
  return apps;
}

// The main program that holds the instance lock in our runtime folder.
pid_t MainProgramPid() {
  std::string lock = plat::RuntimeFolder() + "/com.Talvexa.Orvenna.lock";
  for (const auto& proc : fs::directory_iterator("/proc")) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator(proc.path() / "fd", ec)) {
      if (fs::read_symlink(fd.path(), ec) == lock) return std::atoi(proc.path().filename().c_str());
    }
  }
  return -1;
}

class PressmonProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::MakeTempDir("pressmon");
    errors = dir / "stderr.txt";
    unsetenv("DUNSELLOW_BUNDLE");
    unsetenv("PRESSMON_FAKE_USB");
    // The debug bundle's text form, whatever display the tests run under.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("QEL_BACKEND", "headless", 1);
  }
  void UseScript(const std::string& script) {
    testenv::WriteFile(dir / "usb.txt", script);
    setenv("PRESSMON_FAKE_USB", (dir / "usb.txt").c_str(), 1);
  }
  std::string Errors() const { return fs::exists(errors) ? testenv::ReadFile(errors) : ""; }

  fs::path dir;
  fs::path errors;
};

TEST_F(PressmonProgram, IdlesWithoutACameraAndEndsOnSigterm) {
  struct Case {
    const char* why;
    bool scripted;        // an empty scripted bus, else the real one (or none here)
    bool debugArgument;   // "-debug YES", else the preference
  };
  for (const Case& c : {Case{"real bus", false, true}, Case{"scripted bus, debug preference", true, false}}) {
    if (c.scripted) UseScript("# no camera\n");
    plat::Preferences::ForDomain("com.talvexa.pressmon").SetBool("debug", !c.debugArgument);
    errors = dir / (std::string(c.why) + ".txt");
    Process monitor(Pressmon(), c.debugArgument ? std::vector<std::string>{"-debug", "YES"} : std::vector<std::string>{},
                    errors);
    ASSERT_GT(monitor.pid(), 0);
    // In debug mode without a display the debug bundle writes its fields:
    // first the values the monitor starts from, then neither camera nor
    // main program.
    EXPECT_TRUE(WaitUntil([&] { return Errors().find("status=Waiting App, Dev") != std::string::npos; }))
        << c.why << "\n" << Errors();
    EXPECT_EQ(Errors().find("Pressmon debug: status=Dev <---> App zoomin=OFF zoomout=OFF record=OFF\n"), 0u)
        << c.why << "\n" << Errors();
    EXPECT_TRUE(monitor.Running()) << c.why;
    EXPECT_EQ(monitor.Terminate(), 0) << c.why << "\n" << Errors();
  }
}

TEST_F(PressmonProgram, ASecondMonitorLeavesTheFirstAlone) {
  UseScript("");
  Process first(Pressmon(), {}, errors);
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(plat::RuntimeFolder() + "/com.talvexa.pressmon.lock"); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Process second(Pressmon(), {}, errors);
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_NE(Errors().find("Pressmon is already running"), std::string::npos) << Errors();
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(first.Terminate(), 0);
}

TEST_F(PressmonProgram, DeliversZoomButtonsToTheRunningMainProgram) {
  fs::path apps = MakeApplications(dir);
  fs::path log = dir / "calls.log";
  setenv("DUNSELLOW_APPS_DIR", apps.c_str(), 1);
  setenv(orvtest::kCallLogEnv, log.c_str(), 1);
  auto calls = [&] { return orvtest::ReadCallLog(log); };

  // The main program runs with the capture module up.
  setenv("DUNSELLOW_BUNDLE", (apps / "Dunsellow.app").c_str(), 1);
  Process main(apps / "Dunsellow.app/Contents/MacOS/Dunsellow", {"--cmdl=-Capture/Start"}, dir / "main.txt");
  unsetenv("DUNSELLOW_BUNDLE");
  ASSERT_TRUE(WaitUntil([&] { return Only(calls(), "Capture: PreTranslateMessage 2027").size() == 2; }));

  // Zoom in, released, zoom out, released.
  UseScript(
      "device cam 04b8:0f01 1-1\n"
      "plug cam\n"
      "bytes cam ff bf ff fd ff\n");
  Process monitor(Pressmon(), {}, errors);
  EXPECT_TRUE(WaitUntil([&] { return Only(calls(), "2029").size() == 2; })) << Errors();
  EXPECT_EQ(Only(calls(), "2029"),
            (Lines{"Capture: PreTranslateMessage 2029 Zoomin", "Capture: PreTranslateMessage 2029 Zoomout"}));
  EXPECT_EQ(monitor.Terminate(), 0);
  EXPECT_EQ(main.Terminate(), 0);
}

TEST_F(PressmonProgram, StartsTheMainProgramWithTheRecordCommand) {
  prctl(PR_SET_CHILD_SUBREAPER, 1);  // the started program comes back to us
  fs::path apps = MakeApplications(dir);
  fs::path log = dir / "calls.log";
  setenv("DUNSELLOW_APPS_DIR", apps.c_str(), 1);
  setenv(orvtest::kCallLogEnv, log.c_str(), 1);
  // The switch's position at start is only a baseline; moving it down sends
  // the record command, which starts the main program.
  UseScript(
      "device cam 04b8:0c05 1-1\n"
      "plug cam\n"
      "bytes cam ff ff fe\n");
  Process monitor(Pressmon(), {}, errors);
  EXPECT_TRUE(WaitUntil([&] { return Only(orvtest::ReadCallLog(log), "Capture: PreTranslateMessage 2027").size() == 2; }))
      << Errors();
  EXPECT_EQ(monitor.Terminate(), 0);
  pid_t main = MainProgramPid();
  ASSERT_GT(main, 0);
  kill(main, SIGTERM);
  int status = 0;
  EXPECT_EQ(waitpid(main, &status, 0), main);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
