// Pictures and layers drawn into the open page. Each drawing is one image
// in the PDF, scaled by cairo: no seams between tiles, and the document
// keeps the picture's own pixels for the printer to scale.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "CPrintManager.h"
#include "ZylRect.h"
#include "qel/QelImage.h"

namespace {

// Larger sources are averaged down while converting: a page never needs
// more, and it bounds the memory of one drawing (4 bytes a pixel).
constexpr int64_t kMaxDrawPixels = int64_t(1) << 25;

img::Bitmap PixelsOf(const qel::Picture& picture) {
  if (picture.LayerCount() == 1) {
    const qel::Layer* layer = picture.LayerAt(1);
    _QELRECT r = layer->Rect();
    SIZE s = picture.Size();
    if (layer->Visible() && layer->Mask().empty() && r.left == 0 && r.top == 0 && r.right == s.cx &&
        r.bottom == s.cy)
      return layer->Pixels();
  }
  return picture.Flatten();
}

// The source part of bitmap as a cairo image, every `step` x `step` block
// averaged into one pixel.
cairo_surface_t* ToSurface(const img::Bitmap& bitmap, const SRect32& src, int32_t step) {
  const int32_t sw = src.right - src.left, sh = src.bottom - src.top;
  const int32_t ow = (sw + step - 1) / step, oh = (sh + step - 1) / step;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, ow, oh);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int32_t oy = 0; oy < oh; ++oy) {
    auto* out = reinterpret_cast<uint32_t*>(data + size_t(oy) * size_t(stride));
    const int32_t y0 = src.top + oy * step, y1 = std::min(src.bottom, y0 + step);
    for (int32_t ox = 0; ox < ow; ++ox) {
      const int32_t x0 = src.left + ox * step, x1 = std::min(src.right, x0 + step);
      uint32_t b = 0, g = 0, r = 0, n = 0;
      for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* p = bitmap.row(y) + size_t(x0) * 3;
        for (int32_t x = x0; x < x1; ++x, p += 3, ++n) {
          b += p[0];
          g += p[1];
          r += p[2];
        }
      }
      out[ox] = ((r / n) << 16) | ((g / n) << 8) | (b / n);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

}  // namespace

ZylPlacement ZylPlacePicture(const SRect32& dest, int32_t sw, int32_t sh, int32_t keepAspect) {
  const int32_t dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (!keepAspect || sw <= 0 || sh <= 0) return {dest.left, dest.top, dw, dh};
  const float fx = float(dw) / float(sw), fy = float(dh) / float(sh), f = std::min(fx, fy);
  const int32_t w = int32_t(float(sw) * f), h = int32_t(float(sh) * f);
  return {dest.left + (dw - w) / 2, dest.top + (dh - h) / 2, w, h};
}

int32_t ZylDrawPicture(cairo_t* cr, const SRect32* dest, QelObject handle, const SRect32* src, int32_t keepAspect,
                       int32_t dx, int32_t dy) {
  if (!cr || !dest || Zyl_IsRectEmpty(dest)) return 0;
  qel::Picture* picture = qel::Picture::From(handle);
  if (!picture) return 0;
  const SIZE size = picture->Size();
  SRect32 whole{0, 0, size.cx, size.cy}, source = whole;
  if (src ? !Zyl_IntersectRect(&source, src, &whole) : Zyl_IsRectEmpty(&whole)) return 1;  // nothing to draw

  const img::Bitmap bitmap = PixelsOf(*picture);
  if (bitmap.empty() || bitmap.width() < source.right || bitmap.height() < source.bottom) return 0;
  const int32_t sw = source.right - source.left, sh = source.bottom - source.top;
  int32_t step = 1;
  while (int64_t((sw + step - 1) / step) * ((sh + step - 1) / step) > kMaxDrawPixels) ++step;
  cairo_surface_t* image = ToSurface(bitmap, source, step);
  if (!image) return 0;

  const ZylPlacement at = ZylPlacePicture(*dest, sw, sh, keepAspect);
  const int32_t iw = cairo_image_surface_get_width(image), ih = cairo_image_surface_get_height(image);
  cairo_save(cr);
  cairo_translate(cr, at.left + dx, at.top + dy);
  cairo_scale(cr, double(at.width) / iw, double(at.height) / ih);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, iw, ih);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(image);
  return cairo_status(cr) == CAIRO_STATUS_SUCCESS ? 1 : 0;
}

int32_t CZylPrintManager::PrintPict(QelObject picture, SRect32* destination) {
  cairo_t* cr = nullptr;
  if (!picture || !GetPrintContext(&cr)) return 0;
  SRect32 area{0, 0, 0, 0};
  if (!destination) {
    GetPrintArea(&area);
    destination = &area;
  }
  // The user's offset, in device pixels like everything on the page.
  int32_t dx = 0, dy = 0;
  GetMargin(&dx, &dy, 1);
  return ZylDrawPicture(cr, destination, picture, nullptr, 1, dx, dy);
}

int32_t CZylPrintManager::PrintLayer(QelObject handle, SRect32* destination) {
  qel::Layer* layer = qel::Layer::From(handle);
  if (!layer) return 0;
  auto* copy = static_cast<qel::Layer*>(layer->Copy());
  if (!copy) return 0;
  const _QELRECT r = copy->Rect();
  QelObject pictureHandle = Qel0CreateObj(QEL_KIND_PICTURE);
  qel::Picture* picture = qel::Picture::From(pictureHandle);
  if (!picture) {
    copy->Release();
    return 0;
  }
  picture->SetSize(SIZE{r.right - r.left, r.bottom - r.top});
  copy->MoveTo(0, 0);
  picture->Insert(1, copy);
  copy->Release();  // the picture holds its own reference
  const int32_t result = m_job ? PrintPict(pictureHandle, destination) : 0;
  Qel0Release(pictureHandle);
  return result;
}
