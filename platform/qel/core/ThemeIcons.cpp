#include "ThemeIcons.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

namespace qel {

namespace {

std::vector<std::string> DataDirs() {
  const char* env = std::getenv("XDG_DATA_DIRS");
  std::string dirs = env && *env ? env : "/usr/local/share:/usr/share";
  std::vector<std::string> out;
  std::stringstream in(dirs);
  for (std::string d; std::getline(in, d, ':');) {
    if (!d.empty()) out.push_back(d);
  }
  return out;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool IsSymbolicIcon(const std::string& path) { return EndsWith(path, ".symbolic.png"); }

std::string ThemeIconPath(const std::string& name) {
  namespace fs = std::filesystem;
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const std::string file = EndsWith(name, "-symbolic") ? name + ".symbolic.png" : name + ".png";
  static const int kSizes[] = {32, 24, 48, 64, 16};
  for (const char* theme : {"Adwaita", "hicolor"}) {
    for (const std::string& dir : DataDirs()) {
      for (int size : kSizes) {
        fs::path base = fs::path(dir) / "icons" / theme / (std::to_string(size) + "x" + std::to_string(size));
        std::error_code ec;
        for (const fs::directory_entry& context : fs::directory_iterator(base, ec)) {
          fs::path candidate = context.path() / file;
          if (fs::is_regular_file(candidate, ec)) return candidate.string();
        }
      }
    }
  }
  std::fprintf(stderr, "qel: the icon theme has no \"%s\"\n", name.c_str());
  return {};
}

}  // namespace qel
