#include "media/SoundCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Waiter.h"

namespace {

using namespace media;

class SoundCaptureTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSyntheticMicrophone(SyntheticMicrophone{}); }
};

// Sign changes of one channel of interleaved 16-bit samples.
int Crossings(const std::vector<int16_t>& samples, int channels, int channel) {
  int count = 0;
  for (size_t i = size_t(channels + channel); i < samples.size(); i += size_t(channels))
    if ((samples[i - size_t(channels)] < 0) != (samples[i] < 0)) ++count;
  return count;
}

TEST_F(SoundCaptureTest, ToneComesInTenthOfASecondBlocksAtTheDeviceRate) {
  struct Case {
    uint32_t rate;
    uint16_t channels;
  } cases[] = {{44100, 2}, {96000, 1}, {88200, 2}};
  for (const Case& c : cases) {
    SyntheticMicrophone microphone;
    microphone.sampleRate = c.rate;
    microphone.channels = c.channels;
    SetSyntheticMicrophone(microphone);
    std::vector<CaptureDevice> devices = ListSoundDevices();
    ASSERT_EQ(devices.size(), 1u);
    ASSERT_EQ(devices[0].inputs, std::vector<std::string>{"Tone 1"});

    SoundCapture capture;
    Waiter waiter;
    capture.SetNotifier(waiter.Notifier());
    ASSERT_EQ(capture.SelectInput("Tone 1"), 0);
    EXPECT_EQ(capture.Format().sampleRate, c.rate);
    EXPECT_EQ(capture.Format().channels, c.channels);
    EXPECT_EQ(capture.Format().bitsPerSample, 16);
    ASSERT_EQ(capture.Start(), 0);
    std::vector<std::vector<int16_t>> blocks;
    ASSERT_TRUE(waiter.Until([&] {
      EXPECT_EQ(capture.Idle([&](const uint8_t* data, size_t bytes) {
        std::vector<int16_t> samples(bytes / 2);
        std::memcpy(samples.data(), data, bytes);
        blocks.push_back(std::move(samples));
      }), 0);
      return blocks.size() >= 3;
    }));
    capture.Stop();
    for (const auto& block : blocks) {
      ASSERT_EQ(block.size(), size_t(c.rate / 10) * c.channels) << c.rate;
      // 1 kHz for 0.1 s: 200 sign changes in every channel.
      for (int ch = 0; ch < c.channels; ++ch) EXPECT_NEAR(Crossings(block, c.channels, ch), 200, 2);
      if (c.channels == 2) {
        EXPECT_EQ(block[100], block[101]);
      }
    }
  }
}

TEST_F(SoundCaptureTest, LostMicrophoneIsReportedByIdleAndTheWatch) {
  SyntheticMicrophone microphone;
  microphone.loseAfterBlocks = 2;
  SetSyntheticMicrophone(microphone);
  SoundCapture capture;
  Waiter waiter;
  capture.SetNotifier(waiter.Notifier());
  EXPECT_EQ(capture.Start(), -1);
  ASSERT_EQ(capture.SelectInput("Tone 1"), 0);
  EXPECT_EQ(capture.CheckDevice(), 0);
  ASSERT_EQ(capture.Start(), 0);
  int blocks = 0;
  ASSERT_TRUE(waiter.Until([&] {
    return capture.Idle([&](const uint8_t*, size_t) { ++blocks; }) == kSoundDeviceLost;
  }));
  EXPECT_EQ(blocks, 2) << "blocks before the loss still arrive";
  EXPECT_EQ(capture.CheckDevice(), kSoundDeviceLost);
  capture.Stop();
  EXPECT_EQ(capture.Idle(nullptr), -1);
  EXPECT_EQ(capture.CheckDevice(), 0);

  SetSyntheticMicrophone(SyntheticMicrophone{});
  ASSERT_EQ(capture.SelectInput("Tone 1"), 0);
  ASSERT_EQ(capture.Start(), 0);
  capture.InjectLoss();
  EXPECT_EQ(capture.CheckDevice(), kSoundDeviceLost);
}

}  // namespace
