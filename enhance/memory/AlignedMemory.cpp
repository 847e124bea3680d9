#include "AlignedMemory.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr size_t kSlot = sizeof(void*);
}

void* avdJMemAlloc_Aligned(MHandle hMem, size_t size, size_t alignment) {
  if (alignment == 0) alignment = 1;
  if (alignment & (alignment - 1)) return nullptr;
  if (alignment < kSlot) alignment = kSlot;
  if (size > SIZE_MAX - alignment - kSlot) return nullptr;
  void* block = MMemAlloc(hMem, size + alignment + kSlot);
  if (!block) return nullptr;
  uintptr_t at = (reinterpret_cast<uintptr_t>(block) + kSlot + alignment) & ~uintptr_t(alignment - 1);
  auto* aligned = reinterpret_cast<unsigned char*>(at);
  std::memcpy(aligned - kSlot, &block, kSlot);
  return aligned;
}

void avdJMemFree_Aligned(MHandle hMem, void* p) {
  if (!p) return;
  uintptr_t at = reinterpret_cast<uintptr_t>(p) & ~uintptr_t(kSlot - 1);
  void* block;
  std::memcpy(&block, reinterpret_cast<unsigned char*>(at) - kSlot, kSlot);
  MMemFree(hMem, block);
}
