#pragma once
// Measuring the noise of a picture: pyramids of estimation blocks, their
// detail levels counted into luminance-variance tables, fitted into a profile.

#include <cstddef>
#include <cstdint>

#include "AvdLVTable.h"
#include "AvdNoiseProfile.h"
#include "MMem.h"
#include "image/AvdImageRecord.h"

// One block [left, right) x [top, bottom) into the tables (counts add up);
// -2 when the block lies outside the picture, -1 without pyramid levels.
int32_t avdEstMultiLVTableFromBlock(MHandle hMem, AvdLVTableSet* set, const AvdRect* block,
                                    const AvdImageRecord* img);
// A rectangle, block by block, in blocks whose working memory stays bounded.
int32_t avdEstLVTableFromImg(MHandle hMem, AvdLVTableSet* set, const AvdRect* rect, const AvdImageRecord* img);
// The whole picture into the profile's levels (8 luminance, 6 variance bits).
// A failed estimation leaves the band values as they were.
int32_t avdEstImgNoiseConfig(MHandle hMem, AvdNoiseProfile* profile, const AvdImageRecord* img);

// params {luma levels, chroma levels, unused, mode}: only mode 1 lays the
// profile out in `block` (capacity bytes, 8 band bits) for the picture's
// channels and estimates it; other modes do nothing and answer 0.
int32_t avdNS_CreateFromImage(MHandle hMem, void* block, size_t capacity, const AvdImageRecord* img,
                              const int32_t params[4]);
