#pragma once
// The orientation a camera or phone writes into a photo's EXIF block (tag
// 0x0112): the stored pixels are turned or mirrored, and the tag says how to
// show them. The decoders hand every picture out upright through these
// calls, so the rest of the suite never sees the tag.
#include <cstdint>
#include <vector>

#include "img/Bitmap.h"

namespace img {

// The orientation of an EXIF block ("Exif\0\0" + TIFF): 1..8, 1 when the
// block is empty, damaged or gives none (or a value outside 1..8).
IMG_API int32_t ExifOrientation(const std::vector<uint8_t>& exif);

// true for the orientations (5..8) whose upright picture has its width and
// height swapped.
IMG_API bool OrientationSwapsSides(int32_t orientation);

// The stored pixels turned upright for `orientation` (1 or an unknown value:
// unchanged). Empty when the memory for the turned copy cannot be had.
IMG_API Bitmap TurnUpright(const Bitmap& stored, int32_t orientation);
IMG_API Plane TurnUpright(const Plane& stored, int32_t orientation);

}  // namespace img
