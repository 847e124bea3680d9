#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <new>
#include <string>

#include "qel/QelFile.h"
#include "qel/QelWideText.h"

struct QelFindRec {
  DIR* dir = nullptr;
  std::string folder;   // with a trailing "/"
  std::string pattern;  // empty: every name
};

namespace {

bool Next(QelFindRec* find, QelFindData* data) {
  while (dirent* entry = ::readdir(find->dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!find->pattern.empty() && ::fnmatch(find->pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) {
      continue;
    }
    if (data) {
      struct stat st;
      bool known = ::stat((find->folder + name).c_str(), &st) == 0 ||
                   ::lstat((find->folder + name).c_str(), &st) == 0;
      data->name = QelFromUTF8(name);
      data->attributes = known && S_ISDIR(st.st_mode) ? QEL_FILE_ATTRIBUTE_DIRECTORY
                                                      : QEL_FILE_ATTRIBUTE_NORMAL;
      data->size = known && !S_ISDIR(st.st_mode) ? int64_t(st.st_size) : 0;
      data->modified = known ? int64_t(st.st_mtime) : 0;
    }
    return true;
  }
  return false;
}

}  // namespace

QelFindRef QelFindFirstFile(const WCHAR* pattern, QelFindData* data) {
  if (!pattern || !*pattern) return nullptr;
  std::string full = QelToUTF8(pattern);
  size_t slash = full.rfind('/');
  auto* find = new (std::nothrow) QelFindRec;
  if (!find) return nullptr;
  find->folder = slash == std::string::npos ? "./" : full.substr(0, slash + 1);
  find->pattern = slash == std::string::npos ? full : full.substr(slash + 1);
  if (find->pattern == "*.*" || find->pattern == "*") find->pattern.clear();
  find->dir = ::opendir(find->folder.c_str());
  if (!find->dir || !Next(find, data)) {
    if (find->dir) ::closedir(find->dir);
    delete find;
    return nullptr;
  }
  return find;
}

int32_t QelFindNextFile(QelFindRef find, QelFindData* data) {
  return find && Next(find, data) ? 1 : 0;
}

int32_t QelFindClose(QelFindRef find) {
  if (!find) return 0;
  ::closedir(find->dir);
  delete find;
  return 1;
}
