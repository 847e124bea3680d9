// The capture plug-in's preferences, as the panel reads and writes them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "BasePanel.h"
#include "CaptureSettingData.h"
#include "ORVGF.h"
#include "ORVTrace.h"
#include "Profile.h"
#include "img/ImageFile.h"
#include "qel/QelWideText.h"

namespace {

constexpr const WCHAR* kSection = u"Section_Capture";

int32_t PackSize(const SIZE& s) { return int32_t(uint32_t(s.cy & 0xFFFF) << 16 | uint32_t(s.cx & 0xFFFF)); }

SIZE UnpackSize(int32_t packed) {
  return SIZE{int32_t(uint32_t(packed) & 0xFFFF), int32_t(uint32_t(packed) >> 16 & 0xFFFF)};
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) c = qel_towlower(c);
  return text;
}

// A photo type the record lists: anything else (a hand-edited preference
// such as "../x") would become part of a file name.
bool IsKnownImageType(const std::u16string& type, const ORVGF::CaptureSettingData& record) {
  for (int32_t i = 0; i < record.imageFormatCount && i < ORVGF::kMaxListItems; ++i) {
    const std::u16string& format = record.imageFormats[size_t(i)];
    if (!format.empty() && qel_wcscmpi(format.c_str(), type.c_str()) == 0) return true;
  }
  return false;
}

std::u16string LoadText(const WCHAR* key, const std::u16string& fallback, int32_t units) {
  std::u16string buffer(size_t(units) + 1, u'\0');
  if (!LoadProfileString(kSection, key, fallback.c_str(), buffer.data(), units + 1)) return fallback;
  return std::u16string(buffer.c_str());
}

}  // namespace

void CBasePanel::LoadProfile() {
  const ORVGF::CaptureSettingData& record = ORVGF::CaptureSettings();
  std::u16string type = LoadText(u"ImageType", record.defaultImageFormat, 32);
  if (!IsKnownImageType(type, record)) type = record.defaultImageFormat;
  m_strImageType = Lower(type);
  m_nPhotoCounter = uint32_t(LoadProfileInt(kSection, u"ImageFileNum", 0));
  m_nMovieCounter = uint32_t(LoadProfileInt(kSection, u"VideoFileNum", 0));
  m_bTimeStamp = LoadProfileInt(kSection, u"TimeStapEnable", record.timeStampEnabled);
  m_nPhotoQuality = LoadProfileInt(kSection, u"ImageFileQuality", 50);
  m_bWithAudio = LoadProfileInt(kSection, u"bWithAudio", record.audioEnabledByDefault);
  m_bPrefix = LoadProfileInt(kSection, u"PrefixEnable", record.prefixEnabled);

  // A prefix that could lead a file name out of the capture folder is not
  // used: the factory prefix (when it is sound) stands instead.
  const int32_t limit = ORVGF::PrefixLimit(record);
  m_strPrefix = LoadText(u"PrefixName", record.prefixName, limit);
  if (!ORVGF::IsSafePrefix(m_strPrefix, limit)) {
    std::fprintf(stderr, "capture: the stored name prefix is not used (it must not start with '.' or hold '/')\n");
    m_strPrefix = ORVGF::IsSafePrefix(record.prefixName, limit) ? record.prefixName : std::u16string();
  }

  UpdateCaptureFolder();

  int32_t video = LoadProfileInt(kSection, u"VideoResolution", 0);
  if (video == 0) {
    video = PackSize(record.defaultVideoResolution);
    SaveProfileInt(kSection, u"VideoResolution", video);
  }
  m_videoResolution = UnpackSize(video);
  int32_t image = LoadProfileInt(kSection, u"ImageResolution", 0);
  if (image == 0) {
    image = video;
    SaveProfileInt(kSection, u"ImageResolution", image);
  }
  m_imageResolution = UnpackSize(image);
}

void CBasePanel::SaveProfile() {
  SaveProfileString(kSection, u"ImageType", m_strImageType.c_str());
  SaveProfileInt(kSection, u"ImageFileNum", int32_t(m_nPhotoCounter));
  SaveProfileInt(kSection, u"VideoFileNum", int32_t(m_nMovieCounter));
  SaveProfileInt(kSection, u"TimeStapEnable", m_bTimeStamp);
  SaveProfileInt(kSection, u"ImageFileQuality", m_nPhotoQuality);
  SaveProfileInt(kSection, u"bWithAudio", m_bWithAudio);
  SaveProfileString(kSection, u"VideoDevice", m_strVideoInput.c_str());
  SaveProfileString(kSection, u"AudioDevice", m_strSoundInput.c_str());
}

bool CBasePanel::UpdateCaptureFolder() {
  std::u16string media = LoadText(u"Media Folder", u"", 1024);
  if (media.empty()) {
    if (!ORVGF::GetDefaultFolder(media)) {
      std::fprintf(stderr, "capture: no media folder can be made in the Documents folder\n");
      return false;
    }
    SaveProfileString(kSection, u"Media Folder", media.c_str());
  }
  if (!ORVGF::CreatePathChecked(media)) {
    std::fprintf(stderr, "capture: the media folder %s cannot be made\n", QelToUTF8(media).c_str());
    return false;
  }
  std::u16string capture = ORVGF::PathAppend(media, u"Capture");
  if (!ORVGF::CreatePathChecked(capture)) {
    std::fprintf(stderr, "capture: the folder %s cannot be made\n", QelToUTF8(capture).c_str());
    return false;
  }
  m_strCaptureFolder = capture;
  // Photos being saved when a program was killed left hidden temporary files.
  if (const int32_t swept = img::SweepTemporaries(QelToUTF8(capture)); swept > 0) {
    OrvTrace("capture swept " + std::to_string(swept) + " unfinished photo files");
  }
  return true;
}
