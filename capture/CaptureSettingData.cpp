#include "CaptureSettingData.h"

#include <algorithm>
#include <filesystem>

#include "MediaTexts.h"
#include "ORVGF.h"
#include "VdlXmlWrapper.h"
#include "os/UserFolders.h"
#include "qel/QelWideText.h"

namespace ORVGF {

namespace {

void ReadInt(const CVdlXmlNode& node, const WCHAR* name, int32_t& field) {
  uint32_t value = 0;
  if (node.GetPropValue(name, value)) field = int32_t(value);
}

void ReadUInt(const CVdlXmlNode& node, const WCHAR* name, uint32_t& field) {
  uint32_t value = 0;
  if (node.GetPropValue(name, value)) field = value;
}

void ReadText(const CVdlXmlNode& node, const WCHAR* name, std::u16string& field) {
  CQelStringW value;
  if (node.GetPropValue(name, value)) field = value.c_str();
}

void ReadSize(const CVdlXmlNode& node, const WCHAR* name, SIZE& field) {
  CQelStringW value;
  if (node.GetPropValue(name, value)) String2Size(value.c_str(), field);
}

std::u16string ItemName(int32_t i) { return u"Num" + QelFromUTF8(std::to_string(i)); }

int32_t ItemCount(int32_t count) { return std::clamp(count, 0, kMaxListItems); }

}  // namespace

CaptureSettingData::CaptureSettingData() {
  imageFormats[0] = u"JPG";
  imageFormats[1] = u"BMP";
  videoResolutions[0] = SIZE{160, 120};
  videoResolutions[1] = SIZE{320, 240};
  videoResolutions[2] = SIZE{640, 480};
}

CaptureSettingData& CaptureSettings() {
  static CaptureSettingData record;
  return record;
}

int GetSetFile(std::u16string& path, const WCHAR* name, const plat::Bundle* bundle) {
  std::u16string folder = GetModulePath(bundle);
  if (folder.empty()) return 0;
  path = PathAppend(folder, name ? name : u"");
  return 1;
}

int GetSetData(CaptureSettingData& record) {
  std::u16string path;
  const plat::Bundle* bundle = vGetModuleInst();
  if (!bundle || !GetSetFile(path, u"Module.xml", bundle)) return 0;
  return GetSetDataFromFile(path, record);
}

int GetSetDataFromFile(const std::u16string& path, CaptureSettingData& record) {
  CVdlXmlParser xml;
  if (!xml.Open(path.c_str())) return 0;
  CVdlXmlNode root = xml.GetRootNode();
  if (!root.IsValid()) return 0;
  CVdlXmlNode node;
  if (root.GetFirstChildByName(u"MaxVideoSize", node)) {
    ReadInt(node, u"X", record.maxVideoWidth);
    ReadInt(node, u"Y", record.maxVideoHeight);
  }
  if (root.GetFirstChildByName(u"TimeStamp", node)) ReadInt(node, u"Enable", record.timeStampEnabled);
  if (root.GetFirstChildByName(u"PrefixName", node)) {
    ReadInt(node, u"Enable", record.prefixEnabled);
    ReadInt(node, u"Length", record.prefixMaxLength);
    ReadText(node, u"Name", record.prefixName);
  }
  if (root.GetFirstChildByName(u"ImageFormat", node)) {
    ReadInt(node, u"Num", record.imageFormatCount);
    record.imageFormatCount = ItemCount(record.imageFormatCount);
    for (int32_t i = 0; i < record.imageFormatCount; ++i) ReadText(node, ItemName(i + 1).c_str(), record.imageFormats[size_t(i)]);
    ReadText(node, u"Default", record.defaultImageFormat);
  }
  if (root.GetFirstChildByName(u"VideoResolution", node)) {
    ReadInt(node, u"Num", record.videoResolutionCount);
    record.videoResolutionCount = ItemCount(record.videoResolutionCount);
    for (int32_t i = 0; i < record.videoResolutionCount; ++i) {
      ReadSize(node, ItemName(i + 1).c_str(), record.videoResolutions[size_t(i)]);
    }
    ReadSize(node, u"Default", record.defaultVideoResolution);
    ReadUInt(node, u"Multiple", record.resolutionMultiple);
    ReadUInt(node, u"Divide", record.resolutionDivide);
  }
  if (root.GetFirstChildByName(u"AudioDevice", node)) ReadInt(node, u"Enable", record.audioEnabledByDefault);
  if (root.GetFirstChildByName(u"NeedFreeDiskSpace", node)) ReadUInt(node, u"Space", record.freeDiskSpaceMB);
  if (root.GetFirstChildByName(u"QuickTime", node)) ReadText(node, u"Version", record.minMediaVersion);
  if (root.GetFirstChildByName(u"OEM", node)) {
    ReadInt(node, u"Enable", record.oemEnabled);
    ReadUInt(node, u"VID", record.oemVendorId);
    ReadUInt(node, u"PID", record.oemProductId);
  }
  if (root.GetFirstChildByName(u"FrameJudge", node)) ReadInt(node, u"Enable", record.frameJudgeEnabled);
  return 1;
}

int String2Size(const WCHAR* text, SIZE& size) {
  if (!text || !*text) return 0;
  const WCHAR* star = text;
  while (*star && *star != u'*') ++star;
  if (!*star || star == text) return 0;
  size.cx = qel_wtoi(text);
  size.cy = qel_wtoi(star + 1);
  return 1;
}

std::u16string vSizeToString(const SIZE& size) {
  return ::vSizeToString(size);
}

int GetDefaultFolder(std::u16string& path) {
  std::string documents = plat::DocumentsFolder();
  if (documents.empty()) return 0;
  std::u16string folder = PathAppend(QelFromUTF8(documents), u"Document Camera Media");
  if (!CreatePathChecked(folder)) return 0;
  path = folder;
  return 1;
}

uint32_t VersionValue(std::u16string_view text) {
  uint32_t parts[3] = {0, 0, 0};
  size_t part = 0;
  for (char16_t c : text) {
    if (c == u'.') {
      if (++part == 3) break;
    } else if (c >= u'0' && c <= u'9') {
      parts[part] = std::min<uint32_t>(parts[part] * 10 + uint32_t(c - u'0'), 255);
    }
  }
  return (parts[0] << 24) + (parts[1] << 20) + (parts[2] << 16);
}

int vCheckQuickTimeVersion() { return 1; }

int32_t PrefixLimit(const CaptureSettingData& record) {
  return std::clamp(record.prefixMaxLength, 0, kMaxPrefixLength);
}

bool IsSafePrefix(std::u16string_view prefix, int32_t limit) {
  if (prefix.size() > size_t(std::max(limit, 0))) return false;
  if (!prefix.empty() && prefix.front() == u'.') return false;
  return prefix.find(u'/') == std::u16string_view::npos && prefix.find(u'\0') == std::u16string_view::npos;
}

}  // namespace ORVGF
