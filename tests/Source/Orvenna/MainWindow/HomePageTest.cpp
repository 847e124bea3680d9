// The home page: which module folders become buttons, in which order, and
// how the row of icons is placed.
#include <filesystem>

#include "ButtonRowLayout.h"
#include "MainWindowFixture.h"
#include "ModuleButton.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

TEST_F(MainWindowTest, OneButtonPerModuleInIndexOrder) {
  Stage({.folder = "A", .name = "Third", .index = "30"});
  Stage({.folder = "B", .name = "First", .index = "1"});
  Stage({.folder = "C", .name = "Second", .index = "7"});
  // Never modules: a hidden folder, a folder without Module.xml, and a
  // Module.xml naming a file that is not there.
  Stage({.folder = ".Hidden", .name = "Hidden", .index = "0"});
  fs::path plain = orvtest::StageModule(Modules(), {.folder = "NoXml", .index = "2"});
  fs::remove(plain / "Module.xml");
  Stage({.folder = "Broken", .name = "Broken", .index = "3", .moduleFile = "Missing.bundle", .copyBundle = false});
  Start();

  EXPECT_EQ(IconTexts(), (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(Frame().GetModuleButtonCount(), 3u);
  EXPECT_TRUE(Shown("cata_homepage"));
  EXPECT_TRUE(Shown("cata_Butn"));
  // The window's title is the bundle's name.
  EXPECT_EQ(QelToUTF8(Frame().Title()), "Test");
  // Loading alone creates no module object.
  EXPECT_TRUE(Calls("Create").empty());
}

TEST_F(MainWindowTest, PointerOverIconShowsTheDescription) {
  Stage({.folder = "Alpha", .index = "1"});
  Start();
  qel::Element* icon = IconOf("Alpha");
  ASSERT_NE(icon, nullptr);
  icon->Fire(CModuleButton::kEventPointerEnter);
  EXPECT_EQ(QelToUTF8(Find("view_Wel1")->Text()), "Alpha test module");
  icon->Fire(CModuleButton::kEventPointerLeave);
  EXPECT_EQ(Find("view_Wel1")->Text(), u"");
}

TEST_F(MainWindowTest, ModuleWithoutDescriptionHasNoButtonButTakesCommandLines) {
  Stage({.folder = "Alpha", .index = "1"});
  fs::path beta = orvtest::StageModule(Modules(), {.folder = "Beta", .index = "2"});
  std::string res = testenv::ReadFile(beta / "Res.aui");
  res.replace(res.find("<s id=\"2\">"), 9, "<s id=\"9\">");
  testenv::WriteFile(beta / "Res.aui", res);
  Start();

  EXPECT_EQ(IconTexts(), (std::vector<std::string>{"Alpha"}));
  EXPECT_EQ(Command(u"-Beta/Record"), 1);
  Pump();
  EXPECT_FALSE(Calls("Beta: Launch").empty());
}

TEST(ButtonRowLayout, LeftMarginCentresRowsOfHalfTheIcons) {
  struct Case {
    int32_t panel, icon;
    size_t count;
    double ratio;
    int32_t margin;
  } cases[] = {
      {300, 100, 4, 1.0, 42},  // 2 fit per row: rows of 2, (315 - 230) / 2
      {300, 100, 2, 1.0, 0},   // all fit
      {300, 100, 3, 1.0, 42},  // rows of 2 (half of 3 rounded up), not of 1
      {300, 100, 1, 1.0, 0},
      {600, 100, 5, 1.0, 0},   // 615 / 115: five fit
      {600, 100, 6, 1.0, 135}, // rows of 3: (615 - 345) / 2
      {300, 100, 4, 1.5, 38},  // gap 22.5: (322.5 - 245) / 2 = 38.75
      {300, 0, 0, 1.0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ButtonRowLeftMargin(c.panel, c.icon, c.count, c.ratio), c.margin)
        << c.panel << " " << c.icon << " " << c.count << " " << c.ratio;
  }
}
