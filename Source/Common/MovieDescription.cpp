#include "MovieDescription.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "MovieHelpers.h"
#include "media/Movie.h"
#include "media/MovieCodecs.h"
#include "qel/QelWideText.h"

namespace ORVGF {
namespace {

void CopyName(const std::string& utf8, WCHAR* out, size_t capacity) {
  std::u16string text = QelFromUTF8(utf8);
  if (text.size() >= capacity) text.resize(capacity - 1);
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = 0;
}

}  // namespace

Movie OpenMovieFile(const WCHAR* path) { return OpenMovieFromPath(path); }

bool GetVideoDescription(Movie movie, __VideoDescription* out) {
  media::Movie* m = GetMediaMovie(movie);
  media::VideoDescription d;
  if (!m || !out || !m->DescribeVideo(&d)) return false;
  *out = __VideoDescription{};
  out->codecType = d.type;
  out->vendor = d.vendor;
  out->hRes = d.hRes;
  out->vRes = d.vRes;
  out->depth = d.depth;
  media::Size natural = m->NaturalSize();
  out->width = natural.width;
  out->height = natural.height;
  out->dataSize = d.dataSize;
  out->frameCount = uint32_t(std::clamp<int64_t>(d.frameCount, 0, UINT32_MAX));
  out->durationMs = d.durationMs;
  out->frameRate = d.durationMs > 0 ? double(out->frameCount) * 1000.0 / d.durationMs : 0;
  // Bits per second, as for the sound.
  out->dataRate = d.durationMs > 0 ? double(d.dataSize) * 8.0 * 1000.0 / d.durationMs : 0;
  CopyName(d.codecName, out->codecName, 256);
  return true;
}

bool GetAudioDescription(Movie movie, __AudioDescription* out) {
  media::Movie* m = GetMediaMovie(movie);
  media::VideoDescription v;
  media::SoundDescription d;
  if (!m || !out || (m->DescribeVideo(&v) && v.mpeg) || !m->DescribeSound(&d)) return false;
  *out = __AudioDescription{};
  out->format = d.format;
  out->vendor = d.vendor;
  out->channels = d.channels;
  out->bitsPerSample = d.bits;
  out->dataSize = d.dataSize;
  out->durationMs = d.durationMs;
  out->sampleRate = double(d.sampleRate);
  out->dataRate = d.durationMs > 0 ? double(d.dataSize) * 8.0 * 1000.0 / d.durationMs : 0;
  CopyName(d.name.empty() ? "PCM" : d.name, out->compressionName, 256);
  return true;
}

bool GetCodecName(uint32_t type, unsigned char* out) {
  std::string name;
  if (!media::CodecNameForType(type, &name)) return false;
  if (!out) return true;
  size_t n = std::min<size_t>(name.size(), 255);
  out[0] = uint8_t(n);
  std::memcpy(out + 1, name.data(), n);
  return true;
}

}  // namespace ORVGF
