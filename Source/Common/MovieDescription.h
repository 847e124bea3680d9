#pragma once
// Descriptions of a movie's video and sound tracks, and codec names.
#include <cstdint>

#include "ORVMovie.h"
#include "qel/QelTypes.h"

namespace ORVGF {

struct __VideoDescription {
  uint32_t size = sizeof(__VideoDescription);
  uint32_t codecType = 0;
  uint32_t vendor = 0;
  int32_t hRes = 0;
  int32_t vRes = 0;
  int32_t depth = 0;
  int32_t width = 0;
  int32_t height = 0;
  double dataRate = 0;     // bits per second
  uint64_t dataSize = 0;   // bytes
  uint32_t frameCount = 0;
  double durationMs = 0;
  double frameRate = 0;
  WCHAR codecName[256] = {};
};

struct __AudioDescription {
  uint32_t size = sizeof(__AudioDescription);
  uint32_t format = 0;
  uint32_t vendor = 0;
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  double dataRate = 0;     // bits per second
  uint64_t dataSize = 0;
  double durationMs = 0;
  double sampleRate = 0;   // whole hertz
  WCHAR compressionName[256] = {};
};

// Opens a movie by path; null when it cannot be opened.
Movie OpenMovieFile(const WCHAR* path);
// True when filled: the movie has a video track.
bool GetVideoDescription(Movie movie, __VideoDescription* out);
// True when filled: the movie has a sound track and no MPEG video track.
bool GetAudioDescription(Movie movie, __AudioDescription* out);
// The length-prefixed name of the codec that reads the type; false when no
// codec knows it.
bool GetCodecName(uint32_t type, unsigned char* out);

}  // namespace ORVGF
