#include "qel/QelVersion.h"

extern "C" const char* QelVersionString() { return "1.0"; }
