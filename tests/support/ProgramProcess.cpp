#include "ProgramProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "TestEnvironment.h"

extern char** environ;

namespace orvtest {

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

std::filesystem::path StagedBundle() { return testenv::StageDir() / "Dunsellow.app"; }

std::filesystem::path StagedProgram() { return StagedBundle() / "Contents/MacOS/Dunsellow"; }

void AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

ProgramProcess::ProgramProcess(const std::filesystem::path& trace, const std::vector<std::string>& args) {
  ::setenv("DUNSELLOW_TRACE", trace.c_str(), 1);
  ::unsetenv("DUNSELLOW_BUNDLE");
  std::string program = StagedProgram().string();
  std::vector<char*> argv{program.data()};
  std::vector<std::string> copies(args);
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
}

ProgramProcess::~ProgramProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
}

int ProgramProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, 0);
  } while (r < 0 && errno == EINTR);
  pid_ = -1;
  return r < 0 ? -1 : ExitCodeOf(status);
}

bool ProgramProcess::Terminate() {
  if (pid_ <= 0) return false;
  ::kill(pid_, SIGTERM);
  return Wait() == 0;
}

std::vector<std::string> TraceLines(const std::filesystem::path& trace) {
  std::vector<std::string> lines;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool WaitForTrace(const std::filesystem::path& trace, const std::string& prefix, size_t count) {
  auto until = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < until) {
    size_t seen = 0;
    for (const std::string& line : TraceLines(trace)) {
      if (line.rfind(prefix, 0) == 0) ++seen;
    }
    if (seen >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

int TerminateAdopted(pid_t pid) {
  if (pid <= 0) return -1;
  ::kill(pid, SIGTERM);
  // Reparenting happens when its launcher has ended; wait until then.
  auto until = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return ExitCodeOf(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  return -1;
}

}  // namespace orvtest
