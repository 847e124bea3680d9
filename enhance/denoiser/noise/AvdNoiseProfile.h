#pragma once
// Noise profile: for every channel and pyramid detail level, the noise level
// of each luminance band (0..255; 0 none measured, 255 unknown in working
// lists). One self-contained block of memory that holds offsets from its own
// start, never addresses, so it can be copied byte for byte and used at once:
//
//   header          {offset of the channel table (8), channel count}
//   channel table   per channel {offset of its level table, level count}
//   per channel     its level table (12 bytes a level: band bits, level
//                   index, offset of the band values) followed by the band
//                   values of its levels, 2^bandBits bytes each.

#include <cstddef>
#include <cstdint>

struct AvdNoiseProfile {
  uint32_t channelTable;
  int32_t channelCount;
};

struct AvdNoiseChannelEntry {
  uint32_t levelTable;
  int32_t levelCount;
};

struct AvdNoiseLevelEntry {
  int32_t bandBits;
  int32_t levelIndex;  // value shift of this level's noise values (the level it was fitted from)
  uint32_t values;
};
static_assert(sizeof(AvdNoiseProfile) == 8 && sizeof(AvdNoiseChannelEntry) == 8 && sizeof(AvdNoiseLevelEntry) == 12);

// Bytes a profile of this shape takes (3 channels of 4 levels, 8 bits: 3248).
size_t avdNoiseConfigBytes(int32_t channels, int32_t lumaLevels, int32_t lumaBandBits, int32_t chromaLevels,
                           int32_t chromaBandBits);

// Lays the profile out in the caller's block of `capacity` bytes (level index
// 0 everywhere, band values not cleared). Null when the shape is invalid or
// does not fit.
AvdNoiseProfile* avdInitImgNoiseConfig(void* block, size_t capacity, int32_t channels, int32_t lumaLevels,
                                       int32_t lumaBandBits, int32_t chromaLevels, int32_t chromaBandBits);
// Checks a copied block: recomputes every offset from the counts and band bits
// and refuses (null) a layout that does not fit `capacity`.
AvdNoiseProfile* avdAnalyImgNoiseConfig(void* block, size_t capacity);
// There is no stored default profile: -1.
int32_t avdReadDefNoiseConfig();
// Scales band values per level by factor / 256 (channel 0 the luma factors,
// the others the chroma factors; one factor a level).
void avdTuneNoiseConfig(AvdNoiseProfile* profile, const int32_t* lumaFactors, const int32_t* chromaFactors);

// Access; null outside the profile.
AvdNoiseChannelEntry* avdNoiseChannel(AvdNoiseProfile* profile, int32_t channel);
AvdNoiseLevelEntry* avdNoiseLevel(AvdNoiseProfile* profile, int32_t channel, int32_t level);
uint8_t* avdNoiseValues(AvdNoiseProfile* profile, int32_t channel, int32_t level);
const uint8_t* avdNoiseValues(const AvdNoiseProfile* profile, int32_t channel, int32_t level);
// 1 when any band value of the profile is non-zero: an estimate from a flat
// or black frame measures nothing, and the caller should try a later frame.
int32_t avdNoiseConfigHasNoise(const AvdNoiseProfile* profile);
