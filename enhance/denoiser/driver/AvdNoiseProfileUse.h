#pragma once
// What the frame driver does with the noise profile blob: measure it from a
// frame, tell whether it holds any noise, re-link and tune a per-frame copy.

#include <cstdint>

#include "filter/AvdFilterParam.h"
#include "image/AvdImageRecord.h"

int32_t avdDrvEstimateProfile(MHandle memory, AvdNoiseProfile* profile, const AvdImageRecord* image,
                              int32_t lumaDepth, int32_t chromaDepth);
bool avdDrvProfileHasNoise(const AvdNoiseProfile* profile);
// Re-links the copied blob, then scales it by the noise terms and the sharpen factors.
void avdDrvTuneProfile(AvdNoiseProfile* copy, const int32_t* lumaNoise, const int32_t* chromaNoise,
                       const int32_t* lumaSharpen, const int32_t* chromaSharpen);
