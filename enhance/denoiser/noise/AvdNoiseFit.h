#pragma once
// Turning luminance-variance counts into band values of a noise profile.

#include <cstdint>

#include "AvdLVTable.h"
#include "AvdNoiseProfile.h"

// Most frequent variance of one counter row of n columns; its count in *count.
int32_t avdNoisePeak(const uint16_t* row, int32_t n, int32_t* count);

// Band values of one profile level from one table level; `reference` (the
// values of a luma level, or null) turns the curve fit into a scaled copy.
// pixelCount / 16 is the zero-variance count that marks a flat picture.
void avdNoiseConfigFromLVTable(AvdNoiseLevelEntry* profileLevel, uint8_t* values, int32_t pixelCount,
                               const AvdLVLevel* tableLevel, const uint8_t* reference);
// Every channel and level of the profile from the tables.
void avdImgNoiseConfigFromLVTable(AvdNoiseProfile* profile, int32_t pixelCount, const AvdLVTableSet* set);

// Rejects (sets to 255) values that jump by more than a widening allowance,
// walking from the centre down, then up.
void avdTrimNoiseList(uint8_t* values, int32_t count, int32_t centre, int32_t step);
// Replaces unknown (255) values: ends by the nearest known value, gaps by
// linear interpolation; all 0 when nothing is known.
void avdFillNoiseValue(uint8_t* values, int32_t count);
