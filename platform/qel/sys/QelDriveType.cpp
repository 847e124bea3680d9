// What kind of volume a path lies on, from the file system's type and, for a
// block device, the kernel's removable flag.
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <string>

#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

bool ReadsOne(const std::string& file) {
  std::ifstream in(file);
  int value = 0;
  return (in >> value) && value == 1;
}

bool IsRemovableDevice(dev_t device) {
  std::string base = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
                     std::to_string(minor(device));
  // A partition carries the flag on its parent disk.
  return ReadsOne(base + "/removable") || ReadsOne(base + "/../removable");
}

}  // namespace

int32_t QelGetDriveType(const WCHAR* path) {
  if (!path || !*path) return QEL_DRIVE_NO_ROOT_DIR;
  std::string utf8 = QelToUTF8(path);
  struct statfs fs;
  struct stat st;
  if (::statfs(utf8.c_str(), &fs) != 0 || ::stat(utf8.c_str(), &st) != 0) {
    return QEL_DRIVE_NO_ROOT_DIR;
  }
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:      // nfs
    case 0x517B:      // smb
    case 0xFF534D42:  // cifs
    case 0xFE534D42:  // smb2
    case 0x65735546:  // fuse
      return QEL_DRIVE_REMOTE;
    case 0x9660:      // iso9660
    case 0x15013346:  // udf
      return QEL_DRIVE_CDROM;
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
      return QEL_DRIVE_RAMDISK;
    default:
      break;
  }
  if (major(st.st_dev) != 0 && IsRemovableDevice(st.st_dev)) return QEL_DRIVE_REMOVABLE;
  return QEL_DRIVE_FIXED;
}
