// The main window as a user meets it: the real program with its staged
// modules, clicked through the X server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "MyQelApp.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelBackend.h"
#include "qel/QelElement.h"

namespace {

class MainWindowClick : public ::testing::Test {
 protected:
  void Start() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
    ASSERT_TRUE(user_->WaitFor([this] { return Shown("cata_homepage"); }));
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  CMyMainFrame* Frame() { return theApp.GetMainFrame(); }
  bool Shown(const char* name) {
    qel::Element* e = qel::Element::From(Frame()->GetElementByName(name));
    return e && e->EffectivelyVisible();
  }
  bool ModuleActive() {
    IORVAction* action = nullptr;
    Frame()->GetModuleMgr()->GetActiveEmbeddedAction(&action);
    if (!action) return false;
    action->Release();
    return true;
  }

  std::optional<testenv::XUser> user_;
  bool started_ = false;
};

TEST_F(MainWindowClick, TheHomePageModuleButtonOpensTheModule) {
  Start();
  ASSERT_TRUE(user_->Click(Frame(), "butn_active"));
  EXPECT_TRUE(user_->WaitFor([this] { return ModuleActive() && Shown("cata_module") && !Shown("cata_homepage"); }));
}

}  // namespace

namespace {

CQelModalWnd* OpenModal() {
  for (CQelWindow* w : QelWindows()) {
    auto* modal = dynamic_cast<CQelModalWnd*>(w);
    if (modal && modal->InModal()) return modal;
  }
  return nullptr;
}

TEST_F(MainWindowClick, UnderAWindowManagerKeysOpenAndCloseTheOptions) {
  if (!testenv::StartPrivateDisplay() || !testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
  Start();
  bool opened = false, closed = false;
  user_->Run([&] {
    ASSERT_TRUE(user_->Key(Frame(), "ctrl+comma"));
    opened = user_->WaitFor([] { return OpenModal() != nullptr; });
    if (!opened) return;
    CQelWindow* modal = nullptr;
    user_->OnMain([&] { modal = OpenModal(); });
    ASSERT_TRUE(user_->Key(modal, "Escape"));
    closed = user_->WaitFor([] { return OpenModal() == nullptr; });
  });
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
}

}  // namespace
