#include "EditTexts.h"

#include "AppHelper.h"
#include "EditFiles.h"
#include "MediaProperties.h"
#include "MediaTexts.h"
#include "qel/QelWideText.h"

namespace {

constexpr int64_t kFrameStep = 40;  // PAL: 25 frames a second

std::u16string Res(uint32_t id) { return std::u16string(vLoadResString(id).c_str()); }

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

int vGetImageFileResolution(const WCHAR* path, std::u16string& text) {
  SIZE size{};
  if (!vGetImageFileResolution(path, size)) return 0;
  return vSizeToString(size, text);
}

int vGetVideoFileProperty(const WCHAR* path, std::u16string& length, std::u16string& audio,
                          std::u16string& video) {
  MoviePropertyWords words;
  words.bits = Res(41), words.framesPerSecond = Res(42), words.frames = Res(43);
  words.oneChannel = Res(38), words.channels = Res(36), words.kiloHertz = Res(40), words.noSound = Res(39);
  words.frameMs = kFrameStep;
  return vGetVideoFileProperty(path, words, length, audio, video);
}

std::u16string ResText(uint32_t id, const char16_t* fallback) {
  CQelStringW s = vLoadResString(id);
  return s.IsEmpty() ? std::u16string(fallback) : std::u16string(s.c_str());
}
