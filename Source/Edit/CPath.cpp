#include "CPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const WCHAR* path) { return path ? QelToUTF8(std::u16string_view(path)) : std::string(); }

bool Exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

std::optional<plat::Bundle> BundleOrMain(const plat::Bundle* bundle) {
  if (bundle) return *bundle;
  return plat::Bundle::Main();
}

}  // namespace

int CPath::IsFileExist(const WCHAR* path) {
  std::string p = Utf8(path);
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0 ? 1 : 0;
}

int CPath::CreatePath(const WCHAR* path) {
  std::string p = Utf8(path);
  if (p.empty() || Exists(p)) return 0;
  std::error_code ec;
  fs::create_directories(fs::path(p), ec);
  return !ec && fs::is_directory(fs::path(p), ec) ? 1 : 0;
}

int CPath::CreateFile(const WCHAR* path) {
  std::string p = Utf8(path);
  if (p.empty() || Exists(p)) return 0;
  fs::path parent = fs::path(p).parent_path();
  std::error_code ec;
  if (!parent.empty()) fs::create_directories(parent, ec);
  // O_EXCL: a file someone made meanwhile is never taken for ours.
  int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return 0;
  ::close(fd);
  return 1;
}

void CPath::DeleteFile(const WCHAR* path) {
  std::string p = Utf8(path);
  struct stat st {};
  if (!p.empty() && ::lstat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(p.c_str());
}

std::u16string CPath::GetModuleContentPath(const plat::Bundle* bundle) {
  std::optional<plat::Bundle> b = BundleOrMain(bundle);
  return b ? QelFromUTF8(b->ContentsPath()) : std::u16string();
}

std::u16string CPath::GetSetFile(const WCHAR* name, const plat::Bundle* bundle) {
  std::optional<plat::Bundle> b = BundleOrMain(bundle);
  if (!b || !name) return {};
  return PathJoin(QelFromUTF8(fs::path(b->path()).parent_path().string()), name);
}

std::u16string PathJoin(const std::u16string& base, const std::u16string& name) {
  if (base.empty()) return name;
  if (name.empty()) return base;
  std::u16string out = base;
  if (out.back() != u'/') out += u'/';
  out += name.front() == u'/' ? name.substr(1) : name;
  return out;
}
