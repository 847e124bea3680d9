#pragma once
// Reading a bundle's Contents/Info.plist.
#include <optional>
#include <string>

namespace plat {

// Path of the Info.plist of `bundle`: `bundle` may be the bundle folder
// ("X.app", "X.bundle") or its "Contents" folder. Empty when neither holds one.
std::string InfoPlistPath(const std::string& bundle);

// String value of a top-level key of the bundle's Info.plist
// ("CFBundleExecutable", "CFBundleIdentifier", ...). nullopt when the file is
// missing or malformed, the key is absent, or its value is not a string.
std::optional<std::string> InfoPlistString(const std::string& bundle, const std::string& key);

}  // namespace plat
