#include "ReceiverProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestEnvironment.h"

namespace ostest {
namespace fs = std::filesystem;

ReceiverBundle MakeReceiverBundle(const std::string& name, const std::string& identifier, const std::string& exe,
                                  bool copyExecutable) {
  BecomeSubreaper();
  fs::path root = testenv::MakeTempDir("apps");
  ReceiverBundle b{root / (name + ".app"), identifier, root / (name + ".log")};
  testenv::WriteFile(b.bundle / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                     "<key>CFBundleIdentifier</key><string>" + identifier + "</string>\n"
                     "<key>CFBundleExecutable</key><string>" + exe + "</string>\n"
                     "<key>CFBundleName</key><string>" + name + "</string>\n"
                     "</dict>\n</plist>\n");
  fs::create_directories(b.bundle / "Contents" / "MacOS");
  if (copyExecutable)
    fs::copy_file(RECEIVER_EXE, b.bundle / "Contents" / "MacOS" / exe);
  else
    fs::create_symlink(RECEIVER_EXE, b.bundle / "Contents" / "MacOS" / exe);
  setenv("RECEIVER_LOG", b.log.c_str(), 1);
  return b;
}

int StartReceiver(const ReceiverBundle& b, const std::vector<std::string>& args, bool setBundleEnv) {
  std::string exe = (b.bundle / "Contents" / "MacOS").string();
  for (auto& e : fs::directory_iterator(exe)) exe = e.path().string();
  pid_t pid = fork();
  if (pid == 0) {
    if (setBundleEnv)
      setenv("DUNSELLOW_BUNDLE", b.bundle.c_str(), 1);
    else
      unsetenv("DUNSELLOW_BUNDLE");
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

std::vector<std::string> ReadLog(const ReceiverBundle& b) {
  std::vector<std::string> lines;
  std::ifstream in(b.log);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::vector<std::string> WaitForLog(const ReceiverBundle& b, size_t lines) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    auto l = ReadLog(b);
    if (l.size() >= lines || std::chrono::steady_clock::now() > deadline) return l;
    // Reap handed-over instances as they exit.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void EndAll(const ReceiverBundle& b) {
  std::vector<pid_t> pids;
  for (auto& l : ReadLog(b))
    if (!l.empty() && l[0] == 'P') pids.push_back(std::atoi(l.c_str() + 1));
  for (pid_t p : pids) kill(p, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    pid_t r = waitpid(-1, nullptr, WNOHANG);
    if (r < 0) return;  // no children left
    if (r == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        for (pid_t p : pids) kill(p, SIGKILL);
        while (waitpid(-1, nullptr, 0) > 0) {
        }
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

void BecomeSubreaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

}  // namespace ostest
