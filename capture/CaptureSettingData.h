#pragma once
// The capture plug-in's limits and factory defaults, read once from the
// Module.xml beside its bundle (the file the host reads too), and the small
// functions around them: size texts, the default media folder, the media
// layer check and the rules for a file-name prefix.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "os/Bundle.h"
#include "qel/QelTypes.h"

namespace ORVGF {

inline constexpr int32_t kMaxListItems = 32;
// The longest prefix a file name may start with, whatever Module.xml says.
inline constexpr int32_t kMaxPrefixLength = 31;

struct CaptureSettingData {
  CaptureSettingData();

  int32_t maxVideoWidth = 640, maxVideoHeight = 480;                 // MaxVideoSize X, Y
  int32_t timeStampEnabled = 1;                                      // TimeStamp Enable
  int32_t prefixEnabled = 1;                                         // PrefixName Enable
  int32_t prefixMaxLength = 16;                                      // PrefixName Length (0..31)
  std::u16string prefixName = u"Talvexa";                            // PrefixName Name
  int32_t imageFormatCount = 2;                                      // ImageFormat Num
  std::array<std::u16string, kMaxListItems> imageFormats;           // Num1..Numn
  std::u16string defaultImageFormat = u"JPG";                        // ImageFormat Default
  int32_t videoResolutionCount = 3;                                  // VideoResolution Num
  std::array<SIZE, kMaxListItems> videoResolutions{};               // Num1..Numn, "W*H"
  SIZE defaultVideoResolution{640, 480};                             // VideoResolution Default
  uint32_t resolutionMultiple = 2, resolutionDivide = 1;             // Multiple, Divide
  int32_t audioEnabledByDefault = 0;                                 // AudioDevice Enable
  uint32_t freeDiskSpaceMB = 300;                                    // NeedFreeDiskSpace Space
  std::u16string minMediaVersion = u"7.2.1";                         // QuickTime Version
  int32_t oemEnabled = 1;                                            // OEM Enable
  uint32_t oemVendorId = 1208, oemProductId = 3841;                  // OEM VID, PID
  int32_t frameJudgeEnabled = 0;                                     // FrameJudge Enable

  // The free space a recording needs, in bytes (never overflows).
  uint64_t FreeSpaceBytes() const { return uint64_t(freeDiskSpaceMB) << 20; }
};

// The module-wide record.
CaptureSettingData& CaptureSettings();

// <folder holding the bundle>/<name> (the main bundle when none is given);
// 1, or 0 when there is no such bundle.
int GetSetFile(std::u16string& path, const WCHAR* name, const plat::Bundle* bundle);
// Fills the record from the Module.xml beside the plug-in's bundle; 1 when
// the file opened and had a root element, else 0 with the record untouched.
int GetSetData(CaptureSettingData& record);
int GetSetDataFromFile(const std::u16string& path, CaptureSettingData& record);

// "640*480" -> 640 x 480; 1, or 0 with the size untouched for an empty text,
// a missing asterisk or one that stands first.
int String2Size(const WCHAR* text, SIZE& size);
// "640 x 480 (VGA)", as resolution lists show sizes.
std::u16string vSizeToString(const SIZE& size);

// <Documents>/Document Camera Media, created when missing; 1, or 0 when it
// cannot be made.
int GetDefaultFolder(std::u16string& path);

// The media layer always serves what the descriptor asks for.
int vCheckQuickTimeVersion();
// major << 24 | minor << 20 | fix << 16 of a "7.2.1" text.
uint32_t VersionValue(std::u16string_view text);

// The prefix's length limit: Module.xml's Length kept within 0..31.
int32_t PrefixLimit(const CaptureSettingData& record);
// A prefix that keeps a file name inside the capture folder: no '/', no
// NUL, no leading '.', and not longer than `limit` units.
bool IsSafePrefix(std::u16string_view prefix, int32_t limit);

}  // namespace ORVGF
