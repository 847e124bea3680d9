// Launching from the home page, switching, going home, and command lines
// reaching the modules, as the modules see them.
#include "MainWindowFixture.h"
#include "ModuleButton.h"

using Lines = std::vector<std::string>;

class ModuleSwitchTest : public MainWindowTest {
 protected:
  void StartWith(bool alphaRefuses = false, bool alphaFailsInit = false) {
    Stage({.folder = "Alpha", .index = "1", .failInit = alphaFailsInit, .refuseClose = alphaRefuses});
    Stage({.folder = "Beta", .name = "Photo Edit", .index = "2", .iconName = "butn_edit"});
    Start();
  }
  void ClickIcon(const std::string& name) {
    qel::Element* icon = IconOf(name);
    ASSERT_NE(icon, nullptr);
    icon->Fire(CModuleButton::kEventPointerEnter);
    icon->Click();
    Pump();
  }
  std::string Active() {
    IORVAction* action = nullptr;
    Frame().GetModuleMgr()->GetActiveEmbeddedAction(&action);
    if (!action) return "";
    uint32_t id = action->GetLibID();
    action->Release();
    return id == 1 ? "Alpha" : id == 2 ? "Photo Edit" : "?";
  }
};

TEST_F(ModuleSwitchTest, IconLaunchAnimatesAndTellsTheModuleTwice) {
  StartWith();
  ClickIcon("Alpha");
  EXPECT_EQ(Calls("Alpha"), (Lines{"Alpha: Create", "Alpha: SetLibID 1", "Alpha: Init 0x00000000",
                                   "Alpha: Launch 0x00000000", "Alpha: PreTranslateMessage 2027 0",
                                   "Alpha: PreTranslateMessage 2027 0"}));
  EXPECT_EQ(Active(), "Alpha");
  EXPECT_FALSE(Shown("cata_homepage"));
  EXPECT_TRUE(Shown("cata_module"));
  EXPECT_FALSE(Frame().LaunchInProgress());
  // The module's tab is the one shown next to the home button.
  EXPECT_TRUE(Shown("butn_Alpha"));
  EXPECT_FALSE(Shown("butn_edit"));
  EXPECT_EQ(Find("view_module")->Text(), u"Alpha");
}

TEST_F(ModuleSwitchTest, TabSwitchLaunchesEmbeddedAndTellsTheModuleOnce) {
  StartWith();
  ClickIcon("Alpha");
  ClearCalls();
  processes_.Add(4001, "/opt/x/Dunsellow Vistrel.app/Contents/MacOS/Dunsellow Vistrel");
  processes_.Add(4002, "/opt/x/Dunsellow Playvane");
  processes_.Add(4003, "/usr/bin/dunsellow vistrel-helper");
  // The pointer over the shown module's tab slides the strip of tabs in.
  EXPECT_FALSE(InView("butn_editP"));
  Find("butn_Alpha")->Fire(CModuleButton::kEventPointerEnter);
  Pump();
  ASSERT_TRUE(InView("butn_editP"));
  EXPECT_FALSE(Shown("butn_AlphaP"));  // the shown module has no radio tab
  Find("butn_editP")->Click();
  Pump();
  EXPECT_EQ(Calls(), (Lines{"Alpha: AskForClose 1", "Alpha: ExitLaunch", "Alpha: UnInit", "Alpha: Destroy",
                            "Photo Edit: Create", "Photo Edit: SetLibID 2", "Photo Edit: Init 0x00000000",
                            "Photo Edit: Launch 0x00000000", "Photo Edit: PreTranslateMessage 2027 1"}));
  EXPECT_EQ(Active(), "Photo Edit");
  // The viewer and the player started by the old module are ended, by
  // executable name; nothing else is.
  EXPECT_EQ(processes_.signals(), (Lines{"TERM 4001", "TERM 4002"}));
}

TEST_F(ModuleSwitchTest, HomeButtonExitsAndShowsTheIconsAgain) {
  StartWith();
  ClickIcon("Alpha");
  ClearCalls();
  processes_.Add(4100, "/opt/x/Dunsellow Vistrel");
  qel::Element* home = Find("butn_home");
  ASSERT_NE(home, nullptr);
  home->Click();
  Pump();
  EXPECT_EQ(Calls(), (Lines{"Alpha: AskForClose 1", "Alpha: ExitLaunch", "Alpha: UnInit", "Alpha: Destroy"}));
  EXPECT_EQ(Active(), "");
  EXPECT_TRUE(Shown("cata_homepage"));
  EXPECT_TRUE(Shown("cata_Butn"));
  EXPECT_FALSE(Shown("cata_module"));
  EXPECT_FALSE(Shown("butn_Alpha"));
  EXPECT_EQ(processes_.signals(), (Lines{"TERM 4100"}));  // the viewer goes too
  // A command line launches again, with the animation.
  EXPECT_EQ(Command(u"-alpha/Record"), 1);
  Pump();
  EXPECT_EQ(Calls("2027").size(), 2u);
  EXPECT_EQ(Active(), "Alpha");
}

TEST_F(ModuleSwitchTest, CommandForAnotherModuleSwitchesWithoutDelivering) {
  StartWith();
  ClickIcon("Alpha");
  ClearCalls();
  EXPECT_EQ(Command(u"-PhotoEdit/Record"), 1);
  Pump();
  EXPECT_EQ(Active(), "Photo Edit");
  EXPECT_EQ(Calls("AskForClose").size(), 2u);  // asked, then asked again by the switch
  EXPECT_EQ(Calls("PreTranslateMessage"), (Lines{"Photo Edit: PreTranslateMessage 2027 1"}));
}

TEST_F(ModuleSwitchTest, RefusedCloseAnswers4AndKeepsTheModule) {
  StartWith(/*alphaRefuses=*/true);
  ClickIcon("Alpha");
  ClearCalls();
  EXPECT_EQ(Command(u"-PhotoEdit/Record"), CMyMainFrame::kCommandRefused);
  Pump();
  EXPECT_EQ(Calls(), (Lines{"Alpha: AskForClose 0"}));
  EXPECT_EQ(Active(), "Alpha");
  // The home button is refused the same way.
  Find("butn_home")->Click();
  Pump();
  EXPECT_EQ(Active(), "Alpha");
  EXPECT_FALSE(Shown("cata_homepage"));
}

TEST_F(ModuleSwitchTest, CommandDuringTheLaunchAnimationSwitchesAndTellsTheNewModuleOnce) {
  StartWith();
  EXPECT_EQ(Command(u"-Alpha/Record"), 1);
  EXPECT_TRUE(Frame().LaunchInProgress());
  // The animation has not ended: the launched module is switched away.
  EXPECT_EQ(Command(u"-PhotoEdit/Record"), 1);
  Pump();
  EXPECT_EQ(Active(), "Photo Edit");
  EXPECT_TRUE(Calls("Alpha: PreTranslateMessage").empty());
  EXPECT_EQ(Calls("Photo Edit: PreTranslateMessage"), (Lines{"Photo Edit: PreTranslateMessage 2027 1"}));
  EXPECT_FALSE(Frame().LaunchInProgress());
  EXPECT_FALSE(Shown("cata_homepage"));
}

TEST_F(ModuleSwitchTest, ModuleThatFailsInitLeavesTheHomePageUsable) {
  StartWith(/*alphaRefuses=*/false, /*alphaFailsInit=*/true);
  ClickIcon("Alpha");
  EXPECT_EQ(Calls("Launch"), Lines{});
  EXPECT_EQ(Active(), "");
  EXPECT_TRUE(Shown("cata_homepage"));
  EXPECT_TRUE(Shown("cata_Butn"));
  EXPECT_FALSE(Frame().LaunchInProgress());
  // The same by command line, and then another module still starts.
  EXPECT_EQ(Command(u"-Alpha/Record"), 1);
  Pump();
  EXPECT_EQ(Command(u"-PhotoEdit/Record"), 1);
  Pump();
  EXPECT_EQ(Active(), "Photo Edit");
}

TEST_F(ModuleSwitchTest, ModuleGoingHomeItselfLetsCommandLinesLaunchAgain) {
  StartWith();
  EXPECT_EQ(Command(u"-Alpha/Record"), 1);
  Pump();
  ASSERT_EQ(Active(), "Alpha");
  // What a module does when it goes home on its own.
  theApp.GotoHome();
  theApp.ExitLaunch(1);
  Pump();
  EXPECT_EQ(Active(), "");
  EXPECT_TRUE(Shown("cata_Butn"));
  EXPECT_EQ(Command(u"-PhotoEdit/Record"), 1);
  Pump();
  EXPECT_EQ(Active(), "Photo Edit");
}

TEST_F(ModuleSwitchTest, MediaFolderChangeIsForwardedToTheModule) {
  StartWith();
  ClickIcon("Alpha");
  ClearCalls();
  Frame().PostMessage(2026, 0, 0);
  Pump();
  EXPECT_EQ(Calls(), (Lines{"Alpha: PreTranslateMessage 2026 0"}));
}

TEST_F(ModuleSwitchTest, ActivationHidesTheTabStripOnlyWhileAModuleIsLaunched) {
  // The strip slides within its panel, which clips it.
  auto inView = [&] { return InView("cata_process"); };
  StartWith();
  Frame().PostMessage(6, 1, 0);
  Pump();
  EXPECT_FALSE(inView());
  ClickIcon("Alpha");
  Find("butn_Alpha")->Fire(CModuleButton::kEventPointerEnter);
  Pump();
  EXPECT_TRUE(inView());
  Frame().PostMessage(6, 1, 0);
  Pump();
  EXPECT_FALSE(inView());
}
