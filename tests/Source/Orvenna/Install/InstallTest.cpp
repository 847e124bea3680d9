// The main bundle tree installed with `cmake --install` into a private
// DESTDIR: the launchers, valid desktop entries that name the install's own
// prefix, the icons; every installed binary stripped and finding its
// libraries without the build tree; and the installed program starts
// through its launcher.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramProcess.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    ::pclose(p);
  }
  return out;
}

bool IsElf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, 4) && magic[0] == 0x7f && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

TEST(Install, BundleTreeLauncherAndDesktopEntryThenTheProgramRuns) {
  if (testenv::BuildDir().empty()) GTEST_SKIP() << "run from the build tree";
  fs::path dest = testenv::MakeTempDir("destdir");
  std::string install = "DESTDIR=" + Quoted(dest) + " cmake --install " + Quoted(testenv::BuildDir()) +
                        " --prefix /opt/dunsellow > " + Quoted(dest / "install.log") + " 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << testenv::ReadFile(dest / "install.log");

  fs::path prefix = dest / "opt/dunsellow";
  fs::path app = prefix / "lib/dunsellow/Dunsellow.app/Contents";
  for (const fs::path& p : {prefix / "bin/dunsellow", prefix / "bin/dunsellow-viewer", prefix / "bin/dunsellow-player",
                            app / "MacOS/Dunsellow", app / "Info.plist",
                            app / "Dunsellow Playvane.app/Contents/MacOS/Dunsellow Playvane",
                            app / "UI/main.aui", app / "UI/options.aui", app / "Resources/Help/en/Introduction.html",
                            app / "Resources/Skin/background.jpg", app / "Resources/MainWndLT.bmp",
                            prefix / "lib/dunsellow/lib/libqel.so", prefix / "share/applications/dunsellow.desktop",
                            prefix / "share/icons/hicolor/scalable/apps/dunsellow.svg"}) {
    EXPECT_TRUE(fs::exists(p)) << p;
  }
  EXPECT_TRUE((fs::status(prefix / "bin/dunsellow").permissions() & fs::perms::owner_exec) != fs::perms::none);
  std::string desktop = testenv::ReadFile(prefix / "share/applications/dunsellow.desktop");
  EXPECT_NE(desktop.find("Exec=/opt/dunsellow/bin/dunsellow\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("Icon=dunsellow"), std::string::npos);
  std::string viewer = testenv::ReadFile(prefix / "share/applications/dunsellow-viewer.desktop");
  EXPECT_NE(viewer.find("Exec=/opt/dunsellow/bin/dunsellow-viewer %F"), std::string::npos) << viewer;
  EXPECT_NE(viewer.find("MimeType=image/jpeg;"), std::string::npos) << viewer;
  // The player is offered for the movie and sound files it plays.
  std::string player = testenv::ReadFile(prefix / "share/applications/dunsellow-player.desktop");
  EXPECT_NE(player.find("Exec=/opt/dunsellow/bin/dunsellow-player %F\n"), std::string::npos) << player;
  for (const char* type : {"video/quicktime;", "video/mp4;", "video/x-msvideo;", "video/mpeg;", "audio/mpeg;",
                           "audio/x-wav;"}) {
    EXPECT_NE(player.find(type), std::string::npos) << type << "\n" << player;
  }
  std::string autostart = testenv::ReadFile(dest / "etc/xdg/autostart/pressmon.desktop");
  EXPECT_NE(autostart.find("Exec=\"/opt/dunsellow/lib/dunsellow/Pressmon.app/Contents/MacOS/Pressmon\""),
            std::string::npos)
      << autostart;

  // Every desktop entry as the desktop's own checker reads it.
  for (const fs::path& dir : {prefix / "share/applications", dest / "etc/xdg/autostart"}) {
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
      std::string check = Output("desktop-file-validate " + Quoted(e.path()) + " 2>&1; echo status=$?");
      EXPECT_NE(check.find("status=0"), std::string::npos) << e.path() << "\n" << check;
      EXPECT_EQ(check.find("error:"), std::string::npos) << e.path() << "\n" << check;
    }
  }

  // The icon in the sizes desktops ask for, each a PNG of its own size.
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    std::string edge = std::to_string(size);
    fs::path png = prefix / ("share/icons/hicolor/" + edge + "x" + edge + "/apps/dunsellow.png");
    EXPECT_EQ(Output("identify -format '%m %wx%h' " + Quoted(png) + " 2>&1"), "PNG " + edge + "x" + edge) << png;
  }

  // Run paths lead to the installed libraries, never into the build tree.
  const std::string build = fs::canonical(testenv::BuildDir()).string();
  int elves = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(prefix)) {
    if (!e.is_regular_file() || !IsElf(e.path())) continue;
    ++elves;
    std::string dynamic = Output("readelf -d " + Quoted(e.path()) + " 2>/dev/null");
    EXPECT_EQ(dynamic.find(build), std::string::npos) << e.path() << "\n" << dynamic;
    // Every library found, inside the tree or on the system; no debug sections.
    std::string libraries = Output("ldd " + Quoted(e.path()) + " 2>&1");
    EXPECT_EQ(libraries.find("not found"), std::string::npos) << e.path() << "\n" << libraries;
    EXPECT_EQ(libraries.find(build), std::string::npos) << e.path() << "\n" << libraries;
    std::string sections = Output("readelf -S " + Quoted(e.path()) + " 2>/dev/null");
    EXPECT_EQ(sections.find(".debug_info"), std::string::npos) << e.path() << " is not stripped";
  }
  EXPECT_GE(elves, 2);
  std::string programRunPath = Output("readelf -d " + Quoted(app / "MacOS/Dunsellow"));
  EXPECT_NE(programRunPath.find("$ORIGIN/../../../lib"), std::string::npos) << programRunPath;

  // The installed program, through its launcher, headless and alone: no
  // bundle or library path handed in from the build.
  fs::path home = testenv::MakeTempDir("home");
  fs::path runtime = home / "run";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  fs::path trace = home / "trace.log";
  std::vector<std::string> env{"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / "config").string(),
                               "XDG_DATA_HOME=" + (home / "data").string(), "XDG_RUNTIME_DIR=" + runtime.string(),
                               "QEL_BACKEND=headless", "DUNSELLOW_TRACE=" + trace.string(),
                               "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string launcher = (prefix / "bin/dunsellow").string();
  std::vector<char*> argv{launcher.data(), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(::posix_spawn(&pid, launcher.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
  bool started = orvtest::WaitForTrace(trace, "started");
  // Killed rather than asked to quit: a program that quits ends every
  // viewer and player of the user, and tests beside this one run theirs.
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(started) << "the installed program did not start";
}

}  // namespace
