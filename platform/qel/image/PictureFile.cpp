// Opening picture files into toolkit pictures and saving them, with the
// option records of the picture calls.
#include <algorithm>
#include <cstring>

#include "img/ImageFile.h"
#include "img/Operations.h"
#include "qel/QelElement.h"
#include "qel/QelImage.h"

namespace qel {

namespace {

constexpr int32_t kFullSize = 0x00FFFFFF;
constexpr int32_t kPreviewSide = 512;
// What a thumbnail or a preview may cost to decode: enough for a reduced
// read of any real photo, never the full-size decode a hostile header asks.
constexpr uint64_t kSmallDecodeBytes = uint64_t(96) << 20;

// UTF-16 text of an EXIF item, up to its first 0 unit.
std::string ItemText(const std::vector<uint8_t>& bytes) {
  std::u16string t;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t c = char16_t(bytes[i] | (bytes[i + 1] << 8));
    if (!c) break;
    t.push_back(c);
  }
  return ToU8(t);
}

}  // namespace

Picture* OpenPictureFile(const std::string& path, const QelImageOpenOptions* o) {
  if (path.empty()) return nullptr;
  img::DecodeOptions d;
  int32_t thumb_w = 0, thumb_h = 0;
  bool preview = false;
  if (o) {
    if (o->nImportMode == 6) {
      d.reduction = 1 << std::clamp(o->eDeflatelevel, 0, 3);
    } else if ((o->nImportMode == 2 || o->nImportMode == 7) && o->nThumbWidth > 0 && o->nThumbHeight > 0) {
      thumb_w = o->nThumbWidth, thumb_h = o->nThumbHeight;
      d.max_bytes = kSmallDecodeBytes;
    } else if (o->nSupportDepth == kPreviewSide) {
      preview = true;
      d.max_bytes = kSmallDecodeBytes;
    }
    if (o->ProcAbort) {
      QelImgPoll poll = o->ProcAbort;
      void* extra = o->pExtra;
      d.abort = [poll, extra] { return poll(extra) != 0; };
    }
    if (o->ProcProgess) {
      QelImgPoll cb = o->ProcProgess;
      void* extra = o->pExtra;
      d.progress = [cb, extra](int32_t) { cb(extra); };
    }
  }
  // The file is read once; the reduction follows from the size its headers
  // give.
  img::ImageInfo info;
  auto choose = [&](const img::ImageInfo& headers, img::DecodeOptions& chosen) {
    info = headers;
    if (thumb_w > 0) {
      img::FitSize f = img::FitInto(info.width, info.height, thumb_w, thumb_h);
      if (f.width < info.width) chosen.reduction = img::ReductionFor(info, f.width, f.height);
    } else if (preview) {
      chosen.reduction = img::ReductionFor(info, std::min(info.width, kPreviewSide),
                                           std::min(info.height, kPreviewSide));
    }
  };
  img::Decoded dec;
  if (img::DecodeFile(path, d, choose, dec) != img::Status::kOk) {
    return nullptr;
  }
  img::Bitmap px = std::move(dec.pixels);
  img::Plane alpha = std::move(dec.alpha);
  if (thumb_w > 0) {
    // A thumbnail never exceeds its box; small pictures keep their size.
    img::FitSize f = img::FitInto(px.width(), px.height(), thumb_w, thumb_h);
    if (f.width < px.width() || f.height < px.height()) {
      px = img::Resample(px, f.width, f.height);
      if (!alpha.empty()) alpha = img::Resample(alpha, f.width, f.height);
      if (px.empty()) return nullptr;
    }
  }
  auto* p = new Picture();
  p->SetSize(SIZE{px.width(), px.height()});
  p->SetFullSize(SIZE{info.width, info.height});
  if (info.x_dpi > 0) p->SetDpi(info.x_dpi);
  p->ExifBlock() = std::move(info.exif);
  Layer* l = Layer::Make(std::move(px), std::move(alpha));
  p->Insert(1, l);
  l->Release();
  return p;
}

int32_t SavePictureFile(Picture* picture, const std::string& path, const QelImageSaveOptions* o) {
  if (!picture || path.empty()) return QEL_E_POINTER;
  int32_t type = o ? o->nFileType : 0;
  if (type == 0) {
    switch (img::FormatForExtension(path)) {
      case img::FileFormat::kJpeg: type = 1; break;
      case img::FileFormat::kBmp: type = 2; break;
      case img::FileFormat::kPng: type = 3; break;
      default: return QEL_E_INVALIDARG;
    }
  }
  const int32_t* opt = o ? o->options : nullptr;
  img::Bitmap px = picture->Flatten();
  if (px.empty()) return QEL_E_INVALIDARG;
  img::Status s;
  if (type == 1) {
    img::JpegOptions j;
    j.quality = opt ? opt[1] : 90;
    if (j.quality < 1 || j.quality > 100) j.quality = 90;
    j.dpi = picture->Dpi();
    j.exif_base = picture->ExifBlock();
    auto& items = picture->ExifItems();
    img::ExifFields f;
    if (items.count(QEL_EXIF_DATETIME)) f.date_time = ItemText(items[QEL_EXIF_DATETIME]);
    if (items.count(QEL_EXIF_DESCRIPTION)) f.description = ItemText(items[QEL_EXIF_DESCRIPTION]);
    if (items.count(QEL_EXIF_VERSION)) f.exif_version = ItemText(items[QEL_EXIF_VERSION]);
    auto number = [&](int32_t id, std::optional<int32_t>& out) {
      auto it = items.find(id);
      if (it != items.end() && it->second.size() >= 4) std::memcpy(&out.emplace(), it->second.data(), 4);
    };
    number(QEL_EXIF_PIXEL_X, f.pixel_x);
    number(QEL_EXIF_PIXEL_Y, f.pixel_y);
    // A kept block describes this picture's size now.
    if (!j.exif_base.empty()) {
      if (!f.pixel_x) f.pixel_x = px.width();
      if (!f.pixel_y) f.pixel_y = px.height();
    }
    if (!items.empty() || !j.exif_base.empty()) j.exif = f;
    s = img::SaveJpeg(px, path, j);
  } else if (type == 2) {
    img::BmpOptions b;
    b.bits_per_pixel = opt && (opt[1] == 32 || opt[1] == 8 || opt[1] == 1) ? opt[1] : 24;
    b.dpi = picture->Dpi();
    s = img::SaveBmp(px, path, b);
  } else if (type == 3) {
    img::PngOptions pn;
    pn.dpi = picture->Dpi();
    s = img::SavePng(px, {}, path, pn);
  } else {
    return QEL_E_INVALIDARG;
  }
  return s == img::Status::kOk ? QEL_S_OK : QEL_E_FAIL;
}

}  // namespace qel
