// Toolkit path roots: "$app\" is the main bundle's Contents folder, "$M\"
// an absolute POSIX path.
#include <glib.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "qel/QelLayout.h"

namespace {

std::mutex g_root_lock;
std::string g_app_root;

std::string DefaultAppRoot() {
  if (const char* bundle = std::getenv("DUNSELLOW_BUNDLE"); bundle && *bundle) {
    std::string b(bundle);
    while (b.size() > 1 && b.back() == '/') b.pop_back();
    return b + "/Contents";
  }
  char buf[PATH_MAX];
  if (!realpath("/proc/self/exe", buf)) return ".";
  gchar* macos = g_path_get_dirname(buf);
  gchar* contents = g_path_get_dirname(macos);
  std::string out(contents);
  g_free(macos);
  g_free(contents);
  return out;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  size_t n = strlen(prefix);
  return s.size() >= n && g_ascii_strncasecmp(s.c_str(), prefix, n) == 0;
}

}  // namespace

void QelSetAppRoot(const char* contents_folder) {
  std::lock_guard<std::mutex> lock(g_root_lock);
  g_app_root = contents_folder ? contents_folder : "";
  while (g_app_root.size() > 1 && g_app_root.back() == '/') g_app_root.pop_back();
}

std::string QelGetAppRoot() {
  std::lock_guard<std::mutex> lock(g_root_lock);
  if (g_app_root.empty()) g_app_root = DefaultAppRoot();
  return g_app_root;
}

std::string QelResolvePath(const std::string& toolkit_path) {
  std::string p;
  p.reserve(toolkit_path.size());
  for (char c : toolkit_path) {
    char d = c == '\\' ? '/' : c;
    if (d == '/' && !p.empty() && p.back() == '/') continue;  // "\/" and "//" collapse
    p.push_back(d);
  }
  if (StartsWithNoCase(p, "$app/")) return QelGetAppRoot() + p.substr(4);
  if (StartsWithNoCase(p, "$M/")) return p.substr(2);
  return p;
}
