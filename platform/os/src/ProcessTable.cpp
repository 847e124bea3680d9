#include "os/ProcessTable.h"

#include <glib.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat {

bool ExecutableNameMatches(const std::string& executablePath, const std::string& name) {
  std::string path = executablePath;
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
    path.resize(path.size() - deleted.size());
  std::string base = path.substr(path.rfind('/') + 1);
  if (base.empty() || name.empty()) return false;
  gchar* a = g_utf8_casefold(base.c_str(), -1);
  gchar* b = g_utf8_casefold(name.c_str(), -1);
  bool same = g_strcmp0(a, b) == 0;
  g_free(a);
  g_free(b);
  return same;
}

namespace {

std::string ExeOf(pid_t pid) {
  char buf[PATH_MAX];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

// The process's XDG_RUNTIME_DIR ("" without one); false when its
// environment cannot be read.
bool RuntimeDirOf(pid_t pid, std::string* dir) {
  gchar* data = nullptr;
  gsize length = 0;
  const std::string path = "/proc/" + std::to_string(pid) + "/environ";
  if (!g_file_get_contents(path.c_str(), &data, &length, nullptr)) return false;
  const std::string environ(data, length);
  g_free(data);
  dir->clear();
  const std::string key = "XDG_RUNTIME_DIR=";
  for (size_t at = 0; at < environ.size();) {
    size_t end = environ.find('\0', at);
    if (end == std::string::npos) end = environ.size();
    if (environ.compare(at, key.size(), key) == 0) *dir = environ.substr(at + key.size(), end - at - key.size());
    at = end + 1;
  }
  return true;
}

int PidfdOpen(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }
int PidfdSignal(int fd, int sig) { return static_cast<int>(::syscall(SYS_pidfd_send_signal, fd, sig, nullptr, 0)); }

bool WaitGone(int pidfd, std::chrono::milliseconds wait) {
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{pidfd, POLLIN, 0};
    int r = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

class ProcFsTable : public ProcessTable {
 public:
  std::vector<ProcessEntry> Find(const std::string& name) override {
    std::vector<ProcessEntry> found;
    DIR* d = ::opendir("/proc");
    if (!d) return found;
    uid_t me = ::geteuid();
    pid_t self = ::getpid();
    // Another login session of the same user has a runtime folder of its own.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string myRuntime = runtime ? runtime : "";
    while (dirent* e = ::readdir(d)) {
      char* end = nullptr;
      long pid = std::strtol(e->d_name, &end, 10);
      if (!end || *end != '\0' || pid <= 0 || pid == self) continue;
      struct stat st;
      std::string dir = std::string("/proc/") + e->d_name;
      if (::stat(dir.c_str(), &st) != 0 || st.st_uid != me) continue;
      std::string exe = ExeOf(static_cast<pid_t>(pid));
      std::string theirRuntime;
      if (exe.empty() || !ExecutableNameMatches(exe, name)) continue;
      if (!RuntimeDirOf(static_cast<pid_t>(pid), &theirRuntime) || theirRuntime != myRuntime) continue;
      found.push_back({static_cast<pid_t>(pid), exe});
    }
    ::closedir(d);
    return found;
  }

  bool End(const ProcessEntry& process, std::chrono::milliseconds grace) override {
    // A pidfd pins the process: the signals cannot reach a new process that
    // reused the number after the look-up.
    int fd = PidfdOpen(process.pid);
    if (fd < 0) return errno == ESRCH;
    if (ExeOf(process.pid) != process.executable) {  // not the process that was found
      ::close(fd);
      return true;
    }
    bool gone = false;
    if (PidfdSignal(fd, SIGTERM) != 0) {
      gone = errno == ESRCH;
    } else if (WaitGone(fd, grace)) {
      gone = true;
    } else {
      gone = PidfdSignal(fd, SIGKILL) == 0 ? WaitGone(fd, std::chrono::seconds(2)) : errno == ESRCH;
    }
    ::close(fd);
    return gone;
  }
};

}  // namespace

ProcessTable& SystemProcessTable() {
  static ProcFsTable table;
  return table;
}

int EndProcessesNamed(const std::string& name, ProcessTable& table) {
  auto found = table.Find(name);
  for (const auto& p : found) table.End(p, std::chrono::seconds(2));
  return static_cast<int>(found.size());
}

void FakeProcessTable::Add(pid_t pid, const std::string& executable, bool stubborn) {
  entries_[pid] = Entry{executable, stubborn};
}

std::vector<ProcessEntry> FakeProcessTable::Find(const std::string& name) {
  std::vector<ProcessEntry> out;
  for (const auto& [pid, e] : entries_)
    if (ExecutableNameMatches(e.executable, name)) out.push_back({pid, e.executable});
  return out;
}

bool FakeProcessTable::End(const ProcessEntry& process, std::chrono::milliseconds) {
  auto it = entries_.find(process.pid);
  if (it == entries_.end()) return true;
  signals_.push_back("TERM " + std::to_string(process.pid));
  if (it->second.stubborn) signals_.push_back("KILL " + std::to_string(process.pid));
  entries_.erase(it);
  return true;
}

}  // namespace plat
