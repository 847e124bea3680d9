// The edit plug-in's helpers: which files it edits, the texts of the
// property dialogs, fit arithmetic, the free-space rule, write tests, paths
// and the crop distances of its Module.xml.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "CPath.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditSettingData.h"
#include "EditTexts.h"
#include "ModuleInstance.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

std::u16string W(const fs::path& p) { return QelFromUTF8(p.string()); }

TEST(EditFiles, PhotosAndMoviesAreKnownByTheirExtensionInAnyCase) {
  const fs::path dir = testenv::MakeTempDir("files");
  const struct {
    const char* name;
    int answer;
    int type;
  } cases[] = {{"a.JpG", 1, 1}, {"b.bmp", 1, 1}, {"c.MOV", 1, 2}, {"d.jpeg", 0, -1}, {"e.png", 0, -1},
               {"jpg", 0, -1},  {"f.mov.txt", 0, -1}};
  for (const auto& c : cases) {
    testenv::WriteFile(dir / c.name, "x");
    int type = -1;
    EXPECT_EQ(vIsSupportFile(W(dir / c.name).c_str(), &type), c.answer) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
  }
  int type = -1;
  EXPECT_EQ(vIsSupportFile(W(dir / "missing.jpg").c_str(), &type), 0);
  EXPECT_EQ(vIsSupportFile(u"", &type), 0);
  EXPECT_EQ(vIsSupportFile(nullptr, &type), 0);
}

TEST(EditTexts, SizesInWholeKilobytesWithGroups) {
  const fs::path dir = testenv::MakeTempDir("sizes");
  const struct {
    size_t bytes;
    const char16_t* text;
  } cases[] = {{0, u"0 KB"}, {1, u"1 KB"}, {1024, u"1 KB"}, {1025, u"2 KB"}, {1234567, u"1,206 KB"}};
  for (const auto& c : cases) {
    const fs::path file = dir / ("f" + std::to_string(c.bytes));
    testenv::WriteFile(file, std::string(c.bytes, 'x'));
    std::u16string text;
    ASSERT_EQ(vGetFileSize(W(file).c_str(), text), 1);
    EXPECT_EQ(text, c.text) << c.bytes;
  }
  std::u16string text;
  EXPECT_EQ(vGetFileSize(W(dir / "missing").c_str(), text), 0);
}

TEST(EditTexts, PictureSizesNameTheCommonFormats) {
  const struct {
    SIZE size;
    const char16_t* text;
  } cases[] = {{{1280, 960}, u"1280 x 960 (1.3MP)"}, {{1280, 720}, u"1280 x 720 (HD 720P)"},
               {{1000, 1000}, u"1000 x 1000"},       {{2560, 1440}, u"2560 x 1440 (4MP)"},
               {{2560, 1920}, u"2560 x 1920 (5MP)"}, {{4096, 3072}, u"4096 x 3072 (12MP)"},
               {{640, 480}, u"640 x 480 (VGA)"}};
  for (const auto& c : cases) {
    std::u16string text;
    EXPECT_EQ(vSizeToString(c.size, text), 1);
    EXPECT_EQ(text, c.text);
  }
}

TEST(EditTexts, TimesAndFrameBoundaries) {
  EXPECT_EQ(vTimeToFrameTime(1999), 1960);
  EXPECT_EQ(vTimeToFrameTime(2000), 2000);
  EXPECT_EQ(vTimeToFrameTime(39), 0);
  std::u16string text;
  vTimeToString(3725, text);
  EXPECT_EQ(text, u"01:02:05");
}

TEST(EditFiles, FitRatios) {
  EXPECT_DOUBLE_EQ(vFitInRatio(200, 100, 100, 100), 0.5);
  EXPECT_DOUBLE_EQ(vFitInRatio(50, 100, 100, 100), 1.0);
  int32_t w = 201, h = 100;
  TLFitIn(&w, &h, 100, 100);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
  w = 0;
  EXPECT_EQ(TLFitIn(&w, &h, 100, 100), 0.0);
}

TEST(EditFiles, EnoughSpaceMeansMoreThanTheBytesAndFiftyMebibytes) {
  EXPECT_EQ(vIsEnoughSpaceFor(1000 + kSpareBytes, 1000), 0);
  EXPECT_EQ(vIsEnoughSpaceFor(1001 + kSpareBytes, 1000), 1);
  EXPECT_EQ(vIsEnoughSpaceFor(UINT64_MAX, UINT64_MAX), 0);
  EXPECT_EQ(vIsEnoughSpace(W(testenv::MakeTempDir("space")).c_str(), 0), 1);
  EXPECT_EQ(vIsEnoughSpace(u"/no/such/folder", 0), 0);
}

TEST(EditFiles, CheckCanSaveLeavesNothingBehind) {
  const fs::path dir = testenv::MakeTempDir("save");
  testenv::WriteFile(dir / "photo.jpg", "x");
  testenv::WriteFile(dir / "TestFile1.noindex", "someone else's");
  EXPECT_EQ(vCheckCanSave(W(dir / "photo.jpg").c_str()), 1);
  EXPECT_EQ(vCheckCanSave(W(dir / "new.jpg").c_str()), 1);
  EXPECT_EQ(testenv::ReadFile(dir / "TestFile1.noindex"), "someone else's");
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(dir)) entries += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 2u);
  EXPECT_EQ(vCheckCanSave(nullptr), 0);
  EXPECT_EQ(vCheckCanSave(u"/proc/no-file-can-be-made-here"), 0);
}

TEST(CPathTest, CreatesFoldersAndFilesOnlyWhereNothingIs) {
  const fs::path dir = testenv::MakeTempDir("paths");
  EXPECT_EQ(CPath::CreatePath(W(dir / "a" / "b" / "c").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
  EXPECT_EQ(CPath::CreatePath(W(dir / "a").c_str()), 0);
  EXPECT_EQ(CPath::CreateFile(W(dir / "x" / "y.txt").c_str()), 1);
  EXPECT_EQ(CPath::CreateFile(W(dir / "x" / "y.txt").c_str()), 0);
  EXPECT_EQ(CPath::IsFileExist(W(dir / "x" / "y.txt").c_str()), 1);
  CPath::DeleteFile(W(dir / "x" / "y.txt").c_str());
  EXPECT_EQ(CPath::IsFileExist(W(dir / "x" / "y.txt").c_str()), 0);
  CPath::DeleteFile(W(dir / "a").c_str());  // folders are left alone
  EXPECT_TRUE(fs::is_directory(dir / "a"));
  // A name with the separators of other systems is one folder here.
  EXPECT_EQ(CPath::CreatePath(W(dir / "Scans: 2024\\old").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir / "Scans: 2024\\old"));
  EXPECT_EQ(PathJoin(u"/a/", u"b"), u"/a/b");
  EXPECT_EQ(PathJoin(u"/a", u"/b"), u"/a/b");
}

TEST(EditSettings, CropDistancesComeFromTheModuleFile) {
  const struct {
    const char* element;
    int answer;
    uint32_t point, line;
  } cases[] = {
      {"<CropDistance MaxPointDistance=\"12\" MaxLineDistance=\"3\"/>", 1, 12, 3},
      {"<CropDistance MaxLineDistance=\"7\"/>", 1, 8, 7},
      {"<CropDistance MaxPointDistance=\"-4\" MaxLineDistance=\"9x\"/>", 1, 8, 5},
      {"<CropDistance MaxPointDistance=\"99999\"/>", 1, 8, 5},
      {"", 0, 8, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    const fs::path modules = testenv::MakeTempDir("module");
    const fs::path bundle = modules / "ZylEdit.bundle";
    fs::create_directories(bundle / "Contents");
    testenv::WriteFile(bundle / "Contents" / "Info.plist",
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                       "<string>test.edit</string></dict></plist>");
    testenv::WriteFile(modules / "Module.xml", std::string("<ModuleConfig>") + c.element + "</ModuleConfig>");
    std::optional<plat::Bundle> b = plat::Bundle::AtPath(bundle.string());
    ASSERT_TRUE(b);
    vStoreModuleInst(&*b);
    ORVGF::CEditSettingData data;
    EXPECT_EQ(ORVGF::GetSetData(&data), c.answer);
    EXPECT_EQ(data.MaxPointDistance, c.point);
    EXPECT_EQ(data.MaxLineDistance, c.line);
    vStoreModuleInst(nullptr);
  }
  ORVGF::CEditSettingData data;
  EXPECT_EQ(ORVGF::GetSetData(&data), 0);  // no module bundle at all
}

TEST(EditGlobals, FormatsFromTheStringTableFallBackWhenTheyAskForOtherArguments) {
  // Without a string table every text is missing: the built-in one is used.
  EXPECT_EQ(vLoadResFormat(48, u"Save %s?", u"a.jpg"), u"Save a.jpg?");
  EXPECT_EQ(vLoadResFormat(48, u"100%% of %s", u"x"), u"100% of x");
}

}  // namespace
