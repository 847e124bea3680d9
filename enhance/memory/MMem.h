#pragma once
// Memory functions of the enhancement libraries. Every allocating call takes a
// memory handle first: null means the process heap, anything else names a
// static heap laid over a caller's buffer (MMemMgrCreate).

#include <cstddef>
#include <cstdint>

using MHandle = void*;

// Process heap when hMem is null, else the static heap. Null when out of memory.
void* MMemAlloc(MHandle hMem, size_t size);
void MMemFree(MHandle hMem, void* p);
// Process heap only: a static heap cannot grow a block, so a non-null handle
// gets null and the block is left as it was.
void* MMemRealloc(MHandle hMem, void* p, size_t size);

void MMemSet(void* p, int value, size_t count);
// Forward copy; the ranges should not overlap (if they do, the bytes are still
// copied one at a time, first to last). Returns dst.
void* MMemCpy(void* dst, const void* src, size_t count);
void* MMemMove(void* dst, const void* src, size_t count);
// 0 when equal, else a's byte minus b's byte at the first difference (unsigned).
int32_t MMemCmp(const void* a, const void* b, size_t count);

// Static heap: blocks behind 8-byte headers {payload size, in use}, closed by an
// end marker {0xFFFFFFFF, 0}. The handle is the address of the first header.
MHandle MMemMgrCreate(void* buffer, size_t size);
void MMemMgrDestroy(MHandle hMem);
void* MMemAllocStatic(MHandle hMem, size_t size);
void MMemFreeStatic(MHandle hMem, void* p);
