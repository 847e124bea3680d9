#include "qel/QelPath.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "qel/QelWideText.h"

namespace {

bool IsSep(WCHAR c) { return c == QEL_PATH_SEPARATOR; }

bool StatPath(const WCHAR* path, struct stat* st) {
  if (!path || !*path) return false;
  std::string utf8 = QelToUTF8(path);
  return ::stat(utf8.c_str(), st) == 0;
}

bool Store(WCHAR* out, size_t size, const std::u16string& text) {
  if (!out || text.size() + 1 > size) return false;
  std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
  out[text.size()] = 0;
  return true;
}

}  // namespace

int32_t QelPathAppend(WCHAR* path, const WCHAR* more, size_t size) {
  if (!path) return 0;
  std::u16string result(path);
  std::u16string tail(more ? more : u"");
  size_t skip = 0;
  while (skip < tail.size() && IsSep(tail[skip]) && !result.empty()) ++skip;
  tail.erase(0, skip);
  if (tail.empty()) return 1;
  if (!result.empty() && !IsSep(result.back())) result.push_back(QEL_PATH_SEPARATOR);
  result += tail;
  return Store(path, size, result) ? 1 : 0;
}

int32_t QelPathAddSlash(WCHAR* path, size_t size) {
  if (!path) return 0;
  size_t n = qel_wcslen(path);
  if (n == 0 || IsSep(path[n - 1])) return 1;
  if (n + 2 > size) return 0;
  path[n] = QEL_PATH_SEPARATOR;
  path[n + 1] = 0;
  return 1;
}

int32_t QelPathRemoveSlash(WCHAR* path) {
  if (!path) return 0;
  size_t n = qel_wcslen(path);
  if (n < 2 || !IsSep(path[n - 1])) return 0;  // "" and "/" stay
  path[n - 1] = 0;
  return 1;
}

const WCHAR* QelPathFindFileName(const WCHAR* path) {
  if (!path) return nullptr;
  const WCHAR* name = path;
  for (const WCHAR* p = path; *p; ++p) {
    if (IsSep(p[0]) && p[1] && !IsSep(p[1])) name = p + 1;
  }
  return name;
}

const WCHAR* QelPathFindExtension(const WCHAR* path) {
  if (!path) return nullptr;
  const WCHAR* dot = nullptr;
  const WCHAR* p = path;
  for (; *p; ++p) {
    if (IsSep(*p)) dot = nullptr;
    else if (*p == u'.') dot = p;
  }
  return dot ? dot : p;
}

int32_t QelPathRemoveFileSpec(WCHAR* path) {
  if (!path || !*path) return 0;
  size_t n = qel_wcslen(path);
  size_t last = std::u16string::npos;
  for (size_t i = 0; i < n; ++i) {
    if (IsSep(path[i])) last = i;
  }
  if (last == std::u16string::npos) {  // a bare name
    path[0] = 0;
    return 1;
  }
  size_t keep = last;
  while (keep > 0 && IsSep(path[keep - 1])) --keep;  // "a//b" → "a"
  if (keep == 0) keep = 1;                          // the root stays
  if (keep == n) return 0;
  path[keep] = 0;
  return 1;
}

int32_t QelPathIsSameRoot(const WCHAR* a, const WCHAR* b) {
  return (a && b && IsSep(a[0]) && IsSep(b[0])) ? 1 : 0;
}

int32_t QelPathIsDirectory(const WCHAR* path) {
  struct stat st;
  return StatPath(path, &st) && S_ISDIR(st.st_mode) ? 1 : 0;
}

int32_t QelPathFileExists(const WCHAR* path) {
  struct stat st;
  return StatPath(path, &st) ? 1 : 0;
}

int32_t QelPathIsUNC(const WCHAR*) { return 0; }

int32_t QelPathIsRoot(const WCHAR* path) {
  if (!path || !*path) return 0;
  for (const WCHAR* p = path; *p; ++p) {
    if (!IsSep(*p)) return 0;
  }
  return 1;
}

int32_t QelPathCommonPrefix(const WCHAR* a, const WCHAR* b, WCHAR* out, size_t size) {
  if (out && size) out[0] = 0;
  if (!a || !b) return 0;
  // The end of the last whole component both share.
  size_t common = 0;
  size_t i = 0;
  for (;; ++i) {
    WCHAR ca = a[i];
    WCHAR cb = b[i];
    bool endA = ca == 0 || IsSep(ca);
    bool endB = cb == 0 || IsSep(cb);
    if (endA && endB) {
      common = (i == 0 && IsSep(ca)) ? 1 : i;  // "/x" and "/y" share the root
      if (ca == 0 || cb == 0) break;
    }
    if (ca != cb || ca == 0) break;
  }
  std::u16string prefix(a, common);
  if (out && !Store(out, size, prefix)) {
    if (size) out[0] = 0;
    return 0;
  }
  return int32_t(common);
}

int32_t QelGetPathDriver(const WCHAR*, WCHAR* drive, size_t size) {
  if (drive && size) drive[0] = 0;
  return 0;
}
