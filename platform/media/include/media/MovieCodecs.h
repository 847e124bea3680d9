#pragma once
// Which FFmpeg encoder writes each four-character compressor type of a
// QuickTime movie, and what stands in for the ones that cannot be written.
#include <cstdint>
#include <string>

#include "media/Frame.h"

namespace media {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
         uint32_t(uint8_t(d));
}

// The video type that will be written for `type` at this frame size: the
// type itself when its encoder exists here (and takes the size), else 'jpeg'.
uint32_t WritableVideoType(uint32_t type, Size size);
// The sound type that will be written: the type itself when it can be
// written with these channels and rate, else 'sowt'.
uint32_t WritableAudioType(uint32_t type, uint16_t channels, uint32_t sampleRate, uint16_t bits);
// True when the encoder for the sound type exists and opens with these
// channels, rate and (for uncompressed sound) bits.
bool CanEncodeAudio(uint32_t type, uint16_t channels, uint32_t sampleRate, uint16_t bits);
// False for the video types whose quality cannot be set (lossless ones).
bool VideoTypeTakesQuality(uint32_t type);

}  // namespace media

namespace media {
// The name of the codec that reads the four-character video or sound type of
// a QuickTime movie; false when no codec here knows the type.
bool CodecNameForType(uint32_t type, std::string* name);
}  // namespace media
