#include "PictureReader.h"

#include <unistd.h>

#include <atomic>

#include "img/ImageFile.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

namespace {

// Pictures decoded by the imaging library into toolkit pictures.
class CImagingPictureReader : public CPictureReader {
 public:
  bool ReadSize(const std::u16string& path, SIZE& size) override {
    size = SIZE{0, 0};
    img::ImageInfo info;
    if (img::ReadImageInfo(QelToUTF8(path), info) != img::Status::kOk) return false;
    size = SIZE{info.width, info.height};
    return size.cx > 0 && size.cy > 0;
  }

  PubImage::QelPicture* Open(const std::u16string& path, int32_t reduction, ImgAbortProc abort, void* extra,
                             SIZE* fullSize) override {
    QelImageOpenOptions o;
    o.nStructSize = sizeof(o);
    o.nSupportDepth = 0x00FFFFFF;
    o.nImportMode = 6;
    o.eDeflatelevel = reduction >= 8 ? 3 : reduction >= 4 ? 2 : reduction >= 2 ? 1 : 0;
    o.ProcAbort = abort;
    o.pExtra = extra;
    return Finish(qel::OpenPictureFile(QelToUTF8(path), &o), fullSize);
  }

  PubImage::QelPicture* OpenThumb(const std::u16string& path, SIZE box, ImgAbortProc abort, void* extra,
                                  SIZE* fullSize) override {
    QelImageOpenOptions o;
    o.nStructSize = sizeof(o);
    o.nSupportDepth = 512;
    o.nSupportChrom = 1;
    o.nImportMode = 7;
    o.nThumbWidth = box.cx;
    o.nThumbHeight = box.cy;
    o.bThumbFixedRatio = 1;
    o.ProcAbort = abort;
    o.pExtra = extra;
    return Finish(qel::OpenPictureFile(QelToUTF8(path), &o), fullSize);
  }

 private:
  static PubImage::QelPicture* Finish(qel::Picture* picture, SIZE* fullSize) {
    if (!picture) return nullptr;
    if (fullSize) *fullSize = picture->FullSize();
    return static_cast<PubImage::QelPicture*>(picture->Handle());
  }
};

CPictureReader* DefaultReader() {
  static CImagingPictureReader reader;
  return &reader;
}

std::atomic<CPictureReader*> g_reader{nullptr};

}  // namespace

CPictureReader* GetPictureReader() {
  CPictureReader* r = g_reader.load(std::memory_order_acquire);
  return r ? r : DefaultReader();
}

void SetPictureReader(CPictureReader* reader) { g_reader.store(reader, std::memory_order_release); }

std::u16string NoPictureText(const std::u16string& path) {
  if (path.empty()) return u"No picture to show";
  const std::string file = QelToUTF8(path);
  img::ImageInfo info;
  img::Status s = img::ReadImageInfo(file, info);
  if (s == img::Status::kTooLarge ||
      (s == img::Status::kOk && img::CheckDecodeBudget(info, img::DecodeOptions{}) != img::Status::kOk)) {
    return u"This picture is too large to show";
  }
  if (s != img::Status::kOk && access(file.c_str(), F_OK) == 0) return u"This file cannot be shown as a picture";
  return u"No picture to show";
}

SIZE PictureSize(PubImage::QelPicture* p) {
  SIZE size{0, 0};
  if (p && p->GetSize(&size) != 0) size = SIZE{0, 0};
  return size;
}
