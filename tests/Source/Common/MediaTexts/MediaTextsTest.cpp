// Texts about media files, the file time kept with thumbnails, and how the
// albums hand files to the e-mail and print bundles.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MediaTexts.h"
#include "NuvoDlgParam.h"
#include "TestEnvironment.h"
#include "ThumbFileTime.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

TEST(MediaTexts, NumbersSizesAndDurations) {
  const struct {
    int64_t bytes;
    const char16_t* kilobytes;
  } sizes[] = {{-5, u"0"}, {0, u"0"}, {1, u"1"}, {1024, u"1"}, {1025, u"2"}, {1234567, u"1,206"},
               {int64_t(1) << 40, u"1,073,741,824"}};
  for (const auto& c : sizes) EXPECT_EQ(FormatKilobytes(c.bytes), c.kilobytes) << c.bytes;
  EXPECT_EQ(FormatThousands(999), u"999");
  EXPECT_EQ(FormatThousands(1000), u"1,000");
  EXPECT_EQ(vTimeToString(-1), u"00:00:00");
  EXPECT_EQ(vTimeToString(360000), u"100:00:00");
  EXPECT_EQ(vSizeToString(SIZE{1920, 1080}), u"1920 x 1080 (HD 1080P)");
}

TEST(MediaTexts, FileTimesReadInTheLocalZone) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  plat::FileTime t;
  ASSERT_TRUE(plat::FileTimeFromUnix(timespec{0, 0}, &t));
  const std::string text = qel::ToU8(vFileTimeToString(t));
  EXPECT_NE(text.find("70"), std::string::npos) << text;  // "01/01/70" in the C locale
  EXPECT_NE(text.find("00:00:00"), std::string::npos) << text;
}

TEST(ThumbFileTime, TheLatestDateOfTheFileOrNothing) {
  const fs::path file = testenv::MakeTempDir("times") / "a.jpg";
  testenv::WriteFile(file, "x");
  plat::FileTime t;
  ASSERT_EQ(GetThumbFileTime(qel::ToU16(file.string()).c_str(), &t), 1);
  plat::FileDates dates;
  ASSERT_TRUE(plat::GetFileDates(file.string(), &dates));
  EXPECT_EQ(t, dates.Latest());
  EXPECT_FALSE(t < dates.attributeModification);
  EXPECT_EQ(GetThumbFileTime(u"/no/such/file.jpg", &t), 0);
  EXPECT_TRUE(t.isZero());
  EXPECT_EQ(GetThumbFileTime(nullptr, &t), 0);
}

class BundleDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path root = testenv::MakeTempDir("app") / "Dunsellow.app";
    contents_ = root / "Contents";
    testenv::WriteFile(contents_ / "Info.plist",
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                       "<string>com.Talvexa.Orvenna</string></dict></plist>");
    ::setenv("DUNSELLOW_BUNDLE", root.c_str(), 1);
    log_ = testenv::MakeTempDir("log") / "record.txt";
    ::setenv("NUVO_STANDIN_LOG", log_.c_str(), 1);
  }
  void AddBundle(const std::string& name) {
    const fs::path bundle = contents_ / name / "Contents";
    testenv::WriteFile(bundle / "Info.plist",
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleExecutable</key>"
                       "<string>standin.so</string></dict></plist>");
    fs::create_directories(bundle / "MacOS");
    fs::create_symlink(DIALOG_STANDIN, bundle / "MacOS" / "standin.so");
  }
  fs::path contents_, log_;
};

TEST_F(BundleDialog, TheEntryGetsEveryFileAndItsAnswerComesBack) {
  AddBundle("ZylEmail.bundle");
  AddBundle("Printwell.bundle");
  const std::vector<std::u16string> files{u"/m/a.jpg", u"/m/Anna's \"best\".mov"};
  int dummy = 0;
  struct Case {
    const char16_t* bundle;
    const char* entry;
    bool withSize;
    const char* answer;
    const char* record;
  } cases[] = {
      {u"ZylEmail.bundle", "OrvMailDlg", false, "1", "parent set\n/m/a.jpg -\n/m/Anna's \"best\".mov -\n"},
      {u"Printwell.bundle", "NuvoPrintDlg", true, "5", "parent set\n/m/a.jpg 0x0\n/m/Anna's \"best\".mov 0x0\n"},
  };
  for (const Case& c : cases) {
    ::setenv("NUVO_STANDIN_ANSWER", c.answer, 1);
    bool found = false;
    EXPECT_EQ(CallBundleDialog(c.bundle, c.entry, files, reinterpret_cast<WindowRef>(&dummy), c.withSize, nullptr,
                               &found),
              std::atoi(c.answer));
    EXPECT_TRUE(found);
    EXPECT_EQ(testenv::ReadFile(log_), c.record);
  }
}

TEST_F(BundleDialog, AMissingBundleOrEntryIsReportedAsNotFound) {
  AddBundle("ZylEmail.bundle");
  bool found = true;
  EXPECT_EQ(CallBundleDialog(u"Printwell.bundle", "NuvoPrintDlg", {u"/a.jpg"}, nullptr, true, nullptr, &found), 0);
  EXPECT_FALSE(found);
  found = true;
  EXPECT_EQ(CallBundleDialog(u"ZylEmail.bundle", "NoSuchEntry", {u"/a.jpg"}, nullptr, false, nullptr, &found), 0);
  EXPECT_FALSE(found);
  EXPECT_FALSE(fs::exists(log_));
}

}  // namespace
