#pragma once
// Records shared by the frame driver and the filtering core: the per-frame
// filter parameters, the state kept from the previous frame, and the per-level
// noise maps.

#include <cstdint>

#include "MMem.h"
#include "pyramid/AvdChannelBlock.h"
#include "pyramid/AvdPyramid.h"

struct AvdNoiseProfile;
struct AvdLVLevel;

// Re-estimation counter value while no re-estimation runs.
constexpr int32_t kAvdReestIdle = static_cast<int32_t>(0x80000001u);

// State kept between frames of one handle.
struct AvdPreFrameState {
  AvdImgPyramid* pyramids = nullptr;  // previous-frame pyramids, one per worker
  int32_t count = 0;
  int32_t frameCounter = -1;  // -1: reset, the next frame rebuilds the state
  int32_t activity = 0;       // stored scene activity
  int32_t reestCounter = kAvdReestIdle;
  AvdLVLevel* work = nullptr;  // one luminance-variance level of the re-estimation
};

// Per-frame filter parameters, level k = 0..3.
struct AvdFltParam {
  int32_t lumaNoise[4];      // n * n * 256 / 2500
  int32_t lumaDenoise[4];    // strength in 1/256
  int32_t lumaSharpen[4];    // 256 + level * 256 / 100
  int32_t chromaNoise[4];
  int32_t chromaDenoise[4];
  int32_t chromaSharpen[4];
  int32_t reserved24 = 0, reserved25 = 0;
  int32_t lumaDepth = 0;
  int32_t chromaDepth = 0;
  int32_t one = 1;
  uint32_t lumaCodes = 0;    // one filter code a level, level 0 in the low byte
  uint32_t chromaCodes = 0;
  int32_t reserved31 = 0;
  AvdPreFrameState* preFrame = nullptr;
  AvdBlockEdge* edgeBuffers = nullptr;  // one curvature buffer per worker
  int32_t workers = 1;
  int32_t edgeWidth = 0, edgeHeight = 0;  // samples each curvature buffer holds
  AvdNoiseProfile* stored = nullptr;  // the handle's profile, refitted by the re-estimation
  uint32_t format = 0;                // format word of the frame
};

// Noise level of every sample of the block's coarsest luma level, for one
// channel and pyramid level. Cell (left + i, top + j) stands for sample (i, j)
// of that level's valid area.
struct AvdNoiseMap {
  uint8_t* cells = nullptr;
  int32_t q = 0;  // value shift: the profile level's index
  int32_t width = 0, height = 0, pitch = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t xShift = 0, yShift = 0;  // level grid to the coarsest luma grid
};

inline int32_t AvdCodeByte(uint32_t codes, int32_t level) {
  return static_cast<int32_t>((codes >> (8 * level)) & 0xff);
}
