#include "AvdNoiseProfile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kMaxChannels = 3, kMaxLevels = 8, kMaxBandBits = 8;

bool ValidShape(int32_t channels, int32_t lumaLevels, int32_t lumaBits, int32_t chromaLevels, int32_t chromaBits) {
  return channels >= 1 && channels <= kMaxChannels && lumaLevels >= 0 && lumaLevels <= kMaxLevels &&
         chromaLevels >= 0 && chromaLevels <= kMaxLevels && lumaBits >= 0 && lumaBits <= kMaxBandBits &&
         chromaBits >= 0 && chromaBits <= kMaxBandBits;
}

// Writes (or, with write false, only checks) the layout; returns the bytes used.
size_t Layout(uint8_t* base, int32_t channels, const int32_t* levels, const int32_t* bits, bool write) {
  size_t at = sizeof(AvdNoiseProfile) + sizeof(AvdNoiseChannelEntry) * channels;
  for (int32_t c = 0; c < channels; ++c) {
    const size_t levelTable = at;
    at += sizeof(AvdNoiseLevelEntry) * levels[c];
    if (write) {
      auto* ch = reinterpret_cast<AvdNoiseChannelEntry*>(base + sizeof(AvdNoiseProfile)) + c;
      ch->levelTable = static_cast<uint32_t>(levelTable);
      ch->levelCount = levels[c];
    }
    for (int32_t l = 0; l < levels[c]; ++l) {
      if (write) {
        auto* le = reinterpret_cast<AvdNoiseLevelEntry*>(base + levelTable) + l;
        le->bandBits = bits[c];
        le->values = static_cast<uint32_t>(at);
      }
      at += size_t{1} << bits[c];
    }
  }
  return at;
}

}  // namespace

size_t avdNoiseConfigBytes(int32_t channels, int32_t lumaLevels, int32_t lumaBandBits, int32_t chromaLevels,
                           int32_t chromaBandBits) {
  if (!ValidShape(channels, lumaLevels, lumaBandBits, chromaLevels, chromaBandBits)) return 0;
  int32_t levels[kMaxChannels] = {}, bits[kMaxChannels] = {};
  for (int32_t c = 0; c < channels; ++c) {
    levels[c] = c ? chromaLevels : lumaLevels;
    bits[c] = c ? chromaBandBits : lumaBandBits;
  }
  return Layout(nullptr, channels, levels, bits, false);
}

AvdNoiseProfile* avdInitImgNoiseConfig(void* block, size_t capacity, int32_t channels, int32_t lumaLevels,
                                       int32_t lumaBandBits, int32_t chromaLevels, int32_t chromaBandBits) {
  const size_t need = avdNoiseConfigBytes(channels, lumaLevels, lumaBandBits, chromaLevels, chromaBandBits);
  if (!block || need == 0 || need > capacity || reinterpret_cast<uintptr_t>(block) % alignof(AvdNoiseProfile))
    return nullptr;
  auto* base = static_cast<uint8_t*>(block);
  auto* profile = static_cast<AvdNoiseProfile*>(block);
  profile->channelTable = sizeof(AvdNoiseProfile);
  profile->channelCount = channels;
  int32_t levels[kMaxChannels] = {}, bits[kMaxChannels] = {};
  for (int32_t c = 0; c < channels; ++c) {
    levels[c] = c ? chromaLevels : lumaLevels;
    bits[c] = c ? chromaBandBits : lumaBandBits;
  }
  Layout(base, channels, levels, bits, true);
  for (int32_t c = 0; c < channels; ++c)
    for (int32_t l = 0; l < levels[c]; ++l) avdNoiseLevel(profile, c, l)->levelIndex = 0;
  return profile;
}

AvdNoiseProfile* avdAnalyImgNoiseConfig(void* block, size_t capacity) {
  if (!block || capacity < sizeof(AvdNoiseProfile) || reinterpret_cast<uintptr_t>(block) % alignof(AvdNoiseProfile))
    return nullptr;
  auto* base = static_cast<uint8_t*>(block);
  auto* profile = static_cast<AvdNoiseProfile*>(block);
  const int32_t channels = profile->channelCount;
  if (channels < 1 || channels > kMaxChannels) return nullptr;
  const size_t tableEnd = sizeof(AvdNoiseProfile) + sizeof(AvdNoiseChannelEntry) * channels;
  if (tableEnd > capacity) return nullptr;
  int32_t levels[kMaxChannels], bits[kMaxChannels] = {0, 0, 0};
  auto* chans = reinterpret_cast<AvdNoiseChannelEntry*>(base + sizeof(AvdNoiseProfile));
  size_t at = tableEnd;
  for (int32_t c = 0; c < channels; ++c) {
    levels[c] = chans[c].levelCount;
    if (levels[c] < 0 || levels[c] > kMaxLevels) return nullptr;
    // Band bits live in the level table, which starts where the layout says.
    if (levels[c] > 0) {
      if (at + sizeof(AvdNoiseLevelEntry) > capacity) return nullptr;
      bits[c] = reinterpret_cast<AvdNoiseLevelEntry*>(base + at)->bandBits;
      if (bits[c] < 0 || bits[c] > kMaxBandBits) return nullptr;
    }
    at += sizeof(AvdNoiseLevelEntry) * levels[c] + (size_t{1} << bits[c]) * levels[c];
  }
  if (Layout(nullptr, channels, levels, bits, false) > capacity) return nullptr;
  int32_t indices[kMaxChannels][kMaxLevels] = {};
  for (int32_t c = 0, off = static_cast<int32_t>(tableEnd); c < channels; ++c) {
    auto* le = reinterpret_cast<AvdNoiseLevelEntry*>(base + off);
    for (int32_t l = 0; l < levels[c]; ++l) indices[c][l] = le[l].levelIndex;
    off += static_cast<int32_t>(sizeof(AvdNoiseLevelEntry) * levels[c] + (size_t{1} << bits[c]) * levels[c]);
  }
  profile->channelTable = sizeof(AvdNoiseProfile);
  Layout(base, channels, levels, bits, true);
  for (int32_t c = 0; c < channels; ++c)
    for (int32_t l = 0; l < levels[c]; ++l) avdNoiseLevel(profile, c, l)->levelIndex = indices[c][l];
  return profile;
}

int32_t avdReadDefNoiseConfig() { return -1; }

AvdNoiseChannelEntry* avdNoiseChannel(AvdNoiseProfile* profile, int32_t channel) {
  if (!profile || channel < 0 || channel >= profile->channelCount) return nullptr;
  return reinterpret_cast<AvdNoiseChannelEntry*>(reinterpret_cast<uint8_t*>(profile) + profile->channelTable) +
         channel;
}

AvdNoiseLevelEntry* avdNoiseLevel(AvdNoiseProfile* profile, int32_t channel, int32_t level) {
  AvdNoiseChannelEntry* ch = avdNoiseChannel(profile, channel);
  if (!ch || level < 0 || level >= ch->levelCount) return nullptr;
  return reinterpret_cast<AvdNoiseLevelEntry*>(reinterpret_cast<uint8_t*>(profile) + ch->levelTable) + level;
}

uint8_t* avdNoiseValues(AvdNoiseProfile* profile, int32_t channel, int32_t level) {
  AvdNoiseLevelEntry* le = avdNoiseLevel(profile, channel, level);
  return le ? reinterpret_cast<uint8_t*>(profile) + le->values : nullptr;
}

const uint8_t* avdNoiseValues(const AvdNoiseProfile* profile, int32_t channel, int32_t level) {
  return avdNoiseValues(const_cast<AvdNoiseProfile*>(profile), channel, level);
}

void avdTuneNoiseConfig(AvdNoiseProfile* profile, const int32_t* lumaFactors, const int32_t* chromaFactors) {
  if (!profile) return;
  for (int32_t c = 0; c < profile->channelCount; ++c) {
    const int32_t* factors = c == 0 ? lumaFactors : chromaFactors;
    if (!factors) continue;
    for (int32_t l = 0; l < avdNoiseChannel(profile, c)->levelCount; ++l) {
      const int64_t f = factors[l];
      uint8_t* v = avdNoiseValues(profile, c, l);
      const int32_t n = 1 << avdNoiseLevel(profile, c, l)->bandBits;
      for (int32_t b = 0; b < n; ++b) {
        int64_t t = (f <= 256 || v[b] != 0) ? (v[b] * f + 128) >> 8 : (f - 128) >> 8;
        v[b] = static_cast<uint8_t>(std::clamp<int64_t>(t, 0, 255));
      }
    }
  }
}

int32_t avdNoiseConfigHasNoise(const AvdNoiseProfile* profile) {
  if (!profile) return 0;
  auto* p = const_cast<AvdNoiseProfile*>(profile);
  for (int32_t c = 0; c < p->channelCount; ++c)
    for (int32_t l = 0; l < avdNoiseChannel(p, c)->levelCount; ++l) {
      const uint8_t* v = avdNoiseValues(p, c, l);
      const int32_t n = 1 << avdNoiseLevel(p, c, l)->bandBits;
      for (int32_t b = 0; b < n; ++b)
        if (v[b]) return 1;
    }
  return 0;
}
