#pragma once
// A level block seen from its valid area: the origin sample, the valid size and
// the range of offsets (from the origin) that lie inside the block's samples,
// so the filters never read or write outside a block.

#include <algorithm>
#include <cstdint>

#include "filter/AvdFilterParam.h"
#include "pyramid/AvdChannelBlock.h"

struct AvdLevelView {
  uint8_t* origin = nullptr;
  int32_t pitch = 0;
  int32_t width = 0, height = 0;  // valid size
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;  // readable offsets [min, max)
  uint32_t kind = 0;
  int32_t posX = 0, posY = 0;  // valid origin in the level's picture

  static AvdLevelView Of(const AvdChannelBlock* cb) {
    AvdLevelView v;
    const AvdBlock& b = cb->be.block;
    if (!b.data) return v;
    v.origin = b.data + static_cast<ptrdiff_t>(cb->be.top) * b.pitch + cb->be.left;
    v.pitch = b.pitch;
    v.width = b.width - cb->be.left - cb->be.right;
    v.height = b.height - cb->be.top - cb->be.bottom;
    v.minX = -cb->be.left;
    v.minY = -cb->be.top;
    v.maxX = b.width - cb->be.left;
    v.maxY = b.height - cb->be.top;
    v.kind = b.kind & 0xff0;
    v.posX = cb->x;
    v.posY = cb->y;
    return v;
  }
  // The same samples seen from another block's valid origin (picture position).
  AvdLevelView MovedTo(int32_t px, int32_t py) const {
    AvdLevelView v = *this;
    const int32_t dx = px - posX, dy = py - posY;
    v.origin += static_cast<ptrdiff_t>(dy) * pitch + dx;
    v.minX -= dx, v.maxX -= dx, v.minY -= dy, v.maxY -= dy;
    v.posX = px, v.posY = py;
    return v;
  }
  bool Holds(int32_t x, int32_t y, int32_t w, int32_t h) const {
    return origin && x >= minX && y >= minY && x + w <= maxX && y + h <= maxY;
  }
  uint8_t* At(int32_t x, int32_t y) const { return origin + static_cast<ptrdiff_t>(y) * pitch + x; }
};

// Noise value and curvature of the sub-block of size s at (x, y) of a level.
inline int32_t AvdShiftRound(int32_t v, int32_t shift) {
  if (shift <= 0) return v;
  return (v + (1 << (shift - 1))) >> shift;
}

inline void AvdMapLookup(const AvdNoiseMap* map, const AvdBlockEdge* curvature, int32_t x, int32_t y, int32_t s,
                         int32_t* noise, int32_t* edge) {
  const int32_t cx = AvdShiftRound(x + s / 2, map->xShift);
  const int32_t cy = AvdShiftRound(y + s / 2, map->yShift);
  const int32_t mx = std::clamp(map->left + cx, 0, map->width - 1);
  const int32_t my = std::clamp(map->top + cy, 0, map->height - 1);
  *noise = map->cells[static_cast<ptrdiff_t>(my) * map->pitch + mx];
  *edge = 0;
  if (curvature && curvature->block.data) {
    const AvdBlock& b = curvature->block;
    const int32_t ex = std::clamp(curvature->left + cx, 0, b.width - 1);
    const int32_t ey = std::clamp(curvature->top + cy, 0, b.height - 1);
    *edge = b.data[static_cast<ptrdiff_t>(ey) * b.pitch + ex];
  }
}

// First sub-block offset of a valid extent: half a sub-block early when the
// remainder is small, so the last sub-block does not overhang by much.
inline int32_t AvdSubBlockStart(int32_t extent, int32_t s) { return extent % s < s / 2 ? -s / 2 : 0; }
