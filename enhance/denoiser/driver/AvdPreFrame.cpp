// The state a handle keeps from one frame to the next: the previous frame's
// filtered pyramid (for the temporal filter), the scene activity and the
// re-estimation counter.

#include <new>

#include "driver/AvdDenoiserHandle.h"
#include "filter/AvdProfileAccess.h"

int32_t avdCreatePreFrameExif(MHandle memory, AvdPreFrameState* state, int32_t width, int32_t height,
                              uint32_t format, uint32_t lumaCodes, uint32_t chromaCodes, int32_t lumaDepth,
                              int32_t chromaDepth) {
  *state = AvdPreFrameState();
  state->frameCounter = -1;
  state->reestCounter = kAvdReestIdle;
  auto* pyramids = static_cast<AvdImgPyramid*>(MMemAlloc(memory, sizeof(AvdImgPyramid)));
  if (!pyramids) return ENH_ERR_MEMORY;
  new (pyramids) AvdImgPyramid();
  state->pyramids = pyramids;
  state->count = 1;
  const int32_t border[4] = {8, 8, 8, 8};
  int32_t rc = avdIPB_Create(memory, pyramids, format & ~0xF000u, width, height, nullptr, border, border,
                             lumaDepth, chromaDepth, 1);
  if (rc) return rc;
  avdIPB_SetPosEx(pyramids, 0, 0, width, height, width, height);
  return 0;
}

void avdReleasePreFrameExif(MHandle memory, AvdPreFrameState* state) {
  if (!state) return;
  if (state->pyramids) {
    for (int32_t i = 0; i < state->count; ++i) avdIPB_Release(memory, &state->pyramids[i]);
    MMemFree(memory, state->pyramids);
  }
  avdFltReleaseWork(memory, state);
  *state = AvdPreFrameState();
}
