// The overlapping block loop and its strips. Every copy is clipped to the
// block and the strip, so odd rectangles never reach outside either buffer.

#include "filter/AvdBlockLoopRecord.h"

#include <algorithm>
#include <cstring>

#include "EnhanceResult.h"
#include "image/AvdSupport.h"

namespace {

const int32_t kNoEdges[4] = {0, 0, 0, 0};

// Copies a rectangle of one-byte samples, clipped to both buffers' sizes.
void CopyClipped(uint8_t* dst, int32_t dstPitch, int32_t dstW, int32_t dstH, int32_t dx, int32_t dy,
                 const uint8_t* src, int32_t srcPitch, int32_t srcW, int32_t srcH, int32_t sx, int32_t sy, int32_t w,
                 int32_t h) {
  if (!dst || !src) return;
  if (dx < 0) w += dx, sx -= dx, dx = 0;
  if (sx < 0) w += sx, dx -= sx, sx = 0;
  if (dy < 0) h += dy, sy -= dy, dy = 0;
  if (sy < 0) h += sy, dy -= sy, sy = 0;
  w = std::min({w, dstW - dx, srcW - sx});
  h = std::min({h, dstH - dy, srcH - sy});
  if (w <= 0 || h <= 0) return;
  for (int32_t y = 0; y < h; ++y)
    std::memmove(dst + static_cast<ptrdiff_t>(dy + y) * dstPitch + dx,
                 src + static_cast<ptrdiff_t>(sy + y) * srcPitch + sx, static_cast<size_t>(w));
}

void BlockEdges(const AvdLoopRecord* loop, int32_t innerW, int32_t innerH, int32_t* edges) {
  const AvdRect r{loop->block.x, loop->block.y, loop->block.x + innerW, loop->block.y + innerH};
  avdUpdateLoopExt(loop->block.picWidth, loop->block.picHeight, &r, AvdPoint{loop->rect.left, loop->rect.top},
                   loop->minEdge, loop->maxEdge, edges);
}

int32_t InnerWidth(const AvdChannelBlock& cb) { return cb.be.block.width - cb.be.left - cb.be.right; }
int32_t InnerHeight(const AvdChannelBlock& cb) { return cb.be.block.height - cb.be.top - cb.be.bottom; }

}  // namespace

void avdUpdateLoopExt(int32_t picWidth, int32_t picHeight, const AvdRect* block, AvdPoint start,
                      const int32_t* minEdge, const int32_t* maxEdge, int32_t* edges) {
  edges[0] = block->left == start.x ? std::max(minEdge[0], std::min(maxEdge[0], block->left)) : minEdge[0];
  edges[1] = block->top == start.y ? std::max(minEdge[1], std::min(maxEdge[1], block->top)) : minEdge[1];
  edges[2] = std::max(minEdge[2], std::min(maxEdge[2], picWidth - block->right));
  edges[3] = std::max(minEdge[3], std::min(maxEdge[3], picHeight - block->bottom));
}

int32_t avdCL_Create(MHandle memory, AvdLoopRecord* loop, const int32_t* step, const AvdRect* rect,
                     const int32_t* minEdge, const int32_t* maxEdge, uint32_t kind, int32_t picWidth,
                     int32_t picHeight) {
  if (!loop || picWidth <= 0 || picHeight <= 0) return ENH_ERR_ARGUMENT;
  *loop = AvdLoopRecord();
  loop->rect = rect ? *rect : AvdRect{0, 0, picWidth, picHeight};
  const int32_t rw = loop->rect.right - loop->rect.left, rh = loop->rect.bottom - loop->rect.top;
  if (rw <= 0 || rh <= 0) return ENH_ERR_ARGUMENT;
  loop->stepWidth = std::min(step ? step[0] : picWidth, rw);
  loop->stepHeight = std::min(step ? step[1] : picHeight, rh);
  if (loop->stepWidth <= 0 || loop->stepHeight <= 0) return ENH_ERR_ARGUMENT;
  std::memcpy(loop->minEdge, minEdge ? minEdge : kNoEdges, sizeof loop->minEdge);
  std::memcpy(loop->maxEdge, maxEdge ? maxEdge : kNoEdges, sizeof loop->maxEdge);
  for (int i = 0; i < 4; ++i) loop->maxEdge[i] = std::max(loop->maxEdge[i], loop->minEdge[i]);
  loop->block.x = loop->rect.left;
  loop->block.y = loop->rect.top;
  loop->block.picWidth = picWidth;
  loop->block.picHeight = picHeight;
  int32_t edges[4];
  BlockEdges(loop, loop->stepWidth, loop->stepHeight, edges);
  // The first block is the largest: later blocks reuse its samples.
  int32_t rc = avdCB_Init_Ex(memory, &loop->block, kind, loop->stepWidth, loop->stepHeight, edges, picWidth,
                             picHeight);
  if (rc) return rc;
  loop->block.x = loop->rect.left;
  loop->block.y = loop->rect.top;
  const int32_t* mx = loop->maxEdge;
  rc = avdLT_Create(memory, &loop->strips, kind, mx[0] + mx[2], loop->block.be.block.height, mx[0] + rw + mx[2],
                    mx[1] + mx[3]);
  if (rc) avdCL_Release(memory, loop);
  return rc;
}

AvdLoopRecord avdCL_Init(const AvdChannelBlock* block, const AvdLoopRecord* fields) {
  AvdLoopRecord loop = *fields;
  loop.block = *block;
  return loop;
}

int32_t avdCL_LoopNext(AvdLoopRecord* loop) {
  int32_t x = loop->block.x + loop->stepWidth, y = loop->block.y;
  if (x >= loop->rect.right) {
    x = loop->rect.left;
    y += loop->stepHeight;
    if (y >= loop->rect.bottom) return 0;
  }
  loop->block.x = x;
  loop->block.y = y;
  const int32_t w = std::min(loop->stepWidth, loop->rect.right - x);
  const int32_t h = std::min(loop->stepHeight, loop->rect.bottom - y);
  int32_t edges[4];
  BlockEdges(loop, w, h, edges);
  avdBE_Init(&loop->block.be, loop->block.be.block.kind, w, h, edges);
  return 1;
}

AvdPoint avdCL_GetLoopLT(const AvdLoopRecord* loop) {
  const AvdChannelBlock& cb = loop->block;
  AvdPoint p;
  p.x = cb.x == loop->rect.left ? std::max(0, cb.x - cb.be.left) : cb.x + loop->maxEdge[2];
  p.y = cb.y == loop->rect.top ? std::max(0, cb.y - cb.be.top) : cb.y + loop->maxEdge[3];
  return p;
}

AvdPoint avdCL_GetLoopRB(const AvdLoopRecord* loop) {
  const AvdChannelBlock& cb = loop->block;
  const int32_t innerRight = cb.x + InnerWidth(cb), innerBottom = cb.y + InnerHeight(cb);
  AvdPoint p;
  p.x = innerRight < loop->rect.right ? innerRight - loop->minEdge[0]
                                      : std::min(innerRight + cb.be.right, cb.picWidth);
  p.y = innerBottom < loop->rect.bottom ? innerBottom - loop->minEdge[1]
                                        : std::min(innerBottom + cb.be.bottom, cb.picHeight);
  return p;
}

AvdChannelBlock avdCL_GetLoopValid(const AvdLoopRecord* loop) {
  AvdChannelBlock v = loop->block;
  const AvdPoint lt = avdCL_GetLoopLT(loop);
  const int32_t rightEnd = v.x + InnerWidth(v) + v.be.right, bottomEnd = v.y + InnerHeight(v) + v.be.bottom;
  avdCB_OffSetValidRect(&v, lt.x - v.x, lt.y - v.y);
  v.be.right = std::max(0, rightEnd - v.picWidth);
  v.be.bottom = std::max(0, bottomEnd - v.picHeight);
  return v;
}

void avdCL_UpdateBlockLoop(AvdLoopRecord* loop) {
  const AvdChannelBlock& cb = loop->block;
  const AvdPoint lt = avdCL_GetLoopLT(loop), rb = avdCL_GetLoopRB(loop);
  const int32_t ox = cb.x - cb.be.left, oy = cb.y - cb.be.top;
  const int32_t offset = ox - loop->rect.left;
  avdLT_SaveToBlock(&loop->strips, &loop->block, lt.x - std::max(0, ox), lt.y - std::max(0, oy), offset);
  avdLT_LoadFromBlockRB(&loop->strips, &loop->block, std::min(ox + cb.be.block.width, cb.picWidth) - rb.x,
                        std::min(oy + cb.be.block.height, cb.picHeight) - rb.y, offset);
}

int32_t avdCL_UpdateBlock(AvdLoopRecord* loop, int32_t load, uint8_t* image, int32_t imagePitch, uint32_t format,
                          int32_t step, int32_t offset) {
  if (!loop) return ENH_ERR_ARGUMENT;
  if (!load) return avdCB_UpdateValid(&loop->block, 0, image, imagePitch, format, step, offset);
  AvdChannelBlock valid = avdCL_GetLoopValid(loop);
  avdCB_UpdateValid(&valid, 1, image, imagePitch, format, step, offset);
  avdCL_UpdateBlockLoop(loop);
  avdCB_AutoMirrorFill(&loop->block, 0, 0);
  return 0;
}

void avdLT_SaveToBlock(const AvdLoopStrips* strips, AvdChannelBlock* block, int32_t c, int32_t r, int32_t offset) {
  AvdBlock& b = block->be.block;
  const AvdLoopStrip& top = strips->top;
  const AvdLoopStrip& left = strips->left;
  const int32_t bx = std::max(0, -offset);
  if (r > 0)
    CopyClipped(b.data, b.pitch, b.width, b.height, bx, 0, top.data, top.pitch, top.width, top.height,
                std::max(0, offset), 0, b.width - bx, r);
  if (c > 0)
    CopyClipped(b.data, b.pitch, b.width, b.height, 0, 0, left.data, left.pitch, left.width, left.height, 0, 0, c,
                b.height);
}

void avdLT_LoadFromBlockRB(AvdLoopStrips* strips, const AvdChannelBlock* block, int32_t c, int32_t r,
                           int32_t offset) {
  const AvdBlock& b = block->be.block;
  AvdLoopStrip& top = strips->top;
  AvdLoopStrip& left = strips->left;
  const int32_t bx = std::max(0, -offset);
  if (r > 0)
    CopyClipped(top.data, top.pitch, top.width, top.height, std::max(0, offset), 0, b.data, b.pitch, b.width,
                b.height, bx, b.height - r, b.width - bx - std::max(c, 0), r);
  if (c > 0)
    CopyClipped(left.data, left.pitch, left.width, left.height, 0, 0, b.data, b.pitch, b.width, b.height,
                b.width - c, 0, c, b.height);
}

int32_t avdLT_Create(MHandle memory, AvdLoopStrips* strips, uint32_t kind, int32_t leftWidth, int32_t leftHeight,
                     int32_t topWidth, int32_t topHeight) {
  if (!strips) return ENH_ERR_MISSING;
  *strips = AvdLoopStrips();
  const int32_t bytes = std::max(AvdKindBytes(kind), 1);
  auto make = [&](AvdLoopStrip& s, int32_t w, int32_t h) {
    s.width = std::max(w, 0);
    s.height = std::max(h, 0);
    s.pitch = (s.width + 15) & ~15;
    const size_t size = static_cast<size_t>(s.pitch) * s.height * bytes;
    s.data = static_cast<uint8_t*>(avdJMemAlloc_Aligned(memory, size ? size : 16, 16));
    return s.data != nullptr;
  };
  if (!make(strips->left, leftWidth, leftHeight) || !make(strips->top, topWidth, topHeight)) {
    avdLT_Release(memory, strips);
    return ENH_ERR_MEMORY;
  }
  return 0;
}

void avdLT_Release(MHandle memory, AvdLoopStrips* strips) {
  if (!strips) return;
  avdJMemFree_Aligned(memory, strips->left.data);
  avdJMemFree_Aligned(memory, strips->top.data);
  strips->left.data = strips->top.data = nullptr;
}

void avdCL_Release(MHandle memory, AvdLoopRecord* loop) {
  if (!loop) return;
  avdLT_Release(memory, &loop->strips);
  avdCB_Release(memory, &loop->block);
}
