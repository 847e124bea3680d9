#include "qel/QelHeap.h"

#include <cstdlib>
#include <cstring>

namespace {
// The size header keeps the payload aligned for any type.
struct alignas(std::max_align_t) BlockHeader {
  size_t size;
};
BlockHeader* HeaderOf(const void* block) {
  return reinterpret_cast<BlockHeader*>(const_cast<void*>(block)) - 1;
}
}  // namespace

void* qelHeapAlloc(size_t size) {
  if (size == 0 || size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
  if (!header) return nullptr;
  header->size = size;
  return header + 1;
}

void qelHeapFree(void* block) {
  if (block) std::free(HeaderOf(block));
}

size_t qelHeapSize(const void* block) { return block ? HeaderOf(block)->size : 0; }

void* qelHeapLock(void* block) { return block; }

void qelHeapUnlock(void*) {}

void qelMemZero(void* destination, size_t bytes) {
  if (destination && bytes) std::memset(destination, 0, bytes);
}

void qelMemCopy(void* destination, const void* source, size_t bytes) {
  if (destination && source && bytes) std::memmove(destination, source, bytes);
}
