#include "MemoryHandles.h"

#include <cstdlib>
#include <new>

namespace {

// The handle is the first member: a Handle points at `data`.
struct Block {
  char* data;
  size_t size;
};

}  // namespace

Handle NewHandleClear(size_t size) {
  if (size == 0) return nullptr;
  auto* b = new (std::nothrow) Block{static_cast<char*>(std::calloc(1, size)), size};
  if (!b) return nullptr;
  if (!b->data) {
    delete b;
    return nullptr;
  }
  return &b->data;
}

void DisposeHandle(Handle h) {
  if (!h) return;
  auto* b = reinterpret_cast<Block*>(h);
  std::free(b->data);
  delete b;
}

size_t GetHandleSize(Handle h) { return h ? reinterpret_cast<Block*>(h)->size : 0; }

void HLock(Handle) {}
void HUnlock(Handle) {}
