#pragma once
// Whether a path lies on a drive the framework works with.
#include "qel/QelTypes.h"

namespace Vardel {

class CDeviceHelper {
 public:
  // 1 when the path lies on a removable or a fixed drive; 0 for remote,
  // optical and memory drives and for paths that do not exist.
  static int IsSupportPath(const WCHAR* path);
};

}  // namespace Vardel
