#pragma once
// Bundles kept as plain folders: "X.app/Contents/{Info.plist, MacOS/<exe>,
// Resources/<loc>.lproj, Modules/...}" and plug-ins "X.bundle/Contents/...".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plat {

class Bundle {
 public:
  // The running program's bundle: $DUNSELLOW_BUNDLE when set, else the
  // ".app" folder above realpath(/proc/self/exe).
  static std::optional<Bundle> Main();
  // The bundle whose binary holds `address` (dladdr), walked up to the
  // nearest "*.bundle" or "*.app" folder: a plug-in finds its own bundle.
  static std::optional<Bundle> Containing(const void* address);
  // The bundle at `path` (the bundle folder or its Contents folder), when
  // it holds an Info.plist.
  static std::optional<Bundle> AtPath(const std::string& path);
  // Searches the main bundle, its Contents/*.bundle and *.app, its
  // Contents/Modules/*/*.bundle, and the applications folder (*.app and
  // their Contents/*.app); identifiers compare ignoring ASCII case.
  static std::optional<Bundle> WithIdentifier(const std::string& identifier);
  // $DUNSELLOW_APPS_DIR, else the folder holding the main bundle.
  static std::string ApplicationsFolder();

  const std::string& path() const { return path_; }  // the "X.app" / "X.bundle" folder
  std::string ContentsPath() const { return path_ + "/Contents"; }
  std::string ModulesPath() const { return ContentsPath() + "/Modules"; }
  std::string ResourcesPath() const { return ContentsPath() + "/Resources"; }
  // Contents/MacOS/<CFBundleExecutable>; empty without that key.
  std::string ExecutablePath() const;

  std::optional<std::string> InfoString(const std::string& key) const;
  std::optional<int64_t> InfoInteger(const std::string& key) const;
  std::string Identifier() const { return InfoString("CFBundleIdentifier").value_or(""); }
  std::string Name() const { return InfoString("CFBundleName").value_or(""); }
  std::string Version() const { return InfoString("CFBundleVersion").value_or(""); }

  // Localisations the bundle has ("English", "en", ...: Resources/*.lproj).
  std::vector<std::string> Localizations() const;
  // The first of them that the user's languages (LANGUAGE, LC_ALL,
  // LC_MESSAGES, LANG) ask for, by ISO code or English name; else the
  // development region, else English, else the first. Empty when none.
  std::string PreferredLocalization() const;
  // Resources/<preferred>.lproj, or Resources when the bundle has none.
  std::string LocalizedResourcesPath() const;

 private:
  explicit Bundle(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace plat
