#include "EditImage.h"

PubImage::QelPicture* vOpenImgFile(const WCHAR* path, int full, ORVImageProgress progress, void* data,
                                   enuImport mode) {
  if (!path || !*path) return nullptr;
  return ORVGF::OpenImageFile(path, full, progress, data, mode);
}

PubImage::QelLayer* CopyQelLayer(PubImage::QelLayer* layer) { return layer ? layer->Copy0() : nullptr; }

PubImage::QelLayer* ResampleLayer(PubImage::QelLayer* layer, int32_t width, int32_t height) {
  if (!layer || width <= 0 || height <= 0) return nullptr;
  _QELRECT r{};
  layer->GetRect(&r);
  const int32_t oldWidth = r.right - r.left, oldHeight = r.bottom - r.top;
  if (oldWidth == width && oldHeight == height) return CopyQelLayer(layer);
  return ORVGF::Resample(layer, width, height, oldWidth, oldHeight);
}
