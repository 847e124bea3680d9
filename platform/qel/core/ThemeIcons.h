#pragma once
// Icons of the desktop's icon theme, named in layouts as img="theme:<name>".
#include <string>

namespace qel {

// The PNG of a named icon of the installed Adwaita (then hicolor) theme
// under $XDG_DATA_DIRS; "-symbolic" names give the theme's symbolic PNG.
// Prefers 32 pixels (sharp at 16 on a double-density screen). Empty when
// the theme has no such icon.
std::string ThemeIconPath(const std::string& name);

// Symbolic icons are drawn in the element's text colour.
bool IsSymbolicIcon(const std::string& path);

}  // namespace qel
