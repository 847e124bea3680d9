#pragma once
// The PCM sound format record of the export settings and the sources. Only
// the fields the code reads; it never crosses a file or a process.
#include <cstdint>

struct tWAVEFORMATEX {
  uint16_t wFormatTag = 0;  // 1 = PCM
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};
