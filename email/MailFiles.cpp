#include "MailFiles.h"

#include <sys/stat.h>

#include <optional>

#include "os/Bundle.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kPictureExtensions[] = {u"BMP", u"JPG", u"JPEG"};
constexpr const WCHAR* kMovieExtensions[] = {u"MOV"};

// Any address inside this bundle's library finds the bundle.
const int kSelf = 0;

}  // namespace

bool MailIsSupport(const WCHAR* path, int32_t* kind) {
  if (!path || !*path) return false;
  struct stat st;
  if (::stat(QelToUTF8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const std::u16string name = MailFileName(path);
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || dot + 1 >= name.size()) return false;
  const std::u16string extension = name.substr(dot + 1);
  for (const WCHAR* movie : kMovieExtensions) {
    if (qel_wcscmpi(extension.c_str(), movie) == 0) {
      if (kind) *kind = kMailMovie;
      return true;
    }
  }
  for (const WCHAR* picture : kPictureExtensions) {
    if (qel_wcscmpi(extension.c_str(), picture) == 0) {
      if (kind) *kind = kMailPicture;
      return true;
    }
  }
  return false;
}

int32_t GetUIPath(std::u16string* out) {
  if (!out) return 0;
  std::optional<plat::Bundle> bundle = plat::Bundle::Containing(&kSelf);
  if (!bundle) return 0;
  *out = QelFromUTF8(bundle->ContentsPath() + "/UI/");
  return 1;
}

int32_t GetSaveFileNamePrefix(int32_t index, const WCHAR* folder, std::u16string* out) {
  if (!folder || !out) return 0;
  *out = std::u16string(folder) + u"Attachment" + QelFromUTF8(std::to_string(index));
  return 1;
}

int64_t SD_GetFileSize(const WCHAR* path) {
  struct stat st;
  if (!path || ::stat(QelToUTF8(path).c_str(), &st) != 0) return 0;
  return int64_t(st.st_size);
}

std::u16string MailFileName(const std::u16string& path) {
  const size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}
