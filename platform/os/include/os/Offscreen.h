#pragma once
// Offscreen pixel buffers: the worlds that frames, previews and movie
// pictures live in. 32-bit pixels are A, R, G, B in memory (byte 0 alpha);
// rows are rowBytes apart and start 16-byte aligned.
#include <cstdint>

#include "qel/QelTypes.h"

namespace plat {

enum OffscreenDepth : int32_t {
  kOffscreenMono = 1,          // 1 bit per pixel, most significant bit first
  kOffscreenARGB32 = 32,       // A, R, G, B bytes
  kOffscreenYUYV = 0x79757673  // 'yuvs': Y0 U Y1 V, 2 bytes per pixel
};

struct Offscreen {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = kOffscreenARGB32;
  int32_t rowBytes = 0;
  uint8_t* pixels = nullptr;  // owned; height * rowBytes bytes
};

// Bytes per row for a width and depth (multiple of 16); 0 for a bad depth.
QEL_API int32_t OffscreenRowBytes(int32_t width, int32_t depth);
// A zero-filled world; null for an empty size, a bad depth or no memory.
QEL_API Offscreen* NewOffscreen(int32_t width, int32_t height, int32_t depth);
QEL_API void DisposeOffscreen(Offscreen* world);
// Copies equal-sized worlds of one depth row by row; false otherwise.
QEL_API bool CopyOffscreen(const Offscreen* from, Offscreen* to);

}  // namespace plat
