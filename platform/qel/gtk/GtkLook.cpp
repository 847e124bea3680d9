// The suite is dark: what GTK draws itself (menu bars and their menus,
// drop-down lists, tool tips, the native entries, GTK's own dialogs such as
// the file chooser) follows it. The dark variant of the theme is asked for,
// and a style sheet holds the menus, entries and tips to the suite's colours
// whatever theme the desktop has.
#include "GtkLook.h"

namespace qel::gtk {

namespace {

// Tool tips are opaque and square: without a compositor a rounded or
// translucent tip is drawn over black.
constexpr const char kSuiteCss[] = R"css(
menu, .menu, .context-menu, menu.background {
  background-color: #2e2e32;
  color: #ffffff;
  border: 1px solid #161618;
}
menu menuitem, .menu menuitem { color: #ffffff; }
menu menuitem:hover, .menu menuitem:hover { background-color: #3584e4; color: #ffffff; }
menu menuitem:disabled, menu menuitem:disabled label { color: #8e8e93; }
menu separator { background-color: #48484e; }
menubar { background-color: transparent; color: #ffffff; box-shadow: none; border: none; }
menubar > menuitem { color: #ffffff; }
menubar > menuitem:hover { background-color: rgba(255, 255, 255, 0.1); box-shadow: none; }
entry {
  background-color: #2a2a2e;
  color: #ffffff;
  caret-color: #ffffff;
  border: 1px solid #48484e;
}
entry:focus { border-color: #3584e4; box-shadow: inset 0 0 0 1px #3584e4; }
entry selection, entry selection:focus { background-color: #3584e4; color: #ffffff; }
tooltip, tooltip.background, tooltip.background.csd {
  background-color: #1c1c1e;
  color: #ffffff;
  border-radius: 0;
  border: 1px solid #48484e;
  box-shadow: none;
  padding: 4px 8px;
}
tooltip, tooltip * { color: #ffffff; text-shadow: none; -gtk-icon-shadow: none; }
tooltip * { background-color: transparent; }
)css";

}  // namespace

void ApplySuiteLook() {
  static bool applied = false;
  if (applied) return;
  GtkSettings* settings = gtk_settings_get_default();
  GdkScreen* screen = gdk_screen_get_default();
  if (!settings || !screen) return;
  applied = true;
  g_object_set(settings, "gtk-application-prefer-dark-theme", TRUE, nullptr);
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kSuiteCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(css), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

}  // namespace qel::gtk
