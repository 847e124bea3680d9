#include "os/ProcessTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ReceiverProcess.h"

namespace {

using plat::FakeProcessTable;

TEST(ProcessTable, NameMatchingIgnoresCaseAndDeletedMarkOnly) {
  struct {
    const char* exe;
    const char* name;
    bool match;
  } cases[] = {
      {"/opt/x/Dunsellow Vistrel.app/Contents/MacOS/Dunsellow Vistrel", "dunsellow vistrel", true},
      {"/opt/x/Dunsellow Playvane (deleted)", "Dunsellow Playvane", true},
      {"/opt/x/Dunsellow Vistr", "Dunsellow Vistrel", false},  // what "comm" would hold
      {"/opt/x/Dunsellow Vistrel2", "Dunsellow Vistrel", false},
      {"/opt/Dunsellow Vistrel/other", "Dunsellow Vistrel", false},
  };
  for (auto& c : cases) EXPECT_EQ(plat::ExecutableNameMatches(c.exe, c.name), c.match) << c.exe;
}

TEST(ProcessTable, FakeTableRecordsTermThenKill) {
  FakeProcessTable table;
  table.Add(10, "/a/Dunsellow Vistrel");
  table.Add(11, "/b/DUNSELLOW VISTREL", /*stubborn=*/true);
  table.Add(12, "/a/Dunsellow Playvane");
  EXPECT_EQ(plat::EndProcessesNamed("Dunsellow Vistrel", table), 2);
  EXPECT_EQ(table.signals(), (std::vector<std::string>{"TERM 10", "TERM 11", "KILL 11"}));
  EXPECT_TRUE(table.Find("Dunsellow Vistrel").empty());
  EXPECT_EQ(table.Find("dunsellow playvane").size(), 1u);
}

TEST(ProcessTable, FindsAndEndsRealProcessWithLongName) {
  // 23 bytes: past what /proc/<pid>/comm keeps. Not the viewer's own name, which
  // the main program's tests end whenever their program switches modules.
  auto bundle = ostest::MakeReceiverBundle("Dunsellow Testviewer", "com.example.LongName", "Dunsellow Testviewer",
                                           /*copyExecutable=*/true);
  // Started without DUNSELLOW_BUNDLE: it finds its bundle from its executable.
  pid_t child = ostest::StartReceiver(bundle, {"--cmdl=-x"}, /*setBundleEnv=*/false);
  ostest::WaitForLog(bundle, 2);
  auto found = plat::SystemProcessTable().Find("DUNSELLOW testviewer");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].pid, child);
  EXPECT_TRUE(plat::SystemProcessTable().Find("Dunsellow Testvie").empty());

  EXPECT_TRUE(plat::SystemProcessTable().End(found[0], std::chrono::seconds(2)));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  // It took SIGTERM as a quit request and left on its own.
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(ostest::ReadLog(bundle).back(), "Q");
  EXPECT_TRUE(plat::SystemProcessTable().Find("Dunsellow Testviewer").empty());
}

// A program of the same name in another session of this user (another
// runtime folder) is neither found nor ended; one of this session is.
TEST(ProcessTable, OnlyProcessesOfThisSessionAreFound) {
  char dir[] = "/tmp/sessiontest-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string exe = std::string(dir) + "/Dunsellow Sessiontest";
  ASSERT_EQ(system(("cp /bin/sleep '" + exe + "'").c_str()), 0);
  const char* mine = getenv("XDG_RUNTIME_DIR");
  const std::string here = std::string("XDG_RUNTIME_DIR=") + (mine ? mine : "");
  const std::string other = std::string("XDG_RUNTIME_DIR=") + dir;
  auto start = [&exe](const std::string& runtime) {
    pid_t child = fork();
    if (child == 0) {
      char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("30"), nullptr};
      char* envp[] = {const_cast<char*>(runtime.c_str()), nullptr};
      execve(exe.c_str(), argv, envp);
      _exit(127);
    }
    std::string link = "/proc/" + std::to_string(child) + "/exe";
    // Until it runs the program (not the test's own copy).
    for (;;) {
      char buf[4096];
      const ssize_t n = readlink(link.c_str(), buf, sizeof buf);
      if (n > 0 && std::string(buf, size_t(n)).find("Sessiontest") != std::string::npos) break;
      usleep(1000);
    }
    return child;
  };
  const pid_t foreign = start(other);
  const pid_t own = start(here);
  const auto found = plat::SystemProcessTable().Find("Dunsellow Sessiontest");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].pid, own);
  EXPECT_EQ(plat::EndProcessesNamed("Dunsellow Sessiontest"), 1);
  int status = 0;
  EXPECT_EQ(waitpid(own, &status, 0), own);
  EXPECT_EQ(waitpid(foreign, &status, WNOHANG), 0);  // still running
  kill(foreign, SIGKILL);
  waitpid(foreign, &status, 0);
  system(("rm -rf '" + std::string(dir) + "'").c_str());
}

TEST(ProcessTable, ProcessIgnoringTermIsKilled) {
  // Ignored before the fork, so the child never runs without it.
  auto previous = signal(SIGTERM, SIG_IGN);
  pid_t child = fork();
  if (child == 0) {
    for (;;) pause();
  }
  signal(SIGTERM, previous);
  std::string exe = "/proc/" + std::to_string(child) + "/exe";
  char buf[4096];
  ssize_t n;
  // Wait until the child runs (its exe link is readable) before ending it.
  while ((n = readlink(exe.c_str(), buf, sizeof buf)) <= 0) usleep(1000);
  plat::ProcessEntry e{child, std::string(buf, size_t(n))};
  EXPECT_TRUE(plat::SystemProcessTable().End(e, std::chrono::milliseconds(100)));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

}  // namespace
