// The shared library's exported surface is declared with the classes
// (CZylPrintManager, CTemplate through the manager, SetPrtMgrCbk and the
// globals); this unit only gives the library a source of its own.
#include "CPrintManager.h"
