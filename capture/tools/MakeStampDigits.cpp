// Draws the time stamp's digit pictures: "0.png" .. "9.png" and the date
// separator "10.png", all of one height, amber with a dark outline on a
// transparent ground, so the date reads on light and dark photos alike.
//   capture_stamp_digits <output folder>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kHeight = 48;
constexpr double kFontPx = 40.0;
constexpr double kOutline = 3.0;

bool Draw(const std::string& text, const std::string& path) {
  cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* pc = cairo_create(probe);
  PangoLayout* layout = pango_cairo_create_layout(pc);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans Bold");
  pango_font_description_set_absolute_size(font, kFontPx * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, text.c_str(), -1);
  PangoRectangle ink{}, logical{};
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  const int width = int(std::ceil(logical.width + 2 * kOutline));

  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, kHeight);
  cairo_t* cr = cairo_create(s);
  pango_cairo_update_layout(cr, layout);
  cairo_move_to(cr, kOutline - logical.x, (kHeight - logical.height) / 2.0 - logical.y);
  pango_cairo_layout_path(cr, layout);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2 * kOutline);
  cairo_set_source_rgba(cr, 0.16, 0.09, 0.0, 0.85);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, 1.0, 0.62, 0.11);
  cairo_fill(cr);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(pc);
  cairo_surface_destroy(probe);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (int n = 0; n <= 10; ++n) {
    const std::string text = n < 10 ? std::to_string(n) : "/";
    if (!Draw(text, folder + "/" + std::to_string(n) + ".png")) {
      std::fprintf(stderr, "cannot write %s/%d.png\n", folder.c_str(), n);
      return 1;
    }
  }
  return 0;
}
