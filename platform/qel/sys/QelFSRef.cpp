#include <sys/stat.h>

#include <filesystem>
#include <new>
#include <string>

#include "qel/QelPath.h"
#include "qel/QelWideText.h"

struct Qel0FSRRec {
  std::filesystem::path path;  // absolute, lexically normal, UTF-8
};

Qel0FSRef Qel0FSRCreateWithPath(const WCHAR* path) {
  if (!path || !*path) return nullptr;
  std::error_code ec;
  std::filesystem::path p(QelToUTF8(path));
  if (p.is_relative()) p = std::filesystem::current_path(ec) / p;
  if (ec) return nullptr;
  p = p.lexically_normal();
  std::string s = p.string();
  if (s.size() > 1 && s.back() == '/') p = s.substr(0, s.size() - 1);
  return new (std::nothrow) Qel0FSRRec{p};
}

int32_t Qel0FSRToAbs(Qel0FSRef ref, WCHAR* out, size_t size) {
  if (!ref || !out) return 0;
  return QelUTF8ToUTF16(ref->path.c_str(), -1, out, size) < 0 ? 0 : 1;
}

int32_t Qel0FSRIsExist(Qel0FSRef ref) {
  struct stat st;
  return ref && ::stat(ref->path.c_str(), &st) == 0 ? 1 : 0;
}

int32_t Qel0FSRRemoveLastPathComponent(Qel0FSRef ref) {
  if (!ref || ref->path == ref->path.root_path()) return 0;
  ref->path = ref->path.parent_path();
  return 1;
}

void Qel0FSRRelease(Qel0FSRef ref) { delete ref; }
