#pragma once
// The table behind MovieCodecs.h, for the writer.
#include <cstdint>

#include "FFmpeg.h"
#include "media/MovieCodecs.h"

namespace media {

struct VideoCodecEntry {
  uint32_t type;
  const char* encoder;
  AVPixelFormat pixelFormat;
  bool quality;            // takes the quality setting
  const char* bitstreamFilter;
};

struct AudioCodecEntry {
  uint32_t type;
  const char* encoder;
  const char* encoder8;    // for 8-bit input, when it differs
};

const VideoCodecEntry* FindVideoCodec(uint32_t type);
const AudioCodecEntry* FindAudioCodec(uint32_t type);
// The encoder name for a sound type and sample size.
const char* AudioEncoderName(const AudioCodecEntry& entry, uint16_t bits);

}  // namespace media
