#pragma once
// GDK key values to the toolkit's key codes (wParam of messages 256 / 257).
#include <cstdint>

#include "qel/QelTypes.h"

namespace qel::gtk {

// 0 for keys the toolkit has no code for.
QEL_API uint32_t KeyCodeFor(unsigned int keyval);

}  // namespace qel::gtk
