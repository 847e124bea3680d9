// The path, text and point functions of the main program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "MainFuncs.h"
#include "TestEnvironment.h"
#include "TestModules.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

struct SlashCase {
  std::u16string text;
  int append;
  int answer;
  std::u16string after;
};

TEST(CheckStringEndCharIsBackslash, BothFormsFollowTheTable) {
  const SlashCase cases[] = {
      {u"$app\\Modules\\Alpha\\", 1, 0, u"$app\\Modules\\Alpha\\/"},
      {u"$app\\Modules\\Alpha\\", 0, 0, u"$app\\Modules\\Alpha\\"},
      {u"/home/user/", 1, 1, u"/home/user/"},
      {u"/", 1, 1, u"/"},
      {u"", 1, 0, u""},
      {u"", 0, 0, u""},
      {u"a", 1, 0, u"a/"},
  };
  for (const SlashCase& c : cases) {
    SCOPED_TRACE(QelToUTF8(c.text) + " append " + std::to_string(c.append));
    WCHAR buffer[64] = {};
    qel_wcslcpy(buffer, c.text.c_str(), 64);
    EXPECT_EQ(CheckStringEndCharIsBackslash(buffer, c.append), c.answer);
    EXPECT_EQ(std::u16string(buffer), c.after);

    CQelStringW s(c.text.c_str());
    EXPECT_EQ(CheckStringEndCharIsBackslash(s, c.append), c.answer);
    EXPECT_EQ(std::u16string(s.c_str()), c.after);
  }
  EXPECT_EQ(CheckStringEndCharIsBackslash(static_cast<WCHAR*>(nullptr), 1), 0);
}

TEST(MyTLIsFileExist, FilesAndFoldersExistMissingAndNullDoNot) {
  fs::path dir = testenv::MakeTempDir();
  testenv::WriteFile(dir / "a.txt", "x");
  EXPECT_EQ(MyTLIsFileExist(QelFromUTF8((dir / "a.txt").string()).c_str()), 1);
  EXPECT_EQ(MyTLIsFileExist(QelFromUTF8(dir.string()).c_str()), 1);
  EXPECT_EQ(MyTLIsFileExist(QelFromUTF8((dir / "b.txt").string()).c_str()), 0);
  EXPECT_EQ(MyTLIsFileExist(nullptr), 0);
}

TEST(Zyl_UTF8ToUnicode, ConvertsWithinCapacityAndRefusesWhatDoesNotFit) {
  WCHAR buffer[8];
  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_EQ(Zyl_UTF8ToUnicode("caf\xC3\xA9", buffer, 8), 1);
  EXPECT_EQ(std::u16string(buffer), u"caf\u00e9");
  // Exactly the text and its terminator.
  EXPECT_EQ(Zyl_UTF8ToUnicode("1234567", buffer, 8), 1);
  EXPECT_EQ(std::u16string(buffer), u"1234567");
  // One unit too many: nothing half-converted is left behind.
  EXPECT_EQ(Zyl_UTF8ToUnicode("12345678", buffer, 8), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(Zyl_UTF8ToUnicode("bad \xC3", buffer, 8), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(Zyl_UTF8ToUnicode(nullptr, buffer, 8), 0);
  EXPECT_EQ(Zyl_UTF8ToUnicode("x", nullptr, 8), 0);
  EXPECT_EQ(Zyl_UTF8ToUnicode("x", buffer, 0), 0);
}

TEST(Zyl_UnicodeToUTF8, ConvertsWithinSizeAndRefusesWhatDoesNotFit) {
  char buffer[6];
  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_EQ(Zyl_UnicodeToUTF8(u"caf\u00e9", buffer, 6), 1);  // 5 bytes and the terminator
  EXPECT_STREQ(buffer, "caf\xC3\xA9");
  // The two-byte character would be split: refused whole.
  EXPECT_EQ(Zyl_UnicodeToUTF8(u"cafe\u00e9", buffer, 6), 0);
  EXPECT_STREQ(buffer, "");
  const WCHAR lone[] = {u'a', 0xD800, 0};
  EXPECT_EQ(Zyl_UnicodeToUTF8(lone, buffer, 6), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(Zyl_UnicodeToUTF8(nullptr, buffer, 6), 0);
  EXPECT_EQ(Zyl_UnicodeToUTF8(u"x", nullptr, 6), 0);
  EXPECT_EQ(Zyl_UnicodeToUTF8(u"x", buffer, 0), 0);
}

TEST(GetModulePath, AnswersTheFolderHoldingTheMainBundle) {
  fs::path dir = testenv::MakeTempDir("apps");
  fs::path app = orvtest::MakeTestApp(dir);
  ::setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  WCHAR buffer[1024];
  ASSERT_EQ(GetModulePath(nullptr, buffer, 1024), buffer);
  EXPECT_EQ(QelToUTF8(buffer), dir.string());
  // Never a cut path.
  std::u16string whole = buffer;
  EXPECT_EQ(GetModulePath(nullptr, buffer, whole.size()), nullptr);
  EXPECT_EQ(GetModulePath(nullptr, nullptr, 1024), nullptr);
}

TEST(GetCornerPath, FillsTheCornersThatExist) {
  fs::path dir = testenv::MakeTempDir("apps");
  fs::path app = orvtest::MakeTestApp(dir);
  testenv::WriteFile(app / "Contents/Resources/MainWndLT.bmp", "BM");
  ::setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  WCHAR corners[2][kCornerPathUnits] = {{u'k', u'e', u'e', u'p', 0}, {u'k', u'e', u'e', u'p', 0}};
  GetCornerPath(corners);
  EXPECT_EQ(QelToUTF8(corners[0]), (app / "Contents/Resources/MainWndLT.bmp").string());
  EXPECT_EQ(std::u16string(corners[1]), u"keep");
}

TEST(vPtInQelObj, HitsOnlyVisibleEnabledElementsInsideTheirRectangle) {
  qel::Element* root = qel::LoadLayoutString(R"(<layout name="cata_root" w="200" h="100">
      <element type="butn" name="butn_A" x="10" y="20" w="80" h="24"/>
    </layout>)", "/");
  ASSERT_NE(root, nullptr);
  qel::Element* button = root->FindByName("butn_A", true);
  ASSERT_NE(button, nullptr);
  QelObject h = button->Handle();
  EXPECT_EQ(vPtInQelObj(h, 10, 20), 1);
  EXPECT_EQ(vPtInQelObj(h, 89, 43), 1);
  EXPECT_EQ(vPtInQelObj(h, 90, 30), 0);  // the right edge lies outside
  EXPECT_EQ(vPtInQelObj(h, 50, 44), 0);
  EXPECT_EQ(vPtInQelObj(h, 9, 30), 0);
  button->Enable(false);
  EXPECT_EQ(vPtInQelObj(h, 50, 30), 0);
  button->Enable(true);
  button->Show(false);
  EXPECT_EQ(vPtInQelObj(h, 50, 30), 0);
  EXPECT_EQ(vPtInQelObj(nullptr, 50, 30), 0);
  root->Release();
}
