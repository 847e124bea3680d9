// Toolkit layers and pictures: making, copying, resampling, cutting,
// turning and dimming them.
#include <utility>

#include "DibHelper.h"
#include "FunctionImgCtrl.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "img/Tint.h"

using pichandle::Lyr;
using pichandle::Pict;
using pichandle::Wrap;

namespace {

template <typename T>
T* NewObject(intptr_t handle) {
  return reinterpret_cast<T*>(handle);
}

int32_t Width(const SRect32& r) { return r.right - r.left; }
int32_t Height(const SRect32& r) { return r.bottom - r.top; }

}  // namespace

PubImage::QelLayer* CreateLayerObj(SRect32* rect) {
  if (!rect || Width(*rect) <= 0 || Height(*rect) <= 0) return nullptr;
  img::Bitmap px = img::Bitmap::Filled(Width(*rect), Height(*rect), 0xFF);
  if (px.empty()) return nullptr;
  return Wrap(qel::Layer::Make(std::move(px), {}, rect->left, rect->top));
}

PubImage::QelLayer* CopyQelLayer(const void* layer) {
  qel::Layer* l = Lyr(layer);
  return l ? Wrap(static_cast<qel::Layer*>(l->Copy())) : nullptr;  // the mask goes along
}

PubImage::QelLayer* CopyQelLayer(PubImage::QelLayer* layer) {
  return CopyQelLayer(static_cast<const void*>(layer));
}

PubImage::QelLayer* Pic2Layer(PubImage::QelPicture* picture) {
  qel::Picture* p = Pict(picture);
  return p ? CopyQelLayer(static_cast<const void*>(p->LayerAt(1))) : nullptr;
}

PubImage::QelPicture* CreatePicObj(SIZE size) {
  if (size.cx < 1 || size.cy < 1 || img::CheckedImageBytes(size.cx, size.cy, 3) == 0) return nullptr;
  auto* p = new qel::Picture();
  p->SetSize(size);
  p->SetFullSize(size);
  return Wrap(p);
}

void GetLayerSize(PubImage::QelLayer* layer, SIZE& size) {
  qel::Layer* l = Lyr(layer);
  if (!l) return;
  size = SIZE{l->Pixels().width(), l->Pixels().height()};
}

void GetLayerSize(PubImage::QelLayer* layer, long& width, long& height) {
  SIZE s{0, 0};
  GetLayerSize(layer, s);
  width = s.cx, height = s.cy;
}

PubImage::QelLayer* ResampleLayer(const void* layer, int width, int height, IMGC_LYR_Q /*quality*/) {
  qel::Layer* l = Lyr(layer);
  if (!l || width < 1 || height < 1) return nullptr;
  const img::Bitmap& px = l->Pixels();
  if (px.width() == width && px.height() == height) return CopyQelLayer(layer);
  // One filter serves every quality; a mask is resampled with its layer.
  _LYR_RESAMPLE r{{width, px.width()}, {height, px.height()}, 0};
  return NewObject<PubImage::QelLayer>(l->Inter(QEL_IF_LAYER, 34, 0, reinterpret_cast<QELLPARAM>(&r)));
}

PubImage::QelPicture* ResamplePic(PubImage::QelPicture* picture, unsigned long width, unsigned long height,
                                  IMGC_LYR_Q quality) {
  qel::Picture* p = Pict(picture);
  if (!p || width == 0 || height == 0 || width > unsigned(img::kMaxSide) || height > unsigned(img::kMaxSide)) {
    return nullptr;
  }
  if (p->Size().cx < 1 || p->Size().cy < 1) return nullptr;
  PubImage::QelPicture* out = CreatePicObj(SIZE{int32_t(width), int32_t(height)});
  if (!out || p->LayerCount() == 0) return out;
  PubImage::QelLayer* l = ResampleLayer(p->LayerAt(1), int(width), int(height), quality);
  if (!l) {
    out->Release();
    return nullptr;
  }
  Lyr(l)->MoveTo(0, 0);
  Pict(out)->Insert(1, Lyr(l));
  l->Release();
  return out;
}

PubImage::QelLayer* CropLayer(const void* layer, const SRect32& r, long /*quality*/) {
  qel::Layer* l = Lyr(layer);
  if (!l || Width(r) <= 0 || Height(r) <= 0) return nullptr;
  IMGCLYR_CROPRESIZE c{{r.left, r.top, r.right, r.bottom}, {1, 1}, {1, 1}, 1};
  return NewObject<PubImage::QelLayer>(l->Inter(QEL_IF_LAYER, 38, 0, reinterpret_cast<QELLPARAM>(&c)));
}

PubImage::QelLayer* RotateFlipLayer(PubImage::QelLayer* layer, long angle, long flip) {
  qel::Layer* l = Lyr(layer);
  if (!l) return nullptr;
  if (angle % 360 == 0 && !flip) {
    l->Retain();
    return layer;
  }
  CFunctionImgCtrl* f = g_lpImgFunc;
  if (!f) return nullptr;
  auto* c = static_cast<qel::Layer*>(l->Copy());
  PubImage::QelPicture* pic = Layer2Pic(Wrap(c));
  c->Release();
  if (!pic) return nullptr;
  PubImage::QelLayer* out = nullptr;
  if (f->RotateFlipPic(pic, angle, flip)) {
    qel::Layer* turned = Pict(pic)->Remove(1);  // the picture's reference passes to us
    out = Wrap(turned);
  }
  pic->Release();
  return out;
}

int FoggyLayer(const void* layer) {
  qel::Layer* l = Lyr(layer);
  if (!l || l->Pixels().width() < 1 || l->Pixels().height() < 1) return 0;
  img::Bitmap px = l->Pixels();
  img::WashTowardWhite(px);
  l->SetPixels(std::move(px), l->Mask());
  return 1;
}
