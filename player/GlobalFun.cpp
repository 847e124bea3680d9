#include "GlobalFun.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>

#include "VdlAppHelper.h"
#include "os/Preferences.h"
#include "qel/QelBackend.h"
#include "qel/QelWideText.h"

namespace {

constexpr const char16_t* kVideoExtensions[] = {u"mov", u"mp4", u"m4v", u"avi", u"mpg", u"mpeg", u"3gp", u"dv"};
constexpr const char16_t* kAudioExtensions[] = {u"wav", u"aif", u"aiff", u"aifc", u"mp3", u"m4a", u"aac", u"au"};

// The extension in lower case (ASCII), empty without one.
std::u16string Extension(const WCHAR* path) {
  std::u16string p(path);
  size_t slash = p.rfind(u'/');
  size_t dot = p.rfind(u'.');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return {};
  std::u16string ext = p.substr(dot + 1);
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return ext;
}

template <size_t N>
bool InList(const WCHAR* path, const char16_t* const (&list)[N]) {
  if (!path) return false;
  std::u16string ext = Extension(path);
  return !ext.empty() && std::find(std::begin(list), std::end(list), ext) != std::end(list);
}

}  // namespace

int CGlobalFun::GetTimeString(uint32_t ms, std::u16string& out) {
  const uint32_t hours = ms / 3600000u;
  const uint32_t rest = (ms / 1000u) % 3600u;
  char text[32];
  int n = std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours, rest / 60u, rest % 60u);
  out = QelFromUTF8(std::string(text, size_t(std::max(n, 0))));
  return int(out.size());
}

std::u16string CGlobalFun::GetTimeString(uint32_t ms) {
  std::u16string out;
  GetTimeString(ms, out);
  return out;
}

int32_t CGlobalFun::IsSupportedVideoFile(const WCHAR* path) { return InList(path, kVideoExtensions) ? 1 : 0; }

int32_t CGlobalFun::IsSupportedAudioFile(const WCHAR* path) { return InList(path, kAudioExtensions) ? 1 : 0; }

int32_t CGlobalFun::IsSupportedFile(const WCHAR* path) {
  return IsSupportedVideoFile(path) || IsSupportedAudioFile(path) ? 1 : 0;
}

int32_t CGlobalFun::IsFileExist(const WCHAR* path) {
  if (!path || !*path) return 0;
  std::error_code ec;
  return std::filesystem::exists(QelToUTF8(path), ec) ? 1 : 0;
}

int32_t CGlobalFun::LoadProfileInt(const WCHAR*, const WCHAR* key, int32_t fallback, const char* appId) {
  if (!key || !*key || !appId) return fallback;
  return plat::Preferences::ForDomain(appId).GetInt(QelToUTF8(key), fallback);
}

int32_t CGlobalFun::SaveProfileInt(const WCHAR*, const WCHAR* key, int32_t value, const char* appId) {
  if (!key || !*key || !appId) return 0;
  return plat::Preferences::ForDomain(appId).SetInt(QelToUTF8(key), value) ? 1 : 0;
}

SRect32 CGlobalFun::GetAvailableBounds() { return qel::CurrentBackend().WorkArea(); }

std::u16string CGlobalFun::LoadString(uint32_t id, const WCHAR* fallback) {
  WCHAR buffer[1024] = {};
  uint32_t length = 1024;
  if (Vardel::g_AppHelper.LoadString(id, buffer, &length) && buffer[0]) return std::u16string(buffer);
  return fallback ? std::u16string(fallback) : std::u16string();
}
