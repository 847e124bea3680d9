#pragma once
// Retinex enhancement kernels: build the reduced illumination and deviation
// maps of a picture, expand them back and scale every block by its gain.

#include <cstdint>

#include "AdlScene.h"

namespace adl {

// Words of the work buffer a packed 4:2:2 kernel needs at a reduction level.
int64_t RetinexWorkWords(int32_t width, int32_t height, int32_t level);

// Packed 4:2:2 kernel (lumaOffset 0: YUY2 Y0 U Y1 V; 1: UYVY U Y0 V Y1).
// Width and height even; src and dst share the pitch and may be the same
// buffer. 0, or 4 when the work buffer is missing or too small (dst untouched).
int32_t RetinexEnhancePacked(const uint8_t* src, int32_t height, int32_t width, int32_t pitch,
                             uint8_t* dst, const AdlSceneRecord& scene, const int16_t* gainCentre,
                             int16_t* work, int64_t workBytes, int32_t level, int32_t lumaOffset);

}  // namespace adl
