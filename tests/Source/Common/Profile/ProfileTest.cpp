#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Profile.h"
#include "TestEnvironment.h"
#include "os/Preferences.h"

namespace fs = std::filesystem;

namespace {

fs::path PrefsFile(const std::string& domain = "com.Talvexa.Orvenna") {
  return fs::path(std::getenv("XDG_CONFIG_HOME")) / "dunsellow" / (domain + ".plist");
}

bool PythonAccepts(const fs::path& file, const std::string& script) {
  fs::path dir = testenv::MakeTempDir("py");
  testenv::WriteFile(dir / "check.py", script);
  std::string cmd = "/usr/bin/python3 -I '" + (dir / "check.py").string() + "' '" + file.string() + "'";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace

TEST(Profile, NumbersAndTextsRoundTripThroughAFileOthersCanRead) {
  EXPECT_EQ(LoadProfileInt(u"Section_Capture", u"SelTab", 3), 3);
  ASSERT_EQ(SaveProfileInt(u"Section_Capture", u"SelTab", 5), 1);
  EXPECT_EQ(LoadProfileInt(u"Other section", u"SelTab", 3), 5);  // sections are not kept
  ASSERT_EQ(SaveProfileInt(nullptr, u"Negative", -7), 1);
  ASSERT_EQ(SaveProfileString(u"Option", u"Media Folder", u"/home/anna/M\u00e9dia \u5199\u771f"), 1);

  WCHAR buffer[64];
  ASSERT_EQ(LoadProfileString(u"Option", u"Media Folder", u"default", buffer, 64), 1);
  EXPECT_EQ(std::u16string(buffer), u"/home/anna/M\u00e9dia \u5199\u771f");

  // A fresh reader of the file (another process) sees the same values.
  plat::Preferences::ForDomain("com.Talvexa.Orvenna").Reload();
  EXPECT_EQ(LoadProfileInt(nullptr, u"Negative", 0), -7);
  EXPECT_TRUE(PythonAccepts(PrefsFile(), R"(
import plistlib, sys
d = plistlib.load(open(sys.argv[1], 'rb'))
assert d == {'SelTab': 5, 'Negative': -7, 'Media Folder': '/home/anna/M\u00e9dia \u5199\u771f'}, d
)"));
}

TEST(Profile, TextsThatDoNotFitCountAsAbsent) {
  ASSERT_EQ(SaveProfileString(nullptr, u"Media Folder", u"/abcdefgh"), 1);  // 9 units
  WCHAR buffer[10];
  // Exactly room for the text and its terminator.
  EXPECT_EQ(LoadProfileString(nullptr, u"Media Folder", u"/def", buffer, 10), 1);
  EXPECT_EQ(std::u16string(buffer), u"/abcdefgh");
  // One unit short: the default, never a cut path.
  EXPECT_EQ(LoadProfileString(nullptr, u"Media Folder", u"/def", buffer, 9), 0);
  EXPECT_EQ(std::u16string(buffer), u"/def");
  EXPECT_EQ(LoadProfileString(nullptr, u"Absent", u"/def", buffer, 10), 0);
  EXPECT_EQ(std::u16string(buffer), u"/def");
  // A default that does not fit leaves the buffer empty.
  EXPECT_EQ(LoadProfileString(nullptr, u"Absent", u"/a/very/long/default", buffer, 10), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(LoadProfileString(nullptr, u"Absent", nullptr, buffer, 10), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(LoadProfileString(nullptr, u"Media Folder", u"/def", nullptr, 10), 0);
  EXPECT_EQ(LoadProfileString(nullptr, u"Media Folder", u"/def", buffer, 0), 0);
}

TEST(Profile, WrongTypesAndBrokenFilesFallBackToDefaults) {
  testenv::WriteFile(PrefsFile(),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\"><dict>\n"
                     "<key>TimeStapEnable</key><string>yes</string>\n"
                     "<key>Personal Photo</key><integer>4</integer>\n"
                     "<key>Quality</key><integer>90</integer>\n"
                     "</dict></plist>\n");
  EXPECT_EQ(LoadProfileInt(nullptr, u"TimeStapEnable", 1), 1);
  WCHAR buffer[16];
  EXPECT_EQ(LoadProfileString(nullptr, u"Personal Photo", u"none", buffer, 16), 0);
  EXPECT_EQ(std::u16string(buffer), u"none");
  EXPECT_EQ(LoadProfileInt(nullptr, u"Quality", 0), 90);

  // A new value keeps the others.
  ASSERT_EQ(SaveProfileInt(nullptr, u"SelTab", 2), 1);
  EXPECT_TRUE(PythonAccepts(PrefsFile(), R"(
import plistlib, sys
d = plistlib.load(open(sys.argv[1], 'rb'))
assert d == {'TimeStapEnable': 'yes', 'Personal Photo': 4, 'Quality': 90, 'SelTab': 2}, d
)"));

  // A file that does not parse reads as empty; it is kept aside, not lost.
  testenv::WriteFile(PrefsFile(), "<plist><dict><key>Quality</key><integer>9");
  plat::Preferences::ForDomain("com.Talvexa.Orvenna").Reload();
  EXPECT_EQ(LoadProfileInt(nullptr, u"Quality", 75), 75);
  ASSERT_EQ(SaveProfileInt(nullptr, u"Quality", 80), 1);
  bool keptAside = false;
  for (const auto& entry : fs::directory_iterator(PrefsFile().parent_path()))
    keptAside |= entry.path().filename().string().find(".corrupt") != std::string::npos;
  EXPECT_TRUE(keptAside);
  EXPECT_EQ(LoadProfileInt(nullptr, u"Quality", 75), 80);
}

TEST(Profile, DomainsAreSeparateAndRawValuesPassThrough) {
  ASSERT_EQ(SaveProfileInt(nullptr, u"Volume", 30, u"com.talvexa.orvplayvane"), 1);
  EXPECT_EQ(LoadProfileInt(nullptr, u"Volume", -1), -1);
  EXPECT_EQ(LoadProfileInt(nullptr, u"Volume", -1, u"com.talvexa.orvplayvane"), 30);
  EXPECT_TRUE(fs::exists(PrefsFile("com.talvexa.orvplayvane")));

  ASSERT_EQ(Mac_SetPreferenceValue(u"Flag", plat::PlistValue::Boolean(true)), 1);
  auto value = Mac_GetPreferenceValue(u"Flag");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->AsBoolean(), true);
  EXPECT_FALSE(Mac_GetPreferenceValue(u"Missing").has_value());
  EXPECT_EQ(Mac_SetPreferenceValue(nullptr, plat::PlistValue::Integer(1)), 0);
  EXPECT_EQ(SaveProfileString(nullptr, nullptr, u"x"), 0);
}

TEST(Profile, InfoListValuesOfTheMainBundle) {
  fs::path bundle = testenv::MakeTempDir("bundle") / "Dunsellow.app";
  testenv::WriteFile(bundle / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleName</key><string>Dunsellow</string>\n"
                     "<key>Empty</key><string></string>\n"
                     "<key>Count</key><integer>12</integer>\n"
                     "</dict></plist>\n");
  ::setenv("DUNSELLOW_BUNDLE", bundle.c_str(), 1);

  WCHAR buffer[10];
  EXPECT_EQ(GetProfileStringFromInfoList(u"CFBundleName", u"x", buffer, 10), 1);
  EXPECT_EQ(std::u16string(buffer), u"Dunsellow");
  EXPECT_EQ(GetProfileStringFromInfoList(u"Empty", u"fallback", buffer, 10), 1);
  EXPECT_EQ(std::u16string(buffer), u"fallback");
  EXPECT_EQ(GetProfileStringFromInfoList(u"CFBundleName", u"short", buffer, 9), 1);  // does not fit
  EXPECT_EQ(std::u16string(buffer), u"short");
  EXPECT_EQ(GetProfileStringFromInfoList(u"Missing", u"far too long a default", buffer, 10), 0);
  EXPECT_EQ(GetProfileStringFromInfoList(u"CFBundleName", u"x", nullptr, 10), 0);
  EXPECT_EQ(GetProfileIntFromInfoList(u"Count", 1), 12);
  EXPECT_EQ(GetProfileIntFromInfoList(u"CFBundleName", 1), 1);
  EXPECT_EQ(GetProfileIntFromInfoList(u"Missing", 1), 1);
}
