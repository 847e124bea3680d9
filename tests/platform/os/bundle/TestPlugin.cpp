#include "os/Bundle.h"

#include <string>

namespace {
std::string g_path;
}

extern "C" const char* OwnBundlePath() {
  auto b = plat::Bundle::Containing(reinterpret_cast<const void*>(&OwnBundlePath));
  g_path = b ? b->path() : "";
  return g_path.c_str();
}
