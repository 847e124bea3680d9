// The video element: the last picture handed in, converted once to cairo's
// pixel form and scaled into the element when painted.
#include "qel/QelVideo.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace qel {

namespace {

Element* MakeVideo(uint32_t kind, std::string name) { return new VideoElement(kind, std::move(name)); }

struct Registrar {
  Registrar() { RegisterElementClass(kVideoClass, &MakeVideo); }
} g_registrar;

}  // namespace

VideoElement::VideoElement(uint32_t kind, std::string name) : Element(kind, std::move(name)) {}

VideoElement::~VideoElement() { ClearFrame(); }

Object* VideoElement::Copy() const {
  auto* c = new VideoElement(Kind(), Name());
  CopyStateTo(c, true);
  return c;
}

void VideoElement::ShowFrame(const uint8_t* argb, int32_t width, int32_t height, int32_t rowBytes, int64_t timeUs) {
  if (!argb || width <= 0 || height <= 0 || rowBytes < width * 4) return;
  if (!surface_ || cairo_image_surface_get_width(surface_) != width ||
      cairo_image_surface_get_height(surface_) != height) {
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface_);
      surface_ = nullptr;
      return;
    }
  }
  cairo_surface_flush(surface_);
  uint8_t* dst = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  // A, R, G, B bytes to cairo's native 32-bit 0x00RRGGBB.
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = argb + size_t(y) * size_t(rowBytes);
    auto* d = reinterpret_cast<uint32_t*>(dst + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < width; ++x, s += 4)
      d[x] = (uint32_t(s[1]) << 16) | (uint32_t(s[2]) << 8) | uint32_t(s[3]);
  }
  cairo_surface_mark_dirty(surface_);
  time_us_ = timeUs;
  ++shown_;
  Invalidate();
}

void VideoElement::ClearFrame() {
  if (!surface_) return;
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  time_us_ = -1;
  Invalidate();
}

void VideoElement::SetDisplaySize(SIZE size) {
  display_ = size;
  Invalidate();
}

SRect32 VideoElement::FitRect(const SRect32& area, int32_t w, int32_t h) {
  const int64_t aw = area.right - area.left, ah = area.bottom - area.top;
  if (w <= 0 || h <= 0 || aw <= 0 || ah <= 0) return SRect32{area.left, area.top, area.left, area.top};
  int64_t fw = aw, fh = aw * h / w;
  if (fh > ah) {
    fh = ah;
    fw = ah * w / h;
  }
  const int32_t left = area.left + int32_t((aw - fw) / 2), top = area.top + int32_t((ah - fh) / 2);
  return SRect32{left, top, left + int32_t(fw), top + int32_t(fh)};
}

void VideoElement::PaintOver(cairo_t* cr) {
  if (!surface_) return;
  const int32_t pw = cairo_image_surface_get_width(surface_), ph = cairo_image_surface_get_height(surface_);
  const int32_t sw = display_.cx > 0 && display_.cy > 0 ? display_.cx : pw;
  const int32_t sh = display_.cx > 0 && display_.cy > 0 ? display_.cy : ph;
  const SRect32 r = FitRect(Bounds(), sw, sh);
  if (r.right <= r.left || r.bottom <= r.top) return;
  cairo_save(cr);
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  cairo_clip(cr);
  cairo_translate(cr, r.left, r.top);
  cairo_scale(cr, double(r.right - r.left) / pw, double(r.bottom - r.top) / ph);
  cairo_set_source_surface(cr, surface_, 0, 0);
  // Bilinear keeps a 1080p picture cheap to draw at window size every frame.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_restore(cr);
}

bool VideoElement::TakePointer(const PointerInput& in) {
  if (!Callback() || (in.kind != PointerInput::kDown && in.kind != PointerInput::kDouble)) return false;
  const int32_t count = in.kind == PointerInput::kDouble ? 2 : 1;
  Fire(kVideoPressEvent, QELLPARAM((in.button & 0xff) | (count << 8)));
  return true;
}

VideoElement* AsVideo(QelObject h) { return dynamic_cast<VideoElement*>(Element::From(h)); }

}  // namespace qel
