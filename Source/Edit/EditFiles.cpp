#include "EditFiles.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <filesystem>

#include "CPath.h"
#include "ThumbFileTime.h"
#include "qel/QelWideText.h"

namespace {

bool EndsWithNoCase(const std::u16string& text, const char16_t* ext) {
  std::u16string e(ext);
  if (text.size() < e.size()) return false;
  for (size_t i = 0; i < e.size(); ++i) {
    char16_t a = text[text.size() - e.size() + i], b = e[i];
    if (a >= u'A' && a <= u'Z') a = char16_t(a - u'A' + u'a');
    if (b >= u'A' && b <= u'Z') b = char16_t(b - u'A' + u'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

int vIsSupportFile(const WCHAR* path, int* type) {
  if (!path || !*path || !CPath::IsFileExist(path)) return 0;
  std::u16string p(path);
  int kind = 0;
  if (EndsWithNoCase(p, u".jpg") || EndsWithNoCase(p, u".bmp")) kind = 1;
  else if (EndsWithNoCase(p, u".mov")) kind = 2;
  if (kind == 0) return 0;
  if (type) *type = kind;
  return 1;
}

int vGetFileSize(const WCHAR* path, int64_t* bytes) {
  if (!path || !*path) return 0;
  struct stat st {};
  if (::stat(QelToUTF8(std::u16string_view(path)).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (bytes) *bytes = int64_t(st.st_size);
  return 1;
}

int vGetFileModifyTime(const WCHAR* path, FILETIME* time) {
  FILETIME t;
  if (!GetThumbFileTime(path, &t)) return 0;
  if (time) *time = t;
  return 1;
}

int vCheckCanSave(const WCHAR* path) {
  if (!path || !*path) return 0;
  std::u16string test(path);
  if (CPath::IsFileExist(path)) {
    size_t slash = test.find_last_of(u'/');
    std::u16string folder = slash == std::u16string::npos ? std::u16string(u".") : test.substr(0, slash);
    for (int n = 1;; ++n) {
      char name[40];
      std::snprintf(name, sizeof name, "TestFile%d.noindex", n);
      test = PathJoin(folder, QelFromUTF8(name));
      if (!CPath::IsFileExist(test.c_str())) break;
      if (n == 100000) return 0;
    }
  }
  if (!CPath::CreateFile(test.c_str())) return 0;
  CPath::DeleteFile(test.c_str());
  return 1;
}

int vIsEnoughSpaceFor(uint64_t freeBytes, uint64_t bytes) {
  if (bytes > UINT64_MAX - kSpareBytes) return 0;
  return freeBytes > bytes + kSpareBytes ? 1 : 0;
}

int vIsEnoughSpace(const WCHAR* path, uint64_t bytes) {
  if (!path || !*path) return 0;
  struct statvfs vfs {};
  if (::statvfs(QelToUTF8(std::u16string_view(path)).c_str(), &vfs) != 0) return 0;
  return vIsEnoughSpaceFor(uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize), bytes);
}

double vFitInRatio(int32_t width, int32_t height, int32_t maxWidth, int32_t maxHeight) {
  if (width == 0 || height == 0) return 0.0;
  double rw = double(maxWidth) / width, rh = double(maxHeight) / height;
  return rw < rh ? rw : rh;
}

double TLFitIn(int32_t* width, int32_t* height, int32_t maxWidth, int32_t maxHeight) {
  return CORVPubTools::TLFitIn(width, height, maxWidth, maxHeight);
}

bool SameFile(const std::u16string& a, const std::u16string& b) {
  namespace fs = std::filesystem;
  std::error_code ea, eb;
  fs::path pa = fs::weakly_canonical(fs::path(QelToUTF8(a)), ea), pb = fs::weakly_canonical(fs::path(QelToUTF8(b)), eb);
  if (ea || eb) return a == b;
  return pa == pb;
}
