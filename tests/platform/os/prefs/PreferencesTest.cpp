#include "os/Preferences.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
using plat::Preferences;
using plat::PlistValue;

fs::path DomainFile(const std::string& domain) {
  return fs::path(std::getenv("XDG_CONFIG_HOME")) / "dunsellow" / (domain + ".plist");
}

// Reads the file with Python's plistlib and prints "key=repr" lines, sorted.
std::string ReadWithPython(const fs::path& file) {
  std::string cmd = "python3 -c 'import plistlib,sys\nd=plistlib.load(open(sys.argv[1],\"rb\"))\n"
                    "print(\";\".join(k+\"=\"+repr(d[k]) for k in sorted(d)))' '" + file.string() + "'";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out;
}

TEST(Preferences, WritesThroughReadableByPlistlib) {
  auto& prefs = Preferences::ForDomain(plat::kMainPreferencesDomain);
  EXPECT_EQ(prefs.GetInt("SelTab", 7), 7);
  ASSERT_TRUE(prefs.SetInt("SelTab", -5));
  ASSERT_TRUE(prefs.SetText("Media Folder", u"/home/u/Document Camera Media/\u00e9 & <x>"));
  ASSERT_TRUE(prefs.SetBool("TimeStapEnable", true));
  ASSERT_TRUE(prefs.Set("Blob", PlistValue::Data({1, 2, 3})));
  ASSERT_TRUE(prefs.Set("Scale", PlistValue::Real(1.5)));

  EXPECT_EQ(ReadWithPython(DomainFile(plat::kMainPreferencesDomain)),
            "Blob=b'\\x01\\x02\\x03';Media Folder='/home/u/Document Camera Media/\xC3\xA9 & <x>';"
            "Scale=1.5;SelTab=-5;TimeStapEnable=True\n");
  // No temporary file is left beside it.
  for (auto& e : fs::directory_iterator(DomainFile("x").parent_path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();

  // Read back from the file, not the cache.
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("SelTab", 0), -5);
  EXPECT_EQ(prefs.GetText("Media Folder"), u"/home/u/Document Camera Media/\u00e9 & <x>");
  EXPECT_TRUE(prefs.GetBool("TimeStapEnable", false));
  EXPECT_TRUE(prefs.Remove("SelTab"));
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("SelTab", 3), 3);
}

TEST(Preferences, WrongTypesAndLongTextsFallBackWithoutLosingOtherKeys) {
  testenv::WriteFile(DomainFile("com.example.Typed"),
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                     "<key>Int</key><string>12</string>"
                     "<key>Huge</key><integer>4294967296</integer>"
                     "<key>Text</key><integer>1</integer>"
                     "<key>Long</key><string>abcdef</string>"
                     "<key>Kept</key><string>yes</string>"
                     "<key>List</key><array><integer>1</integer><dict><key>a</key><true/></dict></array>"
                     "</dict></plist>");
  auto& prefs = Preferences::ForDomain("com.example.Typed");
  EXPECT_EQ(prefs.GetInt("Int", 9), 9);
  EXPECT_EQ(prefs.GetInt("Huge", 9), 9);
  EXPECT_EQ(prefs.GetText("Text"), std::nullopt);
  EXPECT_EQ(prefs.GetText("Long", 5), std::nullopt);  // too long for the caller: absent, not cut
  EXPECT_EQ(prefs.GetText("Long", 6), u"abcdef");
  ASSERT_TRUE(prefs.Get("List"));
  EXPECT_EQ(prefs.Get("List")->AsArray()->size(), 2u);
  ASSERT_TRUE(prefs.SetInt("Int", 12));
  prefs.Reload();
  EXPECT_EQ(prefs.GetText("Kept"), u"yes");
  EXPECT_EQ(prefs.GetInt("Int", 0), 12);
}

TEST(Preferences, CorruptFileIsKeptAsideBeforeFirstWrite) {
  const std::string junk = "<plist><dict><key>Half";
  testenv::WriteFile(DomainFile("com.example.Broken"), junk);
  auto& prefs = Preferences::ForDomain("com.example.Broken");
  EXPECT_EQ(prefs.GetInt("Any", 4), 4);
  // Reading alone leaves the file as it was.
  EXPECT_EQ(testenv::ReadFile(DomainFile("com.example.Broken")), junk);
  ASSERT_TRUE(prefs.SetInt("Any", 5));
  EXPECT_EQ(testenv::ReadFile(fs::path(DomainFile("com.example.Broken").string() + ".corrupt-1")), junk);
  prefs.Reload();
  EXPECT_EQ(prefs.GetInt("Any", 0), 5);
}

TEST(Preferences, MissingFileAndUnstorableValues) {
  auto& prefs = Preferences::ForDomain("com.example.Fresh");
  EXPECT_FALSE(fs::exists(prefs.path()));
  EXPECT_FALSE(prefs.GetText("Absent"));
  EXPECT_FALSE(prefs.SetText("Ctl", u"a\u0001b"));  // XML cannot carry it
  EXPECT_FALSE(prefs.SetText("Half", std::u16string(1, char16_t(0xD800))));
  EXPECT_FALSE(fs::exists(prefs.path()));
  EXPECT_TRUE(prefs.SetText("Ok", u""));
  EXPECT_EQ(prefs.GetText("Ok"), u"");
  EXPECT_FALSE(prefs.Get("Ctl"));
  // A domain that cannot name a file never writes outside the folder.
  EXPECT_FALSE(Preferences::ForDomain("../evil").SetInt("x", 1));
  EXPECT_EQ(&Preferences::ForDomain("com.example.Fresh"), &prefs);
}

}  // namespace
