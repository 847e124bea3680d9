#pragma once
// Start-up and trace hooks of the framework that do nothing on this system.

class CVdlMBEnvPath {
 public:
  static int SetMBEnvPath() { return 1; }
};

namespace Vardel {

// Trace output is switched off: the arguments are ignored.
inline int _TRACEA(const char* /*format*/, ...) { return 0; }

}  // namespace Vardel
