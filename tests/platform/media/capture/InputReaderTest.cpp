#include <gtest/gtest.h>

#include <vector>

#include "InputReader.h"
#include "TestEnvironment.h"
#include "media/MovieWriter.h"

namespace {

using namespace media;

// A capture that was stopped (its reads interrupted) must be able to start
// again: the next open does not inherit the interruption.
TEST(InputReader, OpensAgainAfterAnInterruptedRead) {
  MovieWriterSettings s;
  s.path = (testenv::MakeTempDir("reader") / "clip.mov").string();
  s.size = {32, 24};
  s.fps = 10;
  MovieWriter writer;
  ASSERT_EQ(writer.Open(s), 0);
  std::vector<uint8_t> argb(32 * 24 * 4, 200);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(writer.WriteVideo(argb.data(), 32, 24, 32 * 4), 0);
  ASSERT_EQ(writer.Finish(), 0);

  InputReader reader;
  ff::FramePtr frame(av_frame_alloc());
  ASSERT_EQ(reader.Open(nullptr, s.path, nullptr, AVMEDIA_TYPE_VIDEO), 0);
  reader.Interrupt();
  ASSERT_EQ(reader.Open(nullptr, s.path, nullptr, AVMEDIA_TYPE_VIDEO), 0);
  int frames = 0;
  while (reader.Next(frame.get()) == 0) {
    ++frames;
    av_frame_unref(frame.get());
  }
  EXPECT_EQ(frames, 5);
}

}  // namespace
