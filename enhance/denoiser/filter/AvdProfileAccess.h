#pragma once
// What the filters need of the noise profile: the band values of one channel
// and level, and the re-estimation step of a loaded block.

#include <cstdint>

#include "filter/AvdFilter.h"

// Band values (256 of them) of channel, level, and the level's value shift;
// null when the profile has no such level or not 8 band bits.
const uint8_t* avdFltProfileBands(const AvdNoiseProfile* profile, int32_t channel, int32_t level, int32_t* q);

// Factor the other levels follow when luma level 0 is refitted from a band
// sum `before` to `after` (256 = unchanged; a jump of 6 times or more is not
// trusted).
int32_t avdRefitFactor(int32_t before, int32_t after);

// One step of the re-estimation (count or fit) for the loaded block.
int32_t avdFltReestimate(AvdBlockContext* ctx);

// Frees the re-estimation's work table of a previous-frame state.
void avdFltReleaseWork(MHandle memory, AvdPreFrameState* state);
