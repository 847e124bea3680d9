#include "AvdChannelBlock.h"

#include <algorithm>
#include <cstring>

#include "AlignedMemory.h"
#include "AvdPyramid.h"
#include "EnhanceResult.h"
#include "WorkerPool.h"

int32_t AvdKindBytes(uint32_t kind) {
  const int32_t e = static_cast<int32_t>((kind >> 4) & 0xf);
  return e ? e : 1;
}

int32_t avdBlock_Create(MHandle hMem, AvdBlock* block, uint32_t kind, int32_t width, int32_t height) {
  if (!block || width < 0 || height < 0 || width > (1 << 15) || height > (1 << 15)) return ENH_ERR_ARGUMENT;
  if (block->data) {
    // Samples already there: only the description changes; the pitch stays,
    // and the new size must fit the samples we allocated.
    if (block->capacity && (width > block->pitch || static_cast<size_t>(block->pitch) * height *
                                                          AvdKindBytes(kind) > block->capacity))
      return ENH_ERR_ARGUMENT;
    block->kind = kind;
    block->width = width;
    block->height = height;
    return ENH_OK;
  }
  block->kind = kind;
  block->width = width;
  block->height = height;
  block->pitch = (width + 15) & ~15;
  const size_t bytes = static_cast<size_t>(block->pitch) * std::max(height, 1) * AvdKindBytes(kind);
  block->capacity = bytes;
  block->data = static_cast<uint8_t*>(avdJMemAlloc_Aligned(hMem, bytes ? bytes : 16, 16));
  if (!block->data) return ENH_ERR_MEMORY;
  // The process heap hands out cleared memory; a static heap does not.
  if (!hMem) return ENH_OK;
  // Whole frames take megabytes: cleared in row strips.
  const size_t rowBytes = bytes / static_cast<size_t>(std::max(height, 1));
  enh::ParallelRows(std::max(height, 1), 64, 1, [&](int32_t r0, int32_t r1) {
    std::memset(block->data + rowBytes * r0, 0, rowBytes * (r1 - r0));
  });
  return ENH_OK;
}

void avdBlock_Release(MHandle hMem, AvdBlock* block) {
  if (!block || !block->data) return;
  avdJMemFree_Aligned(hMem, block->data);
  block->data = nullptr;
  block->capacity = 0;
}

int32_t avdBE_Init_Ex(MHandle hMem, AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                      const int32_t* edges) {
  if (!be) return ENH_ERR_ARGUMENT;
  const int32_t l = edges ? edges[0] : 0, t = edges ? edges[1] : 0, r = edges ? edges[2] : 0,
                b = edges ? edges[3] : 0;
  if (l < 0 || t < 0 || r < 0 || b < 0 || innerWidth < 0 || innerHeight < 0) return ENH_ERR_ARGUMENT;
  be->left = l;
  be->top = t;
  be->right = r;
  be->bottom = b;
  return avdBlock_Create(hMem, &be->block, kind, innerWidth + l + r, innerHeight + t + b);
}

int32_t avdBE_Create(MHandle hMem, AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                     const int32_t* edges) {
  return avdBE_Init_Ex(hMem, be, kind, innerWidth, innerHeight, edges);
}

int32_t avdBE_Init(AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight, const int32_t* edges) {
  return avdBE_Init_Ex(nullptr, be, kind, innerWidth, innerHeight, edges);
}

AvdBlock avdBE_ValidBlock(const AvdBlockEdge* be) {
  AvdBlock v;
  if (!be) return v;
  v = be->block;
  if (v.data)
    v.data += (static_cast<ptrdiff_t>(be->left) + static_cast<ptrdiff_t>(be->top) * v.pitch) * AvdKindBytes(v.kind);
  v.width = std::max(0, v.width - be->left - be->right);
  v.height = std::max(0, v.height - be->top - be->bottom);
  return v;
}

int32_t avdCB_Init_Ex(MHandle hMem, AvdChannelBlock* cb, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                      const int32_t* edges, int32_t picWidth, int32_t picHeight) {
  if (!cb) return ENH_ERR_ARGUMENT;
  cb->x = 0;
  cb->y = 0;
  cb->picWidth = picWidth;
  cb->picHeight = picHeight;
  return avdBE_Init_Ex(hMem, &cb->be, kind, innerWidth, innerHeight, edges);
}

int32_t avdCB_Create(MHandle hMem, AvdChannelBlock* cb, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                     const int32_t* edges, int32_t picWidth, int32_t picHeight) {
  return avdCB_Init_Ex(hMem, cb, kind, innerWidth, innerHeight, edges, picWidth, picHeight);
}

void avdCB_Release(MHandle hMem, AvdChannelBlock* cb) {
  if (cb) avdBlock_Release(hMem, &cb->be.block);
}

void avdCB_OffSetValidRect(AvdChannelBlock* cb, int32_t dx, int32_t dy) {
  if (!cb) return;
  cb->x += dx;
  cb->y += dy;
  cb->be.left += dx;
  cb->be.top += dy;
}

int32_t avdCB_UpdateValid(AvdChannelBlock* cb, int32_t direction, uint8_t* image, int32_t imagePitch,
                          uint32_t format, int32_t step, int32_t offset) {
  if (!cb || !cb->be.block.data || !image) return ENH_ERR_MISSING;
  const AvdBlockEdge& be = cb->be;
  // Only the part of the inner area that lies inside the picture.
  const int32_t w = std::min(be.block.width - be.left - be.right, cb->picWidth - cb->x);
  const int32_t h = std::min(be.block.height - be.top - be.bottom, cb->picHeight - cb->y);
  if (cb->x < 0 || cb->y < 0 || w <= 0 || h <= 0) return ENH_OK;
  const int32_t e = AvdKindBytes(be.block.kind);
  uint8_t* blockAt = be.block.data + (static_cast<ptrdiff_t>(be.top) * be.block.pitch + be.left) * e;
  const int32_t s = step > 0 ? step : 1;
  uint8_t* imageAt = image + (static_cast<ptrdiff_t>(cb->y) * imagePitch + static_cast<ptrdiff_t>(cb->x) * s) * e;
  return avdAccessChannel(imageAt, imagePitch, blockAt, be.block.pitch, w, h, s, s == 1 ? 0 : offset,
                          be.block.kind, direction);
}

void avdCB_AutoMirrorFill(AvdChannelBlock* cb, int32_t extraWidth, int32_t extraHeight) {
  if (!cb || !cb->be.block.data || AvdKindBytes(cb->be.block.kind) != 1) return;
  const AvdBlockEdge& be = cb->be;
  // Block origin in picture coordinates, and the part of the block inside the
  // picture (enlarged by the extras).
  const int32_t ox = cb->x - be.left, oy = cb->y - be.top;
  const int32_t l = std::clamp(-ox, 0, be.block.width), t = std::clamp(-oy, 0, be.block.height);
  const int32_t r = std::clamp(cb->picWidth + extraWidth - ox, l, be.block.width);
  const int32_t b = std::clamp(cb->picHeight + extraHeight - oy, t, be.block.height);
  avdMirrorFill(be.block.data, be.block.pitch, be.block.width, be.block.height, l, t, r, b);
}

void avdMirrorFill(uint8_t* data, int32_t pitch, int32_t width, int32_t height, int32_t l, int32_t t, int32_t r,
                   int32_t b) {
  if (!data || l >= r || t >= b || l < 0 || t < 0 || r > width || b > height) return;
  const int32_t vw = r - l, vh = b - t;
  // Columns, over the valid rows.
  for (int32_t y = t; y < b; ++y) {
    uint8_t* row = data + static_cast<ptrdiff_t>(y) * pitch;
    for (int32_t j = 0; j < l && j < vw; ++j) row[l - 1 - j] = row[std::min(l + 1 + j, r - 1)];
    for (int32_t j = 0; r + j < width && j < vw; ++j) row[r + j] = row[std::max(r - 2 - j, l)];
  }
  // Rows, over the columns just completed.
  const int32_t cl = std::max(0, l - vw), cr = std::min(width, r + vw);
  for (int32_t j = 0; j < t && j < vh; ++j)
    std::memcpy(data + static_cast<ptrdiff_t>(t - 1 - j) * pitch + cl,
                data + static_cast<ptrdiff_t>(std::min(t + 1 + j, b - 1)) * pitch + cl, cr - cl);
  for (int32_t j = 0; b + j < height && j < vh; ++j)
    std::memcpy(data + static_cast<ptrdiff_t>(b + j) * pitch + cl,
                data + static_cast<ptrdiff_t>(std::max(b - 2 - j, t)) * pitch + cl, cr - cl);
}
