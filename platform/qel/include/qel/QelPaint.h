#pragma once
// Painting an element tree with cairo and pango. Every backend paints the
// same way, so a headless PNG looks like the window on screen.
#include <cairo.h>

#include "qel/QelElement.h"

namespace qel {

inline constexpr const char* kDefaultFontFamily = "DejaVu Sans";
// How far a control's face may reach past its element (a slider's knob):
// a changed element redraws its rectangle grown by this much.
inline constexpr int32_t kPaintSlack = 8;

// Size of a text at a pixel size; wrapped at wrap_width when it is > 0.
QEL_API SIZE MeasureText(const std::u16string& text, double font_px, int32_t wrap_width);
// A width in pixels as Pango takes it (1/1024 pixel in an int), held in
// range: the widest layouts would overflow it. Negative means no wrapping.
QEL_API int PangoWidth(int64_t pixels);
// Paints `root` and its visible children into `cr` (window coordinates).
QEL_API void PaintTree(cairo_t* cr, Element* root);

}  // namespace qel
