#include "os/InfoPlist.h"

#include <gtest/gtest.h>

#include "TestEnvironment.h"

namespace {

const char* kInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleExecutable</key>
	<string>capture.so</string>
	<key>CFBundleIdentifier</key>
	<string>com.talvexa.capturebundle</string>
	<key>CFBundleVersion</key>
	<integer>3</integer>
</dict>
</plist>
)";

TEST(InfoPlist, ReadsStringKeysFromBundleOrContentsFolder) {
  auto bundle = testenv::MakeTempDir("b") / "capture.bundle";
  testenv::WriteFile(bundle / "Contents" / "Info.plist", kInfo);

  EXPECT_EQ(plat::InfoPlistString(bundle.string(), "CFBundleExecutable"), "capture.so");
  EXPECT_EQ(plat::InfoPlistString((bundle / "Contents").string(), "CFBundleIdentifier"),
            "com.talvexa.capturebundle");
  EXPECT_EQ(plat::InfoPlistString(bundle.string() + "/", "CFBundleExecutable"), "capture.so");
  // Not a string, absent key, no bundle at all.
  EXPECT_EQ(plat::InfoPlistString(bundle.string(), "CFBundleVersion"), std::nullopt);
  EXPECT_EQ(plat::InfoPlistString(bundle.string(), "CFBundleName"), std::nullopt);
  EXPECT_EQ(plat::InfoPlistString((bundle / "nowhere").string(), "CFBundleExecutable"), std::nullopt);
}

TEST(InfoPlist, MalformedFileReadsAsMissing) {
  auto bundle = testenv::MakeTempDir("b") / "x.app";
  testenv::WriteFile(bundle / "Contents" / "Info.plist", "<plist><dict><key>CFBundleExecutable</key>");
  EXPECT_EQ(plat::InfoPlistString(bundle.string(), "CFBundleExecutable"), std::nullopt);
}

}  // namespace
