// Painting: backgrounds, pictures, the controls (PainterWidgets) and text.
#include <algorithm>
#include <climits>
#include <map>
#include <string>

#include "PainterWidgets.h"
#include "ThemeIcons.h"
#include "qel/QelElementLayers.h"
#include "qel/QelImageControl.h"
#include "qel/QelPaint.h"

namespace qel {

namespace {

void SetArgb(cairo_t* cr, uint32_t argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xff) / 255.0, ((argb >> 8) & 0xff) / 255.0,
                        (argb & 0xff) / 255.0, ((argb >> 24) & 0xff) / 255.0);
}

void DrawImage(cairo_t* cr, const std::string& path, const SRect32& r) {
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) return;
  // Decoded once: a page repaints its pictures often.
  if (cairo_surface_t* img = LoadIcon(path)) {
    int iw = cairo_image_surface_get_width(img), ih = cairo_image_surface_get_height(img);
    if (iw > 0 && ih > 0 && r.right > r.left && r.bottom > r.top) {
      cairo_save(cr);
      cairo_translate(cr, r.left, r.top);
      cairo_scale(cr, double(r.right - r.left) / iw, double(r.bottom - r.top) / ih);
      cairo_set_source_surface(cr, img, 0, 0);
      cairo_paint(cr);
      cairo_restore(cr);
    }
  }
}

bool Meets(const SRect32& a, const SRect32& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// `dirty`: the part of the window being drawn. An element outside it skips
// its own face (the text and control work), not its children, which may lie
// outside their parent.
void PaintOne(cairo_t* cr, Element* e, const SRect32& dirty) {
  if (!e->Visible()) return;
  SRect32 r = e->Bounds();
  double w = r.right - r.left, h = r.bottom - r.top;
  const bool face = Meets(SRect32{r.left - kPaintSlack, r.top - kPaintSlack, r.right + kPaintSlack,
                                  r.bottom + kPaintSlack}, dirty);
  uint32_t fg = e->EffectivelyEnabled() ? e->Foreground() : 0xff909090u;
  cairo_save(cr);
  if (e->Opacity() < 1.0) cairo_push_group(cr);
  if (face && e->Background() && !DrawsOwnBackground(e)) {
    SetArgb(cr, e->Background());
    cairo_rectangle(cr, r.left, r.top, w, h);
    cairo_fill(cr);
  }
  if (face && !IsSymbolicIcon(e->ImagePath())) DrawImage(cr, e->ImagePath(), r);
  if (ElementLayers* layers = face ? e->Layers(false) : nullptr) layers->Paint(cr, r);
  if (face) {
    if (auto* ic = dynamic_cast<ImageControl*>(e)) {
      ic->Paint(cr, r);
    } else if (!PaintControl(cr, e, r)) {
      DrawElementText(cr, e, r, false, false, fg);
    }
  }
  if (e->ClipsChildren()) {
    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, w, h);
    cairo_clip(cr);
  }
  for (Element* c : e->Children()) PaintOne(cr, c, dirty);
  if (e->ClipsChildren()) cairo_restore(cr);
  e->PaintOver(cr);
  if (e->Opacity() < 1.0) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, e->Opacity());
  }
  cairo_restore(cr);
}

}  // namespace

void PaintTree(cairo_t* cr, Element* root) {
  if (!cr || !root) return;
  root->LayoutNow();
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  const double lim = 1e9;
  SRect32 dirty{int32_t(std::clamp(x1, -lim, lim)) - 1, int32_t(std::clamp(y1, -lim, lim)) - 1,
                int32_t(std::clamp(x2, -lim, lim)) + 1, int32_t(std::clamp(y2, -lim, lim)) + 1};
  PaintOne(cr, root, dirty);
}

}  // namespace qel
