#pragma once
// A stand-in for xdg-email first on PATH: each call appends its arguments
// to a log, each ended by a NUL byte and the call by "--end--" and a NUL,
// and exits with the status in FAKE_MAIL_STATUS (0 by default), after
// FAKE_MAIL_SLEEP seconds when set (a mail program that keeps it waiting).
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEnvironment.h"

namespace testmail {

class FakeXdgEmail {
 public:
  FakeXdgEmail() {
    const std::filesystem::path bin = testenv::MakeTempDir("fake-bin");
    log_ = testenv::MakeTempDir("fake-mail") / "calls";
    const std::filesystem::path script = bin / "xdg-email";
    testenv::WriteFile(script,
                       "#!/bin/sh\n"
                       "for a in \"$@\"; do printf '%s\\0' \"$a\"; done >> \"$FAKE_MAIL_LOG\"\n"
                       "printf '%s\\0' --end-- >> \"$FAKE_MAIL_LOG\"\n"
                       "exec >/dev/null 2>&1\n"
                       "[ -z \"$FAKE_MAIL_SLEEP\" ] || sleep \"$FAKE_MAIL_SLEEP\"\n"
                       "exit \"${FAKE_MAIL_STATUS:-0}\"\n");
    ::chmod(script.c_str(), 0755);
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (bin.string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    ::setenv("FAKE_MAIL_LOG", log_.c_str(), 1);
  }

  const std::filesystem::path& log() const { return log_; }

  // The arguments of each call, oldest first.
  std::vector<std::vector<std::string>> Calls() const {
    std::vector<std::vector<std::string>> calls(1);
    const std::string bytes = std::filesystem::exists(log_) ? testenv::ReadFile(log_) : std::string();
    size_t start = 0;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
      std::string arg = bytes.substr(start, end - start);
      if (arg == "--end--") calls.emplace_back();
      else calls.back().push_back(arg);
    }
    calls.pop_back();
    return calls;
  }

 private:
  std::filesystem::path log_;
};

}  // namespace testmail
