// The bundle's entry points: the host finds them by name.
#include "DllEntry.h"
#include "EditModule.h"

ORV_DEFINE_MODULE_ENTRY(CEditModule)
