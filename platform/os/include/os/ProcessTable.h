#pragma once
// Finding and ending processes by the file name of their executable, as read
// from /proc/<pid>/exe (never the 15-byte "comm" name), for processes of the
// same user and session. A fake table stands in for tests.
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace plat {

struct ProcessEntry {
  pid_t pid = 0;
  std::string executable;  // full path of the executable
};

class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // Processes of this user's session (the same user and the same
  // XDG_RUNTIME_DIR) whose executable's file name equals `name`, ignoring
  // case. The calling process is left out.
  virtual std::vector<ProcessEntry> Find(const std::string& name) = 0;
  // Sends SIGTERM; when the process is still there after `grace`, SIGKILL.
  // true when it is gone (or was already).
  virtual bool End(const ProcessEntry& process, std::chrono::milliseconds grace) = 0;
};

// The real table over /proc.
ProcessTable& SystemProcessTable();

// Ends every process named `name` (SIGTERM, then SIGKILL after 2 s).
// Answers how many were found.
int EndProcessesNamed(const std::string& name, ProcessTable& table = SystemProcessTable());

// A scripted table: entries are added by the test; End records the signals
// it would send ("TERM <pid>", "KILL <pid>") and removes the entry, or leaves
// an entry marked stubborn until SIGKILL.
class FakeProcessTable : public ProcessTable {
 public:
  void Add(pid_t pid, const std::string& executable, bool stubborn = false);
  std::vector<ProcessEntry> Find(const std::string& name) override;
  bool End(const ProcessEntry& process, std::chrono::milliseconds grace) override;
  const std::vector<std::string>& signals() const { return signals_; }

 private:
  struct Entry {
    std::string executable;
    bool stubborn = false;
  };
  std::map<pid_t, Entry> entries_;
  std::vector<std::string> signals_;
};

// Case-insensitive comparison of an executable path's file name with
// `name`; a trailing " (deleted)" of a replaced binary is ignored.
bool ExecutableNameMatches(const std::string& executablePath, const std::string& name);

}  // namespace plat
