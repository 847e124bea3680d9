// Picture files for the control: opening at full or reduced size, sizes
// from the headers, saving by extension and free file names.
#include <filesystem>
#include <string>
#include <system_error>

#include "CQelStringW.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"

using pichandle::Pict;
using pichandle::Wrap;

namespace {

std::string U8(const WCHAR* path) { return path ? qel::ToU8(std::u16string_view(path)) : std::string(); }

constexpr int32_t kFullSize = 0x00FFFFFF;

// The toolkit polls "non-zero: stop"; the control's abort hooks answer 0 to stop.
struct AbortHook {
  IMGABORTPROC proc;
  void* data;
};

unsigned long PollAbort(void* hook) {
  auto* h = static_cast<AbortHook*>(hook);
  return h->proc(h->data) == 0 ? 1 : 0;
}

}  // namespace

int ReductionLevelFor(long fileWidth, long wantWidth) {
  if (wantWidth > fileWidth / 2) return 0;
  if (wantWidth > fileWidth / 4) return 1;
  if (wantWidth > fileWidth / 8) return 2;
  return 3;
}

SIZE GetImgFileDimension(const WCHAR* path) {
  img::ImageInfo info;
  if (!path || !*path || img::ReadImageInfo(U8(path), info) != img::Status::kOk) return SIZE{0, 0};
  return SIZE{info.width, info.height};
}

PubImage::QelPicture* OpenImgFile(const WCHAR* path, bool /*flag*/, IMGABORTPROC abort, void* data) {
  if (!path || !*path) return nullptr;
  SIZE s = GetImgFileDimension(path);
  if (s.cx < 1 || s.cy < 1) return nullptr;
  // Decoding gives 24-bit pixels already, so the picture is never rendered again.
  QelImageOpenOptions o;
  o.nStructSize = int32_t(sizeof o);
  o.nSupportDepth = kFullSize;
  o.nSupportChrom = 1;
  AbortHook hook{abort, data};
  if (abort) {
    o.ProcAbort = PollAbort;
    o.pExtra = &hook;
  }
  return Wrap(qel::OpenPictureFile(U8(path), &o));
}

PubImage::QelPicture* OpenImgFileThumb(const WCHAR* path, SIZE& want) {
  SIZE s = GetImgFileDimension(path);
  if (s.cx < 1 || s.cy < 1) return nullptr;
  QelImageOpenOptions o;
  o.nStructSize = int32_t(sizeof o);
  o.nSupportDepth = 512;
  o.nSupportChrom = 1;
  o.nImportMode = 6;
  o.nThumbWidth = want.cx;
  o.nThumbHeight = want.cy;
  o.bThumbFixedRatio = 1;
  o.eDeflatelevel = ReductionLevelFor(s.cx, want.cx);
  return Wrap(qel::OpenPictureFile(U8(path), &o));
}

int SaveImgFile(const void* picture, const WCHAR* path, long resolution, void* option) {
  qel::Picture* p = Pict(picture);
  if (!p || !path || !*path) return 0;
  if (resolution >= 1) p->SetDpi(double(resolution));
  QelImageSaveOptions o;
  o.nStructSize = int32_t(sizeof o);
  o.options = static_cast<const int32_t*>(option);  // {1, JPEG quality}
  const std::string file = U8(path);
  // A failed save over an existing file must not count as written.
  if (qel::SavePictureFile(p, file, &o) != QEL_S_OK) return 0;
  std::error_code ec;
  return std::filesystem::exists(file, ec) ? 1 : 0;
}

int GetNotExistedFileName(CQelStringW& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path p(U8(path.c_str()));
  if (path.IsEmpty() || !fs::exists(p, ec)) return 1;
  const std::string stem = p.stem().string(), ext = p.extension().string();  // ext keeps its dot
  for (int n = 1; n < 1000000; ++n) {
    fs::path candidate = p.parent_path() / (stem + "_" + std::to_string(n) + ext);
    if (!fs::exists(candidate, ec)) {
      path = qel::ToU16(candidate.string()).c_str();
      return 1;
    }
  }
  return 0;
}
