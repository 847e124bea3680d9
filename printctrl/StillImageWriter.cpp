// Pages written as picture files instead of printed: each page of the range
// becomes one picture of the paper's size at the asked resolution, the first
// under the given name, the others under the first free "name_N.ext" beside
// it. A file is written under a hidden temporary name and renamed when it is
// whole, so no half-written picture ever carries a listed name; an existing
// file is replaced only when the host says so, and a cancel removes exactly
// the files this run wrote.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "CQelStringW.h"
#include "PictureFunctions.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "img/Bitmap.h"
#include "qel/QelElement.h"

namespace fs = std::filesystem;

namespace {

bool IsJpegType(const WCHAR* type) {
  const std::string t = qel::ToU8(std::u16string_view(type));
  std::string lower(t.size(), ' ');
  std::transform(t.begin(), t.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return lower == "jpg" || lower == "jpeg";
}

// A fresh hidden file beside `target` with the same extension (the saver
// picks the format by it); empty when none can be made.
fs::path TemporaryBeside(const fs::path& target) {
  const std::string ext = target.extension().string();
  std::string pattern = (target.parent_path() / ("." + target.stem().string() + "-XXXXXX" + ext)).string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  const int fd = mkstemps(buf.data(), int(ext.size()));
  if (fd < 0) return {};
  close(fd);
  return fs::path(buf.data());
}

// Moves `from` to `to`; without `replace` an existing `to` is left alone.
bool MoveInto(const fs::path& from, const fs::path& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str()) == 0;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a hard link never replaces either.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace

int CPrintProject::s_StillImgProc(void* project, int step) {
  return project ? static_cast<CPrintProject*>(project)->_StillImgProc(step) : 1;
}

int CPrintProject::_StillImgProc(int step) {
  if (step) {
    _PostProgress(m_nCellsToPrint > 0 ? m_nCellsPrinted * 100 / m_nCellsToPrint : 0);
    ++m_nCellsPrinted;
  }
  return m_nCancel ? 0 : 1;
}

int CPrintProject::_DoStillImage(const tagDOPRINTINFO* info) {
  if (!info || !info->fileType || !info->filePath || !*info->filePath || m_bPrinting) return 0;
  if (info->resolution < 72 || info->resolution > 600) return 0;
  double wi = 0, hi = 0;
  if (!GetPaperSize(wi, hi, false, true) || !(wi > 0) || !(hi > 0)) return 0;
  const double w = std::floor(wi * info->resolution), h = std::floor(hi * info->resolution);
  if (!(w >= 1 && h >= 1 && w <= img::kMaxSide && h <= img::kMaxSide)) return 0;
  const SIZE size{int32_t(w), int32_t(h)};
  if (img::CheckedImageBytes(size.cx, size.cy, 3) == 0) return 0;
  long first = std::max<long>(info->firstPage - 1, 0), last = long(info->lastPage) - 1;
  if (last < 0 || last >= GetPageCount() - 1) last = GetPageCount() - 1;
  if (GetPageCount() == 0 || last < first) return 0;

  const std::u16string path16(info->filePath);
  const fs::path firstPath(qel::ToU8(std::u16string_view(path16)));
  const bool replace = (info->flags & PRTC_STILL_REPLACE) != 0;
  std::error_code ec;
  if (!replace && fs::exists(firstPath, ec)) {
    _PostPrintError(PRTC_ERR_FILE_EXISTS, path16);
    return 0;
  }
  if (!_StartJobCounters(first, last)) return 0;
  m_bPrinting = true;
  int32_t option[2] = {1, info->quality <= 120 ? info->quality : 80};
  void* saveOption = IsJpegType(info->fileType) ? option : nullptr;

  _PostMessage(PRTC_PRINT_START, 2);
  _PostProgress(0);
  std::vector<fs::path> written;
  bool failed = false;
  for (long p = first; p <= last && !m_nCancel && !failed; ++p) {
    CPrintPage* page = GetPage(p);
    PubImage::QelPicture* pic = page ? page->GetPagePic(size, true, true, &s_StillImgProc, this) : nullptr;
    if (m_nCancel) {
      if (pic) pic->Release();
      break;
    }
    fs::path target = firstPath;
    const bool isFirst = p == first;
    bool saved = false;
    if (pic) {
      const fs::path tmp = TemporaryBeside(firstPath);
      if (!tmp.empty() && SaveImgFile(pic, qel::ToU16(tmp.string()).c_str(), info->resolution, saveOption)) {
        // Another program may take a free name meanwhile: look again then.
        for (int tries = 0; tries < 100 && !saved; ++tries) {
          if (!isFirst) {
            CQelStringW name(path16.c_str());
            if (!GetNotExistedFileName(name)) break;
            target = fs::path(qel::ToU8(std::u16string_view(name.c_str())));
          }
          saved = MoveInto(tmp, target, isFirst && replace);
          if (!saved && (isFirst || errno != EEXIST)) break;
        }
      }
      if (!tmp.empty() && !saved) fs::remove(tmp, ec);
      pic->Release();
    }
    if (!saved) {
      failed = true;
      _PostPrintError(isFirst && !replace && fs::exists(target, ec) ? PRTC_ERR_FILE_EXISTS : PRTC_ERR_FILE_NOT_SAVED,
                      qel::ToU16(target.string()));
      break;
    }
    written.push_back(target);
    // Originals no later page shows are let go at once.
    for (long i = 0; i < page->GetCellCount(); ++i) {
      const long res = page->GetCellResourceIndex(i);
      if (res >= 0 && res < long(m_printCounters.size()) && --m_printCounters[size_t(res)] <= 0)
        m_pImageList->FreeOrgPic(res);
    }
  }
  _EndJobCounters();
  if (m_nCancel || failed) {
    for (auto it = written.rbegin(); it != written.rend(); ++it) fs::remove(*it, ec);
    return 0;
  }
  _PostProgress(100);
  _PostMessage(PRTC_PRINT_END, 0);
  return 1;
}
