#pragma once
// Small element-tree helpers shared by the dialogs of the common library:
// finding and showing elements by name, right-aligning a row of buttons and
// growing a dialog's content panel.
#include <cstdint>

#include "qel/QelElement.h"

namespace dlg {

// The element of that name below root (deep), or null.
qel::Element* Find(qel::Element* root, const char* name);
// Shows or hides the element when it exists.
void Show(qel::Element* root, const char* name, bool on);
// The text of the element when it exists (no tool tip).
void SetText(qel::Element* root, const char* name, const std::u16string& text);
// The height the element's text takes at its laid-out width (0 without
// text or element).
int32_t TextHeight(qel::Element* e);
// The toolkit's display ratio (engine option 2), 1.0 when unset.
double DisplayRatio();
// In a horizontal row: the shown buttons move to its right end, `gap`
// apart, `padding` from the edge.
void AlignButtonsRight(qel::Element* row, int32_t gap = 8, int32_t padding = 16);
// Makes the panel `name` (a child of root) `delta` taller and moves the
// root's children below it down by as much.
void GrowContent(qel::Element* root, const char* name, int32_t delta);

}  // namespace dlg
