#pragma once
// The movie export settings, passed by value to the exporter and the writer.
#include <cstdint>

#include "WaveFormat.h"
#include "qel/QelTypes.h"

struct tagORVParameters {
  uint32_t width = 0;
  uint32_t height = 0;
  WCHAR videoCompressor[1024] = {};  // a name from the video compressor table
  WCHAR audioCompressor[1024] = {};  // a name from the sound compressor table
  double frameRate = 0;
  uint32_t quality = 0;              // percent; above 99 counts as 100
  int32_t reserved = 0;              // callers put the sample rate here; not read
  tWAVEFORMATEX soundFormat;         // the PCM handed to UpdateAudio
  WCHAR outputPath[1024] = {};
};
