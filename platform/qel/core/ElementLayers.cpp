// The one picture layer an element carries.
#include "qel/QelElementLayers.h"

#include <cairo.h>

#include <cstring>

namespace qel {

namespace {
constexpr uint32_t kLayerSetKind = QelFourCC("lset");
constexpr uint32_t kLayerKind = QelFourCC("elyr");
constexpr int32_t kMaxSide = 16384;  // a layer of an element, not a photo
}  // namespace

ElementLayer::ElementLayer() : Object(kLayerKind) {}

ElementLayer::~ElementLayer() { Clear(); }

void ElementLayer::Clear() {
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = nullptr;
}

bool ElementLayer::SetPixels(const QelLayerPixels& p) {
  if (p.flag == 1) return SetMask(p);
  if (p.flag != 0 || p.bitCount != 24 || !p.bits || p.width <= 0 || p.height <= 0 || p.width > kMaxSide ||
      p.height > kMaxSide) {
    return false;
  }
  int64_t step = p.rowBytes;
  if ((step < 0 ? -step : step) < int64_t(p.width) * 3) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, p.width, p.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  cairo_surface_flush(s);
  unsigned char* out = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  const auto* row = static_cast<const unsigned char*>(p.bits);
  for (int32_t y = 0; y < p.height; ++y, row += step) {
    auto* o = reinterpret_cast<uint32_t*>(out + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < p.width; ++x) {
      const unsigned char* px = row + size_t(x) * 3;  // B, G, R
      o[x] = 0xff000000u | uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
    }
  }
  cairo_surface_mark_dirty(s);
  Clear();
  surface_ = s;
  if (owner_) owner_->Invalidate();
  return true;
}

bool ElementLayer::SetMask(const QelLayerPixels& p) {
  // A mask of the bitmap's size: 8 bits a pixel, 255 opaque.
  if (!surface_ || !p.bits || (p.bitCount != 8 && p.bitCount != 0) ||
      p.width != cairo_image_surface_get_width(surface_) || p.height != cairo_image_surface_get_height(surface_)) {
    return false;
  }
  int64_t step = p.rowBytes;
  if ((step < 0 ? -step : step) < int64_t(p.width)) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.width, p.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  cairo_surface_flush(surface_);
  cairo_surface_flush(s);
  const unsigned char* in = cairo_image_surface_get_data(surface_);
  unsigned char* out = cairo_image_surface_get_data(s);
  const int inStride = cairo_image_surface_get_stride(surface_), outStride = cairo_image_surface_get_stride(s);
  const auto* mask = static_cast<const unsigned char*>(p.bits);
  for (int32_t y = 0; y < p.height; ++y, mask += step) {
    const auto* src = reinterpret_cast<const uint32_t*>(in + size_t(y) * size_t(inStride));
    auto* dst = reinterpret_cast<uint32_t*>(out + size_t(y) * size_t(outStride));
    for (int32_t x = 0; x < p.width; ++x) {
      uint32_t a = mask[x], c = src[x];
      auto pre = [a](uint32_t v) { return (v * a + 127) / 255; };
      dst[x] = a << 24 | pre((c >> 16) & 0xff) << 16 | pre((c >> 8) & 0xff) << 8 | pre(c & 0xff);
    }
  }
  cairo_surface_mark_dirty(s);
  Clear();
  surface_ = s;
  if (owner_) owner_->Invalidate();
  return true;
}

void ElementLayer::SetBlend(int32_t value) {
  blend_ = value < 0 ? 0 : value > 255 ? 255 : value;
  if (owner_) owner_->Invalidate();
}

intptr_t ElementLayer::Inter(int32_t iface, int32_t method, QELWPARAM, QELLPARAM l) {
  if (iface != QEL_IF_LAYERDATA || method != 8) return QEL_E_NOTIMPL;
  const auto* info = reinterpret_cast<const QelLayerProperty*>(l);
  if (!info) return QEL_E_POINTER;
  switch (info->property) {
    case kLayerBitmap: {
      const auto* pixels = static_cast<const QelLayerPixels*>(info->data);
      if (!pixels) {
        Clear();
        if (owner_) owner_->Invalidate();
        return QEL_S_OK;
      }
      return SetPixels(*pixels) ? QEL_S_OK : QEL_E_INVALIDARG;
    }
    case kLayerBlend:
      SetBlend(int32_t(info->value));
      return QEL_S_OK;
  }
  return QEL_E_NOTIMPL;
}

ElementLayers::ElementLayers(Element* owner) : Object(kLayerSetKind), layer_(new ElementLayer()) {
  layer_->owner_ = owner;
}

ElementLayers::~ElementLayers() {
  layer_->owner_ = nullptr;  // a caller may still hold the layer
  layer_->Release();
}

intptr_t ElementLayers::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM) {
  if (iface != QEL_IF_LAYERSET) return QEL_E_NOTIMPL;
  if (method == 1) return 1;
  if (method == 2) return w == 0 ? reinterpret_cast<intptr_t>(layer_->Handle()) : 0;
  return QEL_E_NOTIMPL;
}

void ElementLayers::Paint(cairo_t* cr, const SRect32& r) const {
  cairo_surface_t* s = layer_->Surface();
  if (!s || r.right <= r.left || r.bottom <= r.top) return;
  int iw = cairo_image_surface_get_width(s), ih = cairo_image_surface_get_height(s);
  cairo_save(cr);
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  cairo_clip(cr);
  cairo_translate(cr, r.left, r.top);
  cairo_scale(cr, double(r.right - r.left) / iw, double(r.bottom - r.top) / ih);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);  // no faded edges
  cairo_paint_with_alpha(cr, layer_->Alpha());
  cairo_restore(cr);
}

}  // namespace qel
