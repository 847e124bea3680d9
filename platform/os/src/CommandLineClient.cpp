#include "os/CommandLineClient.h"

#include "CommandLineSocket.h"
#include "os/CommandLineFrame.h"
#include "os/InfoPlist.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

bool WaitFd(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool SendAll(int fd, const uint8_t* data, size_t size, Clock::time_point deadline) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      data += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFd(fd, POLLOUT, deadline)) continue;
    return false;
  }
  return true;
}

bool RecvAll(int fd, uint8_t* data, size_t size, Clock::time_point deadline) {
  while (size > 0) {
    ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
    if (n > 0) {
      data += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFd(fd, POLLIN, deadline)) continue;
    return false;
  }
  return true;
}

std::mutex g_mutex;
SpawnFunction g_spawn;
std::chrono::milliseconds g_launchWait{10000};

void DetachChild(gpointer) { ::setsid(); }

bool SocketAnswers(const std::string& path) {
  int fd = detail::ConnectUnix(path, std::chrono::milliseconds(100));
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

SendStatus SendCommandLine(const std::string& bundleId, const std::u16string& text, uint32_t blockBytes,
                           std::chrono::milliseconds timeout) {
  std::vector<uint8_t> frame = EncodeCommandLineFrame(text, blockBytes);
  if (frame.empty()) return SendStatus::Failed;
  std::string path = detail::RuntimePathFor(bundleId, ".cmdl");
  if (path.empty()) return SendStatus::Failed;
  auto deadline = Clock::now() + timeout;
  // The program answers every frame it takes; "busy", or a connection it
  // closed before answering, means the frame was not taken, so it is sent
  // again until the time is up.
  for (int attempt = 0;; ++attempt) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    int fd = detail::ConnectUnix(path, std::max(left, std::chrono::milliseconds(0)));
    if (fd < 0) return (errno == ENOENT || errno == ECONNREFUSED) ? SendStatus::NotRunning : SendStatus::Failed;
    uint8_t reply[4];
    bool answered = SendAll(fd, frame.data(), frame.size(), deadline) && RecvAll(fd, reply, sizeof reply, deadline);
    if (!answered) {
      // Giving up: from this shutdown on, the program's answer cannot reach
      // us and it drops the frame, so it never carries out what we report
      // as failed. An answer that came before it still counts.
      ::shutdown(fd, SHUT_RD);
      answered = ::recv(fd, reply, sizeof reply, MSG_DONTWAIT) == ssize_t(sizeof reply);
    }
    ::close(fd);
    if (answered) {
      int32_t status = static_cast<int32_t>(uint32_t(reply[0]) | (uint32_t(reply[1]) << 8) |
                                            (uint32_t(reply[2]) << 16) | (uint32_t(reply[3]) << 24));
      if (status == kCommandLineAccepted) return SendStatus::Accepted;
      if (status != kCommandLineBusy) return SendStatus::Rejected;
    }
    if (Clock::now() >= deadline) return SendStatus::Failed;
    // A short pause, growing, so that a busy program can drain its queue.
    auto pause = std::chrono::milliseconds(5 << std::min(attempt, 4));
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - Clock::now()));
  }
}

bool IsCommandLineListening(const std::string& bundleId) {
  std::string path = detail::RuntimePathFor(bundleId, ".cmdl");
  return !path.empty() && SocketAnswers(path);
}

bool SpawnDetached(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_spawn) return g_spawn(argv, extraEnv);
  }
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  gchar** env = g_get_environ();
  for (const auto& e : extraEnv) {
    size_t eq = e.find('=');
    if (eq == std::string::npos) continue;
    env = g_environ_setenv(env, e.substr(0, eq).c_str(), e.c_str() + eq + 1, TRUE);
  }
  GError* error = nullptr;
  // Without DO_NOT_REAP_CHILD GLib forks twice: the program is not our child
  // and leaves no zombie behind.
  gboolean ok = g_spawn_async(nullptr, args.data(), env, G_SPAWN_STDIN_FROM_DEV_NULL, DetachChild, nullptr,
                              nullptr, &error);
  g_strfreev(env);
  if (!ok) {
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), error ? error->message : "?");
    g_clear_error(&error);
  }
  return ok;
}

void SetSpawnFunction(SpawnFunction spawn) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_spawn = std::move(spawn);
}

void SetLaunchWait(std::chrono::milliseconds wait) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_launchWait = wait;
}

LaunchStatus OpenWithCommandLine(const std::string& bundlePath, const std::u16string& text, uint32_t blockBytes) {
  auto id = InfoPlistString(bundlePath, "CFBundleIdentifier");
  auto exe = InfoPlistString(bundlePath, "CFBundleExecutable");
  if (!id || !exe || exe->empty() || exe->find('/') != std::string::npos) return LaunchStatus::Failed;

  SendStatus st = SendCommandLine(*id, text, blockBytes);
  if (st == SendStatus::Accepted) return LaunchStatus::Delivered;
  if (st != SendStatus::NotRunning) return LaunchStatus::Failed;

  std::chrono::milliseconds wait;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    wait = g_launchWait;
  }
  // One launcher at a time per program; the holder starts it and keeps the
  // lock until its socket answers, so the next one finds it running.
  std::string lockPath = detail::RuntimePathFor(*id, ".launch");
  int lockFd = lockPath.empty() ? -1 : detail::LockFile(lockPath, wait);
  if (lockFd < 0) return LaunchStatus::Failed;

  LaunchStatus result = LaunchStatus::Failed;
  st = SendCommandLine(*id, text, blockBytes);
  if (st == SendStatus::Accepted) {
    result = LaunchStatus::Delivered;
  } else if (st == SendStatus::NotRunning) {
    std::string bundle = bundlePath;
    while (bundle.size() > 1 && bundle.back() == '/') bundle.pop_back();
    std::string contents = InfoPlistPath(bundle);
    contents = contents.substr(0, contents.rfind('/'));  // the folder holding Info.plist
    std::string program = contents + "/MacOS/" + *exe;
    gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()),
                                  static_cast<glong>(text.size()), nullptr, nullptr, nullptr);
    if (utf8) {
      std::string bundleDir = contents.substr(0, contents.rfind('/'));
      std::vector<std::string> argv{program, std::string("--cmdl=") + utf8};
      g_free(utf8);
      // The child's own bundle, not an override this process may carry.
      bool recorded;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        recorded = static_cast<bool>(g_spawn);
      }
      if (SpawnDetached(argv, {"DUNSELLOW_BUNDLE=" + bundleDir})) {
        result = LaunchStatus::Launched;
        // A recording stand-in starts nothing to wait for.
        if (recorded) wait = std::chrono::milliseconds(0);
        std::string socketPath = detail::RuntimePathFor(*id, ".cmdl");
        auto deadline = Clock::now() + wait;
        while (!SocketAnswers(socketPath) && Clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  }
  ::close(lockFd);
  return result;
}

}  // namespace plat
