#pragma once
// The overlapping block loop: blocks in row order over a rectangle, each with
// edges, so a picture can be rewritten in place. What a block needs of the
// picture that an earlier block has already read (and perhaps rewritten) comes
// from two strips kept from the block to the left and the row above.

#include <cstdint>

#include "image/AvdImageRecord.h"
#include "pyramid/AvdChannelBlock.h"

struct AvdLoopStrip {
  uint8_t* data = nullptr;  // 16-byte aligned
  int32_t pitch = 0;        // samples: the width rounded up to 16
  int32_t width = 0, height = 0;
};

struct AvdLoopStrips {
  AvdLoopStrip left;
  AvdLoopStrip top;
};

struct AvdLoopRecord {
  AvdChannelBlock block;  // the current block
  int32_t stepWidth = 0, stepHeight = 0;
  int32_t minEdge[4] = {0, 0, 0, 0};  // left, top, right, bottom
  int32_t maxEdge[4] = {0, 0, 0, 0};
  AvdRect rect;
  AvdLoopStrips strips;
};

struct AvdPoint {
  int32_t x = 0, y = 0;
};

// Edges of the block (x0, y0, x1, y1) of a loop started at `start`.
void avdUpdateLoopExt(int32_t picWidth, int32_t picHeight, const AvdRect* block, AvdPoint start,
                      const int32_t* minEdge, const int32_t* maxEdge, int32_t* edges);

int32_t avdCL_Create(MHandle memory, AvdLoopRecord* loop, const int32_t* step, const AvdRect* rect,
                     const int32_t* minEdge, const int32_t* maxEdge, uint32_t kind, int32_t picWidth,
                     int32_t picHeight);
AvdLoopRecord avdCL_Init(const AvdChannelBlock* block, const AvdLoopRecord* fields);
int32_t avdCL_LoopNext(AvdLoopRecord* loop);
AvdPoint avdCL_GetLoopLT(const AvdLoopRecord* loop);
AvdPoint avdCL_GetLoopRB(const AvdLoopRecord* loop);
AvdChannelBlock avdCL_GetLoopValid(const AvdLoopRecord* loop);
int32_t avdCL_UpdateBlock(AvdLoopRecord* loop, int32_t load, uint8_t* image, int32_t imagePitch, uint32_t format,
                          int32_t step, int32_t offset);
void avdCL_UpdateBlockLoop(AvdLoopRecord* loop);
void avdCL_Release(MHandle memory, AvdLoopRecord* loop);

void avdLT_SaveToBlock(const AvdLoopStrips* strips, AvdChannelBlock* block, int32_t c, int32_t r, int32_t offset);
void avdLT_LoadFromBlockRB(AvdLoopStrips* strips, const AvdChannelBlock* block, int32_t c, int32_t r,
                           int32_t offset);
int32_t avdLT_Create(MHandle memory, AvdLoopStrips* strips, uint32_t kind, int32_t leftWidth, int32_t leftHeight,
                     int32_t topWidth, int32_t topHeight);
void avdLT_Release(MHandle memory, AvdLoopStrips* strips);
