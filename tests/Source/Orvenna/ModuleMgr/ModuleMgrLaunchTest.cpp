// Launching, exiting and closing modules through the component contract.
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "ModuleMgrFixture.h"

using ::testing::ElementsAre;

namespace {

const ORVRESULT kFail = static_cast<ORVRESULT>(0x80000008u);

}  // namespace

TEST_F(ModuleMgrTest, EmbeddedLaunchAndExitReachTheModuleInOrder) {
  Stage({.folder = "Alpha", .index = "1"});
  auto mgr = MakeManager();
  mgr->LoadAll();

  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  EXPECT_THAT(Calls(), ElementsAre("Alpha: Create", "Alpha: SetLibID 1", "Alpha: Init 0x00000000",
                                   "Alpha: Launch 0x00000000"));
  EXPECT_THAT(host_.calls, ElementsAre("CreateAui 1", "UpdateModulesIconState 1 1 0"));
  // Embedded: the home page leaves its panel, the module catalog shows.
  EXPECT_EQ(home_->Parent(), nullptr);
  EXPECT_TRUE(Find("cata_module")->Visible());

  IORVAction* action = nullptr;
  mgr->GetActiveEmbeddedAction(&action);
  ASSERT_NE(action, nullptr);
  // The manager holds two references; the caller now holds a third.
  EXPECT_EQ(action->AddRef(), 4);
  EXPECT_EQ(action->Release(), 3);
  tagMacMSG message;
  message.message = 2029;
  message.text = u"Zoomin";
  message.wParam = reinterpret_cast<intptr_t>(message.text.c_str());
  action->PreTranslateMessage(&message);
  message = tagMacMSG{};
  message.message = 2027;
  message.wParam = 1;
  action->PreTranslateMessage(&message);
  EXPECT_EQ(action->Release(), 2);

  Find("view_module")->Show(true);
  EXPECT_EQ(mgr->ExitLaunch(1, 1), 0);
  // Both references are dropped by the exit: the object is gone at once.
  EXPECT_THAT(Calls(), ElementsAre("Alpha: Create", "Alpha: SetLibID 1", "Alpha: Init 0x00000000",
                                   "Alpha: Launch 0x00000000", "Alpha: PreTranslateMessage 2029 Zoomin",
                                   "Alpha: PreTranslateMessage 2027 1", "Alpha: ExitLaunch",
                                   "Alpha: UnInit", "Alpha: Destroy"));
  EXPECT_TRUE(HomePageShown());
  EXPECT_FALSE(Find("cata_module")->Visible());
  EXPECT_FALSE(Find("view_module")->Visible());

  mgr->GetActiveEmbeddedAction(&action);
  EXPECT_EQ(action, nullptr);
  EXPECT_EQ(mgr->ExitLaunch(1, 1), kFail);
}

TEST_F(ModuleMgrTest, LaunchFromHomePageHidesItAndStartsTheAnimation) {
  Stage({.folder = "Alpha"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 0), 0);
  EXPECT_THAT(host_.calls, ElementsAre("CreateAui 1", "UpdateModulesIconState 1 0 0",
                                       "StartModuleLaunchAnimation 1"));
  EXPECT_FALSE(home_->Visible());
  EXPECT_EQ(home_->Parent(), Find("main"));

  // Exit without going home leaves the page to the window.
  EXPECT_EQ(mgr->ExitLaunch(1, 0), 0);
  EXPECT_FALSE(home_->Visible());
  EXPECT_EQ(Calls().back(), "Alpha: Destroy");
  // A module can be launched again after its exit.
  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  EXPECT_EQ(mgr->ExitLaunch(1, 1), 0);
  EXPECT_TRUE(HomePageShown());
}

TEST_F(ModuleMgrTest, FailedInitLaunchesNothingAndGivesBackThePanel) {
  Stage({.folder = "Alpha", .failInit = true});
  auto mgr = MakeManager();
  mgr->LoadAll();
  int32_t panelRefs = root_->RefCount();

  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 1), kFail);
  EXPECT_THAT(Calls(), ElementsAre("Alpha: Create", "Alpha: SetLibID 1", "Alpha: Init 0x80000008",
                                   "Alpha: UnInit", "Alpha: Destroy"));
  // Only the string table was asked for; the window was not touched.
  EXPECT_THAT(host_.calls, ElementsAre("CreateAui 1"));
  EXPECT_EQ(root_->RefCount(), panelRefs);
  EXPECT_TRUE(HomePageShown());
  EXPECT_FALSE(Find("cata_module")->Visible());

  IORVAction* action = reinterpret_cast<IORVAction*>(&panelRefs);
  mgr->GetActiveEmbeddedAction(&action);
  EXPECT_EQ(action, nullptr);
  EXPECT_EQ(mgr->AskForClose(), 0);
  EXPECT_EQ(mgr->ExitLaunch(1, 1), kFail);
}

TEST_F(ModuleMgrTest, FailedLaunchIsUndoneAndTheHomePageStays) {
  Stage({.folder = "Alpha", .failLaunch = true});
  Stage({.folder = "Beta"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  // A switch: the window exited Beta without going home, then launches Alpha.
  ASSERT_EQ(mgr->LaunchModule(2, nullptr, 1), 0);
  ASSERT_EQ(mgr->ExitLaunch(2, 0), 0);
  ASSERT_EQ(home_->Parent(), nullptr);

  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 1), kFail);
  std::vector<std::string> calls = Calls();
  std::vector<std::string> alpha;
  for (const std::string& line : calls) {
    if (line.rfind("Alpha: ", 0) == 0) alpha.push_back(line);
  }
  EXPECT_THAT(alpha, ElementsAre("Alpha: Create", "Alpha: SetLibID 1", "Alpha: Init 0x00000000",
                                 "Alpha: Launch 0x80000008", "Alpha: ExitLaunch", "Alpha: UnInit",
                                 "Alpha: Destroy"));
  EXPECT_TRUE(HomePageShown());
  EXPECT_FALSE(Find("cata_module")->Visible());
  IORVAction* action = nullptr;
  mgr->GetActiveEmbeddedAction(&action);
  EXPECT_EQ(action, nullptr);
}

TEST_F(ModuleMgrTest, UnknownLibIDAndSecondLaunchAreRefused) {
  Stage({.folder = "Alpha"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  EXPECT_EQ(mgr->LaunchModule(0, nullptr, 1), kFail);
  EXPECT_EQ(mgr->LaunchModule(7, nullptr, 1), kFail);
  EXPECT_TRUE(HomePageShown());
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(host_.calls.empty());

  ASSERT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  EXPECT_EQ(mgr->LaunchModule(1, nullptr, 1), kFail);
  EXPECT_EQ(Calls().size(), 4u);  // no second object was made
}

TEST_F(ModuleMgrTest, AskForCloseAsksOnlyTheLaunchedModule) {
  Stage({.folder = "Alpha", .index = "1", .refuseClose = true});
  Stage({.folder = "Beta", .index = "2"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  EXPECT_EQ(mgr->AskForClose(), 0);
  EXPECT_TRUE(Calls().empty());

  ASSERT_EQ(mgr->LaunchModule(2, nullptr, 1), 0);
  EXPECT_EQ(mgr->AskForClose(), 0);
  EXPECT_EQ(Calls().back(), "Beta: AskForClose 1");
  ASSERT_EQ(mgr->ExitLaunch(2, 1), 0);

  ASSERT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  EXPECT_EQ(mgr->AskForClose(), -1);
  EXPECT_EQ(Calls().back(), "Alpha: AskForClose 0");
}

TEST_F(ModuleMgrTest, UnloadingExitsALaunchedModuleBeforeItsLibraryGoes) {
  Stage({.folder = "Alpha"});
  {
    auto mgr = MakeManager();
    mgr->LoadAll();
    ASSERT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  }
  std::vector<std::string> calls = Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(calls.end() - 3, calls.end()),
              ElementsAre("Alpha: ExitLaunch", "Alpha: UnInit", "Alpha: Destroy"));
}

TEST_F(ModuleMgrTest, EachModuleFolderLoadsItsOwnCopy) {
  // Two folders with the same bundle: each has its own common library, so
  // each module reads its own descriptor.
  Stage({.folder = "Alpha", .index = "1"});
  Stage({.folder = "Beta", .index = "2"});
  auto mgr = MakeManager();
  mgr->LoadAll();
  ASSERT_EQ(mgr->LaunchModule(1, nullptr, 1), 0);
  ASSERT_EQ(mgr->ExitLaunch(1, 1), 0);
  ASSERT_EQ(mgr->LaunchModule(2, nullptr, 1), 0);
  EXPECT_EQ(Calls().front(), "Alpha: Create");
  EXPECT_EQ(Calls().back(), "Beta: Launch 0x00000000");
}
