// Debug mode: the debug bundle and the notifications it shows.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "BMMainController.h"
#include "VesperlEntry.h"
#include "os/Bundle.h"

void BMMainController::BMShowDebugWindow() {
  // The bundle and its entry are kept for the life of the process.
  static VesperlSharedInstanceFunction s_entry = nullptr;
  if (!s_entry) {
    auto main = plat::Bundle::Main();
    if (!main) return;
    auto bundle = plat::Bundle::AtPath(main->ResourcesPath() + "/Vesperl.bundle");
    if (!bundle) return;
    std::string binary = bundle->ExecutablePath();
    void* library = binary.empty() ? nullptr : dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      std::fprintf(stderr, "Pressmon: debug window not available: %s\n", dlerror());
      return;
    }
    s_entry = reinterpret_cast<VesperlSharedInstanceFunction>(dlsym(library, kVesperlSharedInstanceSymbol));
    if (!s_entry) return;
  }
  s_entry(&_notificationCenter);
}
