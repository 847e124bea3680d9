// The bundle's entry points: the host finds them by name.
#include "BaseModule.h"
#include "DllEntry.h"

ORV_DEFINE_MODULE_ENTRY(CBaseModule)
