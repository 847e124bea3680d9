#pragma once
// Where the viewer's pictures come from: files decoded into toolkit
// pictures (counted references). One reader serves the whole program and
// is called from the reader threads and the thumbnail builder at once, so
// it keeps no state between calls. Tests put a recording reader in place
// of the imaging library's.
#include <cstdint>
#include <string>

#include "PubImage.h"
#include "qel/QelTypes.h"

// Polled while a picture is decoded; non-zero abandons the work.
using ImgAbortProc = QelImgPoll;

class CPictureReader {
 public:
  virtual ~CPictureReader() = default;
  // The size of the image in the file, from its header; false when the
  // file cannot be read as a picture.
  virtual bool ReadSize(const std::u16string& path, SIZE& size) = 0;
  // The picture decoded at 1/reduction of its size (1, 2, 4 or 8; formats
  // that cannot reduce come whole); `fullSize` gets the size in the file.
  // Null when it cannot be read or `abort` asked to stop. Owned by the caller.
  virtual PubImage::QelPicture* Open(const std::u16string& path, int32_t reduction, ImgAbortProc abort,
                                     void* extra, SIZE* fullSize) = 0;
  // The picture fitted into `box` (aspect kept, never enlarged), decoded at
  // the smallest reduction that still covers it.
  virtual PubImage::QelPicture* OpenThumb(const std::u16string& path, SIZE box, ImgAbortProc abort,
                                          void* extra, SIZE* fullSize) = 0;
};

// The reader in use (never null). SetPictureReader(nullptr) restores the
// imaging library's; call it only while no reader thread runs.
CPictureReader* GetPictureReader();
void SetPictureReader(CPictureReader* reader);

// Counted references to toolkit pictures.
inline void RetainPicture(PubImage::QelPicture* p) {
  if (p) Qel0Retain(p);
}
inline void ReleasePicture(PubImage::QelPicture*& p) {
  if (p) Qel0Release(p);
  p = nullptr;
}
// What the viewer says in place of the picture at `path` when it shows
// none: too large to show, not a picture, or nothing to show.
std::u16string NoPictureText(const std::u16string& path);

// The size of a picture in pixels; 0 x 0 for none.
SIZE PictureSize(PubImage::QelPicture* p);
