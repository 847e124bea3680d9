// Command lines reaching the modules: launch, delivery to the active
// module, switching, and what is ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MyQelApp.h"
#include "TestEnvironment.h"
#include "TestModules.h"
#include "os/AppleEvents.h"
#include "qel/QelHeadless.h"

namespace {

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto dir = testenv::MakeTempDir("dispatch");
    auto app = orvtest::MakeTestApp(dir);
    std::filesystem::copy(testenv::StageDir() / "Dunsellow.app/Contents/UI", app / "Contents/UI");
    modules_ = app / "Contents/Modules";
    log_ = dir / "calls.log";
    ::setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
    ::setenv(orvtest::kCallLogEnv, log_.c_str(), 1);
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  void Stage(const orvtest::ModuleSetup& setup) { orvtest::StageModule(modules_, setup); }
  void Start() {
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
  }
  // As the socket delivers it: an 'odoc' event, then the loop runs.
  void Send(const std::u16string& text) {
    ASSERT_EQ(plat::AEDispatch(plat::MakeCommandLineEvent(text)), 0);
    qel::headless::PumpUntilIdle();
  }
  int32_t Dispatch(const std::u16string& text) {
    theApp.SetMacCommandLine(text.c_str());
    int32_t answer = theApp.GetMainFrame()->GetCommand();
    qel::headless::PumpUntilIdle();
    return answer;
  }
  std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : orvtest::ReadCallLog(log_)) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }
  std::vector<std::string> Delivered(const std::string& module) {
    std::vector<std::string> out;
    const std::string prefix = module + ": PreTranslateMessage 2029 ";
    for (const std::string& line : Calls(prefix)) out.push_back(line.substr(prefix.size()));
    return out;
  }
  size_t Launches(const std::string& module) { return Calls(module + ": Launch").size(); }

  std::filesystem::path modules_, log_;
  bool started_ = false;
};

}  // namespace

TEST_F(DispatchTest, FirstCommandLaunchesTheModuleAndLaterOnesReachIt) {
  Stage({.folder = "Alpha", .index = "1"});
  Stage({.folder = "Beta", .index = "2"});
  Start();
  Send(u"-alpha/Record");
  EXPECT_EQ(Launches("Alpha"), 1u);
  EXPECT_TRUE(Delivered("Alpha").empty());  // launching delivers nothing

  // Two commands before the loop runs: each delivers its own argument.
  theApp.SetMacCommandLine(u"-Alpha/Zoomin");
  theApp.GetMainFrame()->GetCommand();
  theApp.SetMacCommandLine(u"-ALPHA/Zoomout");
  theApp.GetMainFrame()->GetCommand();
  qel::headless::PumpUntilIdle();
  EXPECT_EQ(Delivered("Alpha"), (std::vector<std::string>{"Zoomin", "Zoomout"}));

  // Nothing after the slash, no slash, no minus sign, unknown module.
  for (const char16_t* ignored : {u"-Alpha", u"-Alpha/", u"Alpha/Record", u"-Gamma/Record", u""}) {
    EXPECT_EQ(Dispatch(ignored), 1);
  }
  EXPECT_EQ(Delivered("Alpha").size(), 2u);
  Send(u"-Alpha/a/b");
  EXPECT_EQ(Delivered("Alpha").back(), "a/b");
  EXPECT_EQ(Launches("Beta"), 0u);
}

TEST_F(DispatchTest, NamesAreMatchedWithoutSpacesOrCase) {
  Stage({.folder = "Edit", .name = "Photo Edit", .index = "1", .iconName = "butn_Edit"});
  Start();
  Send(u"-Photo Edit/x");
  EXPECT_EQ(Launches("Photo Edit"), 0u);
  Send(u"-photoedit/x");
  EXPECT_EQ(Launches("Photo Edit"), 1u);
}

TEST_F(DispatchTest, SwitchAsksTheActiveModuleAndARefusalKeepsIt) {
  Stage({.folder = "Alpha", .index = "1", .refuseClose = true});
  Stage({.folder = "Beta", .index = "2"});
  Start();
  Send(u"-Alpha/Record");
  ASSERT_EQ(Launches("Alpha"), 1u);
  EXPECT_EQ(Dispatch(u"-Beta/Record"), CMyMainFrame::kCommandRefused);
  EXPECT_EQ(Launches("Beta"), 0u);
  EXPECT_TRUE(Calls("Alpha: ExitLaunch").empty());
}

TEST_F(DispatchTest, SwitchBringsTheNamedModuleUpEmbedded) {
  Stage({.folder = "Alpha", .index = "1"});
  Stage({.folder = "Beta", .index = "2"});
  Start();
  Send(u"-Alpha/Record");
  EXPECT_EQ(Dispatch(u"-Beta/Record"), 1);
  EXPECT_EQ(Calls("Alpha: ExitLaunch").size(), 1u);
  EXPECT_EQ(Launches("Beta"), 1u);
  EXPECT_TRUE(Delivered("Beta").empty());  // the argument is not delivered
  Send(u"-Beta/Zoomin");
  EXPECT_EQ(Delivered("Beta"), std::vector<std::string>{"Zoomin"});
}

TEST_F(DispatchTest, AModuleThatWentHomeCanBeLaunchedAgain) {
  Stage({.folder = "Alpha", .index = "1"});
  Start();
  Send(u"-Alpha/Record");
  ASSERT_EQ(Launches("Alpha"), 1u);
  // The module goes home by itself, through the host.
  CModuleMgr* mgr = theApp.GetMainFrame()->GetModuleMgr();
  uint32_t libID = uint32_t(mgr->GetModuleLibID(0));
  IORVMainModule* host = &theApp;
  EXPECT_EQ(host->GotoHome(), 0);
  EXPECT_EQ(host->ExitLaunch(libID), 0);
  Send(u"-Alpha/Record");
  EXPECT_EQ(Launches("Alpha"), 2u);
}

TEST_F(DispatchTest, AFailedLaunchDoesNotBlockTheNextCommand) {
  Stage({.folder = "Alpha", .index = "1", .failLaunch = true});
  Stage({.folder = "Beta", .index = "2"});
  Start();
  Send(u"-Alpha/Record");
  EXPECT_EQ(Launches("Alpha"), 1u);
  Send(u"-Beta/Record");
  EXPECT_EQ(Launches("Beta"), 1u);
}
