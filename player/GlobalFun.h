#pragma once
// The player's small helpers: the time text under the progress bar, which
// files it plays, its integer preferences and the screen's size.
#include <cstdint>
#include <string>

#include "qel/QelTypes.h"

// The player's preference domain and its one key.
inline constexpr const char* kPlayerPreferenceDomain = "com.talvexa.orvplayvane";
inline constexpr const WCHAR* kPrefSectionOptions = u"MPOptions";
inline constexpr const WCHAR* kPrefShowErrorMsg = u"ShowErrorMsg";

class CGlobalFun {
 public:
  virtual ~CGlobalFun() = default;

  // "hh:mm:ss" (hours widen past two digits); the number of units written.
  static int GetTimeString(uint32_t ms, std::u16string& out);
  static std::u16string GetTimeString(uint32_t ms);

  // By the file name's extension, any letter case; 0 for a null path.
  static int32_t IsSupportedFile(const WCHAR* path);       // movie or sound
  static int32_t IsSupportedVideoFile(const WCHAR* path);
  static int32_t IsSupportedAudioFile(const WCHAR* path);
  static int32_t IsFileExist(const WCHAR* path);

  // 32-bit integers of the application's preference domain; the section is
  // not part of the key. Load answers the default for a missing key;
  // Save answers 1 when the value was stored.
  static int32_t LoadProfileInt(const WCHAR* section, const WCHAR* key, int32_t fallback,
                                const char* appId = kPlayerPreferenceDomain);
  static int32_t SaveProfileInt(const WCHAR* section, const WCHAR* key, int32_t value,
                                const char* appId = kPlayerPreferenceDomain);

  // Text `id` of the program's string table; `fallback` when it has none.
  static std::u16string LoadString(uint32_t id, const WCHAR* fallback);

  // The work area of the screen the window is on (where windows may be placed).
  static SRect32 GetAvailableBounds();
};
