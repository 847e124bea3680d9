#include <gtest/gtest.h>

#include "media/CaptureDevices.h"

namespace {

using namespace media;

// The stand-ins are scripted from outside the program (see CMakeLists.txt).
TEST(StandInEnvironment, SettingsComeFromTheEnvironment) {
  SyntheticCamera camera = GetSyntheticCamera();
  EXPECT_EQ(camera.bounds, (Size{1280, 720}));
  EXPECT_EQ(camera.fps, 25);
  EXPECT_EQ(camera.loseAtFrame, 120);
  EXPECT_EQ(camera.badFrameAt, -1) << "a bad number is ignored";
  EXPECT_EQ(camera.inputs, std::vector<std::string>{"Desk"});
  SyntheticMicrophone microphone = GetSyntheticMicrophone();
  EXPECT_EQ(microphone.sampleRate, 96000u);
  EXPECT_EQ(microphone.channels, 2) << "3 channels are refused";
  EXPECT_EQ(microphone.loseAfterBlocks, 7);
  std::vector<CaptureDevice> devices = ListVideoDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].inputs, std::vector<std::string>{"Desk"});
}

}  // namespace
