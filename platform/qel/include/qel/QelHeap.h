#pragma once
// The toolkit heap: blocks that know their size. Locking is a no-op kept for
// callers written against movable blocks.
#include <cstddef>

#include "qel/QelTypes.h"

// Zero-filled block of size bytes; null on failure (also for size 0).
QEL_API void* qelHeapAlloc(size_t size);
QEL_API void qelHeapFree(void* block);
QEL_API size_t qelHeapSize(const void* block);
QEL_API void* qelHeapLock(void* block);  // answers the block itself
QEL_API void qelHeapUnlock(void* block);
QEL_API void qelMemZero(void* destination, size_t bytes);
// Overlapping ranges are allowed.
QEL_API void qelMemCopy(void* destination, const void* source, size_t bytes);
