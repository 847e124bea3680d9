// Playing: the play timer, the end of a movie, the list, sound, seeking,
// keys, the picture against the sound clock and the window's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "PlayerFixture.h"
#include "qel/QelBackend.h"
#include "qel/QelCore.h"
#include "qel/QelInput.h"
#include "qel/QelVideo.h"
#include "qel/QelWideText.h"

using namespace playertest;

namespace {

// Seconds of an "hh:mm:ss" text.
int Seconds(const std::u16string& text) {
  std::string t = QelToUTF8(text);
  int h = 0, m = 0, s = 0;
  return std::sscanf(t.c_str(), "%d:%d:%d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

}  // namespace

TEST_F(PlayerFixture, EachTickOfThePlayTimerShowsThePositionWhilePlaying) {
  const fs::path clip = Clip("long.mov", ClipSpec{3.0});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(Text("view_TotalTime"), u"00:00:03");
  EXPECT_EQ(E("hscrl_PlayProgress")->Scroll().max, 31);
  int last = -1;
  for (int i = 0; i < 6; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const uint32_t before = Main().PlayWnd().GetCurrentPlayPosition();
    Tick();
    const uint32_t after = Main().PlayWnd().GetCurrentPlayPosition();
    const int shown = Seconds(Text("view_CurrentTime"));
    EXPECT_GE(shown, int(before / 1000));
    EXPECT_LE(shown, int(after / 1000));
    const int bar = E("hscrl_PlayProgress")->Scroll().pos;
    EXPECT_GE(bar, int(before / 100));
    EXPECT_LE(bar, int(after / 100));
    EXPECT_GE(bar, last);
    last = bar;
  }
  EXPECT_GT(last, 0);
}

TEST_F(PlayerFixture, AtTheEndAMovieGoesBackToTheStartOrPlaysAgainWhenLooping) {
  const fs::path clip = Clip("short.mov", ClipSpec{0.6});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_TRUE(Until([&] { return Main().PlayWnd().GetPlayState() == kPlayStateStopped; }));
  Tick();
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  EXPECT_EQ(Text("view_CurrentTime"), u"00:00:00");
  EXPECT_EQ(E("hscrl_PlayProgress")->Scroll().pos, 0);
  EXPECT_EQ(Main().PlayWnd().GetCurrentPlayPosition(), 0u);
  EXPECT_EQ(Main().GetCurrentIndex(), 0);  // never on to another entry by itself
  // The picture at the start is shown again.
  EXPECT_TRUE(Until([&] { return Main().PlayWnd().ShownFrameTimeUs() == 0; }, 5));

  ASSERT_TRUE(E("chck_Loop")->Click());
  EXPECT_EQ(E("chck_Loop")->Check(), 1);
  E("chck_Play")->Click();
  ASSERT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  ASSERT_TRUE(Until([&] { return Main().PlayWnd().GetPlayState() == kPlayStateStopped; }));
  Tick();
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(E("chck_Play")->Check(), 1);
  EXPECT_LT(Main().PlayWnd().GetCurrentPlayPosition(), 600u);
}

TEST_F(PlayerFixture, NextAndPreviousGoRoundTheListAndPlayOnlyWhenThePlayBoxIsChecked) {
  const std::string a = Clip("a.mov").string(), b = Clip("b.mov").string(), c = Clip("c.mov").string();
  ASSERT_TRUE(Start());
  Send(Command(AssetList({a, b, c}, c)));
  ASSERT_EQ(Main().GetCurrentIndex(), 2);
  ASSERT_TRUE(E("butn_Next")->Click());
  EXPECT_EQ(Main().GetCurrentIndex(), 0);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  ASSERT_TRUE(E("butn_Previous")->Click());
  EXPECT_EQ(Main().GetCurrentIndex(), 2);
  EXPECT_EQ(std::u16string(Main().Title()), u"c.mov - Dunsellow Playvane");
  // Paused: the next entry opens stopped at its start.
  ASSERT_TRUE(E("chck_Play")->Click());
  ASSERT_EQ(E("chck_Play")->Check(), 0);
  ASSERT_TRUE(E("butn_Previous")->Click());
  EXPECT_EQ(Main().GetCurrentIndex(), 1);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStateStopped);
  EXPECT_EQ(Main().PlayWnd().GetCurrentPlayPosition(), 0u);

  // One entry: both buttons are off and do nothing.
  Send(Command(AssetList({b}, b, "one.xml")));
  EXPECT_FALSE(E("butn_Next")->Enabled());
  EXPECT_FALSE(E("butn_Previous")->Enabled());
  Main().NextButtonPushed();
  Main().PreviousButtonPushed();
  EXPECT_EQ(Main().GetCurrentIndex(), 0);
}

TEST_F(PlayerFixture, MuteThenStopThenUnmuteKeepsTheVolumeTheUserChose) {
  const fs::path clip = Clip("a.mov");
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_TRUE(Main().PlayWnd().IsFileOpened());
  ASSERT_TRUE(E("hscrl_Volume")->UserScroll(70));
  EXPECT_EQ(Main().PlayWnd().Player().Volume(), 70);
  ASSERT_TRUE(E("chck_Mute")->Click());
  EXPECT_EQ(Main().PlayWnd().Player().Volume(), 0);
  EXPECT_EQ(E("hscrl_Volume")->Scroll().pos, 0);
  EXPECT_FALSE(E("hscrl_Volume")->Enabled());
  ASSERT_TRUE(E("butn_Stop")->Click());
  EXPECT_EQ(Main().PlayWnd().Player().Volume(), 0);  // still muted
  ASSERT_TRUE(E("chck_Mute")->Click());
  EXPECT_EQ(Main().PlayWnd().Player().Volume(), 70);
  EXPECT_EQ(E("hscrl_Volume")->Scroll().pos, 70);
  EXPECT_TRUE(E("hscrl_Volume")->Enabled());
  EXPECT_EQ(Main().GetRememberedVolume(), 70);
}

TEST_F(PlayerFixture, StopAndBackToTheStartReturnToTheFirstPicture) {
  const fs::path clip = Clip("long.mov", ClipSpec{3.0});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_TRUE(E("hscrl_PlayProgress")->UserScroll(15));
  EXPECT_GE(Main().PlayWnd().GetCurrentPlayPosition(), 1500u);
  EXPECT_EQ(Text("view_CurrentTime"), u"00:00:01");
  ASSERT_TRUE(E("butn_BackToBegin")->Click());
  EXPECT_LT(Main().PlayWnd().GetCurrentPlayPosition(), 500u);
  EXPECT_EQ(E("hscrl_PlayProgress")->Scroll().pos, 0);
  ASSERT_TRUE(E("butn_Stop")->Click());
  EXPECT_NE(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(Main().PlayWnd().GetCurrentPlayPosition(), 0u);
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  EXPECT_TRUE(Until([&] { return Main().PlayWnd().ShownFrameTimeUs() == 0; }, 5));
}

// While the thumb is held the timer leaves the bar and the text alone.
TEST_F(PlayerFixture, ThePlayTimerDoesNotMoveTheBarWhileItsThumbIsHeld) {
  const fs::path clip = Clip("long.mov", ClipSpec{3.0});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  qel::Element* bar = E("hscrl_PlayProgress");
  bar->SetScrollPos(20);
  qel::input::FireEvent(bar, QEL_EV_SLIDER_TRACK, 20);
  EXPECT_TRUE(Main().IsTracking());
  EXPECT_EQ(Text("view_CurrentTime"), u"00:00:02");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Tick();
  EXPECT_EQ(bar->Scroll().pos, 20);
  EXPECT_EQ(Text("view_CurrentTime"), u"00:00:02");
  qel::input::FireEvent(bar, QEL_EV_SLIDER_END, 20);
  EXPECT_FALSE(Main().IsTracking());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Tick();
  EXPECT_GT(bar->Scroll().pos, 20);
}

TEST_F(PlayerFixture, SpaceAndPPlayAndPauseEscapeStops) {
  const fs::path clip = Clip("long.mov", ClipSpec{3.0});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  auto key = [&](uint32_t code) {
    qel::input::Key(&Main(), code, true);
    qel::input::Key(&Main(), code, false);
  };
  key(u' ');
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  key(u'p');
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  key(27);
  EXPECT_NE(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_EQ(Main().PlayWnd().GetCurrentPlayPosition(), 0u);
}

// Sound and picture together: each picture shown is one the clock has
// reached, the pictures go forward, and a paused movie shows the picture at
// its position. (How close they keep while playing is the benchmark's to
// measure: a test asserts no times.)
TEST_F(PlayerFixture, ThePictureShownIsTheOneAtTheSoundClock) {
  const int rate = 25;
  const fs::path clip = Clip("sync.mov", ClipSpec{2.0, 160, 120, rate});
  ASSERT_TRUE(Start());
  Send(Command(AssetList({clip.string()}, clip.string())));
  qel::VideoElement* view = Main().PlayWnd().GetSafeHwnd();
  ASSERT_NE(view, nullptr);
  const int64_t frameUs = 1000000 / rate;
  int samples = 0;
  int64_t seen = view->FramesShown(), last = -1;
  Until([&] {
    if (view->FramesShown() != seen) {
      seen = view->FramesShown();
      const int64_t clockUs = int64_t(Main().PlayWnd().GetCurrentPlayPosition()) * 1000;
      const int64_t shownUs = view->FrameTimeUs();
      ++samples;
      EXPECT_LE(shownUs, clockUs + 1000) << "a picture from the future";
      EXPECT_GT(shownUs, last) << "pictures went back";
      last = shownUs;
    }
    return samples >= 10 || Main().PlayWnd().GetPlayState() == kPlayStateStopped;
  });
  EXPECT_GE(samples, 3);
  ASSERT_TRUE(E("chck_Play")->Click());  // pause
  ASSERT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);
  const int64_t at = int64_t(Main().PlayWnd().GetCurrentPlayPosition()) * 1000;
  EXPECT_LE(view->FrameTimeUs(), at);
  EXPECT_GT(view->FrameTimeUs(), at - frameUs);
  // Seeking while paused shows the picture there.
  ASSERT_TRUE(E("hscrl_PlayProgress")->UserScroll(13));
  EXPECT_EQ(view->FrameTimeUs(), 1280000);  // 1.3 s lies in the picture that starts at 1.28 s
}

TEST_F(PlayerFixture, TheWindowTakesTheMovieSizeWithinTheMinimumAndTheScreen) {
  const fs::path small = Clip("small.mov", ClipSpec{0.2, 160, 120, 25, false});
  const fs::path wide = Clip("wide.mov", ClipSpec{0.2, 640, 160, 25, false});
  const fs::path large = Clip("large.mov", ClipSpec{0.2, 1920, 1440, 25, false});
  const fs::path mid = Clip("mid.mov", ClipSpec{0.2, 800, 600, 25, false});
  ASSERT_TRUE(Start());
  auto area = [&] {
    SRect32 r = E("cata_PlayWnd")->Bounds();
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  auto open = [&](const fs::path& f) {
    Send(Command(AssetList({f.string()}, f.string(), f.stem().string() + ".xml")));
    ASSERT_TRUE(Main().PlayWnd().IsFileOpened());
  };
  open(mid);
  EXPECT_EQ(area().cx, 800);
  EXPECT_EQ(area().cy, 600);
  const SRect32 before = Main().Bounds();
  // Below the minimum, wider than 4:3 left for the picture: the minimum height, 4:3 kept.
  open(small);
  SRect32 b = Main().Bounds();
  EXPECT_EQ(b.right - b.left, Main().MinWidth());
  EXPECT_NEAR(double(area().cx) / area().cy, 4.0 / 3.0, 0.02);
  EXPECT_NEAR((b.left + b.right) / 2, (before.left + before.right) / 2, 1);
  // A wide movie: the minimum width, its own shape.
  open(wide);
  EXPECT_NEAR(double(area().cx) / area().cy, 4.0, 0.1);
  // Larger than the screen: scaled down into the work area, shape kept.
  open(large);
  const SRect32 work = qel::CurrentBackend().WorkArea();
  b = Main().Bounds();
  EXPECT_LE(b.bottom - b.top, work.bottom - work.top);
  EXPECT_GE(b.top, work.top);
  EXPECT_GE(b.left, work.left);
  EXPECT_LE(b.right, work.right);
  EXPECT_NEAR(double(area().cx) / area().cy, 4.0 / 3.0, 0.02);
  // A sound file keeps the window as it is and shows the note.
  ClipSpec tone;
  tone.picture = false;
  open(Clip("tone.wav", tone));
  EXPECT_EQ(Main().Bounds().right - Main().Bounds().left, b.right - b.left);
  EXPECT_TRUE(E("Audio_Icon")->Visible());
}
