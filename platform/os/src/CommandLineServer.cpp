#include "os/CommandLineServer.h"

#include "CommandLineSocket.h"
#include "os/AppleEvents.h"
#include "os/CommandLineClient.h"
#include "os/CommandLineFrame.h"
#include "os/UserFolders.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <optional>
#include <vector>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace plat {

namespace detail {

std::string RuntimePathFor(const std::string& bundleId, const char* suffix) {
  if (!IsValidBundleIdentifier(bundleId)) return {};
  std::string folder = RuntimeFolder();
  if (folder.empty()) return {};
  return folder + "/" + bundleId + suffix;
}

int ConnectUnix(const std::string& path, std::chrono::milliseconds wait) {
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  // Non-blocking: a program that stopped serving (its backlog full) must not
  // hang the sender.
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) return fd;
    if (errno == EINTR) continue;
    if (errno != EAGAIN || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  int saved = errno == EAGAIN ? ETIMEDOUT : errno;
  ::close(fd);
  errno = saved;
  return -1;
}

int LockFile(const std::string& path, std::chrono::milliseconds wait) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = EWOULDBLOCK;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  int saved = errno;
  ::close(fd);
  errno = saved;
  return -1;
}

}  // namespace detail

bool IsValidBundleIdentifier(const std::string& id) {
  if (id.empty() || id.size() > 80 || id[0] == '.') return false;
  for (unsigned char c : id)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return true;
}

std::optional<std::u16string> StartupCommandLine(int argc, char** argv) {
  std::string utf8;
  bool any = false;
  for (int i = 1; i < argc && argv[i]; ++i) {
    if (std::strncmp(argv[i], "--cmdl=", 7) == 0) {
      utf8 = argv[i] + 7;
      any = true;
      break;
    }
  }
  if (!any) {
    for (int i = 1; i < argc && argv[i]; ++i) {
      if (any) utf8 += ' ';
      utf8 += argv[i];
      any = true;
    }
  }
  if (!any) return std::nullopt;
  glong units = 0;
  gunichar2* wide = g_utf8_to_utf16(utf8.c_str(), static_cast<glong>(utf8.size()), nullptr, &units, nullptr);
  if (!wide) {
    std::fprintf(stderr, "command line argument is not UTF-8; ignored\n");
    return std::nullopt;
  }
  std::u16string text(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(units));
  g_free(wide);
  return text;
}

// ------------------------------------------------------------------ server

namespace {
// Clients read at once. Further ones wait in the listen backlog (their
// connect waits too when that is full) until a slot frees; none is closed
// unanswered.
constexpr size_t kMaxClients = 32;
// While others wait, a client that has not sent its whole frame within this
// time gives up its slot with "busy" and its sender tries again. Our own
// senders write the frame in one go, so only a stalled or trickling client
// ever gets there.
constexpr std::chrono::milliseconds kBusyAfter{250};
// Out of descriptors: accepting pauses, first for this long, doubling up to
// a second, and resumes at once when a client goes.
constexpr std::chrono::milliseconds kFirstBackOff{50};
constexpr std::chrono::milliseconds kLongestBackOff{1000};

using Clock = std::chrono::steady_clock;
}  // namespace

struct CommandLineServer::Impl {
  int lockFd = -1;
  int listenFd = -1;
  GSource* listenSource = nullptr;  // attached while accepting
  GSource* resumeTimer = nullptr;   // while accepting is paused
  std::chrono::milliseconds timeout{5000};
  std::chrono::milliseconds backOff{0};

  struct Client {
    Impl* owner = nullptr;
    int fd = -1;
    GSource* io = nullptr;
    GSource* timer = nullptr;
    Clock::time_point since;
    CommandLineFrameReader reader;
  };
  std::list<Client> clients;

  ~Impl() { Close(); }

  static void Discard(GSource*& source) {
    if (!source) return;
    g_source_destroy(source);
    g_source_unref(source);
    source = nullptr;
  }

  void Close() {
    Discard(listenSource);
    Discard(resumeTimer);
    if (listenFd >= 0) ::close(listenFd);
    listenFd = -1;
    while (!clients.empty()) Drop(&clients.front(), false);
  }

  void StartAccepting() {
    Discard(resumeTimer);
    if (listenSource || listenFd < 0) return;
    listenSource = g_unix_fd_source_new(listenFd, G_IO_IN);
    g_source_set_callback(listenSource, G_SOURCE_FUNC(OnAccept), this, nullptr);
    g_source_attach(listenSource, g_main_context_default());
  }

  // Stops watching the listening socket (it stays readable while anyone
  // waits, so watching it would spin) and looks again after `delay`.
  void PauseAccepting(std::chrono::milliseconds delay) {
    Discard(listenSource);
    Discard(resumeTimer);
    resumeTimer = g_timeout_source_new(static_cast<guint>(std::max<int64_t>(delay.count(), 1)));
    g_source_set_callback(resumeTimer, OnResume, this, nullptr);
    g_source_attach(resumeTimer, g_main_context_default());
  }

  static gboolean OnResume(gpointer data) {
    auto* self = static_cast<Impl*>(data);
    g_source_unref(self->resumeTimer);  // the loop drops it as we return
    self->resumeTimer = nullptr;
    self->StartAccepting();
    return G_SOURCE_REMOVE;
  }

  // Answers the client (when `reply`) and lets it go; true when the answer
  // reached it.
  bool Drop(Client* c, bool reply, int32_t status = kCommandLineRejected) {
    bool delivered = false;
    if (reply) {
      uint8_t bytes[4];
      uint32_t u = static_cast<uint32_t>(status);
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(u >> (8 * i));
      // Four bytes always fit an empty socket buffer; a client that gave up
      // (closed, or shut its reading side) makes the send fail.
      delivered = ::send(c->fd, bytes, sizeof bytes, MSG_NOSIGNAL | MSG_DONTWAIT) == ssize_t(sizeof bytes);
    }
    Discard(c->io);
    Discard(c->timer);
    ::close(c->fd);
    for (auto it = clients.begin(); it != clients.end(); ++it)
      if (&*it == c) {
        clients.erase(it);
        break;
      }
    // A slot and a descriptor are free again.
    if (!listenSource && listenFd >= 0) StartAccepting();
    return delivered;
  }

  // Makes room for a waiting client: every client past kBusyAfter is told
  // "busy". Answers when the next one gets there (nullopt: room was made).
  std::optional<Clock::duration> MakeRoom() {
    auto now = Clock::now();
    std::vector<Client*> late;
    Clock::time_point oldest = Clock::time_point::max();
    for (Client& c : clients) {
      if (now - c.since >= kBusyAfter) late.push_back(&c);
      else oldest = std::min(oldest, c.since);
    }
    for (Client* c : late) Drop(c, true, kCommandLineBusy);
    if (clients.size() < kMaxClients) return std::nullopt;
    return oldest + kBusyAfter - now;
  }

  static gboolean OnTimeout(gpointer data) {
    auto* c = static_cast<Client*>(data);
    g_source_unref(c->timer);  // the loop drops it as we return
    c->timer = nullptr;
    c->owner->Drop(c, true);
    return G_SOURCE_REMOVE;
  }

  static gboolean OnReadable(gint fd, GIOCondition cond, gpointer data) {
    auto* c = static_cast<Client*>(data);
    Impl* self = c->owner;
    uint8_t buf[4096];
    for (;;) {
      size_t want = std::min(sizeof buf, c->reader.Wanted());
      ssize_t n = ::recv(fd, buf, want, MSG_DONTWAIT);
      if (n > 0) {
        auto st = c->reader.Feed(buf, static_cast<size_t>(n));
        if (st == CommandLineFrameReader::State::Complete) {
          // Carried out only when the sender learns it was accepted: one
          // that waited too long for a busy program has already told its
          // user the command failed.
          std::u16string text = c->reader.text();
          if (self->Drop(c, true, kCommandLineAccepted)) AEPost(MakeCommandLineEvent(text));
          return G_SOURCE_REMOVE;
        }
        if (st == CommandLineFrameReader::State::Rejected) {
          self->Drop(c, true, kCommandLineRejected);
          return G_SOURCE_REMOVE;
        }
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return G_SOURCE_CONTINUE;
      // Closed before the frame was whole (a short read): nothing to answer.
      self->Drop(c, false);
      return G_SOURCE_REMOVE;
    }
  }

  static gboolean OnAccept(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    for (;;) {
      if (self->clients.size() >= kMaxClients) {
        if (auto wait = self->MakeRoom()) {
          // Everyone is still within time: the waiting client stays queued.
          self->PauseAccepting(std::chrono::ceil<std::chrono::milliseconds>(*wait));
          return G_SOURCE_REMOVE;
        }
      }
      int cfd = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (cfd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return G_SOURCE_CONTINUE;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
          // The connection stays queued; try again later instead of spinning.
          self->backOff = self->backOff.count() == 0 ? kFirstBackOff
                                                     : std::min(self->backOff * 2, kLongestBackOff);
          std::fprintf(stderr, "command-line socket: cannot accept (%s); trying again in %lld ms\n",
                       std::strerror(errno), static_cast<long long>(self->backOff.count()));
          self->PauseAccepting(self->backOff);
          return G_SOURCE_REMOVE;
        }
        return G_SOURCE_CONTINUE;  // an error of that one connection
      }
      self->backOff = std::chrono::milliseconds(0);
      self->clients.emplace_back();
      Client* c = &self->clients.back();
      c->owner = self;
      c->fd = cfd;
      c->since = Clock::now();
      c->io = g_unix_fd_source_new(cfd, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR));
      g_source_set_callback(c->io, G_SOURCE_FUNC(OnReadable), c, nullptr);
      g_source_attach(c->io, g_main_context_default());
      c->timer = g_timeout_source_new(static_cast<guint>(self->timeout.count()));
      g_source_set_callback(c->timer, OnTimeout, c, nullptr);
      g_source_attach(c->timer, g_main_context_default());
    }
  }
};

CommandLineServer::CommandLineServer(std::string bundleId)
    : bundleId_(std::move(bundleId)), impl_(std::make_unique<Impl>()) {}

CommandLineServer::~CommandLineServer() {
  Stop();
  if (impl_->lockFd >= 0) ::close(impl_->lockFd);
}

void CommandLineServer::SetClientTimeout(std::chrono::milliseconds timeout) {
  impl_->timeout = timeout.count() > 0 ? timeout : std::chrono::milliseconds(1);
}

bool CommandLineServer::listening() const { return impl_->listenFd >= 0; }

CommandLineServer::Claim CommandLineServer::ClaimInstance() {
  if (impl_->lockFd >= 0) return Claim::Primary;
  std::string lockPath = detail::RuntimePathFor(bundleId_, ".lock");
  if (lockPath.empty()) return Claim::Failed;
  impl_->lockFd = detail::LockFile(lockPath, std::chrono::milliseconds(0));
  if (impl_->lockFd >= 0) return Claim::Primary;
  return errno == EWOULDBLOCK ? Claim::Secondary : Claim::Failed;
}

bool CommandLineServer::Listen(const std::optional<std::u16string>& startupText) {
  if (listening()) return true;
  if (ClaimInstance() != Claim::Primary) return false;
  socketPath_ = detail::RuntimePathFor(bundleId_, ".cmdl");
  sockaddr_un addr{};
  if (socketPath_.empty() || socketPath_.size() >= sizeof(addr.sun_path)) return false;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
  // We hold the instance lock, so a socket file left behind is stale.
  ::unlink(socketPath_.c_str());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    ::close(fd);
    return false;
  }
  ::chmod(socketPath_.c_str(), 0600);
  impl_->listenFd = fd;
  if (startupText) AEPost(MakeCommandLineEvent(*startupText));
  impl_->StartAccepting();
  return true;
}

void CommandLineServer::Stop() {
  bool wasListening = listening();
  impl_->Close();
  if (wasListening) ::unlink(socketPath_.c_str());
}

bool HandOverCommandLine(const std::string& bundleId, const std::u16string& text, std::chrono::milliseconds wait) {
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    // The running instance may be busy on its main thread for a while (a
    // module starting its camera): its answer is awaited as long as the
    // hand-over may take, on the one connection, so the text goes once.
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    SendStatus st = SendCommandLine(bundleId, text, 0, std::max(left, std::chrono::milliseconds(2000)));
    if (st == SendStatus::Accepted) return true;
    if (st != SendStatus::NotRunning || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace plat
