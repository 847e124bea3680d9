#pragma once
// Programs a test started (or had started) from the staged bundle tree, seen
// from outside: their processes, and their windows on the private X server.
#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEnvironment.h"

namespace testenv {

// The processes running `exe` that share this test's private runtime folder
// (where the programs' command-line sockets lie), so other tests' copies
// do not count.
inline std::vector<pid_t> OurProcessesOf(const std::filesystem::path& exe) {
  namespace fs = std::filesystem;
  const fs::path program = fs::canonical(exe);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string mark = std::string("XDG_RUNTIME_DIR=") + (runtime ? runtime : "");
  std::vector<pid_t> out;
  for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ec;
    if (fs::read_symlink(e.path() / "exe", ec) != program || ec) continue;
    const std::string env = ReadFile(e.path() / "environ");
    if (env.find(mark + '\0') != std::string::npos) out.push_back(pid_t(std::stoi(name)));
  }
  return out;
}

// A top-level window of the X server in DISPLAY with exactly this title.
inline bool XWindowTitled(const std::string& title) {
  const std::string cmd = "xwininfo -root -tree 2>/dev/null | grep -qF '\"" + title + "\"'";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace testenv
