#include "media/VideoCapture.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "Waiter.h"

namespace {

using namespace media;

class VideoCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SyntheticCamera camera;
    camera.bounds = {640, 480};
    camera.fps = 60;
    SetSyntheticCamera(camera);
  }
  void TearDown() override { SetSyntheticCamera(SyntheticCamera{}); }

  // Takes frames through Idle until `count` arrived; returns copies.
  std::vector<Frame> Take(VideoCapture& capture, Waiter& waiter, size_t count) {
    std::vector<Frame> frames;
    EXPECT_TRUE(waiter.Until([&] {
      EXPECT_EQ(capture.Idle([&](Frame& f) { frames.push_back(f); }), 0);
      return frames.size() >= count;
    }));
    return frames;
  }
};

TEST_F(VideoCaptureTest, StandInCameraIsListedWithItsInput) {
  std::vector<CaptureDevice> devices = ListVideoDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].name, "Test Camera A");
  ASSERT_EQ(devices[0].inputs, std::vector<std::string>{"Input 1"});
  size_t device = 9;
  int input = 9;
  EXPECT_TRUE(FindInput(devices, "Input 1", &device, &input));
  EXPECT_EQ(device, 0u);
  EXPECT_EQ(input, 0);
  EXPECT_FALSE(FindInput(devices, "input 1", nullptr, nullptr));

  VideoCapture capture;
  EXPECT_EQ(capture.SelectInput("No Such Camera"), -1);
  EXPECT_EQ(capture.Start(), -1);
  EXPECT_EQ(capture.Idle(nullptr), -1);
  EXPECT_EQ(capture.SelectInput("Input 1"), 0);
  EXPECT_EQ(capture.InputName(), "Input 1");
  EXPECT_EQ(capture.SourceBounds(), (Size{640, 480}));
}

TEST_F(VideoCaptureTest, RequestedSizeMustFitTheSourceBounds) {
  VideoCapture capture;
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  EXPECT_EQ(capture.GetSize(), (Size{640, 480}));
  struct Case {
    Size requested;
    bool accepted;
  } cases[] = {{{320, 240}, true}, {{640, 480}, true}, {{641, 480}, false},
               {{640, 481}, false}, {{0, 240}, false}, {{320, -1}, false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(capture.SetSize({160, 120}));
    EXPECT_EQ(capture.SetSize(c.requested), c.accepted) << c.requested.width << "x" << c.requested.height;
    EXPECT_EQ(capture.GetSize(), c.accepted ? c.requested : (Size{160, 120}));
  }
}

TEST_F(VideoCaptureTest, DeliversMovingArgbFramesAtTheRequestedSize) {
  VideoCapture capture;
  Waiter waiter;
  capture.SetNotifier(waiter.Notifier());
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  ASSERT_TRUE(capture.SetSize({320, 240}));
  ASSERT_EQ(capture.Start(), 0);
  std::vector<Frame> frames = Take(capture, waiter, 3);
  capture.Stop();
  ASSERT_GE(frames.size(), 3u);
  const Frame& first = frames.front();
  const Frame& last = frames.back();
  EXPECT_EQ(first.width, 320);
  EXPECT_EQ(first.height, 240);
  EXPECT_GE(first.rowBytes, 320 * 4);
  EXPECT_LT(first.index, last.index);
  bool opaque = true, colourful = false;
  for (int y = 0; y < first.height; y += 7)
    for (int x = 0; x < first.width; x += 5) {
      const uint8_t* p = first.Row(y) + x * 4;
      opaque = opaque && p[0] == 255;
      colourful = colourful || p[1] != p[2] || p[2] != p[3];
    }
  EXPECT_TRUE(opaque) << "byte 0 is alpha";
  EXPECT_TRUE(colourful);
  EXPECT_NE(first.pixels, last.pixels) << "the test picture moves";
}

TEST_F(VideoCaptureTest, HookSeesEveryFrameOnceAndInOrder) {
  VideoCapture capture;
  Waiter waiter;
  std::mutex mutex;
  std::vector<int64_t> hooked;
  capture.SetNotifier(waiter.Notifier());
  capture.SetFrameHook([&](Frame& f) {
    std::lock_guard lock(mutex);
    hooked.push_back(f.index);
    f.pixels[1] = 7;  // the change reaches the main thread
  });
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  ASSERT_TRUE(capture.SetSize({64, 48}));
  ASSERT_EQ(capture.Start(), 0);
  std::vector<int64_t> handed;
  ASSERT_TRUE(waiter.Until([&] {
    capture.Idle([&](Frame& f) {
      EXPECT_EQ(f.pixels[1], 7);
      handed.push_back(f.index);
    });
    return handed.size() >= 5;
  }));
  capture.Stop();
  std::lock_guard lock(mutex);
  for (size_t i = 0; i < hooked.size(); ++i) ASSERT_EQ(hooked[i], int64_t(i));
  for (size_t i = 1; i < handed.size(); ++i) EXPECT_LT(handed[i - 1], handed[i]);
  EXPECT_EQ(capture.FramesCaptured(), hooked.size());
}

TEST_F(VideoCaptureTest, ScriptedTornFrame) {
  SyntheticCamera camera = GetSyntheticCamera();
  camera.badFrameAt = 2;
  SetSyntheticCamera(camera);
  VideoCapture capture;
  Waiter waiter;
  std::mutex mutex;
  std::vector<std::pair<int64_t, bool>> seen;  // index, lower half green
  capture.SetNotifier(waiter.Notifier());
  capture.SetFrameHook([&](Frame& f) {
    const uint8_t* p = f.Row(f.height - 1) + (f.width / 2) * 4;
    std::lock_guard lock(mutex);
    seen.emplace_back(f.index, p[1] == 0 && p[2] == 135 && p[3] == 0);
  });
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  ASSERT_TRUE(capture.SetSize({64, 48}));
  ASSERT_EQ(capture.Start(), 0);
  ASSERT_TRUE(waiter.Until([&] { return capture.FramesCaptured() >= 4; }));
  capture.Stop();
  std::lock_guard lock(mutex);
  for (const auto& [index, torn] : seen) EXPECT_EQ(torn, index == 2) << index;
}

TEST_F(VideoCaptureTest, LostCameraIsReportedUntilStopped) {
  SyntheticCamera camera = GetSyntheticCamera();
  camera.loseAtFrame = 4;
  SetSyntheticCamera(camera);
  VideoCapture capture;
  Waiter waiter;
  capture.SetNotifier(waiter.Notifier());
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  ASSERT_TRUE(capture.SetSize({64, 48}));
  ASSERT_EQ(capture.Start(), 0);
  int frames = 0;
  ASSERT_TRUE(waiter.Until([&] { return capture.Idle([&](Frame&) { ++frames; }) == kVideoDeviceLost; }));
  EXPECT_LE(frames, 4);
  EXPECT_EQ(capture.FramesCaptured(), 4u);
  EXPECT_EQ(capture.Idle(nullptr), kVideoDeviceLost);
  capture.Stop();
  EXPECT_EQ(capture.Idle(nullptr), -1);

  // Unplugged by hand: reported at once, and a new start captures again.
  SetSyntheticCamera(SyntheticCamera{});
  ASSERT_EQ(capture.SelectInput("Input 1"), 0);
  ASSERT_TRUE(capture.SetSize({64, 48}));
  ASSERT_EQ(capture.Start(), 0);
  capture.InjectLoss();
  EXPECT_EQ(capture.Idle(nullptr), kVideoDeviceLost);
  capture.Stop();
  ASSERT_EQ(capture.Start(), 0);
  Take(capture, waiter, 1);
}

}  // namespace
