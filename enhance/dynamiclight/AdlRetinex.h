#pragma once
// Retinex enhancement kernels: build the reduced illumination and deviation
// maps of a picture, expand them back and scale every block by its gain.

#include <cstdint>

#include "AdlScene.h"

namespace adl {

// One picture as a kernel sees it: up to three planes of source and
// destination sharing the source's pitches (one-plane formats use [0]).
struct RetinexPicture {
  int32_t format = 0;  // AdlFormat
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch[3] = {0, 0, 0};
  const uint8_t* src[3] = {nullptr, nullptr, nullptr};
  uint8_t* dst[3] = {nullptr, nullptr, nullptr};
};

// Words of the work buffer a reduced-map kernel needs at a reduction level.
int64_t RetinexWorkWords(int32_t width, int32_t height, int32_t level);

// Kernel of the packed and plane formats (4, 5, 6, 7, 8, 9, 16, 32). Width and
// height even (format 6: width a multiple of 8); src and dst may be the same
// buffers. 0, or 4 when the work buffer is missing or too small (dst
// untouched).
int32_t RetinexEnhance(const RetinexPicture& picture, const AdlSceneRecord& scene,
                       const int16_t* gainCentre, int16_t* work, int64_t workBytes, int32_t level);

// Full-resolution kernel of BGR24 (format 1), with its own work memory.
// 0, or 4 when that memory cannot be allocated (dst untouched).
int32_t RetinexEnhanceBGR24(void* memory, const uint8_t* src, int32_t height, int32_t width,
                            int32_t pitch, uint8_t* dst, int32_t logMean,
                            const int16_t* gainCentre);

}  // namespace adl
