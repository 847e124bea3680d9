// Lays an element tree out: each child sits at its margins inside its
// parent (or after its previous sibling in a flowing panel) with a fixed,
// filling or text-fitting size.
#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <atomic>
#include <utility>
#include <vector>

#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelLayout.h"
#include "qel/QelPaint.h"

namespace qel {

extern std::atomic<bool> g_fonts_used;

int PangoWidth(int64_t pixels) {
  if (pixels < 0) return -1;
  return int(std::min<int64_t>(pixels, INT_MAX / PANGO_SCALE) * PANGO_SCALE);
}

SIZE MeasureText(const std::u16string& text, double font_px, int32_t wrap_width) {
  g_fonts_used = true;
  // Pango's extents are 1/1024 pixel in an int: a line past two million
  // pixels wraps around. A text that could be that wide is measured at a
  // smaller size and scaled back (no glyph is wider than twice its size).
  constexpr double kPangoPixels = double(INT_MAX / PANGO_SCALE) / 2;
  const double widest = double(text.size()) * std::max(font_px, 1.0) * 2;
  const double scale = widest > kPangoPixels ? widest / kPangoPixels : 1.0;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(s);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string(kDefaultFontFamily);
  pango_font_description_set_absolute_size(font, font_px / scale * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  std::string utf8 = ToU8(text);
  pango_layout_set_text(layout, utf8.c_str(), int(utf8.size()));
  if (wrap_width > 0) {
    pango_layout_set_width(layout, PangoWidth(int64_t(wrap_width / scale)));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  int pw = 0, ph = 0;
  pango_layout_get_pixel_size(layout, &pw, &ph);
  // Held like the layout's own coordinates, so sums of them cannot overflow.
  const double most = kQelLayoutMaxCoordinate;
  int32_t w = int32_t(std::clamp(std::ceil(pw * scale), 0.0, most));
  int32_t h = int32_t(std::clamp(std::ceil(ph * scale), 0.0, most));
  if (text.empty()) w = h = 0;
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return SIZE{w, h};
}

namespace {

// Laid-out coordinates stay within this bound, so the width or height of any
// rectangle (right - left) still fits 32 bits; the sums that place elements
// are done in 64 bits and then held to it.
constexpr int64_t kCoordinateLimit = (int64_t(1) << 30) - 1;

int32_t Held(int64_t v) { return int32_t(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

}  // namespace

class Layouter {
 public:
  static void Place(Element* e, int32_t x, int32_t y, int32_t pw, int32_t ph) {
    const SRect32& m = e->margin_;
    int64_t w = e->size_.cx;
    if (e->wmethod_ == kSizeFill) w = int64_t(pw) - m.left - m.right;
    else if (e->wmethod_ == kSizeText) w = MeasureText(e->text_, e->font_size_, 0).cx;
    w = std::max<int64_t>(w, 0);
    int64_t h = e->size_.cy;
    if (e->hmethod_ == kSizeFill) h = int64_t(ph) - m.top - m.bottom;
    else if (e->hmethod_ == kSizeText) h = MeasureText(e->text_, e->font_size_, Held(w)).cy;
    h = std::max<int64_t>(h, 0);
    // An anchored element keeps its right / bottom margin instead.
    if (e->anchor_ & Element::kAnchorRight) x = Held(int64_t(x) - m.left + pw - m.right - w);
    if (e->anchor_ & Element::kAnchorBottom) y = Held(int64_t(y) - m.top + ph - m.bottom - h);
    const SRect32 before = e->rect_;
    e->rect_ = SRect32{x, y, Held(int64_t(x) + w), Held(int64_t(y) + h)};
    Children(e);
    e->LaidOut();
    const SRect32& r = e->rect_;
    const bool moved = r.left != before.left || r.top != before.top || r.right != before.right || r.bottom != before.bottom;
    if (moved && e->callback_ && changed_) {
      e->Retain();
      changed_->push_back(e);
    }
  }

  static void Children(Element* e) {
    const SRect32& r = e->rect_;
    int32_t pw = r.right - r.left, ph = r.bottom - r.top;
    int64_t cursor_x = r.left, cursor_y = r.top;
    for (Element* c : e->children_) {
      const SRect32& m = c->margin_;
      int64_t x = int64_t(r.left) + m.left, y = int64_t(r.top) + m.top;
      if (e->flow_ == kFlowHorizontal) x = cursor_x + m.left;
      if (e->flow_ == kFlowVertical) y = cursor_y + m.top;
      Place(c, Held(x), Held(y), pw, ph);
      if (!c->visible_) continue;
      if (e->flow_ == kFlowHorizontal) cursor_x = Held(int64_t(c->rect_.right) + m.right);
      if (e->flow_ == kFlowVertical) cursor_y = Held(int64_t(c->rect_.bottom) + m.bottom);
    }
  }

  static void Root(Element* root) {
    root->layout_dirty_ = false;
    int32_t w = root->size_.cx, h = root->size_.cy;
    if (root->hmethod_ == kSizeText) h = MeasureText(root->text_, root->font_size_, w).cy;
    root->rect_ = SRect32{0, 0, Held(std::max(w, 0)), Held(std::max(h, 0))};
    std::vector<Element*> changed;
    std::vector<Element*>* outer = std::exchange(changed_, &changed);
    Children(root);
    changed_ = outer;
    // Elements whose place or size changed hear it once the tree is laid out
    // (a page follows its window). Their handlers may change the layout
    // again, which lays it out anew; a few rounds settle any sane page.
    if (depth_ < 4) {
      ++depth_;
      for (Element* e : changed) e->Fire(QEL_EV_LAYOUT_CHANGED, 0);
      --depth_;
    }
    for (Element* e : changed) e->Release();
  }

 private:
  static inline thread_local std::vector<Element*>* changed_ = nullptr;
  static inline thread_local int depth_ = 0;
};

void Element::LayoutNow() { Layouter::Root(Root()); }

}  // namespace qel
