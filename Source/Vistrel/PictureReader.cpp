#include "PictureReader.h"

#include <atomic>

namespace {

// Reads nothing: every file counts as unreadable.
class CNoPictureReader : public CPictureReader {
 public:
  bool ReadSize(const std::u16string&, SIZE& size) override {
    size = SIZE{0, 0};
    return false;
  }
  PubImage::QelPicture* Open(const std::u16string&, int32_t, ImgAbortProc, void*, SIZE*) override { return nullptr; }
  PubImage::QelPicture* OpenThumb(const std::u16string&, SIZE, ImgAbortProc, void*, SIZE*) override {
    return nullptr;
  }
};

CPictureReader* DefaultReader() {
  static CNoPictureReader reader;
  return &reader;
}

std::atomic<CPictureReader*> g_reader{nullptr};

}  // namespace

CPictureReader* GetPictureReader() {
  CPictureReader* r = g_reader.load(std::memory_order_acquire);
  return r ? r : DefaultReader();
}

void SetPictureReader(CPictureReader* reader) { g_reader.store(reader, std::memory_order_release); }

SIZE PictureSize(PubImage::QelPicture* p) {
  SIZE size{0, 0};
  if (p && p->GetSize(&size) != 0) size = SIZE{0, 0};
  return size;
}
