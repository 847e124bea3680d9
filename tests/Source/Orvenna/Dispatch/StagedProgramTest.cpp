// The real program end to end: it finds the test bundle's modules, launches
// the one a start-up command line names with the animation, delivers later
// arguments, switches on a command for another module and exits the module
// when it ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
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
#include "os/CommandLineClient.h"

extern char** environ;

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

constexpr char kProgramId[] = "com.Talvexa.Orvenna";

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

Lines Only(const Lines& lines, const std::string& part) {
  Lines out;
  for (const std::string& l : lines) {
    if (l.find(part) != std::string::npos) out.push_back(l);
  }
  return out;
}

}  // namespace

TEST(StagedProgram, LaunchesDeliversSwitchesAndExitsTheModules) {
  fs::path dir = testenv::MakeTempDir("staged");
  fs::path app = orvtest::MakeTestApp(dir);
  fs::copy(testenv::StageDir() / "Dunsellow.app/Contents/UI", app / "Contents/UI");
  fs::path modules = app / "Contents/Modules";
  orvtest::StageModule(modules, {.folder = "Alpha", .index = "2"});
  orvtest::StageModule(modules, {.folder = "Beta", .name = "Photo Edit", .index = "1", .iconName = "butn_edit"});
  orvtest::StageModule(modules, {.folder = ".Gamma", .name = "Gamma", .index = "0"});
  fs::path log = dir / "calls.log";
  setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  setenv(orvtest::kCallLogEnv, log.c_str(), 1);
  setenv("QEL_BACKEND", "headless", 1);

  std::string program = (testenv::StageDir() / "Dunsellow.app/Contents/MacOS/Dunsellow").string();
  std::string first = "--cmdl=-alpha/Record";
  char* argv[] = {program.data(), first.data(), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
  auto calls = [&] { return orvtest::ReadCallLog(log); };

  // The start-up command line launches Alpha with the animation: shown twice.
  EXPECT_TRUE(WaitUntil([&] { return Only(calls(), "Alpha: PreTranslateMessage 2027").size() == 2; }));
  EXPECT_EQ(Only(calls(), "Alpha: PreTranslateMessage"),
            (Lines{"Alpha: PreTranslateMessage 2027 0", "Alpha: PreTranslateMessage 2027 0"}));
  EXPECT_TRUE(Only(calls(), "Gamma").empty());
  EXPECT_TRUE(Only(calls(), "Photo Edit").empty());

  // Camera-button commands reach the active module, each with its argument.
  EXPECT_EQ(plat::SendCommandLine(kProgramId, u"-Alpha/ZoomIn", 64), plat::SendStatus::Accepted);
  EXPECT_EQ(plat::SendCommandLine(kProgramId, u"-ALPHA/ZoomOut", 64), plat::SendStatus::Accepted);
  EXPECT_TRUE(WaitUntil([&] { return Only(calls(), "2029").size() == 2; }));
  EXPECT_EQ(Only(calls(), "2029"),
            (Lines{"Alpha: PreTranslateMessage 2029 ZoomIn", "Alpha: PreTranslateMessage 2029 ZoomOut"}));

  // Another module: Alpha is asked and exited, Photo Edit comes up embedded.
  EXPECT_EQ(plat::SendCommandLine(kProgramId, u"-PhotoEdit/Record", 2048), plat::SendStatus::Accepted);
  EXPECT_TRUE(WaitUntil([&] { return !Only(calls(), "Photo Edit: PreTranslateMessage").empty(); }));
  EXPECT_FALSE(Only(calls(), "Alpha: ExitLaunch").empty());
  EXPECT_EQ(Only(calls(), "Photo Edit: PreTranslateMessage"), (Lines{"Photo Edit: PreTranslateMessage 2027 1"}));

  // Ending the program exits the module before its library goes.
  ASSERT_EQ(kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  Lines edit = Only(calls(), "Photo Edit:");
  ASSERT_GE(edit.size(), 3u);
  EXPECT_EQ(Lines(edit.end() - 3, edit.end()),
            (Lines{"Photo Edit: ExitLaunch", "Photo Edit: UnInit", "Photo Edit: Destroy"}));
}
