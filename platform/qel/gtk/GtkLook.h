#pragma once
// The suite's dark look for the widgets GTK draws itself.
#include <gtk/gtk.h>

namespace qel::gtk {

// Once per process, after GTK is initialised (again: nothing).
void ApplySuiteLook();

}  // namespace qel::gtk
