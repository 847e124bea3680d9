#include "os/Bundle.h"

#include "os/InfoPlist.h"
#include "os/PropertyList.h"

#include <dlfcn.h>
#include <glib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace plat {

namespace {

bool EndsWith(const std::string& s, const char* suffix) {
  size_t n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string RealPath(const std::string& p) {
  char buf[PATH_MAX];
  return ::realpath(p.c_str(), buf) ? std::string(buf) : std::string();
}

bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Nearest ancestor of `file` (a real path) whose name ends in one of the suffixes.
std::string BundleAbove(const std::string& file, bool pluginsToo) {
  std::string p = file;
  while (!p.empty() && p != "/") {
    size_t slash = p.rfind('/');
    p = slash == 0 ? "/" : p.substr(0, slash);
    if (EndsWith(p, ".app") || (pluginsToo && EndsWith(p, ".bundle"))) return p;
  }
  return {};
}

std::vector<std::string> ChildrenEndingWith(const std::string& folder, const char* suffix) {
  std::vector<std::string> out;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!suffix || EndsWith(name, suffix)) out.push_back(folder + "/" + name);
  }
  ::closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

std::string LanguageEnglishName(const std::string& code) {
  static const struct {
    const char* code;
    const char* name;
  } names[] = {{"en", "English"}, {"fr", "French"},   {"de", "German"},  {"ja", "Japanese"},
               {"es", "Spanish"}, {"it", "Italian"},  {"nl", "Dutch"},   {"pt", "Portuguese"},
               {"sv", "Swedish"}, {"da", "Danish"},   {"fi", "Finnish"}, {"no", "Norwegian"},
               {"ko", "Korean"},  {"ru", "Russian"},  {"pl", "Polish"},  {"zh", "Chinese"}};
  for (auto& n : names)
    if (code == n.code) return n.name;
  return {};
}

}  // namespace

std::optional<Bundle> Bundle::AtPath(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (EndsWith(p, "/Contents")) p.resize(p.size() - 9);
  if (p.empty() || !IsDir(p + "/Contents")) return std::nullopt;
  return Bundle(p);
}

std::optional<Bundle> Bundle::Main() {
  if (const char* env = std::getenv("DUNSELLOW_BUNDLE"); env && *env) return AtPath(env);
  std::string exe = RealPath("/proc/self/exe");
  std::string b = exe.empty() ? std::string() : BundleAbove(exe, false);
  if (b.empty()) return std::nullopt;
  return Bundle(b);
}

std::optional<Bundle> Bundle::Containing(const void* address) {
  Dl_info info{};
  if (!address || !::dladdr(address, &info) || !info.dli_fname) return std::nullopt;
  std::string file = RealPath(info.dli_fname);
  if (file.empty()) file = RealPath("/proc/self/exe");  // the executable may report its bare name
  std::string b = file.empty() ? std::string() : BundleAbove(file, true);
  if (b.empty()) return std::nullopt;
  return Bundle(b);
}

std::string Bundle::ApplicationsFolder() {
  if (const char* env = std::getenv("DUNSELLOW_APPS_DIR"); env && *env) return env;
  auto main = Main();
  if (!main) return {};
  return main->path().substr(0, main->path().rfind('/'));
}

std::optional<Bundle> Bundle::WithIdentifier(const std::string& identifier) {
  if (identifier.empty()) return std::nullopt;
  std::vector<std::string> candidates;
  auto main = Main();
  if (main) {
    candidates.push_back(main->path());
    for (const char* kind : {".bundle", ".app"})
      for (auto& c : ChildrenEndingWith(main->ContentsPath(), kind)) candidates.push_back(c);
    for (auto& module : ChildrenEndingWith(main->ModulesPath(), nullptr))
      for (auto& c : ChildrenEndingWith(module, ".bundle")) candidates.push_back(c);
  }
  std::string apps = ApplicationsFolder();
  if (!apps.empty()) {
    for (auto& app : ChildrenEndingWith(apps, ".app")) {
      candidates.push_back(app);
      for (auto& c : ChildrenEndingWith(app + "/Contents", ".app")) candidates.push_back(c);
    }
  }
  for (auto& c : candidates) {
    auto id = InfoPlistString(c, "CFBundleIdentifier");
    if (id && g_ascii_strcasecmp(id->c_str(), identifier.c_str()) == 0) return Bundle(c);
  }
  return std::nullopt;
}

std::string Bundle::ExecutablePath() const {
  auto exe = InfoString("CFBundleExecutable");
  if (!exe || exe->empty() || exe->find('/') != std::string::npos) return {};
  return ContentsPath() + "/MacOS/" + *exe;
}

std::optional<std::string> Bundle::InfoString(const std::string& key) const { return InfoPlistString(path_, key); }

std::optional<int64_t> Bundle::InfoInteger(const std::string& key) const {
  auto root = ReadPropertyListFile(InfoPlistPath(path_));
  const PlistValue* v = root ? root->Find(key) : nullptr;
  return v ? v->AsInteger() : std::nullopt;
}

std::vector<std::string> Bundle::Localizations() const {
  std::vector<std::string> out;
  for (auto& p : ChildrenEndingWith(ResourcesPath(), ".lproj")) {
    if (!IsDir(p)) continue;
    std::string name = p.substr(p.rfind('/') + 1);
    out.push_back(name.substr(0, name.size() - 6));
  }
  return out;
}

std::string Bundle::PreferredLocalization() const {
  std::vector<std::string> have = Localizations();
  if (have.empty()) return {};
  auto has = [&](const std::string& n) { return std::find(have.begin(), have.end(), n) != have.end(); };
  for (const gchar* const* l = g_get_language_names(); l && *l; ++l) {
    std::string lang = *l;
    if (lang == "C" || lang == "POSIX") continue;
    std::string base = lang.substr(0, lang.find_first_of(".@"));
    if (has(base)) return base;  // "en_US"
    std::string code = base.substr(0, base.find('_'));
    if (has(code)) return code;
    std::string english = LanguageEnglishName(code);
    if (!english.empty() && has(english)) return english;
  }
  if (auto dev = InfoString("CFBundleDevelopmentRegion"); dev && has(*dev)) return *dev;
  for (const char* fallback : {"English", "en"})
    if (has(fallback)) return fallback;
  return have.front();
}

std::string Bundle::LocalizedResourcesPath() const {
  std::string loc = PreferredLocalization();
  return loc.empty() ? ResourcesPath() : ResourcesPath() + "/" + loc + ".lproj";
}

}  // namespace plat
