#include "MMem.h"

#include <cstdlib>
#include <cstring>

void* MMemAlloc(MHandle hMem, size_t size) {
  if (hMem) return MMemAllocStatic(hMem, size);
  // Cleared like the platform allocation the effect buffers used to come from.
  return std::calloc(1, size ? size : 1);
}

void MMemFree(MHandle hMem, void* p) {
  if (!p) return;
  if (hMem) {
    MMemFreeStatic(hMem, p);
    return;
  }
  std::free(p);
}

void* MMemRealloc(MHandle hMem, void* p, size_t size) {
  if (hMem) return nullptr;
  return std::realloc(p, size ? size : 1);
}

void MMemSet(void* p, int value, size_t count) {
  if (p && count) std::memset(p, value, count);
}

void* MMemCpy(void* dst, const void* src, size_t count) {
  if (!count || dst == src) return dst;
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  if (d + count <= s || s + count <= d) {
    std::memcpy(d, s, count);
  } else {
    for (size_t i = 0; i < count; ++i) d[i] = s[i];
  }
  return dst;
}

void* MMemMove(void* dst, const void* src, size_t count) {
  if (count) std::memmove(dst, src, count);
  return dst;
}

int32_t MMemCmp(const void* a, const void* b, size_t count) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (size_t i = 0; i < count; ++i) {
    if (x[i] != y[i]) return static_cast<int32_t>(x[i]) - static_cast<int32_t>(y[i]);
  }
  return 0;
}
