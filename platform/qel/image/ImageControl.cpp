// The image control: model, numbered calls and pointer handling. Painting
// is in ImageControlPaint.cpp.
#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "img/Operations.h"
#include "qel/QelImageControl.h"

namespace qel {

namespace {

template <typename T>
T* Ptr(intptr_t v) {
  return reinterpret_cast<T*>(v);
}

constexpr int32_t kPointerMove = 0x40000001, kPointerDown = 0x40000002, kPointerUp = 0x40000003;
// Zoom ratios stay within 1/64 .. 64.
constexpr int64_t kZoomLimit = 64;

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

ImageControl::ImageControl(std::string name) : Element(QEL_KIND_IMAGECTRL, std::move(name)) {}

ImageControl::~ImageControl() {
  DropCache();
  if (pict_) pict_->Release();
  if (toolset_) toolset_->Release();
}

ImageControl* ImageControl::From(QelObject h) { return dynamic_cast<ImageControl*>(Object::FromHandle(h)); }

void ImageControl::DropCache() {
  if (cache_) cairo_surface_destroy(cache_);
  cache_ = nullptr;
  cache_src_ = img::Bitmap();
}

void ImageControl::SetPict(Picture* p) {
  if (p == pict_) return;
  if (p) p->Retain();
  if (pict_) pict_->Release();
  pict_ = p;
  origin_set_ = false;
  DropCache();
  Invalidate();
}

void ImageControl::SetFitMode(bool fit) {
  if (fit_ == fit) return;
  fit_ = fit;
  origin_set_ = false;
  Invalidate();
}

void ImageControl::Zoom(int32_t* num, int32_t* den) {
  int32_t n = num_, d = den_;
  if (fit_ && pict_) {
    SIZE c = LaidOutSize(), p = pict_->Size();
    if (c.cx > 0 && c.cy > 0 && p.cx > 0 && p.cy > 0) {
      if (int64_t(c.cx) * p.cy <= int64_t(c.cy) * p.cx) {
        n = c.cx, d = p.cx;
      } else {
        n = c.cy, d = p.cy;
      }
    }
  }
  if (num) *num = n;
  if (den) *den = d;
}

bool ImageControl::SetZoom(int32_t num, int32_t den, const POINT* keep) {
  if (num <= 0 || den <= 0 || int64_t(num) > int64_t(den) * kZoomLimit ||
      int64_t(den) > int64_t(num) * kZoomLimit) {
    return false;
  }
  SIZE c = LaidOutSize();
  POINT anchor = keep ? *keep : POINT{c.cx / 2, c.cy / 2};
  // The picture point under the anchor, in picture pixels x den.
  int32_t on, od;
  Zoom(&on, &od);
  POINT o = Origin();
  double px = (double(anchor.x) + o.x) * od / on, py = (double(anchor.y) + o.y) * od / on;
  fit_ = false;
  num_ = num, den_ = den;
  origin_ = POINT{int32_t(px * num / den - anchor.x), int32_t(py * num / den - anchor.y)};
  origin_set_ = true;
  ClampOrigin();
  DropCache();
  Invalidate();
  Notify(QEL_IMGC_VIEW_CHANGED, anchor);
  return true;
}

SIZE ImageControl::ShownSize() {
  if (!pict_) return SIZE{0, 0};
  int32_t n, d;
  Zoom(&n, &d);
  SIZE p = pict_->Size();
  return SIZE{int32_t(std::max<int64_t>(1, int64_t(p.cx) * n / d)),
              int32_t(std::max<int64_t>(1, int64_t(p.cy) * n / d))};
}

void ImageControl::ClampOrigin() {
  SIZE c = LaidOutSize(), s = ShownSize();
  auto clamp = [](int32_t o, int32_t shown, int32_t client) {
    if (shown <= client) return -(client - shown) / 2;  // centred
    return std::clamp(o, 0, shown - client);
  };
  origin_.x = clamp(origin_.x, s.cx, c.cx);
  origin_.y = clamp(origin_.y, s.cy, c.cy);
}

POINT ImageControl::Origin() {
  if (!origin_set_) {
    // A new picture or mode: centred.
    SIZE c = LaidOutSize(), s = ShownSize();
    origin_ = POINT{(s.cx - c.cx) / 2, (s.cy - c.cy) / 2};
  }
  ClampOrigin();
  return origin_;
}

void ImageControl::SetOrigin(POINT o) {
  origin_ = o;
  origin_set_ = true;
  ClampOrigin();
  Invalidate();
}

_QELRECT ImageControl::ToPicture(const _QELRECT& r) {
  int32_t n, d;
  Zoom(&n, &d);
  POINT o = Origin();
  auto conv = [&](int32_t v, int32_t org) {
    return int32_t(FloorDiv((int64_t(v) + org) * d + n / 2, n));
  };
  return {conv(r.left, o.x), conv(r.top, o.y), conv(r.right, o.x), conv(r.bottom, o.y)};
}

int32_t ImageControl::CurrentToolKind() const { return tool_ ? int32_t(tool_->Kind()) : 0; }

void ImageControl::Notify(int32_t code, POINT p) {
  if (notify_) notify_(Handle(), code, reinterpret_cast<QELLPARAM>(&p), reinterpret_cast<void*>(notify_data_));
}

bool ImageControl::OnPointer(int32_t event, POINT local) {
  if (!EffectivelyEnabled()) return false;
  switch (event) {
    case kPointerDown:
      dragging_ = true;
      drag_from_ = local;
      Notify(QEL_IMGC_BUTTON_DOWN, local);
      return true;
    case kPointerMove:
      if (dragging_ && CurrentToolKind() == QEL_TOOL_HAND && pict_) {
        POINT o = Origin();
        SetOrigin(POINT{o.x - (local.x - drag_from_.x), o.y - (local.y - drag_from_.y)});
        drag_from_ = local;
        Notify(QEL_IMGC_VIEW_CHANGED, local);
      }
      Notify(QEL_IMGC_POINTER_MOVED, local);
      return true;
    case kPointerUp:
      if (!dragging_) return false;
      dragging_ = false;
      Notify(QEL_IMGC_BUTTON_UP, local);
      return true;
    default:
      return false;
  }
}

bool ImageControl::TakePointer(const PointerInput& in) {
  if (in.button != 1 && in.kind != PointerInput::kMove) return false;
  SRect32 b = Bounds();
  POINT local{in.at.x - b.left, in.at.y - b.top};
  switch (in.kind) {
    case PointerInput::kDown: return OnPointer(kPointerDown, local);
    case PointerInput::kMove: return OnPointer(kPointerMove, local);
    case PointerInput::kUp: return OnPointer(kPointerUp, local);
    case PointerInput::kCancel: dragging_ = false; return true;
    default: return false;
  }
}

intptr_t ImageControl::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  if (iface != QEL_IF_IMAGECTRL) return Element::Inter(iface, method, w, l);
  switch (method) {
    case 0:  // SetZoom(mul, div)
      return SetZoom(int32_t(w), int32_t(l)) ? QEL_S_OK : QEL_E_INVALIDARG;
    case 1: {  // GetZoom(num*, den*)
      int32_t n, d;
      Zoom(&n, &d);
      if (w) *Ptr<int32_t>(w) = n;
      if (l) *Ptr<int32_t>(l) = d;
      return QEL_S_OK;
    }
    case 2:
      SetFitMode(w == 1);
      return QEL_S_OK;
    case 3:
      return fit_ ? 1 : 0;
    case 4:
      trans_ = w != 0;
      Invalidate();
      return QEL_S_OK;
    case 8:
      if (l && !Picture::From(reinterpret_cast<QelObject>(l))) return QEL_E_INVALIDARG;
      SetPict(Picture::From(reinterpret_cast<QelObject>(l)));
      return QEL_S_OK;
    case 9:
      if (!l) return QEL_E_POINTER;
      *Ptr<QelObject>(l) = pict_ ? pict_->Handle() : nullptr;
      return pict_ ? QEL_S_OK : QEL_E_FAIL;
    case 10: {
      auto* p = Ptr<_QELPOINT>(l ? l : w);
      if (!p) return QEL_E_POINTER;
      SetOrigin(POINT{p->x, p->y});
      return QEL_S_OK;
    }
    case 11: {
      auto* p = Ptr<_QELPOINT>(l ? l : w);
      if (!p) return QEL_E_POINTER;
      POINT o = Origin();
      *p = _QELPOINT{o.x, o.y};
      return QEL_S_OK;
    }
    case 14: {
      auto* r = Ptr<_QELRECT>(l ? l : w);
      if (!r) return QEL_E_POINTER;
      SIZE c = LaidOutSize();
      *r = _QELRECT{0, 0, c.cx, c.cy};
      return QEL_S_OK;
    }
    case 15:  // Invalidate: the picture may have changed in place
      DropCache();
      Invalidate();
      return QEL_S_OK;
    case 16:
      notify_ = reinterpret_cast<QELCALLBACK>(l);
      notify_data_ = w;
      return QEL_S_OK;
    case 18: {
      Element* ts = Element::From(reinterpret_cast<QelObject>(l));
      if (ts) ts->Retain();
      if (toolset_) toolset_->Release();
      toolset_ = ts;
      tool_ = nullptr;
      return QEL_S_OK;
    }
    case 20: {  // SetCurTool(kind): a tool of the tool set, 0 none
      if (l == 0) {
        tool_ = nullptr;
        return QEL_S_OK;
      }
      if (!toolset_) return QEL_E_FAIL;
      for (Element* t : toolset_->Children()) {
        if (int32_t(t->Kind()) == int32_t(l)) {
          tool_ = t;
          return QEL_S_OK;
        }
      }
      return QEL_E_FAIL;
    }
    case 21:
      if (l) *Ptr<const void*>(l) = tool_ ? tool_->Handle() : nullptr;
      return CurrentToolKind();
    case 22: {  // RunOp(op, record)
      int32_t op = int32_t(w);
      if (op == QEL_OP_ZOOM) {
        auto* z = Ptr<_OpZoomParam>(l);
        if (!z) return QEL_E_POINTER;
        POINT keep{};
        if (z->lpptCenter) keep = POINT{z->lpptCenter->x, z->lpptCenter->y};
        return SetZoom(z->nMul, z->nDiv, z->lpptCenter ? &keep : nullptr) ? QEL_S_OK : QEL_E_INVALIDARG;
      }
      if (op == QEL_TOOL_HAND) return QEL_S_OK;
      if (!pict_) return QEL_E_FAIL;
      int32_t r = RunPictureOp(pict_, op, reinterpret_cast<const void*>(l));
      if (r == QEL_S_OK) {
        DropCache();
        ClampOrigin();
        Invalidate();
      }
      return r;
    }
    case 25: {
      if (!l) return QEL_E_POINTER;
      *Ptr<SIZE>(l) = ShownSize();
      return QEL_S_OK;
    }
    case 30:
      need_scroll_ = w != 0;
      return QEL_S_OK;
    case 31: {  // background buffer: 24-bit pixels tiled behind the picture
      auto* b = Ptr<_IMGCBUFFER>(l);
      if (!b || !b->pData) return QEL_E_POINTER;
      int32_t bw = b->rect.right - b->rect.left, bh = b->rect.bottom - b->rect.top;
      if (b->nDepth != 24 || bw <= 0 || bh <= 0 || b->nRowBytes < bw * 3) return QEL_E_INVALIDARG;
      img::Bitmap bg = img::Bitmap::Create(bw, bh);
      if (bg.empty()) return QEL_E_INVALIDARG;
      for (int32_t y = 0; y < bh; ++y) {
        std::memcpy(bg.mutable_row(y), static_cast<const uint8_t*>(b->pData) + size_t(y) * size_t(b->nRowBytes),
                    size_t(bw) * 3);
      }
      background_ = bg;
      Invalidate();
      return QEL_S_OK;
    }
    case 38: {  // window rectangle -> picture pixels (mode 2)
      auto* r = Ptr<_QELRECT>(l);
      if (!r) return QEL_E_POINTER;
      if (w != 2) return QEL_E_INVALIDARG;
      *r = ToPicture(*r);
      return QEL_S_OK;
    }
    case 40:
      quality_ = std::clamp(int32_t(w), 0, 2);
      DropCache();
      Invalidate();
      return QEL_S_OK;
    default:
      return QEL_E_NOTIMPL;
  }
}

}  // namespace qel
