#pragma once
// Aligned blocks over the memory functions. The block's own address is kept in
// the 8 bytes just before the aligned address.

#include <cstddef>

#include "MMem.h"

// Null when the alignment is not a power of two (0 counts as 1) or when memory
// runs out; callers report null as out of memory. At least 8-byte aligned.
void* avdJMemAlloc_Aligned(MHandle hMem, size_t size, size_t alignment);
// Null does nothing.
void avdJMemFree_Aligned(MHandle hMem, void* p);
