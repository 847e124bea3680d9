#include "os/InfoPlist.h"

#include "os/PropertyList.h"

#include <sys/stat.h>

namespace plat {

namespace {
bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
}  // namespace

std::string InfoPlistPath(const std::string& bundle) {
  if (bundle.empty()) return {};
  std::string base = bundle;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string inContents = base + "/Contents/Info.plist";
  if (IsRegularFile(inContents)) return inContents;
  std::string direct = base + "/Info.plist";
  if (IsRegularFile(direct)) return direct;
  return {};
}

std::optional<std::string> InfoPlistString(const std::string& bundle, const std::string& key) {
  std::string path = InfoPlistPath(bundle);
  if (path.empty()) return std::nullopt;
  auto root = ReadPropertyListFile(path);
  if (!root) return std::nullopt;
  const PlistValue* v = root->Find(key);
  if (!v || !v->is(PlistValue::Type::String)) return std::nullopt;
  return v->AsString();
}

}  // namespace plat
