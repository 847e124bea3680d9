#pragma once
// The bundle of the module this copy of the common library is linked into:
// a plug-in stores its own bundle when its module object is made, and the
// common dialogs find their layouts in the "UI" folder beside it. Each
// binary has its own store (the copies of the common library are separate).
#include "os/Bundle.h"

// Stores a copy of the bundle; null forgets it.
void vStoreModuleInst(const plat::Bundle* bundle);
// The stored bundle, or null before one was stored.
const plat::Bundle* vGetModuleInst();
