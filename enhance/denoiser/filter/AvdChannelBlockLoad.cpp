// Whole-block reads: the in-picture part of the block through the inner-area
// copy, then the mirror fill for what lies beyond the picture.

#include "filter/AvdChannelBlockLoad.h"

#include <algorithm>

void avdCB_LoadBlock(AvdChannelBlock* cb, uint8_t* image, int32_t imagePitch, uint32_t format, int32_t step,
                     int32_t offset) {
  if (!cb || !cb->be.block.data || !image) return;
  const AvdBlockEdge& be = cb->be;
  const int32_t ox = cb->x - be.left, oy = cb->y - be.top;
  const int32_t x0 = std::max(0, ox), x1 = std::min(ox + be.block.width, cb->picWidth);
  const int32_t y0 = std::max(0, oy), y1 = std::min(oy + be.block.height, cb->picHeight);
  if (x1 > x0 && y1 > y0) {
    // The same block seen with the in-picture part as its inner area.
    AvdChannelBlock inside = *cb;
    inside.x = x0;
    inside.y = y0;
    inside.be.left = x0 - ox;
    inside.be.top = y0 - oy;
    inside.be.right = ox + be.block.width - x1;
    inside.be.bottom = oy + be.block.height - y1;
    avdCB_UpdateValid(&inside, 1, image, imagePitch, format, step, offset);
  }
  avdCB_AutoMirrorFill(cb, 0, 0);
}
