#include "os/Bundle.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
using plat::Bundle;

void WriteInfo(const fs::path& bundle, const std::string& id, const std::string& extra = "") {
  testenv::WriteFile(bundle / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                     "<key>CFBundleIdentifier</key><string>" + id + "</string>"
                     "<key>CFBundleExecutable</key><string>Dunsellow</string>"
                     "<key>CFBundleName</key><string>Dunsellow</string>"
                     "<key>CFBundleVersion</key><string>1.0.3</string>" + extra +
                     "</dict></plist>");
}

class BundleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    apps = testenv::MakeTempDir("apps");
    main = apps / "Dunsellow.app";
    WriteInfo(main, "com.Talvexa.Orvenna");
    WriteInfo(main / "Contents/Modules/Capture/capture.bundle", "com.talvexa.capturebundle");
    WriteInfo(main / "Contents/ZylEmail.bundle", "com.Talvexa.ZylEmail");
    WriteInfo(main / "Contents/Dunsellow Vistrel.app", "com.talvexa.VistrelExe");
    WriteInfo(apps / "Pressmon.app", "com.talvexa.pressmon");
    setenv("DUNSELLOW_BUNDLE", main.c_str(), 1);
    unsetenv("DUNSELLOW_APPS_DIR");
  }
  fs::path apps, main;
};

TEST_F(BundleTest, MainBundlePathsAndInfoValues) {
  auto b = Bundle::Main();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->path(), main.string());
  EXPECT_EQ(b->ContentsPath(), (main / "Contents").string());
  EXPECT_EQ(b->ModulesPath(), (main / "Contents/Modules").string());
  EXPECT_EQ(b->ResourcesPath(), (main / "Contents/Resources").string());
  EXPECT_EQ(b->ExecutablePath(), (main / "Contents/MacOS/Dunsellow").string());
  EXPECT_EQ(b->Identifier(), "com.Talvexa.Orvenna");
  EXPECT_EQ(b->Name(), "Dunsellow");
  EXPECT_EQ(b->Version(), "1.0.3");
  EXPECT_EQ(Bundle::ApplicationsFolder(), apps.string());
  // The override may name the Contents folder too.
  setenv("DUNSELLOW_BUNDLE", (main / "Contents/").c_str(), 1);
  EXPECT_EQ(Bundle::Main()->path(), main.string());
}

TEST_F(BundleTest, FindsBundlesByIdentifierWhereverTheyLive) {
  struct {
    const char* id;
    fs::path where;
  } cases[] = {
      {"com.Talvexa.Orvenna", main},
      {"com.talvexa.capturebundle", main / "Contents/Modules/Capture/capture.bundle"},
      {"com.Talvexa.ZylEmail", main / "Contents/ZylEmail.bundle"},
      {"com.talvexa.vistrelexe", main / "Contents/Dunsellow Vistrel.app"},
      {"com.talvexa.pressmon", apps / "Pressmon.app"},
  };
  for (auto& c : cases) {
    auto b = Bundle::WithIdentifier(c.id);
    ASSERT_TRUE(b) << c.id;
    EXPECT_EQ(b->path(), c.where.string()) << c.id;
  }
  EXPECT_FALSE(Bundle::WithIdentifier("com.example.none"));
  // A separate applications folder.
  auto other = testenv::MakeTempDir("other");
  WriteInfo(other / "Merrowick.app", "com.example.merrowick");
  setenv("DUNSELLOW_APPS_DIR", other.c_str(), 1);
  EXPECT_TRUE(Bundle::WithIdentifier("com.example.merrowick"));
  EXPECT_FALSE(Bundle::WithIdentifier("com.talvexa.pressmon"));
}

TEST_F(BundleTest, PreferredLocalization) {
  auto b = *Bundle::Main();
  EXPECT_EQ(b.PreferredLocalization(), "");
  EXPECT_EQ(b.LocalizedResourcesPath(), b.ResourcesPath());
  fs::create_directories(main / "Contents/Resources/English.lproj/UI");
  fs::create_directories(main / "Contents/Resources/French.lproj");
  fs::create_directories(main / "Contents/Resources/ja.lproj");
  setenv("LANGUAGE", "", 1);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(b.PreferredLocalization(), "English");
  EXPECT_EQ(b.LocalizedResourcesPath(), (main / "Contents/Resources/English.lproj").string());
  setenv("LANGUAGE", "fr_CA:en", 1);
  setenv("LC_ALL", "fr_CA.UTF-8", 1);
  EXPECT_EQ(b.PreferredLocalization(), "French");
  setenv("LANGUAGE", "ja", 1);
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(b.PreferredLocalization(), "ja");
}

TEST_F(BundleTest, PluginFindsItsOwnBundle) {
  fs::path bundle = main / "Contents/Modules/Capture/capture.bundle";
  fs::create_directories(bundle / "Contents/MacOS");
  fs::copy_file(TEST_PLUGIN, bundle / "Contents/MacOS/capture.so");
  void* h = dlopen((bundle / "Contents/MacOS/capture.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_TRUE(h) << dlerror();
  auto own = reinterpret_cast<const char* (*)()>(dlsym(h, "OwnBundlePath"));
  ASSERT_TRUE(own);
  EXPECT_EQ(std::string(own()), fs::canonical(bundle).string());
  dlclose(h);
  // Code outside any bundle has none.
  EXPECT_FALSE(Bundle::Containing(reinterpret_cast<const void*>(&testenv::Root)));
}

}  // namespace
