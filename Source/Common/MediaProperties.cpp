#include "MediaProperties.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "MediaTexts.h"
#include "MovieDescription.h"
#include "ORVImageTools.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

namespace {

std::u16string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::u16string Printf(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return QelFromUTF8(buffer);
}

std::string U8(const std::u16string& text) { return QelToUTF8(text); }

// "hh:mm:ss" of a time cut down to a whole frame.
std::u16string Clock(double milliseconds, int64_t frameMs) {
  const int64_t ms = milliseconds > 0 ? int64_t(milliseconds) : 0;
  const int64_t step = std::max<int64_t>(1, frameMs);
  return vTimeToString((ms / 1000 * 1000 + ms % 1000 / step * step) / 1000);
}

}  // namespace

int vGetImageFileResolution(const WCHAR* path, SIZE& size) {
  PubImage::QelPicture* picture = ORVGF::OpenImageFile(path, 0, nullptr, nullptr, enuImport(1));
  if (!picture) return 0;
  SIZE shown{};
  picture->GetSize(&shown);
  int32_t width = 0, height = 0;
  // A preview is decoded small: the file's own size is kept beside it.
  if (picture->GetProp(QEL_PICT_PROP_FULL_WIDTH, &width) != 0 || width <= 0) width = shown.cx;
  if (picture->GetProp(QEL_PICT_PROP_FULL_HEIGHT, &height) != 0 || height <= 0) height = shown.cy;
  picture->Release();
  size = SIZE{width, height};
  return 1;
}

int vGetVideoFileProperty(const WCHAR* path, const MoviePropertyWords& words, std::u16string& length,
                          std::u16string& audio, std::u16string& video) {
  Movie movie = ORVGF::OpenMovieFile(path);
  if (!movie) return 0;
  ORVGF::__VideoDescription vd;
  ORVGF::__AudioDescription ad;
  const bool hasVideo = ORVGF::GetVideoDescription(movie, &vd);
  const bool hasAudio = ORVGF::GetAudioDescription(movie, &ad) && ad.durationMs > 0;
  DisposeMovie(movie);

  const std::string bits = U8(words.bits);
  video.clear();
  if (hasVideo) {
    video = Printf(" %s\n %d x %d, %d %s", U8(vd.codecName).c_str(), int(vd.width), int(vd.height), int(vd.depth),
                   bits.c_str());
    video += Printf("\n %.1f %s", vd.frameRate, U8(words.framesPerSecond).c_str());
    video += Printf("\n %.1f %s", vd.frameRate * vd.durationMs / 1000.0, U8(words.frames).c_str());
  }
  if (hasAudio) {
    const std::u16string& channels = ad.channels >= 2 ? words.channels : words.oneChannel;
    audio = Printf(" %s\n %d %s\n %.1f %s", U8(ad.compressionName).c_str(), int(ad.channels),
                   U8(channels).c_str(), ad.sampleRate / 1000.0, U8(words.kiloHertz).c_str());
    audio += Printf(", %d %s", int(ad.bitsPerSample), bits.c_str());
    audio += u"\n " + Clock(ad.durationMs, words.frameMs);
  } else {
    audio = Printf(" %s\n %d %s\n %.1f %s", U8(words.noSound).c_str(), 0, U8(words.oneChannel).c_str(), 0.0,
                   U8(words.kiloHertz).c_str());
    audio += Printf(", %d %s", 0, bits.c_str());
    audio += u"\n " + Clock(hasVideo ? vd.durationMs : 0.0, words.frameMs);
  }
  const double longest = std::max(hasAudio ? ad.durationMs : 0.0, hasVideo ? vd.durationMs : 0.0);
  length = vTimeToString(int64_t(longest / 1000.0));
  return 1;
}
