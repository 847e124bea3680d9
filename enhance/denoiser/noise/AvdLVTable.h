#pragma once
// Luminance-variance tables: per channel and detail level, 16-bit counters of
// how many samples of each luminance band show each local variance.

#include <cstdint>

#include "MMem.h"
#include "pyramid/AvdChannelBlock.h"

struct AvdLVLevel {
  uint16_t* counters = nullptr;  // 2^(lumBits + varBits): row = luminance band, column = variance index
  int32_t lumBits = 0;
  int32_t varBits = 0;
  int32_t levelIndex = 0;  // 0 = finest detail
};

struct AvdLVChannel {
  AvdLVLevel* levels = nullptr;
  int32_t count = 0;
};

struct AvdLVTableSet {
  AvdLVChannel* channels = nullptr;
  int32_t count = 0;
};

// Channel 0 gets the luma levels, the others the chroma levels; -201 when
// memory runs out (what was made stays for avdReleaseMultiLVTable).
int32_t avdCreateMultiLVTable(AvdLVTableSet* set, MHandle hMem, int32_t channels, int32_t lumaLevels,
                              int32_t chromaLevels, int32_t lumBits, int32_t varBits);
void avdReleaseMultiLVTable(MHandle hMem, AvdLVTableSet* set);

// Counts one detail block into one level entry: local 8 x 8 variances from
// integral images, luminance from `luminance` at (x >> xShift, y >> yShift).
int32_t avdEstLVTableFromBlock(MHandle hMem, AvdLVLevel* level, const AvdChannelBlock* detail,
                               const AvdChannelBlock* luminance, int32_t xShift, int32_t yShift);
