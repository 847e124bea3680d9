#pragma once
// How the controls are drawn, in the flat style of current Linux desktops:
// rounded buttons and fields, check marks and slider knobs in the accent
// colour, and symbolic theme icons in the control's text colour.
#include <cairo.h>

#include <string>

#include "qel/QelElement.h"

namespace qel {

inline constexpr uint32_t kAccentColour = 0xff3584e4u;

// Paints the element's own face when it is a control (or carries a symbolic
// icon); false when the caller paints it as plain text. Besides the
// controls: "card" is a panel drawn as a rounded card (a group of settings
// rows), "ctxt" a text centred in its width, "tabi" a tab of a view
// switcher (checked: the shown one).
bool PaintControl(cairo_t* cr, Element* e, const SRect32& r);

// A PNG file decoded once and kept for the life of the process (icons and
// layout pictures: a handful of files); null when it cannot be read.
cairo_surface_t* LoadIcon(const std::string& path);

// Controls whose face is drawn with their background colour (rounded).
bool DrawsOwnBackground(const Element* e);

// Text in a rectangle: centred or from the left, vertically centred when
// asked (otherwise from the top, wrapped at the width).
void DrawElementText(cairo_t* cr, const Element* e, const SRect32& r, bool centred, bool middle, uint32_t argb);

}  // namespace qel
