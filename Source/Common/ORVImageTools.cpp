#include "ORVImageTools.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "DibHelper.h"
#include "os/Offscreen.h"
#include "qel/QelHeap.h"

namespace ORVGF {

namespace {

// A toolkit file reference for a path; the caller releases it.
Qel0FSRef FileRef(const char16_t* path) { return Qel0FSRCreateWithPath(reinterpret_cast<const WCHAR*>(path)); }

size_t Units(const char16_t* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

template <typename LayerFn>
int ResamplePicture(PubImage::QelPicture* picture, SIZE size, LayerFn fn) {
  if (!picture) return 0;
  if (picture->SetSize(&size) != 0) return 0;
  for (int32_t i = picture->GetLayerCount(); i >= 1; --i) {
    PubImage::QelLayer* old = picture->GetLayer(i);
    PubImage::QelLayer* scaled = old ? fn(old) : nullptr;
    if (!scaled) return 0;
    picture->RemoveLayer(i);
    picture->InsertLayer(i, scaled);
    scaled->Release();
    old->Release();  // the picture's reference, handed over by RemoveLayer
  }
  return 1;
}

}  // namespace

PubImage::QelPicture* OpenImageFile(const char16_t* path, int full, ORVImageProgress progress,
                                    void* user, enuImport kind) {
  if (!path || !*path) return nullptr;
  auto* pic = reinterpret_cast<PubImage::QelPicture*>(Qel0CreateObj(QEL_KIND_PICTURE));
  if (!pic) return nullptr;
  Qel0FSRef ref = FileRef(path);
  QelImageOpenOptions o{};
  o.nStructSize = int32_t(sizeof o);
  o.nSupportDepth = full ? 0x00FFFFFF : 512;
  o.nImportMode = kind;
  o.ProcAbort = progress;
  o.pExtra = user;
  int32_t r = ref ? pic->Open(&o, ref) : -1;
  if (ref) Qel0FSRRelease(ref);
  if (r != 0) {
    pic->Release();
    return nullptr;
  }
  return pic;
}

PubImage::QelPicture* OpenImageThumbnail(const char16_t* path, int32_t width, int32_t height) {
  if (!path || !*path || width <= 0 || height <= 0) return nullptr;
  auto* pic = reinterpret_cast<PubImage::QelPicture*>(Qel0CreateObj(QEL_KIND_PICTURE));
  if (!pic) return nullptr;
  Qel0FSRef ref = FileRef(path);
  QelImageOpenOptions o{};
  o.nStructSize = int32_t(sizeof o);
  o.nSupportDepth = 512;
  o.nImportMode = 2;
  o.nThumbWidth = width;
  o.nThumbHeight = height;
  int32_t r = ref ? pic->Open(&o, ref) : -1;
  if (ref) Qel0FSRRelease(ref);
  if (r != 0) {
    pic->Release();
    return nullptr;
  }
  return pic;
}

int SetExifTime(PubImage::QelPicture* picture) {
  if (!picture) return 1;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%4d:%02d:%02d %02d:%02d:%02d", (tm.tm_year + 1900) % 10000,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  char16_t buf[1024] = {};
  for (size_t i = 0; text[i] && i < 1023; ++i) buf[i] = char16_t(text[i]);
  picture->SetExifInfo(QEL_EXIF_DATETIME, buf, sizeof buf);
  return 1;
}

int SetExifExtend(PubImage::QelPicture* picture) {
  if (!picture) return 1;
  char16_t empty[1] = {0};
  picture->SetExifInfo(QEL_EXIF_DESCRIPTION, empty, sizeof empty);
  char16_t version[5] = {u'0', u'2', u'2', u'0', 0};
  picture->SetExifInfo(QEL_EXIF_VERSION, version, sizeof version);
  return 1;
}

int SetNormalExifInfo(PubImage::QelPicture* picture) {
  if (!picture) return 1;
  SIZE s{};
  picture->GetSize(&s);
  int32_t w = s.cx, h = s.cy;
  picture->SetExifInfo(QEL_EXIF_PIXEL_X, &w, 4);
  picture->SetExifInfo(QEL_EXIF_PIXEL_Y, &h, 4);
  return 1;
}

int SaveImageFile(PubImage::QelPicture* picture, const char16_t* path, int32_t quality, int type) {
  if (!picture || !path || Units(path) >= 1024) return 0;
  int32_t options[2] = {0, 0};
  QelImageSaveOptions rec{};
  rec.nStructSize = int32_t(sizeof rec);
  rec.nFileType = type;
  rec.reserved3 = 1;
  if (type == 1) {
    SetExifTime(picture);
    SetExifExtend(picture);
    SetNormalExifInfo(picture);
    options[1] = quality;
  } else if (type == 2) {
    options[1] = picture->GetDepth();
  } else {
    return 0;
  }
  rec.options = options;
  Qel0FSRef ref = FileRef(path);
  if (!ref) return 0;
  int32_t r = picture->Save(&rec, ref);
  Qel0FSRRelease(ref);
  return r == 0 ? 1 : 0;
}

PubImage::QelLayer* Resample(PubImage::QelLayer* layer, double sx, double sy) {
  if (!layer) return nullptr;
  _LYR_TRANSFORM t{};
  t.xForm = _LYR_XFORM{sx, 0, 0, 0, sy, 0, 0, 0, 1};
  t.nType = 2;
  t.bResize = 1;
  return layer->Transform(&t);
}

PubImage::QelLayer* CropAndResample(PubImage::QelLayer* layer, _QELRECT rect, _QELDIV x, _QELDIV y) {
  if (!layer) return nullptr;
  IMGCLYR_CROPRESIZE c{rect, x, y, 1};
  return layer->CropResize(nullptr, &c);
}

PubImage::QelLayer* Resample(PubImage::QelLayer* layer, int nw, int nh, int ow, int oh) {
  if (!layer || ow <= 0 || oh <= 0) return nullptr;
  _QELRECT r{};
  if (layer->GetRect(&r) != 0) return nullptr;
  _QELRECT own{0, 0, r.right - r.left, r.bottom - r.top};
  return CropAndResample(layer, own, _QELDIV{nw, ow}, _QELDIV{nh, oh});
}

int Resample(PubImage::QelPicture* picture, double sx, double sy) {
  if (!picture) return 0;
  SIZE s{};
  picture->GetSize(&s);
  SIZE n{int32_t(s.cx * sx + 1e-9), int32_t(s.cy * sy + 1e-9)};
  return ResamplePicture(picture, n, [&](PubImage::QelLayer* l) { return Resample(l, sx, sy); });
}

int Resample(PubImage::QelPicture* picture, int nw, int nh, int ow, int oh) {
  if (!picture || ow <= 0 || oh <= 0) return 0;
  SIZE s{};
  picture->GetSize(&s);
  SIZE n{int32_t(int64_t(s.cx) * nw / ow), int32_t(int64_t(s.cy) * nh / oh)};
  return ResamplePicture(picture, n, [&](PubImage::QelLayer* l) { return Resample(l, nw, nh, ow, oh); });
}

bool IsPtInElement(POINT* p, PubQelmar::QelElement* e) {
  if (!p || !e) return false;
  POINT at{};
  SIZE s{};
  if (e->GetPosition(&at) < 0 || e->_QelSize()->GetSize(&s) < 0) return false;
  return p->x >= at.x && p->x <= at.x + s.cx && p->y >= at.y && p->y <= at.y + s.cy;
}

int32_t MyNewGWorld(GWorldPtr* world, int16_t depth, const SRect32* bounds) {
  if (!world || !bounds) return -50;  // paramErr
  *world = plat::NewOffscreen(bounds->right - bounds->left, bounds->bottom - bounds->top, depth);
  return *world ? 0 : -108;
}

int32_t MyCopyGWorld(GWorldPtr source, GWorldPtr destination) {
  if (!source || !destination) return -1;
  if (source->width != destination->width || source->height != destination->height) return -2;
  return plat::CopyOffscreen(source, destination) ? 0 : -2;
}

PubImage::QelLayer* PixMapHandleToLayer(GWorldPtr world) {
  if (!world || world->depth != plat::kOffscreenARGB32 || world->width <= 0 || world->height <= 0) {
    return nullptr;
  }
  const int32_t w = world->width, h = world->height;
  auto* layer = reinterpret_cast<PubImage::QelLayer*>(Qel0CreateObj(QEL_KIND_LAYER));
  if (!layer) return nullptr;
  SIZE s{w, h};
  QelPixelTransfer t{};
  t.kind = 1;
  // The layer takes the A, R, G, B rows as they are.
  t.pixels = world->pixels;
  t.right = w;
  t.bottom = h;
  t.bitsPerPixel = 32;
  t.rowStep = intptr_t(world->rowBytes);
  if (layer->Init(&s) != 0 || layer->PutPixels(&t) != 0) {
    layer->Release();
    return nullptr;
  }
  return layer;
}

PubImage::QelPicture* PixMapHandleToPict(GWorldPtr world) {
  PubImage::QelLayer* layer = PixMapHandleToLayer(world);
  if (!layer) return nullptr;
  PubImage::QelPicture* pic = Layer2Pic(layer);
  layer->Release();
  return pic;
}

int PictHandleToLayer(PubImage::QelPicture* picture, PubImage::QelLayer** layer) {
  if (!picture || !layer) return 0;
  *layer = picture->MergeLayers();
  return *layer ? 1 : 0;
}

int PictHandleToPict(PubImage::QelPicture* picture, PubImage::QelPicture** out) {
  if (!out) return 0;
  *out = nullptr;
  PubImage::QelLayer* layer = nullptr;
  if (!PictHandleToLayer(picture, &layer)) return 0;
  *out = Layer2Pic(layer);
  layer->Release();
  return *out ? 1 : 0;
}

void* mlHeapClone(void*, void*, void* block) {
  if (!block) return nullptr;
  size_t n = qelHeapSize(block);
  void* copy = qelHeapAlloc(n);
  if (!copy) return nullptr;
  std::memcpy(qelHeapLock(copy), qelHeapLock(block), n);
  qelHeapUnlock(block);
  qelHeapUnlock(copy);
  return copy;
}

}  // namespace ORVGF

PSBlock2Unit::PSBlock2Unit(int bw, int bh, int ww, int wh, _QELRECT& rect)
    : bw_(std::max(bw, 1)), bh_(std::max(bh, 1)), whole_w_(ww), whole_h_(wh) {
  per_row_ = (whole_w_ + bw_ - 1) / bw_;
  NewRect(rect);
}

void PSBlock2Unit::NewRect(_QELRECT& rect) {
  rect_ = rect;
  rect_.left = std::max(rect_.left, 0);
  rect_.top = std::max(rect_.top, 0);
  rect_.right = std::min(rect_.right, whole_w_);
  rect_.bottom = std::min(rect_.bottom, whole_h_);
  x_ = rect_.left;
  y_ = rect_.top;
  block_ = 0;
}

bool PSBlock2Unit::NextRect(_QELRECT& out) {
  if (y_ >= rect_.bottom || x_ >= rect_.right) return false;
  int right = std::min(x_ + bw_ - x_ % bw_, rect_.right);
  int bottom = std::min(y_ + bh_ - y_ % bh_, rect_.bottom);
  out = _QELRECT{x_, y_, right, bottom};
  block_ = x_ / bw_ + per_row_ * (y_ / bh_);
  x_ = right;
  if (x_ >= rect_.right) {
    x_ = rect_.left;
    y_ = bottom;
  }
  return true;
}
