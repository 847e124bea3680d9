#pragma once
// The library loader. A path may name a shared object or a bundle folder
// (<name>.bundle/Contents/{Info.plist, MacOS/<CFBundleExecutable>}), whose
// executable is loaded. Libraries load with all symbols bound at once and
// kept local, so plug-ins never bind to one another's copies.
#include "qel/QelTypes.h"

typedef struct QelLibraryRec* QelLibraryRef;

// Null on failure (the reason goes to standard error).
QEL_API QelLibraryRef QelLoadLibrary(const WCHAR* path);
QEL_API void* QelGetProcAddress(QelLibraryRef library, const char* name);
// Non-zero when unloaded.
QEL_API int32_t QelFreeLibrary(QelLibraryRef library);
