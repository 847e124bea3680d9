#pragma once
// Runs the staged main program as a real process of this test, with a
// trace file that shows what reached it.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvtest {

std::filesystem::path StagedProgram();
std::filesystem::path StagedBundle();

// Orphans of this test (programs started detached) come back to it, so
// that they can be reaped too.
void AdoptOrphans();

class ProgramProcess {
 public:
  // Starts the program with `args`; DUNSELLOW_TRACE names `trace`.
  ProgramProcess(const std::filesystem::path& trace, const std::vector<std::string>& args);
  ~ProgramProcess();  // ends and reaps the process if it still runs

  pid_t pid() const { return pid_; }
  // Waits for the process to end; its exit code, or -1 on a signal.
  int Wait();
  bool Terminate();  // SIGTERM, then Wait() == 0

 private:
  pid_t pid_ = -1;
};

// The lines of a trace file.
std::vector<std::string> TraceLines(const std::filesystem::path& trace);
// Waits (bounded) until a line starting with `prefix` is in the trace.
bool WaitForTrace(const std::filesystem::path& trace, const std::string& prefix, size_t count = 1);
// Sends SIGTERM to a process that is not our child and reaps it once it
// has come back to us as an orphan; its exit code.
int TerminateAdopted(pid_t pid);

}  // namespace orvtest
