#pragma once
// A main bundle for tests: Contents/Info.plist and, when asked, the SQL
// component bundle linked in, named by DUNSELLOW_BUNDLE.
#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"

namespace testbundle {

inline std::filesystem::path MakeMainBundle(bool withComponent) {
  std::filesystem::path app = testenv::MakeTempDir("app") / "Dunsellow.app";
  testenv::WriteFile(app / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>com.Talvexa.Orvenna</string>\n"
                     "<key>CFBundleExecutable</key><string>Dunsellow</string>\n</dict></plist>\n");
  if (withComponent) {
    std::filesystem::create_directory_symlink(VDLSQ_BUNDLE, app / "Contents" / "VdlSQbase.bundle");
  }
  setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  return app;
}

}  // namespace testbundle
