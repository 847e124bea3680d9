#include "os/Preferences.h"

#include "os/CommandLineServer.h"  // IsValidBundleIdentifier: same file-name rule

#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

struct Preferences::State {
  mutable std::mutex mutex;
  mutable bool loaded = false;
  mutable bool corrupt = false;  // the file on disk could not be read
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

void Preferences::LoadLocked() const {
  if (state_->loaded) return;
  state_->loaded = true;
  state_->corrupt = false;
  state_->root = PlistValue::MakeDict();
  if (path_.empty()) return;
  struct stat st;
  if (::stat(path_.c_str(), &st) != 0) return;  // missing: defaults
  auto parsed = ReadPropertyListFile(path_);
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

bool Preferences::WriteLocked(const PlistValue& root) {
  if (path_.empty()) return false;
  auto xml = SerializePropertyList(root);
  if (!xml) return false;
  std::string folder = ConfigFolder();
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) return false;
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
  return true;
}

std::optional<PlistValue> Preferences::Get(const std::string& key) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  LoadLocked();
  const PlistValue* v = state_->root.Find(key);
  if (!v) return std::nullopt;
  return *v;
}

bool Preferences::Set(const std::string& key, const PlistValue& value) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  LoadLocked();
  PlistValue next = state_->root;
  (*next.MutableDict())[key] = value;
  if (!WriteLocked(next)) return false;
  state_->root = std::move(next);
  return true;
}

bool Preferences::Remove(const std::string& key) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  LoadLocked();
  if (!state_->root.Find(key)) return true;
  PlistValue next = state_->root;
  next.MutableDict()->erase(key);
  if (!WriteLocked(next)) return false;
  state_->root = std::move(next);
  return true;
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
