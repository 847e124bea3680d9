#include "DeviceHelper.h"

#include "qel/QelPath.h"

namespace Vardel {

int CDeviceHelper::IsSupportPath(const WCHAR* path) {
  if (!path || !*path) return 0;
  // There are no drive letters: the volume is the one the path lies on.
  int32_t type = QelGetDriveType(path);
  return (type == QEL_DRIVE_REMOVABLE || type == QEL_DRIVE_FIXED) ? 1 : 0;
}

}  // namespace Vardel
