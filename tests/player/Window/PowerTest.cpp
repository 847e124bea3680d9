// The system's sleep while the player plays.
#include <gtest/gtest.h>

#include "PlayerFixture.h"

using namespace playertest;
using plat::PowerAnswer;
using plat::PowerMessage;

TEST_F(PlayerFixture, IdleSleepIsRefusedWhileAMoviePlaysAndSleepPausesIt) {
  const fs::path clip = Clip("long.mov", ClipSpec{3.0});
  ASSERT_TRUE(Start());
  EXPECT_FALSE(power_->Awake());
  EXPECT_EQ(power_->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
  Send(Command(AssetList({clip.string()}, clip.string())));
  ASSERT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePlaying);
  EXPECT_TRUE(power_->Awake());
  EXPECT_EQ(power_->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kCancel);

  // About to sleep: the movie pauses first, then the machine may go.
  testing::internal::CaptureStdout();
  EXPECT_EQ(power_->Ask(PowerMessage::kSystemWillSleep), PowerAnswer::kAllow);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "System will sleep\n");
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  EXPECT_FALSE(power_->Awake());
  EXPECT_EQ(power_->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
  // Waking does not play on by itself; power off and restart get no answer.
  EXPECT_EQ(power_->Ask(PowerMessage::kSystemHasPoweredOn), PowerAnswer::kAllow);
  EXPECT_EQ(power_->Ask(PowerMessage::kServiceIsResumed), PowerAnswer::kAllow);
  EXPECT_EQ(power_->Ask(PowerMessage::kCanSystemPowerOff), PowerAnswer::kNone);
  EXPECT_EQ(power_->Ask(PowerMessage::kSystemWillRestart), PowerAnswer::kNone);
  EXPECT_EQ(Main().PlayWnd().GetPlayState(), kPlayStatePaused);

  // Played again and stopped: held, then let go.
  ASSERT_TRUE(E("chck_Play")->Click());
  EXPECT_TRUE(power_->Awake());
  ASSERT_TRUE(E("butn_Stop")->Click());
  EXPECT_FALSE(power_->Awake());
}
