#include "os/Offscreen.h"

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <new>

namespace plat {

int32_t OffscreenRowBytes(int32_t width, int32_t depth) {
  if (width <= 0) return 0;
  int64_t bytes;
  switch (depth) {
    case kOffscreenMono: bytes = (int64_t(width) + 7) / 8; break;
    case kOffscreenARGB32: bytes = int64_t(width) * 4; break;
    case kOffscreenYUYV: bytes = (int64_t(width) + 1) / 2 * 4; break;
    default: return 0;
  }
  bytes = (bytes + 15) / 16 * 16;
  return bytes > INT32_MAX ? 0 : int32_t(bytes);
}

Offscreen* NewOffscreen(int32_t width, int32_t height, int32_t depth) {
  int32_t rowBytes = OffscreenRowBytes(width, depth);
  if (rowBytes == 0 || height <= 0) return nullptr;
  size_t size = size_t(rowBytes) * size_t(height);
  void* pixels = nullptr;
  if (posix_memalign(&pixels, 16, size) != 0) return nullptr;
  std::memset(pixels, 0, size);
  auto* world = new (std::nothrow) Offscreen;
  if (!world) {
    std::free(pixels);
    return nullptr;
  }
  world->width = width;
  world->height = height;
  world->depth = depth;
  world->rowBytes = rowBytes;
  world->pixels = static_cast<uint8_t*>(pixels);
  return world;
}

void DisposeOffscreen(Offscreen* world) {
  if (!world) return;
  std::free(world->pixels);
  delete world;
}

bool CopyOffscreen(const Offscreen* from, Offscreen* to) {
  if (!from || !to || from->width != to->width || from->height != to->height ||
      from->depth != to->depth)
    return false;
  size_t row = size_t(std::min(from->rowBytes, to->rowBytes));
  for (int32_t y = 0; y < from->height; ++y)
    std::memcpy(to->pixels + size_t(y) * to->rowBytes, from->pixels + size_t(y) * from->rowBytes, row);
  return true;
}

}  // namespace plat
