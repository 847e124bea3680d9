#pragma once
// What the GTK backend offers beyond the backend seam: the native widgets of
// a toolkit window and its rendering as a PNG (for screenshots and tests).
//
// QEL_SCREENSHOT=<png> writes the main window's rendering (the first window
// drawn when the program has not named a main window) to <png> once it has
// been drawn the first time; QEL_SCREENSHOT_EXIT=1 then ends the program.
//
// A window with cut corners carries its shape as window property 'QELA' /
// 'SHPE': the address of a std::vector<SRect32> (window coordinates; empty or
// no property: the whole rectangle). The backend applies it when it draws.
#include <gtk/gtk.h>

#include <string>

#include "qel/QelWindow.h"

namespace qel::gtk {

// The GtkWindow hosting `w`, or null (not created, or not the GTK backend).
QEL_API GtkWidget* NativeWindow(CQelWindow* w);
// The drawing area holding the painted element tree (window coordinates).
QEL_API GtkWidget* NativeContent(CQelWindow* w);
// The native entry laid over an edit element, or null.
QEL_API GtkWidget* NativeEntry(CQelWindow* w, Element* edit);
// The control of `w` with the keyboard focus (null: none); `ring_shown`
// tells whether its focus ring shows (the keyboard put it there).
QEL_API Element* KeyboardFocus(CQelWindow* w, bool* ring_shown);
// The window's current rendering, native entries included.
QEL_API bool SaveWindowPng(CQelWindow* w, const std::string& path);

}  // namespace qel::gtk
