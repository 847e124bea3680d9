// The recording's frame clock and its source queue on their own.
#include <gtest/gtest.h>

#include "CaptureManage.h"
#include "CaptureSource.h"
#include "os/Offscreen.h"

namespace {

TEST(CaptureFrameClock, PicturesTakeTheSlotsFromTheirMomentAndSoundIsCutToTheFirstFrame) {
  struct Slot {
    int64_t sinceStartUs;
    uint32_t rate;
    uint64_t slot;
  } slots[] = {
      {-5000, 15, 0},                             // taken before the first frame
      {0, 15, 0},                                 // the first frame itself
      {1, 15, 1},                                 // just after: from the next slot on
      {66666, 15, 1}, {66667, 15, 2},             // 1/15 s falls between the two
      {1000000, 10, 10},                          // one second at 10 fps
      {int64_t(30) * 3600 * 1000000, 15, uint64_t(15) * 3600 * 30},  // 30 hours: no overflow
  };
  for (const Slot& c : slots)
    EXPECT_EQ(CCaptureManage::FrameSlotAt(c.sinceStartUs, c.rate), c.slot) << c.sinceStartUs << " us";

  struct Cut {
    int64_t sinceStartUs;
    uint32_t rate;
    int64_t samples;
  } cuts[] = {
      {-100000, 44100, 4410},   // a block begun a tenth before the first frame
      {0, 48000, 0},
      {50000, 44100, -2205},    // sound that began after it: silence first
      {-11, 96000, 1},          // to the nearest sample
      {-5, 96000, 0},
  };
  for (const Cut& c : cuts)
    EXPECT_EQ(CCaptureManage::SamplesBeforeStart(c.sinceStartUs, c.rate), c.samples) << c.sinceStartUs << " us";
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
