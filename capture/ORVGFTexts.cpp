// File times, sizes, free space and their texts; frame-time arithmetic.
#include <sys/statvfs.h>

#include <filesystem>

#include "MediaProperties.h"
#include "MediaTexts.h"
#include "ORVGF.h"
#include "ThumbFileTime.h"
#include "qel/QelWideText.h"

namespace ORVGF {

namespace {

bool g_pal = false;

int64_t FrameRate() { return g_pal ? 25 : 30; }
int64_t FrameDuration() { return g_pal ? 40 : 33; }

}  // namespace

FILETIME Max(const FILETIME& a, const FILETIME& b) {
  if (a.highSeconds() != b.highSeconds()) return a.highSeconds() > b.highSeconds() ? a : b;
  return a.lowSeconds() >= b.lowSeconds() ? a : b;
}

int vGetFileModifyTime(const std::u16string& path, FILETIME& time) {
  // The thumbnail database's one file-time rule, shared with the edit album.
  FILETIME t;
  if (path.empty() || !GetThumbFileTime(path.c_str(), &t)) return 0;
  time = t;
  return 1;
}

std::u16string vFileTimeToString(const FILETIME& time) {
  return ::vFileTimeToString(time);
}

std::u16string vTimeToString(int64_t seconds) {
  return ::vTimeToString(seconds);
}

void vSetPAL(bool pal) { g_pal = pal; }

int64_t vTimeToFrameTime(int64_t ms) {
  return ms / 1000 * 1000 + (ms % 1000) / FrameDuration() * FrameDuration();
}

int64_t vFrameTimeToFrameIndex(int64_t ms) {
  if (ms < 0) return -vFrameTimeToFrameIndex(-ms);
  const int64_t within = std::min((ms % 1000) / FrameDuration(), FrameRate() - 1);
  return ms / 1000 * FrameRate() + within;
}

int vGetFileSize(const std::u16string& path, uint64_t& bytes) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(std::filesystem::path(QelToUTF8(path)), ec);
  if (path.empty() || ec) return 0;
  bytes = size;
  return 1;
}

std::u16string vFormatDigits(uint64_t number) {
  return FormatThousands(number);
}

std::u16string vFormatNumKB(int64_t bytes) {
  if (bytes <= 0) return u"0";
  const uint64_t kb = (uint64_t(bytes) + 1023) / 1024;
  std::u16string unit = vLoadResString(30);
  return vFormatDigits(kb) + (unit.empty() ? u"" : u" " + unit);
}

int vGetFileSizeText(const std::u16string& path, std::u16string& text) {
  uint64_t bytes = 0;
  if (!vGetFileSize(path, bytes)) return 0;
  text = vFormatNumKB(int64_t(std::min<uint64_t>(bytes, INT64_MAX)));
  return 1;
}

int vGetImageFileResolution(const std::u16string& path, SIZE& size) {
  return path.empty() ? 0 : ::vGetImageFileResolution(path.c_str(), size);
}

int vGetImageFileResolution(const std::u16string& path, std::u16string& text) {
  SIZE size{};
  if (!vGetImageFileResolution(path, size)) return 0;
  text = vSizeToString(size);
  return 1;
}

int vGetVideoFileProperty(const std::u16string& path, std::u16string& duration, std::u16string& sound,
                          std::u16string& picture) {
  if (path.empty()) return 0;
  MoviePropertyWords words;
  words.bits = vLoadResString(33), words.framesPerSecond = vLoadResString(35), words.frames = vLoadResString(37);
  words.oneChannel = vLoadResString(32), words.channels = vLoadResString(31);
  words.kiloHertz = vLoadResString(34), words.noSound = vLoadResString(36);
  words.frameMs = FrameDuration();
  return ::vGetVideoFileProperty(path.c_str(), words, duration, sound, picture);
}

int vIsEnoughSpaceFor(uint64_t freeBytes, uint64_t bytes) {
  // Compared without overflow: free > bytes + spare.
  if (bytes > UINT64_MAX - kSpareBytes) return 0;
  return freeBytes > bytes + kSpareBytes ? 1 : 0;
}

int vIsEnoughSpace(const std::u16string& path, uint64_t bytes) {
  struct statvfs vfs {};
  if (path.empty() || ::statvfs(QelToUTF8(path).c_str(), &vfs) != 0) return 0;
  return vIsEnoughSpaceFor(uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize), bytes);
}

}  // namespace ORVGF
