#pragma once
// Offscreen pixel buffers: the worlds that frames, previews and movie
// pictures live in. 32-bit pixels are A, R, G, B in memory (byte 0 alpha);
// rows are rowBytes apart and start 16-byte aligned. A 4:2:0 world holds its
// luma rows, then the Cb rows and the Cr rows (half as long, half as many,
// rounded up).
#include <cstddef>
#include <cstdint>

#include "qel/QelTypes.h"

namespace plat {

enum OffscreenDepth : int32_t {
  kOffscreenMono = 1,          // 1 bit per pixel, most significant bit first
  kOffscreenARGB32 = 32,       // A, R, G, B bytes
  kOffscreenYUYV = 0x79757673,   // 'yuvs': Y0 U Y1 V, 2 bytes per pixel
  kOffscreenYUV420 = 0x79343230  // 'y420': planar Y, Cb, Cr; video range
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
// All bytes of a world's pixels (every plane).
QEL_API size_t OffscreenBytes(const Offscreen* world);
// Plane 0 (luma, or the only one), 1 (Cb) or 2 (Cr) of a 4:2:0 world and its
// row stride; null for a plane the world does not have.
QEL_API uint8_t* OffscreenPlane(const Offscreen* world, int plane, int32_t* rowBytes);
// A zero-filled world; null for an empty size, a bad depth or no memory.
QEL_API Offscreen* NewOffscreen(int32_t width, int32_t height, int32_t depth);
QEL_API void DisposeOffscreen(Offscreen* world);
// Copies equal-sized worlds of one depth row by row; false otherwise.
QEL_API bool CopyOffscreen(const Offscreen* from, Offscreen* to);

}  // namespace plat
