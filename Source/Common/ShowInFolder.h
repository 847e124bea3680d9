#pragma once
// "Show in Folder" of the albums: the file selected in the desktop's file
// manager, or the folder holding it opened; when nothing on the desktop can
// show it the user is told so in a message instead of nothing happening.
#include <string>

#include "qel/QelTypes.h"

namespace ORVGF {

// 1 when the file manager took it, 0 when it could not (after the message).
int ShowInFolder(WindowRef parent, const std::u16string& path);

}  // namespace ORVGF
