// First-fit heap over a caller's buffer. Nothing in the system passes a static
// heap today, but the memory handle keeps the choice open.
#include "MMem.h"

#include <cstring>

namespace {

struct BlockHeader {
  uint32_t size;   // payload bytes, a multiple of 4; 0xFFFFFFFF ends the heap
  uint32_t inUse;  // 0 free, 1 in use
};
static_assert(sizeof(BlockHeader) == 8);

constexpr uint32_t kEndMarker = 0xFFFFFFFFu;
constexpr uint32_t kHeaderBytes = sizeof(BlockHeader);
// A free remainder smaller than this is handed out with the block.
constexpr uint32_t kMinSplit = 32;
// Largest request a 32-bit size word (compared as signed) can describe.
constexpr size_t kMaxRequest = 0x7FFFFFF0u;

BlockHeader* Next(BlockHeader* h) {
  return reinterpret_cast<BlockHeader*>(reinterpret_cast<unsigned char*>(h) + kHeaderBytes + h->size);
}

unsigned char* Payload(BlockHeader* h) { return reinterpret_cast<unsigned char*>(h) + kHeaderBytes; }

}  // namespace

MHandle MMemMgrCreate(void* buffer, size_t size) {
  if (!buffer) return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(buffer);
  uintptr_t aligned = (start + 3) & ~uintptr_t{3};
  size_t skipped = aligned - start;
  if (size < skipped) return nullptr;
  size_t usable = (size - skipped) & ~size_t{3};
  if (usable <= 2 * kHeaderBytes) return nullptr;
  size_t payload = usable - 2 * kHeaderBytes;
  if (payload > kMaxRequest) payload = kMaxRequest & ~size_t{3};
  auto* first = reinterpret_cast<BlockHeader*>(aligned);
  first->size = static_cast<uint32_t>(payload);
  first->inUse = 0;
  BlockHeader* end = Next(first);
  end->size = kEndMarker;
  end->inUse = 0;
  return first;
}

void MMemMgrDestroy(MHandle) {}

void* MMemAllocStatic(MHandle hMem, size_t size) {
  if (!hMem || size == 0 || size > kMaxRequest) return nullptr;
  uint32_t request = static_cast<uint32_t>((size + 3) & ~size_t{3});
  for (auto* h = static_cast<BlockHeader*>(hMem); h->size != kEndMarker; h = Next(h)) {
    if (h->inUse || static_cast<int32_t>(h->size) < static_cast<int32_t>(request)) continue;
    uint32_t rest = h->size - request;
    if (rest >= kHeaderBytes && rest - kHeaderBytes >= kMinSplit) {
      auto* split = reinterpret_cast<BlockHeader*>(Payload(h) + request);
      split->size = rest - kHeaderBytes;
      split->inUse = 0;
      h->size = request;
    }
    h->inUse = 1;
    return Payload(h);
  }
  return nullptr;
}

void MMemFreeStatic(MHandle hMem, void* p) {
  if (!hMem || !p) return;
  BlockHeader* before = nullptr;
  // A pointer that is not one of the heap's payloads ends the walk at the end
  // marker and is left alone.
  for (auto* h = static_cast<BlockHeader*>(hMem); h->size != kEndMarker; before = h, h = Next(h)) {
    if (Payload(h) != p) continue;
    if (!h->inUse) return;  // freed twice: the block is already free and merged
    h->inUse = 0;
    BlockHeader* after = Next(h);
    if (after->size != kEndMarker && !after->inUse) h->size += after->size + kHeaderBytes;
    if (before && !before->inUse) before->size += h->size + kHeaderBytes;
    return;
  }
}
