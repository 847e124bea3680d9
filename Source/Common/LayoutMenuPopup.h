#pragma once
// A menu drawn in a layout (a "meba" bar of "mece" items) shown as a
// pop-up menu: the visible items in order, disabled ones greyed; the chosen
// item's menu command is fired on the item itself, so the callbacks bound to
// the layout's items run as for a menu bar.
#include "qel/QelElement.h"
#include "qel/QelTypes.h"

namespace ORVGF {

// Pops the menu up at a point of `window` (window coordinates) and waits for
// the user's choice; false when nothing was chosen.
bool PopupLayoutMenu(WindowRef window, qel::Element* bar, POINT windowPoint);

}  // namespace ORVGF
