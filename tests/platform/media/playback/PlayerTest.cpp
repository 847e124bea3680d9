#include "media/Player.h"

#include <gtest/gtest.h>

#include <string>

#include "Waiter.h"

namespace {

using namespace media;

std::string Clip(const char* name) { return std::string(CLIPS_DIR) + "/" + name; }
int Level(const Frame& f) { return f.Row(f.height / 2)[(f.width / 2) * 4 + 1]; }

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { player_.SetNotifier(waiter_.Notifier()); }
  // Takes every frame that comes until the player stops by itself.
  std::vector<int> PlayToTheEnd() {
    std::vector<int> levels;
    EXPECT_TRUE(waiter_.Until([&] {
      Frame f;
      while (player_.TakeFrame(f)) levels.push_back(Level(f));
      return player_.State() == PlayState::Stopped;
    }));
    Frame f;  // the last picture may have come with the end
    while (player_.TakeFrame(f)) levels.push_back(Level(f));
    return levels;
  }
  Waiter waiter_;
  Player player_;
};

TEST_F(PlayerTest, OpensStoppedWithTheFirstFrame) {
  ASSERT_EQ(player_.Open(Clip("index.mov")), 0);
  EXPECT_TRUE(player_.HasVideo());
  EXPECT_TRUE(player_.HasSound());
  EXPECT_EQ(player_.DurationMs(), 3000);
  EXPECT_EQ(player_.NaturalSize(), (Size{64, 48}));
  EXPECT_EQ(player_.State(), PlayState::Stopped);
  EXPECT_EQ(player_.PositionMs(), 0);
  Frame f;
  ASSERT_TRUE(player_.TakeFrame(f));
  EXPECT_EQ(Level(f), 0);
  EXPECT_FALSE(player_.TakeFrame(f)) << "nothing new";
  EXPECT_FALSE(player_.SoundDeviceUsed());
}

TEST_F(PlayerTest, PausedSeekShowsTheFrameThere) {
  ASSERT_EQ(player_.Open(Clip("index.mov")), 0);
  player_.Play();
  EXPECT_EQ(player_.State(), PlayState::Playing) << "at once";
  player_.Pause();
  EXPECT_EQ(player_.State(), PlayState::Paused);
  int64_t paused = player_.PositionMs();
  EXPECT_EQ(player_.PositionMs(), paused) << "time stands still";
  for (int64_t ms : {1500, 100, 2999, 60}) {
    player_.Seek(ms);
    EXPECT_EQ(player_.PositionMs(), ms);
    Frame f;
    ASSERT_TRUE(player_.TakeFrame(f));
    EXPECT_EQ(Level(f), int(ms / 100) * 8) << ms;
  }
  player_.Seek(99999);
  EXPECT_EQ(player_.PositionMs(), 3000);
  player_.Stop();
  EXPECT_EQ(player_.State(), PlayState::Stopped);
  EXPECT_EQ(player_.PositionMs(), 0);
}

TEST_F(PlayerTest, PlaysInOrderToTheEnd) {
  ASSERT_EQ(player_.Open(Clip("index.mov")), 0);
  player_.Seek(2000);
  player_.Play();
  std::vector<int> levels = PlayToTheEnd();
  ASSERT_FALSE(levels.empty());
  for (size_t i = 1; i < levels.size(); ++i) EXPECT_LT(levels[i - 1], levels[i]);
  EXPECT_GE(levels.front(), 20 * 8);
  EXPECT_EQ(levels.back(), 29 * 8) << "the last frame is shown";
  EXPECT_EQ(player_.PositionMs(), 3000) << "the end counts as the duration";
  // Play again after the end starts from the beginning.
  player_.Play();
  EXPECT_EQ(player_.State(), PlayState::Playing);
  player_.Stop();
}

TEST_F(PlayerTest, SoundOnlyFilesPlayOnTheSilentClock) {
  ASSERT_EQ(player_.Open(Clip("tone.m4a")), 0);
  EXPECT_FALSE(player_.HasVideo());
  EXPECT_EQ(player_.NaturalSize(), (Size{0, 0}));
  player_.Seek(player_.DurationMs() - 300);
  player_.Play();
  EXPECT_TRUE(PlayToTheEnd().empty());
  EXPECT_EQ(player_.PositionMs(), player_.DurationMs());
}

TEST_F(PlayerTest, VolumeSpeedAndBadFiles) {
  player_.SetVolume(150);
  EXPECT_EQ(player_.Volume(), 100);
  player_.SetVolume(-5);
  EXPECT_EQ(player_.Volume(), 0);
  EXPECT_TRUE(player_.SetSpeed(1.0));
  EXPECT_FALSE(player_.SetSpeed(2.0));
  EXPECT_EQ(player_.Open(Clip("notamovie.mov")), -1);
  EXPECT_FALSE(player_.IsOpen());
  player_.Play();
  EXPECT_EQ(player_.State(), PlayState::Stopped);
  Frame f;
  EXPECT_FALSE(player_.TakeFrame(f));
}

}  // namespace
