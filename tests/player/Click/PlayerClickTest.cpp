// The player as a user meets it: its window on a private X server, every
// control clicked (and the keys typed) through the X server; a screenshot
// of a movie playing.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "App.h"
#include "GlobalFun.h"
#include "MainFrame.h"
#include "MediaTools.h"
#include "PngColours.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "os/AppleEvents.h"
#include "qel/QelBackend.h"
#include "qel/QelElement.h"
#include "qel/QelVideo.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

class PlayerClick : public ::testing::Test {
 protected:
  void Start(const std::vector<fs::path>& files) {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    theApp.SetBundleContents((testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Playvane.app/Contents").string());
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SelectedAssetList>\n<FirstFile>" +
                      files.front().string() + "</FirstFile>\n";
    for (const fs::path& f : files) xml += "<FilePath>" + f.string() + "</FilePath>\n";
    xml += "</SelectedAssetList>\n";
    testenv::WriteFile(dir_ / "list.xml", xml);
    plat::AEDispatch(plat::MakeCommandLineEvent(u"-AssetFilePath \"" + QelFromUTF8((dir_ / "list.xml").string()) +
                                                u"\" -MBStatus \"\""));
    ASSERT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().GetSafeHwnd()->HasFrame(); }));
    // The window took the movie's size: its new place reaches the X server first.
    user_->Settle();
    user_->WaitFor([] { return false; }, 1);
    user_->Settle();
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  fs::path Clip(const std::string& name, double seconds, int width = 320, int height = 240) {
    fs::path out = dir_ / name;
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=" + std::to_string(width) + "x" +
                                std::to_string(height) + ":rate=25:duration=" + std::to_string(seconds) +
                                " -f lavfi -i sine=frequency=440:duration=" + std::to_string(seconds) +
                                " -c:v mjpeg -q:v 4 -pix_fmt yuvj420p -c:a pcm_s16le " + mediatools::Quote(out);
    EXPECT_EQ(std::system(command.c_str()), 0);
    return out;
  }
  CMainFrame* Main() { return theApp.GetMainFrame(); }
  qel::Element* E(const char* name) { return qel::Element::From(Main()->GetElementByName(name, 1)); }
  int State() { return Main()->PlayWnd().GetPlayState(); }
  // A point of a slider at `fraction` of its length.
  std::optional<POINT> AlongSlider(const char* name, double fraction) {
    std::optional<POINT> centre = user_->Where(Main(), name);
    if (!centre) return std::nullopt;
    const SRect32 r = E(name)->Bounds();
    const double span = double(r.right - r.left) - 8.0;
    return POINT{centre->x - (r.right - r.left) / 2 + 4 + int32_t(span * fraction), centre->y};
  }

  fs::path dir_ = testenv::MakeTempDir("clicks");
  std::optional<testenv::XUser> user_;
  bool started_ = false;
};

TEST_F(PlayerClick, EveryControlOfTheWindowWorksFromTheMouseAndTheKeys) {
  // Minimising needs a window manager.
  const bool manager = testenv::StartPrivateDisplay() && testenv::StartWindowManager();
  const fs::path a = Clip("first.mov", 4.0), b = Clip("second.mov", 4.0);
  Start({a, b});
  ASSERT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePlaying; }));

  // Play box: pause and play again.
  ASSERT_TRUE(user_->Click(Main(), "chck_Play"));
  EXPECT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePaused && E("chck_Play")->Check() == 0; }));
  ASSERT_TRUE(user_->Click(Main(), "chck_Play"));
  EXPECT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePlaying; }));

  // The progress bar: a click at three quarters seeks there.
  std::optional<POINT> at = AlongSlider("hscrl_PlayProgress", 0.75);
  ASSERT_TRUE(at);
  ASSERT_TRUE(user_->ClickAt(*at));
  EXPECT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().GetCurrentPlayPosition() >= 2700; }));
  ASSERT_TRUE(user_->Click(Main(), "butn_BackToBegin"));
  EXPECT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().GetCurrentPlayPosition() < 1500; }));

  // Volume, mute and loop.
  at = AlongSlider("hscrl_Volume", 0.2);
  ASSERT_TRUE(at);
  ASSERT_TRUE(user_->ClickAt(*at));
  EXPECT_TRUE(user_->WaitFor([this] { return Main()->GetRememberedVolume() < 35; }));
  const int volume = Main()->GetRememberedVolume();
  EXPECT_EQ(Main()->PlayWnd().Player().Volume(), volume);
  ASSERT_TRUE(user_->Click(Main(), "chck_Mute"));
  EXPECT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().Player().Volume() == 0; }));
  ASSERT_TRUE(user_->Click(Main(), "chck_Mute"));
  EXPECT_TRUE(user_->WaitFor([&] { return Main()->PlayWnd().Player().Volume() == volume; }));
  ASSERT_TRUE(user_->Click(Main(), "chck_Loop"));
  EXPECT_TRUE(user_->WaitFor([this] { return E("chck_Loop")->Check() == 1; }));

  // Next and previous name the movie in the title.
  ASSERT_TRUE(user_->Click(Main(), "butn_Next"));
  EXPECT_TRUE(user_->WaitFor([this] { return std::u16string(Main()->Title()) == u"second.mov - Dunsellow Playvane"; }));
  ASSERT_TRUE(user_->Click(Main(), "butn_Previous"));
  EXPECT_TRUE(user_->WaitFor([this] { return std::u16string(Main()->Title()) == u"first.mov - Dunsellow Playvane"; }));

  // Stop, then the keys.
  ASSERT_TRUE(user_->Click(Main(), "butn_Stop"));
  EXPECT_TRUE(user_->WaitFor([this] {
    return State() != kPlayStatePlaying && Main()->PlayWnd().GetCurrentPlayPosition() == 0 && E("chck_Play")->Check() == 0;
  }));
  ASSERT_TRUE(user_->Key(Main(), "space"));
  EXPECT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePlaying; }));
  ASSERT_TRUE(user_->Key(Main(), "p"));
  EXPECT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePaused; }));
  ASSERT_TRUE(user_->Key(Main(), "Escape"));
  EXPECT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().GetCurrentPlayPosition() == 0; }));

  // The title bar's buttons: minimise, then close.
  if (manager) {
    ASSERT_TRUE(user_->Click(Main(), "butn_minimize_mac"));
    EXPECT_TRUE(user_->WaitFor([this] { return Main()->IsMinimized(); }));
    Main()->ShowWindow(9);
    Main()->ShowWindow(5);
    ASSERT_TRUE(user_->WaitFor([this] { return !Main()->IsMinimized(); }));
    // Mapped again where it was.
    user_->WaitFor([] { return false; }, 1);
    user_->Settle();
  }
  ASSERT_TRUE(user_->Click(Main(), "butn_close_mac"));
  EXPECT_TRUE(user_->WaitFor([this] { return !Main()->IsCreated(); }));
}

TEST_F(PlayerClick, TheOpenErrorDialogIsAnsweredWithTheMouse) {
  const fs::path broken = dir_ / "broken.mov";
  testenv::WriteFile(broken, std::string(2048, 'x'));
  const fs::path good = Clip("good.mov", 1.0);
  Start({good, broken});
  bool shown = false, ended = false;
  user_->Run([&] {
    ASSERT_TRUE(user_->Click(Main(), "butn_Next"));
    CQelWindow* dialog = nullptr;
    shown = user_->WaitFor([&] {
      for (CQelWindow* w : QelWindows())
        if (auto* m = dynamic_cast<CQelModalWnd*>(w); m && m->InModal()) dialog = m;
      return dialog != nullptr;
    });
    if (!shown) return;
    ASSERT_TRUE(user_->Click(dialog, "chck_DontShowAgain"));
    ASSERT_TRUE(user_->WaitFor([&] {
      return qel::Element::From(dialog->GetElementByName("chck_DontShowAgain", 1))->Check() == 1;
    }));
    ASSERT_TRUE(user_->Click(dialog, "butn_OK"));
    ended = user_->WaitFor([&] {
      for (CQelWindow* w : QelWindows())
        if (w == dialog) return false;
      return true;
    });
  });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(ended);
  EXPECT_EQ(CGlobalFun::LoadProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 1), 0);
}

TEST_F(PlayerClick, ScreenshotOfAMoviePlaying) {
  const fs::path a = Clip("shot.mov", 3.0, 640, 360);
  Start({a});
  ASSERT_TRUE(user_->WaitFor([this] { return Main()->PlayWnd().GetCurrentPlayPosition() > 500; }));
  user_->Settle();
  fs::create_directories(PLAYER_SHOT_DIR);
  const fs::path png = fs::path(PLAYER_SHOT_DIR) / "player-window.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(Main(), png.string()));
  // The test picture has many colours; a blank picture area a handful.
  EXPECT_GT(testpng::DistinctColours(png), 500u);
}

TEST_F(PlayerClick, FullScreenFromADoubleClickItsToolbarAndItsScreenshot) {
  // Long enough to be still playing when the toolbar's play box is clicked,
  // after the screenshot, on a loaded machine.
  const fs::path a = Clip("wide.mov", 30.0, 640, 360);
  Start({a});
  CFullScreenWnd& full = Main()->FullScreenWindow();
  ASSERT_TRUE(user_->DoubleClick(Main(), "view_Video"));
  ASSERT_TRUE(user_->WaitFor([&] { return Main()->IsFullScreen() && full.IsWindowVisible(); }));
  ASSERT_TRUE(user_->WaitFor([&] { return Main()->Toolbar().IsWindowVisible(); }));
  user_->WaitFor([] { return false; }, 1);
  user_->Settle();
  fs::create_directories(PLAYER_SHOT_DIR);
  const fs::path png = fs::path(PLAYER_SHOT_DIR) / "player-fullscreen.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(&full, png.string()));
  EXPECT_GT(testpng::DistinctColours(png), 500u);
  // The toolbar's play box and its way back to the window, by the mouse.
  ASSERT_TRUE(user_->Click(&full, "chck_Play"));
  EXPECT_TRUE(user_->WaitFor([this] { return State() == kPlayStatePaused; }));
  ASSERT_TRUE(user_->Click(&full, "butn_ShowNormalWindow"));
  EXPECT_TRUE(user_->WaitFor([&] { return !Main()->IsFullScreen() && Main()->IsWindowVisible(); }));
  // The full-screen button and Escape.
  ASSERT_TRUE(user_->Click(Main(), "butn_fullscreen1"));
  ASSERT_TRUE(user_->WaitFor([&] { return full.IsWindowVisible(); }));
  user_->Settle();
  ASSERT_TRUE(user_->Key(&full, "Escape"));
  EXPECT_TRUE(user_->WaitFor([&] { return !Main()->IsFullScreen(); }));
}

}  // namespace
