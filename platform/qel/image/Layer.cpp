// Picture layers: a rectangle of pixels with an optional mask, and the
// layer calls of interface 105.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "img/Operations.h"
#include "img/Tint.h"
#include "qel/QelImage.h"

namespace qel {

namespace {

template <typename T>
T* Ptr(intptr_t v) {
  return reinterpret_cast<T*>(v);
}

// A layer of `src` scaled to w x h (null when refused).
Layer* Scaled(const Layer& src, int32_t w, int32_t h) {
  img::Bitmap p = img::Resample(src.Pixels(), w, h);
  if (p.empty()) return nullptr;
  img::Plane m = src.Mask().empty() ? img::Plane() : img::Resample(src.Mask(), w, h);
  _QELRECT r = src.Rect();
  return Layer::Make(std::move(p), std::move(m), r.left, r.top);
}

int32_t ScaledSide(int32_t side, _QELDIV d) {
  if (d.num <= 0 || d.den <= 0) return 0;
  return int32_t(int64_t(side) * d.num / d.den);
}

// Copies a block between the layer and a caller's buffer: B, G, R rows
// (24 bits) both ways, or 32-bit A, R, G, B rows into the layer.
intptr_t Transfer(Layer& layer, QelPixelTransfer* t, bool put) {
  if (!t || !t->pixels) return QEL_E_POINTER;
  if (t->kind != 1 || !(t->bitsPerPixel == 24 || (put && t->bitsPerPixel == 32))) return QEL_E_INVALIDARG;
  const img::Bitmap& px = layer.Pixels();
  int32_t l = t->left, tp = t->top, r = t->right, b = t->bottom;
  if (l < 0 || tp < 0 || r > px.width() || b > px.height() || r <= l || b <= tp) {
    return QEL_E_INVALIDARG;
  }
  const size_t inBytes = size_t(r - l) * size_t(t->bitsPerPixel / 8);
  if (size_t(t->rowStep < 0 ? -t->rowStep : t->rowStep) < inBytes) return QEL_E_INVALIDARG;
  const size_t bytes = size_t(r - l) * 3;
  auto* base = static_cast<uint8_t*>(t->pixels);
  if (put) {
    // A put over the whole layer needs none of the old pixels.
    const bool whole = l == 0 && tp == 0 && r == px.width() && b == px.height();
    img::Bitmap copy = whole ? img::Bitmap::Create(px.width(), px.height()) : px;
    if (copy.empty()) return QEL_E_FAIL;
    for (int32_t y = tp; y < b; ++y) {
      const uint8_t* in = base + (y - tp) * t->rowStep;
      uint8_t* out = copy.mutable_row(y) + size_t(l) * 3;
      if (t->bitsPerPixel == 32) img::ArgbRowToBgr(in, out, r - l);
      else std::memcpy(out, in, bytes);
    }
    layer.SetPixels(std::move(copy), layer.Mask());
  } else {
    for (int32_t y = tp; y < b; ++y) {
      std::memcpy(base + (y - tp) * t->rowStep, px.row(y) + size_t(l) * 3, bytes);
    }
  }
  return QEL_S_OK;
}

}  // namespace

Layer::Layer() : Object(QEL_KIND_LAYER) {}

Layer* Layer::Make(img::Bitmap pixels, img::Plane mask, int32_t left, int32_t top) {
  auto* l = new Layer();
  l->SetPixels(std::move(pixels), std::move(mask));
  l->MoveTo(left, top);
  return l;
}

void Layer::SetPixels(img::Bitmap pixels, img::Plane mask) {
  pixels_ = std::move(pixels);
  if (!mask.empty() && (mask.width() != pixels_.width() || mask.height() != pixels_.height())) {
    mask = img::Plane();
  }
  mask_ = std::move(mask);
}

_QELRECT Layer::Rect() const {
  return {left_, top_, left_ + pixels_.width(), top_ + pixels_.height()};
}

Object* Layer::Copy() const {
  Layer* c = Make(pixels_, mask_, left_, top_);
  c->visible_ = visible_;
  return c;
}

Layer* Layer::From(QelObject h) { return dynamic_cast<Layer*>(Object::FromHandle(h)); }

intptr_t Layer::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  if (iface != QEL_IF_LAYER) return QEL_E_NOTIMPL;
  switch (method) {
    case 0: {  // Init(SIZE*): white pixels of that size at 0, 0
      auto* s = Ptr<SIZE>(l);
      if (!s) return QEL_E_POINTER;
      img::Bitmap p = img::Bitmap::Filled(s->cx, s->cy, 0xFF);
      if (p.empty()) return QEL_E_INVALIDARG;
      SetPixels(std::move(p));
      MoveTo(0, 0);
      return QEL_S_OK;
    }
    case 5: {  // SetRect: moves the layer; the size must stay
      auto* r = Ptr<_QELRECT>(l);
      if (!r) return QEL_E_POINTER;
      if (r->right - r->left != pixels_.width() || r->bottom - r->top != pixels_.height()) {
        return QEL_E_INVALIDARG;
      }
      MoveTo(r->left, r->top);
      return QEL_S_OK;
    }
    case 6:
      if (!l) return QEL_E_POINTER;
      *Ptr<_QELRECT>(l) = Rect();
      return QEL_S_OK;
    case 12: return QEL_S_OK;  // SetPalette: layers are never indexed
    case 13: return 0;         // GetPalette: none
    case 15: return visible_ ? 1 : 0;
    case 16: visible_ = w != 0; return QEL_S_OK;
    case 17: return 24;  // GetDepth
    case 20: {  // Fill(colour 0x00BBGGRR): every pixel one colour
      img::Bitmap p = pixels_;
      img::FillColour(p, uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16));
      SetPixels(std::move(p), mask_);
      return QEL_S_OK;
    }
    case 24: return Transfer(*this, Ptr<QelPixelTransfer>(l), false);
    case 25: return Transfer(*this, Ptr<QelPixelTransfer>(l), true);
    case 28: {  // AttachMask(mask layer of the same size): its grey levels, 255 opaque
      Layer* m = From(reinterpret_cast<QelObject>(l));
      if (!m) {
        mask_ = img::Plane();
        return QEL_S_OK;
      }
      const img::Bitmap& mp = m->Pixels();
      if (mp.width() != pixels_.width() || mp.height() != pixels_.height()) return QEL_E_INVALIDARG;
      img::Plane plane = img::Plane::Create(mp.width(), mp.height());
      if (plane.empty()) return QEL_E_FAIL;
      for (int32_t y = 0; y < mp.height(); ++y) {
        const uint8_t* in = mp.row(y);
        uint8_t* out = plane.mutable_row(y);
        for (int32_t x = 0; x < mp.width(); ++x, in += 3) out[x] = uint8_t((in[0] * 114 + in[1] * 587 + in[2] * 299 + 500) / 1000);
      }
      mask_ = std::move(plane);
      return QEL_S_OK;
    }
    case 34: {  // Resample(_LYR_RESAMPLE*) -> new layer
      auto* r = Ptr<_LYR_RESAMPLE>(l);
      if (!r) return 0;
      Layer* out = Scaled(*this, ScaledSide(pixels_.width(), r->DivX), ScaledSide(pixels_.height(), r->DivY));
      return out ? reinterpret_cast<intptr_t>(out->Handle()) : 0;
    }
    case 38: {  // CropResize(procinfo, record) -> new layer
      auto* c = Ptr<IMGCLYR_CROPRESIZE>(l);
      if (!c) return 0;
      img::Bitmap part = img::Crop(pixels_, c->rect.left, c->rect.top, c->rect.right, c->rect.bottom);
      if (part.empty()) return 0;
      img::Plane mpart = mask_.empty() ? img::Plane()
                                       : img::Crop(mask_, c->rect.left, c->rect.top, c->rect.right, c->rect.bottom);
      Layer cropped;
      cropped.SetPixels(part, mpart);
      Layer* out = Scaled(cropped, std::max(1, ScaledSide(part.width(), c->x)),
                          std::max(1, ScaledSide(part.height(), c->y)));
      return out ? reinterpret_cast<intptr_t>(out->Handle()) : 0;
    }
    case 41: {  // Rotate(procinfo, QelLayerRotate*) -> new layer, quarter turns
      auto* r = Ptr<QelLayerRotate>(l);
      if (!r) return 0;
      img::Bitmap p = img::Rotate(pixels_, r->degrees);
      if (p.empty()) return 0;
      img::Plane m = mask_.empty() ? img::Plane() : img::Rotate(mask_, r->degrees);
      return reinterpret_cast<intptr_t>(Make(std::move(p), std::move(m))->Handle());
    }
    case 43: {  // Transform(_LYR_TRANSFORM*) with a scale matrix -> new layer
      auto* t = Ptr<_LYR_TRANSFORM>(l);
      if (!t) return 0;
      const _LYR_XFORM& m = t->xForm;
      if (m.eM12 != 0 || m.eM21 != 0 || !(m.eM11 > 0) || !(m.eM22 > 0)) return 0;
      // A hair above the product, so 100 x 0.8 gives 80, not 79.
      double w2 = std::floor(pixels_.width() * m.eM11 + 1e-9), h2 = std::floor(pixels_.height() * m.eM22 + 1e-9);
      if (!(w2 >= 1 && h2 >= 1 && w2 <= img::kMaxSide && h2 <= img::kMaxSide)) return 0;
      Layer* out = Scaled(*this, int32_t(w2), int32_t(h2));
      return out ? reinterpret_cast<intptr_t>(out->Handle()) : 0;
    }
    case 44:  // Convert: layers are always 24-bit; a copy
    case 48:  // Copy
      return reinterpret_cast<intptr_t>(Copy()->Handle());
    default:
      return QEL_E_NOTIMPL;
  }
}

}  // namespace qel
