// Drawing the image control with cairo. Pictures shown smaller than they
// are get a scaled copy made once per zoom (Lanczos for the good grades,
// cairo's fast filter for the normal one); larger zooms draw the picture's
// own pixels with a bilinear or nearest filter.
#include <cairo.h>

#include <algorithm>

#include "img/Operations.h"
#include "qel/QelImageControl.h"

namespace qel {

namespace {

// B, G, R rows into a cairo RGB24 surface (native 0x00RRGGBB words).
cairo_surface_t* ToSurface(const img::Bitmap& b) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, b.width(), b.height());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) return s;
  cairo_surface_flush(s);
  uint8_t* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int32_t y = 0; y < b.height(); ++y) {
    const uint8_t* p = b.row(y);
    auto* o = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < b.width(); ++x) {
      o[x] = (uint32_t(p[3 * x + 2]) << 16) | (uint32_t(p[3 * x + 1]) << 8) | p[3 * x];
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

}  // namespace

void ImageControl::Paint(cairo_t* cr, const SRect32& r) {
  const double w = r.right - r.left, h = r.bottom - r.top;
  cairo_save(cr);
  cairo_rectangle(cr, r.left, r.top, w, h);
  cairo_clip(cr);
  if (!trans_ && !background_.empty()) {
    cairo_surface_t* bg = ToSurface(background_);
    cairo_pattern_t* pat = cairo_pattern_create_for_surface(bg);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
    cairo_translate(cr, r.left, r.top);
    cairo_set_source(cr, pat);
    cairo_paint(cr);
    cairo_identity_matrix(cr);
    cairo_pattern_destroy(pat);
    cairo_surface_destroy(bg);
  }
  if (pict_) {
    img::Bitmap flat = pict_->Flatten();
    SIZE shown = ShownSize();
    POINT o = Origin();
    bool reduce = shown.cx < flat.width() && quality_ > 0;
    SIZE want = reduce ? shown : SIZE{flat.width(), flat.height()};
    if (!cache_ || !cache_src_.SharesPixelsWith(flat) || cache_size_.cx != want.cx ||
        cache_size_.cy != want.cy) {
      DropCache();
      img::Bitmap src = reduce ? img::Resample(flat, want.cx, want.cy) : flat;
      if (!src.empty()) {
        cache_ = ToSurface(src);
        cache_src_ = flat;
        cache_size_ = want;
      }
    }
    if (cache_ && cairo_surface_status(cache_) == CAIRO_STATUS_SUCCESS && !flat.empty()) {
      cairo_translate(cr, r.left - o.x, r.top - o.y);
      cairo_scale(cr, double(shown.cx) / cache_size_.cx, double(shown.cy) / cache_size_.cy);
      cairo_set_source_surface(cr, cache_, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr),
                               quality_ == 0 ? CAIRO_FILTER_FAST
                               : (shown.cx == cache_size_.cx ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR));
      cairo_rectangle(cr, 0, 0, cache_size_.cx, cache_size_.cy);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

}  // namespace qel
