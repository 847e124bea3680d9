#include "os/Preferences.h"

#include "CommandLineSocket.h"        // LockFile
#include "os/CommandLineServer.h"  // IsValidBundleIdentifier: same file-name rule

#include <glib.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

// What identifies one version of the file: a write replaces it by rename, so
// a new inode, and its times and size change.
struct FileStamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};

  static FileStamp Of(const struct stat& st) {
    FileStamp s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
  }
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

FileStamp StampOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? FileStamp::Of(st) : FileStamp();
}

// How long a write waits for another program writing the same domain.
constexpr std::chrono::seconds kLockWait{10};

}  // namespace

struct Preferences::State {
  mutable std::mutex mutex;
  mutable bool loaded = false;
  mutable bool corrupt = false;  // the file on disk could not be read
  mutable FileStamp stamp;       // the version the cache holds
  mutable PlistValue root = PlistValue::MakeDict();
};

namespace {

std::string ConfigFolder() {
  return std::string(g_get_user_config_dir()) + "/dunsellow";
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string Utf8(const std::u16string& s) {
  gchar* u = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(s.data()), static_cast<glong>(s.size()), nullptr,
                             nullptr, nullptr);
  if (!u) return std::string("\xFF");  // invalid UTF-16: refused by the writer
  std::string r = u;
  g_free(u);
  return r;
}

}  // namespace

Preferences& Preferences::ForDomain(const std::string& domain) {
  static std::mutex mutex;
  static auto* domains = new std::map<std::string, std::unique_ptr<Preferences>>;
  std::lock_guard<std::mutex> lock(mutex);
  auto& slot = (*domains)[domain];
  if (!slot) slot.reset(new Preferences(domain));
  return *slot;
}

Preferences::Preferences(std::string domain) : domain_(std::move(domain)), state_(new State) {
  if (IsValidBundleIdentifier(domain_)) path_ = ConfigFolder() + "/" + domain_ + ".plist";
}

// Re-reads the file when another program (or another write) replaced it
// since the cache was filled.
void Preferences::LoadLocked() const {
  if (path_.empty()) {
    state_->loaded = true;
    return;
  }
  if (!state_->loaded) SweepOnFirstLoad();
  FileStamp now = StampOf(path_);
  if (state_->loaded && now == state_->stamp) return;
  state_->loaded = true;
  state_->corrupt = false;
  state_->root = PlistValue::MakeDict();
  state_->stamp = FileStamp();
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // missing: defaults
  struct stat st;
  std::string bytes;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok) {
    char buf[65536];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      bytes.append(buf, size_t(n));
    }
  }
  ::close(fd);
  if (!ok) return;
  state_->stamp = FileStamp::Of(st);
  auto parsed = ParsePropertyList(bytes);
  if (parsed && parsed->is(PlistValue::Type::Dict)) {
    state_->root = std::move(*parsed);
  } else {
    state_->corrupt = true;
    std::fprintf(stderr, "preferences %s cannot be read; using defaults\n", path_.c_str());
  }
}

void Preferences::Reload() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->loaded = false;
}

int Preferences::LockDomain() const {
  if (g_mkdir_with_parents(ConfigFolder().c_str(), 0700) != 0) return -1;
  return detail::LockFile(path_ + ".lock", kLockWait);
}

// Every writer holds the domain's lock while its temporary file exists, so
// whatever temporary file is there while we hold it was left by a writer
// that died. The caller holds the lock.
void Preferences::SweepTemporaries() const {
  const std::string prefix = domain_ + ".plist.tmp-";
  std::string folder = ConfigFolder();
  if (GDir* dir = g_dir_open(folder.c_str(), 0, nullptr)) {
    while (const char* name = g_dir_read_name(dir)) {
      if (std::strncmp(name, prefix.c_str(), prefix.size()) == 0) ::unlink((folder + "/" + name).c_str());
    }
    g_dir_close(dir);
  }
}

// A program that only reads still clears what a crashed writer left, when
// nobody writes the domain at that moment.
void Preferences::SweepOnFirstLoad() const {
  if (!g_file_test(ConfigFolder().c_str(), G_FILE_TEST_IS_DIR)) return;
  int lock = detail::LockFile(path_ + ".lock", std::chrono::milliseconds(0));
  if (lock < 0) return;
  SweepTemporaries();
  ::close(lock);
}

bool Preferences::WriteLocked(const PlistValue& root) {
  if (path_.empty()) return false;
  auto xml = SerializePropertyList(root);
  if (!xml) return false;
  std::string folder = ConfigFolder();
  if (state_->corrupt) {
    // Keep the unreadable file for the user instead of replacing it unseen.
    for (int n = 1; n < 1000; ++n) {
      std::string aside = path_ + ".corrupt-" + std::to_string(n);
      if (::link(path_.c_str(), aside.c_str()) == 0) {
        std::fprintf(stderr, "unreadable preferences kept as %s\n", aside.c_str());
        state_->corrupt = false;
        break;
      }
      if (errno != EEXIST) break;
    }
    if (state_->corrupt) return false;
  }
  std::string tmp = path_ + ".tmp-" + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, *xml) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), path_.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  state_->stamp = StampOf(path_);
  return true;
}

// One change, merged into what is on disk: under the domain's lock the file
// is read again (another program may have written other keys), the change
// applied and the whole written back.
bool Preferences::Change(const std::function<bool(PlistValue& dict)>& change) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (path_.empty()) return false;
  int domainLock = LockDomain();
  if (domainLock < 0) {
    std::fprintf(stderr, "preferences %s: cannot lock the domain for writing\n", path_.c_str());
    return false;
  }
  SweepTemporaries();
  LoadLocked();
  PlistValue next = state_->root;
  bool ok = true;
  if (change(next)) {
    ok = WriteLocked(next);
    if (ok) state_->root = std::move(next);
  }
  ::close(domainLock);
  return ok;
}

std::optional<PlistValue> Preferences::Get(const std::string& key) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  LoadLocked();
  const PlistValue* v = state_->root.Find(key);
  if (!v) return std::nullopt;
  return *v;
}

bool Preferences::Set(const std::string& key, const PlistValue& value) {
  if (!SerializePropertyList(value)) return false;  // XML cannot carry it: the file stays as it is
  return Change([&](PlistValue& dict) {
    (*dict.MutableDict())[key] = value;
    return true;
  });
}

bool Preferences::Remove(const std::string& key) {
  return Change([&](PlistValue& dict) { return dict.MutableDict()->erase(key) != 0; });
}

int32_t Preferences::GetInt(const std::string& key, int32_t fallback) const {
  auto v = Get(key);
  auto i = v ? v->AsInteger() : std::nullopt;
  if (!i || *i < INT32_MIN || *i > INT32_MAX) return fallback;
  return static_cast<int32_t>(*i);
}

bool Preferences::SetInt(const std::string& key, int32_t value) { return Set(key, PlistValue::Integer(value)); }

std::optional<std::u16string> Preferences::GetText(const std::string& key, size_t maxUnits) const {
  auto v = Get(key);
  if (!v || !v->is(PlistValue::Type::String)) return std::nullopt;
  std::string utf8 = *v->AsString();
  glong units = 0;
  gunichar2* w = g_utf8_to_utf16(utf8.c_str(), static_cast<glong>(utf8.size()), nullptr, &units, nullptr);
  if (!w) return std::nullopt;
  std::u16string text(reinterpret_cast<const char16_t*>(w), static_cast<size_t>(units));
  g_free(w);
  if (maxUnits != 0 && text.size() > maxUnits) return std::nullopt;
  return text;
}

bool Preferences::SetText(const std::string& key, const std::u16string& value) {
  return Set(key, PlistValue::String(Utf8(value)));
}

bool Preferences::GetBool(const std::string& key, bool fallback) const {
  auto v = Get(key);
  if (!v) return fallback;
  if (auto b = v->AsBoolean()) return *b;
  if (auto i = v->AsInteger()) return *i != 0;
  return fallback;
}

bool Preferences::SetBool(const std::string& key, bool value) { return Set(key, PlistValue::Boolean(value)); }

}  // namespace plat
