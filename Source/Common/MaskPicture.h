#pragma once
// Pictures read as 1-bit masks: any picture file the imaging library reads
// (BMP, PNG, JPEG) drawn into a 1-bit offscreen world, where a set bit is
// black (a pixel darker than half; a transparent pixel is white), and the
// world's black pixels as a region.
#include <optional>
#include <string>

#include "CornerRegion.h"
#include "NavFunctions.h"
#include "os/Offscreen.h"

typedef plat::Offscreen* GWorldPtr;

// Masks are small pictures: anything larger is refused.
inline constexpr int32_t kMaskPictureMaxSide = 1024;

// The picture of the file as a new 1-bit world (the caller disposes it with
// plat::DisposeOffscreen); null when the file cannot be read, is not a
// picture, or is larger than kMaskPictureMaxSide a side.
GWorldPtr ReadFileToGWorldByQT(const FSSpec* file);
GWorldPtr ReadFileToGWorld(const std::string& utf8Path);

// The set bits of a 1-bit world as a region (bounds 0, 0, width, height);
// nullopt for no world or another depth.
std::optional<ORVRegion> BitMapToRegion(const plat::Offscreen* world);
