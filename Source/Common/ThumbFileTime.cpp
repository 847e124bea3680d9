#include "ThumbFileTime.h"

#include <string>

#include "qel/QelWideText.h"

int GetThumbFileTime(const WCHAR* path, plat::FileTime* time) {
  if (!time) return 0;
  *time = plat::FileTime();
  if (!path || !*path) return 0;
  plat::FileDates dates;
  if (!plat::GetFileDates(QelToUTF8(std::u16string_view(path)), &dates)) return 0;
  *time = dates.Latest();
  return 1;
}
