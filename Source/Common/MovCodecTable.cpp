#include "MovCodecTable.h"

#include "WaveFormat.h"
#include "media/MovieCodecs.h"
#include "qel/QelWideText.h"

namespace {

struct CodecRow {
  uint32_t type;
  const WCHAR* name;
};

const CodecRow kVideoRows[] = {
    {MovFourCC('j', 'p', 'e', 'g'), u"JPEG Codec"},
    {MovFourCC('r', 'a', 'w', ' '), u"Raw Codec"},
    {MovFourCC('s', 'm', 'c', ' '), u"Graphics Codec"},
    {MovFourCC('r', 'l', 'e', ' '), u"Animation Codec"},
    {MovFourCC('r', 'p', 'z', 'a'), u"Video Codec"},
    {MovFourCC('m', 'j', 'p', 'a'), u"MotionJPEGA Codec"},
    {MovFourCC('m', 'j', 'p', 'b'), u"MotionJPEGB Codec"},
    {MovFourCC('W', 'R', 'L', 'E'), u"BMP Codec"},
    {MovFourCC('t', 'g', 'a', ' '), u"Targa Codec"},
    {MovFourCC('p', 'n', 'g', ' '), u"PNG Codec"},
    {MovFourCC('t', 'i', 'f', 'f'), u"TIFF Codec"},
    {MovFourCC('m', 'p', '4', 'v'), u"MPEG4 Codec"},
    {MovFourCC('h', '2', '6', '3'), u"H263 Codec"},
    {MovFourCC('a', 'v', 'c', '1'), u"H264 Codec"},
    {MovFourCC('j', 'p', 'e', 'g'), u"mpeg"},
};

const CodecRow kAudioRows[] = {
    {MovFourCC('N', 'O', 'N', 'E'), u"Un Compressed"},
    {MovFourCC('t', 'w', 'o', 's'), u"16-bit big endian"},
    {MovFourCC('s', 'o', 'w', 't'), u"16-bit little endian"},
    {MovFourCC('f', 'l', '3', '2'), u"32-bit floating point"},
    {MovFourCC('f', 'l', '6', '4'), u"64-bit floating point"},
    {MovFourCC('i', 'n', '2', '4'), u"24-bit integer"},
    {MovFourCC('i', 'n', '3', '2'), u"32-bit integer"},
    {MovFourCC('M', 'A', 'C', '3'), u"MACE 3:1"},
    {MovFourCC('M', 'A', 'C', '6'), u"MACE 6:1"},
    {MovFourCC('i', 'm', 'a', '4'), u"IMA 4:1"},
    {MovFourCC('u', 'l', 'a', 'w'), u"uLaw 2:1"},
    {MovFourCC('a', 'l', 'a', 'w'), u"aLaw 2:1"},
    {MovFourCC('m', 'p', '4', 'a'), u"AAC"},
    {MovFourCC('s', 'a', 'm', 'r'), u"AMR"},
    {0x6D730002, u"MicrosoftADPCM"},
    {0x6D730011, u"IntelADPCM"},
};

constexpr int kVideoRowCount = int(sizeof kVideoRows / sizeof kVideoRows[0]);
constexpr int kAudioRowCount = int(sizeof kAudioRows / sizeof kAudioRows[0]);

int g_videoCount = kVideoRowCount;
int g_audioCount = kAudioRowCount;

int IndexOf(const CodecRow* rows, int count, const WCHAR* name) {
  if (!name) return -1;
  for (int i = 0; i < count; ++i)
    if (_cstrcmpi(rows[i].name, name) == 0) return i;
  return -1;
}

bool NameOf(const CodecRow* rows, int count, uint32_t type, WCHAR* out) {
  for (int i = 0; i < count; ++i) {
    if (rows[i].type != type) continue;
    if (out) qel_wcscpy(out, rows[i].name);
    return true;
  }
  return false;
}

bool RowName(const CodecRow* rows, int count, int index, WCHAR* out) {
  if (index < 0 || index >= count || !out) return false;
  qel_wcscpy(out, rows[index].name);
  return true;
}

}  // namespace

bool EnumMovVideoCompressor() {
  if (g_videoCount < 1) g_videoCount = kVideoRowCount;
  return g_videoCount > 0;
}

bool EnumMovAudioCompressor() {
  if (g_audioCount < 1) g_audioCount = kAudioRowCount;
  return g_audioCount > 0;
}

int GetMovVideoCompressorNumb() { return g_videoCount; }
int GetMovAudioCompressorNumb() { return g_audioCount; }

bool GetMovVideoCompressorName(int index, WCHAR* out) {
  return RowName(kVideoRows, g_videoCount, index, out);
}

bool GetMovAudioCompressorName(int index, WCHAR* out) {
  return RowName(kAudioRows, g_audioCount, index, out);
}

int GetMovVideoCodecIndex(const WCHAR* name) {
  int i = IndexOf(kVideoRows, g_videoCount, name);
  return i < 0 ? 0 : i;
}

int GetMovAudioCodecIndex(const WCHAR* name) {
  int i = IndexOf(kAudioRows, g_audioCount, name);
  return i < 0 ? 0 : i;
}

uint32_t GetMovVideoCodecType(const WCHAR* name) { return kVideoRows[GetMovVideoCodecIndex(name)].type; }
uint32_t GetMovAudioCodecType(const WCHAR* name) { return kAudioRows[GetMovAudioCodecIndex(name)].type; }

bool GetMovVideoCodecName(uint32_t type, WCHAR* out) { return NameOf(kVideoRows, g_videoCount, type, out); }
bool GetMovAudioCodecName(uint32_t type, WCHAR* out) { return NameOf(kAudioRows, g_audioCount, type, out); }

bool IsQuickTimeInit() { return true; }

bool IsMovVideoCompressorQualityValid(const WCHAR* name) {
  static const WCHAR* const kNoQuality[] = {u"Raw Codec", u"BMP Codec", u"Targa Codec", u"PNG Codec",
                                            u"TIFF Codec"};
  if (!name) return true;
  for (const WCHAR* n : kNoQuality)
    if (_cstrcmpi(n, name) == 0) return false;
  return true;
}

bool IsMovAudioFormatValid(const WCHAR* name, const tWAVEFORMATEX* format) {
  if (!format) return false;
  int row = IndexOf(kAudioRows, g_audioCount, name);
  if (row < 0) return false;
  return media::CanEncodeAudio(kAudioRows[row].type, format->nChannels, format->nSamplesPerSec,
                               format->wBitsPerSample);
}
