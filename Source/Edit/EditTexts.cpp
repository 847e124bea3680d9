#include "EditTexts.h"

#include <cstdio>

#include "AppHelper.h"
#include "EditFiles.h"
#include "MediaTexts.h"
#include "MovieDescription.h"
#include "ORVImageTools.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

namespace {

constexpr int64_t kFrameStep = 40;  // PAL: 25 frames a second

std::u16string Res(uint32_t id) { return std::u16string(vLoadResString(id).c_str()); }

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

std::u16string Clock(double milliseconds) {
  int64_t ms = milliseconds > 0 ? int64_t(milliseconds) : 0;
  return vTimeToString(vTimeToFrameTime(ms) / 1000);
}

}  // namespace

int vGetFileSize(const WCHAR* path, std::u16string& text) {
  int64_t bytes = 0;
  if (!vGetFileSize(path, &bytes)) return 0;
  text = FormatKilobytes(bytes) + u" KB";
  return 1;
}

int vFileTimeToString(std::u16string& text, const FILETIME* time) {
  if (!time) return 0;
  text = vFileTimeToString(*time);
  return 1;
}

int vTimeToString(int64_t seconds, std::u16string& text) {
  text = vTimeToString(seconds);
  return 1;
}

int vSizeToString(const SIZE& size, std::u16string& text) {
  text = vSizeToString(size);
  return 1;
}

int64_t vTimeToFrameTime(int64_t milliseconds) {
  if (milliseconds < 0) return 0;
  return milliseconds / 1000 * 1000 + (milliseconds % 1000) / kFrameStep * kFrameStep;
}

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

int vGetImageFileResolution(const WCHAR* path, std::u16string& text) {
  SIZE size{};
  if (!vGetImageFileResolution(path, size)) return 0;
  return vSizeToString(size, text);
}

int vGetVideoFileProperty(const WCHAR* path, std::u16string& length, std::u16string& audio,
                          std::u16string& video) {
  Movie movie = ORVGF::OpenMovieFile(path);
  if (!movie) return 0;
  ORVGF::__VideoDescription vd;
  ORVGF::__AudioDescription ad;
  const bool hasVideo = ORVGF::GetVideoDescription(movie, &vd);
  const bool hasAudio = ORVGF::GetAudioDescription(movie, &ad) && ad.durationMs > 0;
  DisposeMovie(movie);

  const std::string bits = U8(Res(41));
  video.clear();
  if (hasVideo) {
    video = Printf(" %s\n %d x %d, %d %s", U8(vd.codecName).c_str(), int(vd.width), int(vd.height), int(vd.depth),
                   bits.c_str());
    video += Printf("\n %.1f %s", vd.frameRate, U8(Res(42)).c_str());
    video += Printf("\n %.1f %s", vd.frameRate * vd.durationMs / 1000.0, U8(Res(43)).c_str());
  }
  if (hasAudio) {
    const std::u16string channels = Res(ad.channels >= 2 ? 36 : 38);
    audio = Printf(" %s\n %d %s\n %.1f %s", U8(ad.compressionName).c_str(), int(ad.channels),
                   U8(channels).c_str(), ad.sampleRate / 1000.0, U8(Res(40)).c_str());
    audio += Printf(", %d %s", int(ad.bitsPerSample), bits.c_str());
    audio += u"\n " + Clock(ad.durationMs);
  } else {
    audio = Printf(" %s\n %d %s\n %.1f %s", U8(Res(39)).c_str(), 0, U8(Res(38)).c_str(), 0.0, U8(Res(40)).c_str());
    audio += Printf(", %d %s", 0, bits.c_str());
    audio += u"\n " + Clock(hasVideo ? vd.durationMs : 0.0);
  }
  const double longest = std::max(hasAudio ? ad.durationMs : 0.0, hasVideo ? vd.durationMs : 0.0);
  length = vTimeToString(int64_t(longest / 1000.0));
  return 1;
}

std::u16string ResText(uint32_t id, const char16_t* fallback) {
  CQelStringW s = vLoadResString(id);
  return s.IsEmpty() ? std::u16string(fallback) : std::u16string(s.c_str());
}
