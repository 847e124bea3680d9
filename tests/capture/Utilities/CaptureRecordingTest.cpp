// The recording's frame clock and its source queue on their own.
#include <gtest/gtest.h>

#include "CaptureManage.h"
#include "CaptureSource.h"
#include "os/Offscreen.h"

namespace {

TEST(CaptureFrameClock, FramesFollowTheSoundOrTheClock) {
  struct Case {
    bool bySound;
    uint64_t soundBytes, bytesPerSecond, elapsedUs;
    uint32_t rate;
    uint64_t due;
  } cases[] = {
      {true, 176400, 176400, 0, 10, 11},           // one second of 44.1 kHz stereo sound at 10 fps
      {false, 0, 0, 1000000, 5, 6},                 // one second of clock at 5 fps
      {true, 0, 176400, 500000, 10, 6},             // no sound yet: the clock
      {true, 176400ull * 3600 * 30, 176400, 0, 15, 15 * 3600 * 30 + 1},  // 30 hours: no overflow
      {true, 384000, 384000, 0, 30, 31},            // 96 kHz stereo, 16 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CCaptureManage::FramesDue(c.bySound, c.soundBytes, c.bytesPerSecond, c.elapsedUs, c.rate), c.due)
        << c.soundBytes << " bytes, " << c.elapsedUs << " us";
  }
}

TEST(CaptureSourceQueue, RepeatsBoundsAndEnd) {
  auto* source = new CCaptureSource();
  source->AddRef();
  source->SetBeUseBuffer(1, 5);
  GWorldPtr picture = plat::NewOffscreen(8, 4, plat::kOffscreenARGB32);
  ASSERT_EQ(source->SetVideoDate(picture, 0, 3), 0);
  int64_t t0 = -1, t1 = -1;
  GWorldPtr first = source->GetVideoData(0, &t0, &t1);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, picture);  // a copy
  EXPECT_EQ(t0, 0);
  source->ResetVideoData(first);
  EXPECT_EQ(source->GetVideoData(0, &t0, &t1), first);
  source->ResetVideoData(first);
  EXPECT_EQ(source->GetVideoData(0, &t0, &t1), first);
  source->ResetVideoData(first);
  EXPECT_EQ(source->QueuedPictures(), 0u);

  // A slow encoder: past the limit the last picture takes the repeats.
  for (size_t i = 0; i < CCaptureSource::kMaxQueuedPictures + 20; ++i) source->SetVideoDate(picture, 0, 1);
  EXPECT_EQ(source->QueuedPictures(), CCaptureSource::kMaxQueuedPictures);
  size_t frames = 0;
  source->Close();
  while (GWorldPtr p = source->GetVideoData(0, &t0, &t1)) {
    ++frames;
    source->ResetVideoData(p);
  }
  EXPECT_EQ(frames, CCaptureSource::kMaxQueuedPictures + 20);

  // Sound: the length first, then the bytes; the end once closed and empty.
  uint32_t got = 0;
  unsigned char block[4] = {1, 2, 3, 4};
  source->SetAudioData(tWAVEFORMATEX{}, 4, block);
  EXPECT_EQ(source->GetAudioData(nullptr, 0, 0, &got, nullptr), 0);
  EXPECT_EQ(got, 4u);
  unsigned char out[4] = {};
  EXPECT_EQ(source->GetAudioData(nullptr, 0, 0, &got, out), 0);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(source->GetAudioData(nullptr, 0, 0, &got, nullptr), CCaptureSource::kEndOfSound);
  plat::DisposeOffscreen(picture);
  source->Release();
}

}  // namespace
