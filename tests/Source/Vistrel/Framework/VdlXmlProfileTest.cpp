#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestEnvironment.h"
#include "VdlXmlProfile.h"
#include "qel/QelWideText.h"

using Vardel::CVdlXmlProfile;

namespace {

std::u16string W(const std::filesystem::path& p) { return QelFromUTF8(p.string()); }
std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str()); }

class VdlXmlProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testenv::MakeTempDir("profile"); }
  std::filesystem::path Write(const std::string& name, const std::string& xml) {
    testenv::WriteFile(dir_ / name, xml);
    return dir_ / name;
  }
  std::filesystem::path dir_;
  CVdlXmlProfile profile_;
};

}  // namespace

TEST_F(VdlXmlProfileTest, ReadsSectionsAndKeysByTheirRules) {
  auto file = Write("Vistrel.xml",
                    "<profile>\n"
                    " <section Name=\"PARAM\">\n"
                    "  <item Name=\"ThumbnailNum\" Value=\"150\"/>\n"
                    "  <Item Name=\"ThumbnailNum\" Value=\"999\"/>\n"
                    "  <Item name=\"OrgPictNum\" Value=\"9\"/>\n"
                    "  <Item Name=\"Empty\" Value=\"\"/>\n"
                    "  <Item Name=\"Text\" Value=\"12px\"/>\n"
                    "  <Other Name=\"X\" Value=\"1\"/>\n"
                    "  <!-- comment --><![CDATA[data]]>\n"
                    " </section>\n"
                    " <Section Name=\"PARAM\"><Item Name=\"Second\" Value=\"2\"/></Section>\n"
                    " <Section><Item Name=\"Orphan\" Value=\"1\"/></Section>\n"
                    " <Section Name=\"Screen\"><Item Name=\"ScreenLeft\" Value=\"-40\"/></Section>\n"
                    "</profile>\n");
  profile_.SetProfilePathFile(W(file).c_str());

  struct Case {
    const char16_t* section;
    const char16_t* key;
    int fallback;
    int expected;
  } cases[] = {
      {u"PARAM", u"ThumbnailNum", 200, 150},   // the first duplicate wins
      {u"PARAM", u"OrgPictNum", 4, 4},         // attribute spelled "name": skipped
      {u"PARAM", u"Empty", 7, 0},              // present but empty: 0, not the default
      {u"PARAM", u"Text", 7, 12},              // leading digits
      {u"PARAM", u"Second", 0, 2},             // two elements feed one section
      {u"PARAM", u"X", 3, 3},                  // other element names are skipped
      {u"param", u"ThumbnailNum", 200, 200},   // sections match exactly
      {u"PARAM", u"thumbnailnum", 200, 200},   // and so do keys
      {u"Screen", u"ScreenLeft", 0, -40},
      {u"Screen", u"ScreenTop", 0, 0},
      {u"Missing", u"Key", 31, 31},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(profile_.GetValue(c.section, c.key, c.fallback), c.expected)
        << QelToUTF8(c.section) << "/" << QelToUTF8(c.key);
  }
  EXPECT_EQ(S(profile_.GetValue(u"PARAM", u"Empty", u"default")), u"");
  EXPECT_EQ(S(profile_.GetValue(u"PARAM", u"Absent", u"default")), u"default");
  EXPECT_EQ(S(profile_.GetValue(u"PARAM", u"Absent", nullptr)), u"");
  EXPECT_EQ(S(profile_.GetValue(nullptr, u"ThumbnailNum", u"d")), u"d");
}

TEST_F(VdlXmlProfileTest, UnreadableFilesGiveDefaultsAndAreNotCreated) {
  struct Case {
    const char* name;
    const char* content;  // null: no file
  } cases[] = {
      {"missing.xml", nullptr},
      {"broken.xml", "<Profile><Section Name=\"PARAM\">"},
      {"otherroot.xml", "<Settings><Section Name=\"PARAM\"><Item Name=\"ThumbnailNum\" Value=\"5\"/></Section></Settings>"},
  };
  for (const Case& c : cases) {
    CVdlXmlProfile profile;
    auto path = dir_ / c.name;
    if (c.content) testenv::WriteFile(path, c.content);
    profile.SetProfilePathFile(W(path).c_str());
    EXPECT_EQ(profile.GetValue(u"PARAM", u"ThumbnailNum", 200), 200) << c.name;
    EXPECT_EQ(std::filesystem::exists(path), c.content != nullptr) << c.name;
  }
  CVdlXmlProfile noPath;
  EXPECT_EQ(noPath.GetValue(u"PARAM", u"ThumbnailNum", 200), 200);
  // Without a path a value is kept in memory but nothing is written.
  EXPECT_EQ(noPath.SetValue(u"PARAM", u"ThumbnailNum", 9), 0);
  EXPECT_EQ(noPath.GetValue(u"PARAM", u"ThumbnailNum", 200), 9);
}

TEST_F(VdlXmlProfileTest, SetValueWritesTheWholeProfileAndReadsBack) {
  auto path = dir_ / "Nuvo_Vistrel.xml";
  profile_.SetProfilePathFile(W(path).c_str());
  EXPECT_EQ(profile_.SetValue(u"", u"K", u"v"), 0);
  EXPECT_EQ(profile_.SetValue(u"S", nullptr, u"v"), 0);
  EXPECT_FALSE(std::filesystem::exists(path));

  ASSERT_EQ(profile_.SetValue(u"Screen", u"ScreenLeft", 100), 1);
  ASSERT_EQ(profile_.SetValue(u"Screen", u"IsMaximized", 1), 1);
  ASSERT_EQ(profile_.SetValue(u"PARAM", u"Path", u"a & <b> \"c\" caf\u00e9"), 1);
  ASSERT_EQ(profile_.SetValue(u"S", u"K", static_cast<const WCHAR*>(nullptr)), 1);
  ASSERT_EQ(profile_.SetValue(u"Screen", u"ScreenLeft", -5), 1);  // replaces

  std::string xml = testenv::ReadFile(path);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Profile>", 0), 0u);
  // Sections and items in code-unit order; values only in attributes.
  EXPECT_LT(xml.find("Name=\"PARAM\""), xml.find("Name=\"S\""));
  EXPECT_LT(xml.find("Name=\"S\""), xml.find("Name=\"Screen\""));
  EXPECT_LT(xml.find("Name=\"IsMaximized\""), xml.find("Name=\"ScreenLeft\""));
  EXPECT_NE(xml.find("<Item Name=\"K\" Value=\"\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<Item Name=\"ScreenLeft\" Value=\"-5\"/>"), std::string::npos);

  CVdlXmlProfile reread;
  reread.SetProfilePathFile(W(path).c_str());
  EXPECT_EQ(reread.GetValue(u"Screen", u"ScreenLeft", 0), -5);
  EXPECT_EQ(reread.GetValue(u"Screen", u"IsMaximized", 0), 1);
  EXPECT_EQ(S(reread.GetValue(u"PARAM", u"Path", u"")), u"a & <b> \"c\" caf\u00e9");
  EXPECT_EQ(S(reread.GetValue(u"S", u"K", u"default")), u"");
}

TEST_F(VdlXmlProfileTest, ChangingThePathDropsValuesButNotForTheSamePathInOtherCase) {
  auto first = Write("First.xml", "<Profile><Section Name=\"A\"><Item Name=\"K\" Value=\"1\"/></Section></Profile>");
  auto second = Write("Second.xml", "<Profile><Section Name=\"A\"><Item Name=\"K\" Value=\"2\"/></Section></Profile>");
  profile_.SetProfilePathFile(W(first).c_str());
  EXPECT_EQ(profile_.GetValue(u"A", u"K", 0), 1);

  // The file changes on disk; the same path (in other case) keeps what was loaded.
  testenv::WriteFile(first, "<Profile><Section Name=\"A\"><Item Name=\"K\" Value=\"5\"/></Section></Profile>");
  std::u16string upper = W(first);
  for (auto& c : upper) c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  profile_.SetProfilePathFile(upper.c_str());
  EXPECT_EQ(profile_.GetValue(u"A", u"K", 0), 1);
  profile_.SetProfilePathFile(nullptr);
  profile_.SetProfilePathFile(u"");
  EXPECT_EQ(profile_.GetValue(u"A", u"K", 0), 1);

  profile_.SetProfilePathFile(W(second).c_str());
  EXPECT_EQ(profile_.GetValue(u"A", u"K", 0), 2);
}

TEST_F(VdlXmlProfileTest, ProfileOfEmptySectionsLeavesTheFileAlone) {
  auto path = Write("keep.xml", "<Profile><Section Name=\"Only\"/></Profile>");
  std::string before = testenv::ReadFile(path);
  profile_.SetProfilePathFile(W(path).c_str());
  EXPECT_EQ(profile_.GetValue(u"Only", u"K", 3), 3);
  EXPECT_EQ(profile_.Save(), 0);
  EXPECT_EQ(testenv::ReadFile(path), before);

  // Once another section holds an item the empty one is written too.
  ASSERT_EQ(profile_.SetValue(u"Full", u"K", 1), 1);
  std::string xml = testenv::ReadFile(path);
  EXPECT_NE(xml.find("<Section Name=\"Only\"/>"), std::string::npos);
}
