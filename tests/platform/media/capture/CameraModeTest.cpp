#include <gtest/gtest.h>

#include "V4l2Probe.h"

namespace {

using namespace media;

TEST(CameraMode, SmallestNativeSizeThatCoversTheRequest) {
  std::vector<V4l2Mode> modes = {
      {false, {640, 480}}, {true, {640, 480}}, {false, {1280, 720}},
      {true, {1920, 1080}}, {true, {2592, 1944}}, {false, {320, 240}},
  };
  EXPECT_EQ(LargestMode(modes), (Size{2592, 1944}));
  struct Case {
    Size wanted;
    Size chosen;
    bool mjpeg;
  } cases[] = {
      {{640, 480}, {640, 480}, true},      // MJPEG preferred at equal size
      {{320, 240}, {320, 240}, false},
      {{800, 600}, {1280, 720}, false},    // scaled down from the next larger size
      {{1280, 960}, {1920, 1080}, true},
      {{4000, 3000}, {2592, 1944}, true},  // nothing covers it: the largest
  };
  for (const Case& c : cases) {
    V4l2Mode mode = ChooseMode(modes, c.wanted);
    EXPECT_EQ(mode.size, c.chosen) << c.wanted.width;
    EXPECT_EQ(mode.mjpeg, c.mjpeg) << c.wanted.width;
  }
  V4l2Info info;
  EXPECT_FALSE(ProbeV4l2("/dev/null", &info)) << "not a camera";
}

}  // namespace
