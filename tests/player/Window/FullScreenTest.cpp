// Full screen on the manual clock: entering and leaving, the toolbar sliding
// away while the pointer rests outside it, and coming back.
#include <gtest/gtest.h>

#include "FullScreenWnd.h"
#include "PlayToolbar.h"
#include "PlayerFixture.h"
#include "TestEnvironment.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelMessage.h"
#include "qel/QelTimer.h"

using namespace playertest;

namespace {

class FullScreen : public PlayerFixture {
 protected:
  void Open() {
    const fs::path clip = Clip("long.mov", ClipSpec{3.0});
    ASSERT_TRUE(Start());
    Send(Command(AssetList({clip.string()}, clip.string())));
    ASSERT_TRUE(Main().PlayWnd().IsFileOpened());
  }
  void Key(uint32_t code) {
    qel::input::Key(&Main(), code, true);
    qel::input::Key(&Main(), code, false);
  }
  CFullScreenWnd& Full() { return Main().FullScreenWindow(); }
  int32_t BarTop() { return Main().Toolbar().Panel()->Margin().top; }
  int32_t ScreenHeight() {
    SRect32 s = qel::CurrentBackend().ScreenBounds();
    return s.bottom - s.top;
  }
  void MoveTo(int32_t x, int32_t y) {
    bool handled = false;
    Full().ProcessMessage(QEL_WM_MOUSEMOVE, 0, QELLPARAM((uint32_t(y) << 16) | uint32_t(x)), handled);
  }
  bool Installed(uint32_t id) { return QelIsTimerInstalled(static_cast<CQelWindow*>(&Main()), id); }
};

}  // namespace

TEST_F(FullScreen, IsRefusedWithAnEmptyPlaylist) {
  ASSERT_TRUE(Start());
  Key(u'f');
  Main().PlayWindowDBClicked();
  EXPECT_FALSE(Main().IsFullScreen());
  EXPECT_FALSE(Full().IsWindowVisible());
  EXPECT_TRUE(Main().IsWindowVisible());
}

TEST_F(FullScreen, TheToolbarSlidesAwayWhenThePointerRestsOutsideItAndComesBackOnAMove) {
  Open();
  Key(u'f');
  ASSERT_TRUE(Main().IsFullScreen());
  EXPECT_TRUE(Full().IsWindowVisible());
  EXPECT_FALSE(Main().IsWindowVisible());
  ASSERT_TRUE(Main().Toolbar().IsWindowVisible());
  const int32_t h = Main().Toolbar().Panel()->FrameSize().cy;
  EXPECT_EQ(BarTop(), ScreenHeight() - h);
  EXPECT_TRUE(Installed(kTimerHideToolbar));
  POINT far{20, 20};
  QelSetCursorPos(&far);

  // A move before the 3 s are up does not restart them.
  qel::headless::Advance(2000);
  MoveTo(30, 30);
  EXPECT_FALSE(Installed(kTimerToolbarSlide));
  qel::headless::Advance(1000);
  ASSERT_TRUE(Installed(kTimerToolbarSlide));
  // 8 pixels each 80 ms, until the top is below the screen; the pointer
  // hides then, not before.
  int steps = 0;
  while (Installed(kTimerToolbarSlide) && steps < 100) {
    EXPECT_TRUE(Main().CursorShown()) << steps;
    qel::headless::Advance(80);
    ++steps;
    if (Installed(kTimerToolbarSlide)) {
      EXPECT_LE(BarTop(), ScreenHeight());
    }
  }
  EXPECT_EQ(steps, h / 8 + 1);
  EXPECT_EQ(BarTop(), ScreenHeight() - h + 8 * steps);
  EXPECT_FALSE(Main().CursorShown());

  // The window reports a move at the same place: nothing happens.
  MoveTo(30, 30);
  EXPECT_FALSE(Main().CursorShown());
  EXPECT_GT(BarTop(), ScreenHeight());
  // A real move brings the bar and the pointer back.
  MoveTo(31, 30);
  EXPECT_TRUE(Main().CursorShown());
  EXPECT_EQ(BarTop(), ScreenHeight() - h);

  // The pointer over the bar keeps it.
  POINT over{100, ScreenHeight() - h / 2};
  QelSetCursorPos(&over);
  qel::headless::Advance(3000);
  EXPECT_FALSE(Installed(kTimerToolbarSlide));
}

TEST_F(FullScreen, EscapeADoubleClickAndTheToolbarButtonLeaveItAndClosingIsRefusedWhileShown) {
  Open();
  Main().PlayWindowDBClicked();
  ASSERT_TRUE(Main().IsFullScreen());
  // Closing the full-screen window returns to the window instead.
  EXPECT_EQ(Full().Close(), 0);
  EXPECT_FALSE(Main().IsFullScreen());
  EXPECT_TRUE(Main().IsWindowVisible());
  EXPECT_TRUE(Full().IsCreated());
  Main().PlayWindowDBClicked();
  ASSERT_TRUE(Main().IsFullScreen());
  Main().PlayWindowDBClicked();
  EXPECT_FALSE(Main().IsFullScreen());
  ASSERT_TRUE(E("butn_fullscreen1")->Click());
  ASSERT_TRUE(Main().IsFullScreen());
  // Keys reach the main window from the full-screen window.
  qel::input::Key(&Full(), u' ', true);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);
  qel::input::Key(&Full(), 27, true);
  EXPECT_FALSE(Main().IsFullScreen());
  ASSERT_TRUE(E("butn_fullscreen1")->Click());
  qel::Element* back = Main().Toolbar().Find("butn_ShowNormalWindow");
  ASSERT_NE(back, nullptr);
  ASSERT_TRUE(back->Click());
  EXPECT_FALSE(Main().IsFullScreen());
  EXPECT_TRUE(Main().CursorShown());
}

TEST_F(FullScreen, TheToolbarsTwinsFollowTheWindowAndActOnIt) {
  Open();
  ASSERT_TRUE(E("butn_fullscreen1")->Click());
  CPlayToolbar& bar = Main().Toolbar();
  EXPECT_EQ(bar.Find("chck_Play")->Check(), 1);
  EXPECT_EQ(bar.Find("view_FileName")->Text(), u"long.mov");
  EXPECT_EQ(bar.Find("view_TotalTime")->Text(), u"00:00:03");
  ASSERT_TRUE(bar.Find("chck_Play")->Click());
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  ASSERT_TRUE(bar.Find("chck_mute")->Click());
  EXPECT_EQ(E("chck_Mute")->Check(), 1);
  EXPECT_EQ(Main().PlayWnd().Player().Volume(), 0);
  ASSERT_TRUE(bar.Find("chck_mute")->Click());
  ASSERT_TRUE(bar.Find("hscrl_Volume")->UserScroll(30));
  EXPECT_EQ(Main().GetRememberedVolume(), 30);
  EXPECT_EQ(E("hscrl_Volume")->Scroll().pos, 30);
  ASSERT_TRUE(bar.Find("hscrl_PlayProgress")->UserScroll(20));
  EXPECT_GE(Main().PlayWnd().GetCurrentPlayPosition(), 2000u);
  ASSERT_TRUE(bar.Find("butn_Stop")->Click());
  EXPECT_EQ(Main().PlayWnd().GetCurrentPlayPosition(), 0u);

  // Its screenshot, headless.
  const fs::path png = testenv::BuildDir() / "screenshots" / "player-fullscreen-headless.png";
  fs::create_directories(png.parent_path());
  EXPECT_TRUE(qel::headless::RenderPng(&Main().FullScreenWindow(), png.string()));
}
