#include "qel/QelBackend.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace qel {

std::unique_ptr<Backend> MakeHeadlessBackend();  // headless area

namespace {
std::mutex g_lock;
std::map<std::string, BackendFactory>& Factories() {
  static std::map<std::string, BackendFactory> f;
  return f;
}
std::unique_ptr<Backend> g_backend;
std::once_flag g_made;

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wl = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wl && *wl);
}
}  // namespace

Backend::~Backend() = default;

void RegisterBackendFactory(const std::string& name, BackendFactory f) {
  std::lock_guard<std::mutex> lock(g_lock);
  Factories()[name] = std::move(f);
}

Backend& CurrentBackend() {
  // The backend is made once, outside our lock: a toolkit's factory takes
  // the toolkit's own locks (GObject's type lock), and holding ours around
  // them would order the two against every later call made under the
  // toolkit's lock.
  std::call_once(g_made, [] {
    BackendFactory make;
    const char* want = std::getenv("QEL_BACKEND");
    bool headless = (want && std::strcmp(want, "headless") == 0) || !HasDisplay();
    if (!headless) {
      std::string name = want && *want ? want : "gtk";
      if (name == "gtk3") name = "gtk";
      std::lock_guard<std::mutex> lock(g_lock);
      auto it = Factories().find(name);
      if (it != Factories().end()) make = it->second;
    }
    std::unique_ptr<Backend> made = make ? make() : nullptr;
    g_backend = made ? std::move(made) : MakeHeadlessBackend();
  });
  return *g_backend;
}

bool IsHeadless() { return std::strcmp(CurrentBackend().Name(), "headless") == 0; }

}  // namespace qel
