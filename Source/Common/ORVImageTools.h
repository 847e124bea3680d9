#pragma once
// The common library's picture tools: opening and saving image files with
// EXIF stamping, resampling layers and pictures, element hit tests, 32-bit
// offscreen worlds to toolkit pictures, and the block iterator for band-wise
// drawing.
#include <cstdint>

#include "IORVSource.h"
#include "PubImage.h"

typedef int32_t enuImport;
typedef unsigned long (*ORVImageProgress)(void*);

namespace ORVGF {

// A new picture read from the file (full = 0: a preview-sized decode), or null.
PubImage::QelPicture* OpenImageFile(const char16_t* path, int full, ORVImageProgress progress,
                                    void* user, enuImport kind);
// A new picture of the file fitted into width x height (never enlarged),
// read at the smallest reduced size that still covers it, or null.
PubImage::QelPicture* OpenImageThumbnail(const char16_t* path, int32_t width, int32_t height);
// type 1 JPEG (with EXIF, at `quality`), 2 BMP (at the picture's depth); 1 when saved.
int SaveImageFile(PubImage::QelPicture* picture, const char16_t* path, int32_t quality, int type);
int SetExifTime(PubImage::QelPicture* picture);
int SetExifExtend(PubImage::QelPicture* picture);
int SetNormalExifInfo(PubImage::QelPicture* picture);

PubImage::QelLayer* Resample(PubImage::QelLayer* layer, double sx, double sy);
PubImage::QelLayer* CropAndResample(PubImage::QelLayer* layer, _QELRECT rect, _QELDIV x, _QELDIV y);
PubImage::QelLayer* Resample(PubImage::QelLayer* layer, int newWidth, int newHeight, int oldWidth,
                             int oldHeight);
int Resample(PubImage::QelPicture* picture, double sx, double sy);
int Resample(PubImage::QelPicture* picture, int newWidth, int newHeight, int oldWidth, int oldHeight);
bool IsPtInElement(POINT* point, PubQelmar::QelElement* element);

// Offscreen worlds (32-bit A, R, G, B; 1-bit; 'yuvs'): 0 or -108 (no memory).
int32_t MyNewGWorld(GWorldPtr* world, int16_t depth, const SRect32* bounds);
int32_t MyCopyGWorld(GWorldPtr source, GWorldPtr destination);  // -1 null, -2 different bounds, 0 done
// A 32-bit world's pixels as a new layer / picture (count 1), or null.
PubImage::QelLayer* PixMapHandleToLayer(GWorldPtr world);
PubImage::QelPicture* PixMapHandleToPict(GWorldPtr world);
// Pictures stand for QuickDraw pictures here: a picture's composed look as
// one layer, or as a new picture. 1 on success.
int PictHandleToLayer(PubImage::QelPicture* picture, PubImage::QelLayer** layer);
int PictHandleToPict(PubImage::QelPicture* picture, PubImage::QelPicture** out);
void* mlHeapClone(void* heap, void* sourceHeap, void* block);

}  // namespace ORVGF

// Iterates a rectangle in blocks of blockWidth x blockHeight, row by row.
class PSBlock2Unit {
 public:
  PSBlock2Unit(int blockWidth, int blockHeight, int wholeWidth, int wholeHeight, _QELRECT& rect);
  void NewRect(_QELRECT& rect);
  bool NextRect(_QELRECT& out);
  int BlockNumber() const { return block_; }

 private:
  int bw_, bh_, block_ = 0, whole_w_, whole_h_, per_row_;
  _QELRECT rect_{};
  int x_ = 0, y_ = 0;
};
