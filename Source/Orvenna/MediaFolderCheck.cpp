#include "MediaFolderCheck.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

int32_t SystemDriveType(const std::string& folder) { return QelGetDriveType(QelFromUTF8(folder).c_str()); }

int64_t SystemFreeBytes(const std::string& folder) {
  struct statvfs fs;
  if (::statvfs(folder.c_str(), &fs) != 0) return -1;
  return int64_t(uint64_t(fs.f_bavail) * uint64_t(fs.f_frsize));
}

// A uniquely named folder, so a folder of the user's that happens to have
// the test's name never turns a good choice down.
bool SystemCanCreateFolder(const std::string& folder) {
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '/') pattern += '/';
  pattern += ".dunsellow-write-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) return false;
  ::rmdir(name.data());
  return true;
}

MediaFolderProbes SystemProbes() { return {&SystemDriveType, &SystemFreeBytes, &SystemCanCreateFolder}; }

}  // namespace

MediaFolderProbes& MediaFolderCheckProbes() {
  static MediaFolderProbes probes = SystemProbes();
  return probes;
}

void ResetMediaFolderCheckProbes() { MediaFolderCheckProbes() = SystemProbes(); }

MediaFolderVerdict CheckMediaFolder(const std::string& folder) {
  const MediaFolderProbes& p = MediaFolderCheckProbes();
  int32_t type = p.driveType(folder);
  if (type == QEL_DRIVE_UNKNOWN || type == QEL_DRIVE_NO_ROOT_DIR) return MediaFolderVerdict::kNoDrive;
  if (type != QEL_DRIVE_FIXED) return MediaFolderVerdict::kNotFixedDisk;
  if (p.freeBytes(folder) <= kMediaFolderMinFreeBytes) return MediaFolderVerdict::kNotEnoughSpace;
  if (!p.canCreateFolder(folder)) return MediaFolderVerdict::kNotWritable;
  return MediaFolderVerdict::kAccepted;
}
