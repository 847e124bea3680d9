#pragma once
// The media folder setting ("Media Folder") that the main program keeps and
// the plug-ins read: where photos and movies go.
#include <cstdint>

#include "qel/QelTypes.h"

// The stored folder with leading and trailing blanks removed: 1 when it is
// not empty and fits `size` units (terminator included), else 0 and an
// empty buffer.
int vGetCurrentMediaFolder(WCHAR* buffer, int32_t size);
// Stores the folder; 0 for a null path or when it cannot be written.
int vSetCurrentMediaFolder(const WCHAR* path);
// "Document Camera Media" in the user's Documents folder, created when
// missing: 1 with its path, 0 for a null buffer, when it cannot be made or
// does not fit (the buffer is then empty).
int vGetDefaultMediaFolder(WCHAR* buffer, int32_t size);
