#pragma once
// The video and sound compressors movies can be written with: two fixed
// tables of four-character types and display names, with look-ups by index,
// name and type.
#include <cstdint>

#include "qel/QelTypes.h"

struct tWAVEFORMATEX;

constexpr uint32_t MovFourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
         uint32_t(uint8_t(d));
}

bool EnumMovVideoCompressor();
bool EnumMovAudioCompressor();
int GetMovVideoCompressorNumb();
int GetMovAudioCompressorNumb();
// Copies the row's name; false for an index outside the table.
bool GetMovVideoCompressorName(int index, WCHAR* out);
bool GetMovAudioCompressorName(int index, WCHAR* out);
// The first row whose name matches ignoring case; 0 when none does.
int GetMovVideoCodecIndex(const WCHAR* name);
int GetMovAudioCodecIndex(const WCHAR* name);
// That row's type; the first row's type when no name matches.
uint32_t GetMovVideoCodecType(const WCHAR* name);
uint32_t GetMovAudioCodecType(const WCHAR* name);
// The name of the first row with that type; false when none has it.
bool GetMovVideoCodecName(uint32_t type, WCHAR* out);
bool GetMovAudioCodecName(uint32_t type, WCHAR* out);
// The movie library needs no start-up here: always true.
bool IsQuickTimeInit();
// True when 16-bit (or 8-bit) PCM of this format can be written with the
// named sound compressor: its encoder exists and opens with these channels
// and this rate. Every row of the table is considered.
bool IsMovAudioFormatValid(const WCHAR* name, const tWAVEFORMATEX* format);
// False for the compressors that take no quality setting.
bool IsMovVideoCompressorQualityValid(const WCHAR* name);
