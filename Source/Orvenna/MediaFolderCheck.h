#pragma once
// Whether a folder the user chose may become the media folder: it must lie
// on a local fixed disk, have more than 9,999,999 bytes free and let the
// program create a folder in it. What the check asks of the system can be
// replaced (tests stand in a full disk or a network drive).
#include <cstdint>
#include <functional>
#include <string>

enum class MediaFolderVerdict {
  kAccepted,
  kNoDrive,        // the folder's file system cannot be determined
  kNotFixedDisk,   // removable, network, optical or memory drive
  kNotEnoughSpace,
  kNotWritable,
};

struct MediaFolderProbes {
  // The toolkit's drive type of the folder (3: a fixed disk).
  std::function<int32_t(const std::string& folder)> driveType;
  // Bytes free for the user; negative when unknown.
  std::function<int64_t(const std::string& folder)> freeBytes;
  // Whether a folder can be made (and is removed again at once).
  std::function<bool(const std::string& folder)> canCreateFolder;
};

// The probes in use (the system's unless a test replaced them).
MediaFolderProbes& MediaFolderCheckProbes();
// Puts the system's probes back.
void ResetMediaFolderCheckProbes();

constexpr int64_t kMediaFolderMinFreeBytes = 9999999;

MediaFolderVerdict CheckMediaFolder(const std::string& folder);
