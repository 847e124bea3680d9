// The system's sleep while the capture page records, with the system's
// questions scripted.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "CaptureModuleFixture.h"
#include "MediaTools.h"
#include "os/Power.h"

namespace fs = std::filesystem;
using plat::PowerAnswer;
using plat::PowerMessage;

TEST_F(CaptureModuleTest, IdleSleepIsRefusedWhileRecordingAndSleepFinishesTheMovieWhole) {
  auto fake = std::make_unique<plat::FakePowerSource>();
  plat::FakePowerSource* power = fake.get();
  plat::UsePowerSource(std::move(fake));
  SeedPreferences("{\"bWithAudio\": 1}");
  Start();
  LaunchCapture();
  ASSERT_TRUE(WaitForPicture());
  EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
  WaitFor([] { return false; }, 1);  // the microphone delivers first
  Command(u"-Capture/Record");
  Pump();
  ASSERT_EQ(Trace("capture recording ").size(), 1u);
  EXPECT_TRUE(power->Awake());
  EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kCancel);
  WaitFor([] { return false; }, 2);

  // About to sleep: the recording is finished and kept, then sleep is allowed.
  EXPECT_EQ(power->Ask(PowerMessage::kSystemWillSleep), PowerAnswer::kAllow);
  const std::vector<std::string> movies = Trace("capture movie ");
  ASSERT_EQ(movies.size(), 1u);
  EXPECT_FALSE(power->Awake());
  EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
  const fs::path movie = movies[0].substr(std::string("capture movie ").size());
  mediatools::ProbeResult probe(movie);
  EXPECT_GT(std::atof(probe.Stream("video", "duration").c_str()), 1.0);
  EXPECT_EQ(mediatools::DecodeErrors(movie), "");
}
