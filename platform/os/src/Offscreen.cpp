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
    case kOffscreenYUV420: bytes = width; break;
    default: return 0;
  }
  bytes = (bytes + 15) / 16 * 16;
  return bytes > INT32_MAX ? 0 : int32_t(bytes);
}

namespace {

size_t PixelBytes(int32_t rowBytes, int32_t height, int32_t depth) {
  size_t luma = size_t(rowBytes) * size_t(height);
  if (depth != kOffscreenYUV420) return luma;
  return luma + 2 * (size_t(rowBytes) / 2) * ((size_t(height) + 1) / 2);
}

}  // namespace

size_t OffscreenBytes(const Offscreen* world) {
  return world && world->height > 0 ? PixelBytes(world->rowBytes, world->height, world->depth) : 0;
}

uint8_t* OffscreenPlane(const Offscreen* world, int plane, int32_t* rowBytes) {
  if (!world || !world->pixels || plane < 0 || plane > 2 || (plane > 0 && world->depth != kOffscreenYUV420))
    return nullptr;
  const size_t luma = size_t(world->rowBytes) * size_t(world->height);
  const size_t chroma = size_t(world->rowBytes / 2) * ((size_t(world->height) + 1) / 2);
  if (rowBytes) *rowBytes = plane == 0 ? world->rowBytes : world->rowBytes / 2;
  return world->pixels + (plane == 0 ? 0 : luma + size_t(plane - 1) * chroma);
}

Offscreen* NewOffscreen(int32_t width, int32_t height, int32_t depth) {
  int32_t rowBytes = OffscreenRowBytes(width, depth);
  if (rowBytes == 0 || height <= 0) return nullptr;
  size_t size = PixelBytes(rowBytes, height, depth);
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
  if (from->rowBytes == to->rowBytes) {
    std::memcpy(to->pixels, from->pixels, OffscreenBytes(from));
    return true;
  }
  size_t row = size_t(std::min(from->rowBytes, to->rowBytes));
  for (int32_t y = 0; y < from->height; ++y)
    std::memcpy(to->pixels + size_t(y) * to->rowBytes, from->pixels + size_t(y) * from->rowBytes, row);
  return true;
}

}  // namespace plat
