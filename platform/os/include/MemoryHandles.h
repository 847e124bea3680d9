#pragma once
// Relocatable memory blocks ("handles") as the platform's memory manager gave
// them: a handle points at the block's address. Blocks never move here, so
// locking only answers the address; the size is kept beside the block.
#include <cstddef>

#include "qel/QelTypes.h"

typedef char** Handle;

// A zero-filled block of `size` bytes; null for 0 bytes or when memory is short.
QEL_API Handle NewHandleClear(size_t size);
QEL_API void DisposeHandle(Handle h);
QEL_API size_t GetHandleSize(Handle h);
QEL_API void HLock(Handle h);
QEL_API void HUnlock(Handle h);
