#pragma once
// Internal helpers shared by the command-line server and its clients.
#include <chrono>
#include <string>

namespace plat::detail {

// "<RuntimeFolder()>/<id><suffix>", empty when the folder is refused or the
// identifier cannot name a file.
std::string RuntimePathFor(const std::string& bundleId, const char* suffix);

// Connects a non-blocking stream socket to `path`, waiting up to `wait`
// while the listener's backlog is full. Answers the descriptor, or -1 with
// errno (ENOENT / ECONNREFUSED: nobody listens; ETIMEDOUT: nobody accepts).
int ConnectUnix(const std::string& path, std::chrono::milliseconds wait);

// Takes an exclusive flock on `path` (created 0600). With `wait` zero it does
// not block. Answers the descriptor (held until closed) or -1.
int LockFile(const std::string& path, std::chrono::milliseconds wait);

}  // namespace plat::detail
