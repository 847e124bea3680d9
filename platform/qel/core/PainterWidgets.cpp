#include "PainterWidgets.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>

#include "ThemeIcons.h"
#include "qel/QelPaint.h"

namespace qel {

cairo_surface_t* LoadIcon(const std::string& path) {
  static std::mutex lock;
  static std::map<std::string, cairo_surface_t*> cache;
  std::lock_guard<std::mutex> hold(lock);
  auto it = cache.find(path);
  if (it != cache.end()) return it->second;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    s = nullptr;
  }
  cache.emplace(path, s);
  return s;
}


extern std::atomic<bool> g_fonts_used;

namespace {

void SetArgb(cairo_t* cr, uint32_t argb, double alpha = 1.0) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xff) / 255.0, ((argb >> 8) & 0xff) / 255.0, (argb & 0xff) / 255.0,
                        ((argb >> 24) & 0xff) / 255.0 * alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  radius = std::min({radius, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// The size a symbolic icon takes in a box of that size.
double IconSize(double box) {
  if (box >= 96) return 64;
  if (box >= 80) return 48;
  if (box >= 64) return 32;
  if (box >= 40) return 24;
  return 16;
}

// Draws the symbolic icon of `path` at (x, y), `size` square, in `argb`.
void DrawSymbolic(cairo_t* cr, const std::string& path, double x, double y, double size, uint32_t argb) {
  cairo_surface_t* icon = LoadIcon(path);
  if (!icon) return;
  int iw = cairo_image_surface_get_width(icon), ih = cairo_image_surface_get_height(icon);
  if (iw <= 0 || ih <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, size / iw, size / ih);
  SetArgb(cr, argb);
  cairo_mask_surface(cr, icon, 0, 0);
  cairo_restore(cr);
}

bool HasSymbolicIcon(const Element* e) { return IsSymbolicIcon(e->ImagePath()); }

uint32_t TextColour(const Element* e) { return e->Foreground(); }

double EnabledAlpha(const Element* e) { return e->EffectivelyEnabled() ? 1.0 : 0.4; }

SIZE TextSize(const Element* e) {
  return e->Text().empty() ? SIZE{0, 0} : MeasureText(e->Text(), e->FontSize(), 0);
}

// A button face: filled with its colour, or a faint tint of its text colour
// with a hairline border; `on` fills it with the accent colour.
void ButtonFace(cairo_t* cr, Element* e, const SRect32& r, bool on) {
  const double x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
  const double alpha = EnabledAlpha(e);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 6);
  if (on) {
    SetArgb(cr, kAccentColour, alpha);
    cairo_fill(cr);
  } else if (e->Background()) {
    SetArgb(cr, e->Background(), alpha);
    cairo_fill(cr);
  } else if (HasSymbolicIcon(e) && e->Text().empty()) {
    // An icon button is flat: a faint round tint and no border.
    cairo_new_path(cr);
    RoundedRect(cr, x, y, w, h, std::min(w, h) / 2);
    SetArgb(cr, TextColour(e), 0.08 * alpha);
    cairo_fill(cr);
  } else {
    SetArgb(cr, TextColour(e), 0.07 * alpha);
    cairo_fill_preserve(cr);
    SetArgb(cr, TextColour(e), 0.2 * alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
}

// Icon and text side by side, centred in the rectangle; in a tall button
// (a tile) the icon stands above the text.
void ButtonContent(cairo_t* cr, Element* e, const SRect32& r, uint32_t colour) {
  const double w = r.right - r.left, h = r.bottom - r.top;
  const bool icon = HasSymbolicIcon(e);
  const SIZE text = TextSize(e);
  if (icon && text.cx > 0 && h >= 64) {
    const double isize = IconSize(std::min(w, h - text.cy - 16));
    const double top = r.top + (h - isize - 8 - text.cy) / 2;
    DrawSymbolic(cr, e->ImagePath(), std::round(r.left + (w - isize) / 2), std::round(top), isize, colour);
    const int32_t ty = int32_t(std::round(top + isize + 8));
    DrawElementText(cr, e, SRect32{r.left + 4, ty, r.right - 4, ty + text.cy}, true, true, colour);
    return;
  }
  const double isize = icon ? (text.cx > 0 ? 16 : IconSize(std::min(w, h))) : 0;
  const double gap = icon && text.cx > 0 ? 6 : 0;
  const double total = isize + gap + std::min<double>(text.cx, w - isize - gap - 8);
  double x = r.left + std::max(4.0, (w - total) / 2);
  if (icon) {
    DrawSymbolic(cr, e->ImagePath(), std::round(x), std::round(r.top + (h - isize) / 2), isize, colour);
    x += isize + gap;
  }
  if (text.cx > 0) {
    SRect32 tr = icon ? SRect32{int32_t(x), r.top, r.right - 4, r.bottom} : SRect32{r.left + 4, r.top, r.right - 4, r.bottom};
    DrawElementText(cr, e, tr, !icon, true, colour);
  }
}

void PaintButton(cairo_t* cr, Element* e, const SRect32& r) {
  const bool toggled = e->ClassName() == "chck" && e->Check();
  ButtonFace(cr, e, r, toggled);
  uint32_t colour = toggled ? 0xffffffffu : TextColour(e);
  colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * EnabledAlpha(e)) << 24);
  ButtonContent(cr, e, r, colour);
}

void PaintCheckBox(cairo_t* cr, Element* e, const SRect32& r, bool radio) {
  cairo_new_path(cr);  // the text drawn before leaves a current point
  const double h = r.bottom - r.top, box = 16;
  const double bx = r.left + 0.5, by = std::round(r.top + (h - box) / 2) + 0.5;
  const double alpha = EnabledAlpha(e);
  if (radio) {
    cairo_arc(cr, bx + box / 2 - 0.5, by + box / 2 - 0.5, box / 2 - 0.5, 0, 2 * M_PI);
  } else {
    RoundedRect(cr, bx, by, box - 1, box - 1, 3);
  }
  if (e->Check()) {
    SetArgb(cr, kAccentColour, alpha);
    cairo_fill(cr);
    SetArgb(cr, 0xffffffffu, alpha);
    if (radio) {
      cairo_arc(cr, bx + box / 2 - 0.5, by + box / 2 - 0.5, 3, 0, 2 * M_PI);
      cairo_fill(cr);
    } else {
      cairo_set_line_width(cr, 2.0);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_move_to(cr, bx + 3.5, by + 8);
      cairo_line_to(cr, bx + 6.5, by + 11);
      cairo_line_to(cr, bx + 12, by + 4.5);
      cairo_stroke(cr);
    }
  } else {
    SetArgb(cr, TextColour(e), 0.06 * alpha);
    cairo_fill_preserve(cr);
    SetArgb(cr, TextColour(e), 0.45 * alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  uint32_t colour = TextColour(e);
  colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * alpha) << 24);
  DrawElementText(cr, e, SRect32{int32_t(r.left + box + 8), r.top, r.right, r.bottom}, false, true, colour);
}

void PaintSlider(cairo_t* cr, Element* e, const SRect32& r) {
  const ScrollState& s = e->Scroll();
  const double w = r.right - r.left, h = r.bottom - r.top, knob = 16;
  const double alpha = EnabledAlpha(e);
  const double span = s.max > s.min ? (double(s.pos) - s.min) / (double(s.max) - s.min) : 0.0;
  const double left = r.left + knob / 2, width = std::max(0.0, w - knob);
  const double cy = r.top + h / 2, kx = left + span * width;
  RoundedRect(cr, left, cy - 2, width, 4, 2);
  SetArgb(cr, TextColour(e), 0.2 * alpha);
  cairo_fill(cr);
  RoundedRect(cr, left, cy - 2, kx - left, 4, 2);
  SetArgb(cr, kAccentColour, alpha);
  cairo_fill(cr);
  cairo_arc(cr, kx, cy, knob / 2 - 0.5, 0, 2 * M_PI);
  SetArgb(cr, 0xffffffffu);
  cairo_fill_preserve(cr);
  SetArgb(cr, 0xff000000u, 0.25);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

// Edit fields and combo boxes: a rounded field, the text from the left, and
// for a combo box a chevron at the right.
void PaintField(cairo_t* cr, Element* e, const SRect32& r, bool combo) {
  const double x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
  const double alpha = EnabledAlpha(e);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 5);
  if (e->Background()) SetArgb(cr, e->Background(), alpha);
  else SetArgb(cr, TextColour(e), combo ? 0.07 * alpha : 0.03 * alpha);
  cairo_fill_preserve(cr);
  SetArgb(cr, TextColour(e), 0.22 * alpha);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  uint32_t colour = TextColour(e);
  colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * alpha) << 24);
  const int32_t arrow = combo ? 24 : 0;
  DrawElementText(cr, e, SRect32{r.left + 9, r.top, r.right - 8 - arrow, r.bottom}, false, true, colour);
  if (combo) {
    const double ax = r.right - 20, ay = y + h / 2;
    SetArgb(cr, colour, 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, ax - 4, ay - 2);
    cairo_line_to(cr, ax, ay + 2);
    cairo_line_to(cr, ax + 4, ay - 2);
    cairo_stroke(cr);
  }
}

}  // namespace

void DrawElementText(cairo_t* cr, const Element* e, const SRect32& r, bool centred, bool middle, uint32_t argb) {
  std::u16string text = e->Text();
  if (e->ClassName() == "comb" && e->Selection() >= 0) {
    text = const_cast<Element*>(e)->Items()[size_t(e->Selection())].text;
  }
  if (text.empty()) return;
  g_fonts_used = true;
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string(kDefaultFontFamily);
  pango_font_description_set_absolute_size(font, e->FontSize() * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  std::string utf8 = ToU8(text);
  pango_layout_set_text(layout, utf8.c_str(), int(utf8.size()));
  pango_layout_set_width(layout, PangoWidth(int64_t(r.right) - r.left));
  if (middle) {
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
  } else {
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  if (centred) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
  int tw = 0, th = 0;
  pango_layout_get_pixel_size(layout, &tw, &th);
  double y = middle ? std::round(r.top + (r.bottom - r.top - th) / 2.0) : r.top;
  SetArgb(cr, argb);
  cairo_move_to(cr, r.left, y);
  pango_cairo_show_layout(cr, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
}

bool DrawsOwnBackground(const Element* e) {
  const std::string cls = e->ClassName();
  return cls == "butn" || cls == "cedt" || cls == "comb" || cls == "card" || cls == "tabi" ||
         (cls == "chck" && HasSymbolicIcon(e));
}

namespace {

// A tab of a view switcher: the checked one stands on a tinted pill with an
// accent line under its text; the others are plain text.
void PaintTab(cairo_t* cr, Element* e, const SRect32& r) {
  cairo_new_path(cr);
  const double x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
  const double alpha = EnabledAlpha(e);
  uint32_t colour = TextColour(e);
  if (e->Check()) {
    RoundedRect(cr, x + 2, y, w - 4, h, 6);
    SetArgb(cr, colour, 0.08 * alpha);
    cairo_fill(cr);
    SIZE text = TextSize(e);
    const double line = std::min<double>(w - 16, text.cx + 8);
    cairo_rectangle(cr, std::round(x + (w - line) / 2), y + h - 3, line, 3);
    SetArgb(cr, kAccentColour, alpha);
    cairo_fill(cr);
  }
  const double textAlpha = (e->Check() ? 1.0 : 0.7) * alpha;
  colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * textAlpha) << 24);
  DrawElementText(cr, e, r, true, true, colour);
}

}  // namespace

bool PaintControl(cairo_t* cr, Element* e, const SRect32& r) {
  const std::string cls = e->ClassName();
  if (cls == "butn" || (cls == "chck" && HasSymbolicIcon(e))) {
    PaintButton(cr, e, r);
  } else if (cls == "chck" || cls == "rado") {
    PaintCheckBox(cr, e, r, cls == "rado");
  } else if (cls == "tabi") {
    PaintTab(cr, e, r);
  } else if (cls == "scrl") {
    PaintSlider(cr, e, r);
  } else if (cls == "cedt" || cls == "comb") {
    PaintField(cr, e, r, cls == "comb");
  } else if (cls == "card") {
    // A group of settings rows: a rounded card with a hairline border.
    RoundedRect(cr, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1, 8);
    SetArgb(cr, e->Background() ? e->Background() : 0xffffffffu);
    cairo_fill_preserve(cr);
    SetArgb(cr, 0xff000000u, 0.12);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  } else if (cls == "ctxt") {
    uint32_t colour = TextColour(e);
    colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * EnabledAlpha(e)) << 24);
    DrawElementText(cr, e, r, true, false, colour);
  } else if (HasSymbolicIcon(e)) {
    const double w = r.right - r.left, h = r.bottom - r.top;
    const double size = IconSize(std::min(w, h));
    uint32_t colour = TextColour(e);
    colour = (colour & 0x00ffffffu) | (uint32_t(((colour >> 24) & 0xff) * EnabledAlpha(e)) << 24);
    DrawSymbolic(cr, e->ImagePath(), std::round(r.left + (w - size) / 2), std::round(r.top + (h - size) / 2), size,
                 colour);
  } else {
    return false;
  }
  return true;
}

}  // namespace qel
