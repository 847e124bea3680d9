#include "MediaFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Profile.h"
#include "os/UserFolders.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Option";
constexpr const WCHAR* kKey = u"Media Folder";
constexpr char kDefaultName[] = "Document Camera Media";
constexpr int32_t kStoredUnits = 4096;

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Copies with the terminator when it fits; an empty buffer otherwise.
int CopyOut(const std::u16string& text, WCHAR* buffer, int32_t size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (text.empty() || text.size() + 1 > static_cast<size_t>(size)) return 0;
  std::memcpy(buffer, text.data(), text.size() * sizeof(WCHAR));
  buffer[text.size()] = 0;
  return 1;
}

}  // namespace

int vGetCurrentMediaFolder(WCHAR* buffer, int32_t size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  std::u16string stored(kStoredUnits, u'\0');
  if (!LoadProfileString(kSection, kKey, u"", stored.data(), kStoredUnits)) return 0;
  stored.resize(std::u16string(stored.c_str()).size());
  size_t first = 0, last = stored.size();
  while (first < last && IsBlank(stored[first])) ++first;
  while (last > first && IsBlank(stored[last - 1])) --last;
  return CopyOut(stored.substr(first, last - first), buffer, size);
}

int vSetCurrentMediaFolder(const WCHAR* path) {
  if (!path) return 0;
  return SaveProfileString(kSection, kKey, path);
}

int vGetDefaultMediaFolder(WCHAR* buffer, int32_t size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  std::string documents = plat::DocumentsFolder();
  if (documents.empty()) return 0;
  std::string folder = documents + "/" + kDefaultName;
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return 0;
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  return CopyOut(QelFromUTF8(folder), buffer, size);
}
