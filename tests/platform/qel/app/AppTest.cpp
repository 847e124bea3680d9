#include <glib.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "qel/QelApp.h"
#include "qel/QelHeadless.h"
#include "qel/QelTimer.h"

namespace {

std::vector<std::string> g_steps;

class MainWnd : public CQelMainWind {
  int32_t DidCreate() override {
    g_steps.push_back("DidCreate");
    SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
    return 0;
  }
  void DidClose() override { g_steps.push_back("DidClose"); }
};

class TestApp : public CQelApp {
 public:
  int32_t init_answer = 1;
  void (*during_loop)() = nullptr;
  MainWnd main;
  int32_t InitInstance() override {
    g_steps.push_back("InitInstance");
    if (!init_answer) return 0;
    SetQelMainWnd(&main);
    main.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr);
    main.ShowWindow(5);
    QelInstallTimer(this, 1, 0, 0, [](void* self, uint32_t, void*) {
      static_cast<TestApp*>(self)->during_loop();
    }, nullptr);
    return 1;
  }
  int32_t ExitInstance() override {
    g_steps.push_back("ExitInstance");
    return 7;
  }
};

TEST(App, FailedStartEndsAtOnce) {
  g_steps.clear();
  TestApp app;
  app.init_answer = 0;
  char arg0[] = "test";
  char* argv[] = {arg0, nullptr};
  EXPECT_EQ(QelAppMain(1, argv), 1);
  EXPECT_EQ(g_steps, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
  EXPECT_EQ(CQelApp::GetApp(), &app);
}

TEST(App, ClosingTheMainWindowEndsTheLoop) {
  g_steps.clear();
  TestApp app;
  app.during_loop = [] { qel::headless::Click(nullptr, "butn_close_mac"); };
  EXPECT_EQ(QelAppMain(0, nullptr), 7);
  EXPECT_EQ(g_steps, (std::vector<std::string>{"InitInstance", "DidCreate", "DidClose", "ExitInstance"}));
  EXPECT_EQ(app.GetQelMainWnd(), &app.main);
}

TEST(App, TerminationSignalEndsTheLoopCleanly) {
  g_steps.clear();
  TestApp app;
  app.during_loop = [] { raise(SIGTERM); };
  EXPECT_EQ(QelAppMain(0, nullptr), 7);
  EXPECT_EQ(g_steps.back(), "ExitInstance");
  EXPECT_TRUE(app.main.IsCreated());  // not closed, the loop just ended
}

}  // namespace
