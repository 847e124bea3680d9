#pragma once
// What a V4L2 camera node offers, asked with ioctls on its own descriptor.
#include <cstdint>
#include <string>
#include <vector>

#include "media/Frame.h"

namespace media {

struct V4l2Mode {
  bool mjpeg = false;  // else YUYV 4:2:2
  Size size;
};

struct V4l2Info {
  std::string card;
  std::vector<std::string> inputs;  // VIDIOC_ENUMINPUT names
  std::vector<V4l2Mode> modes;      // MJPEG and YUYV sizes
  bool busy = false;                // node exists but cannot be opened now
};

// False when the node is not a video capture device (or does not exist).
bool ProbeV4l2(const std::string& path, V4l2Info* info);
// The camera nodes, /dev/video0 first.
std::vector<std::string> V4l2Nodes();
// The largest size of the modes (by area).
Size LargestMode(const std::vector<V4l2Mode>& modes);
// The mode to capture `wanted` from: the smallest native size at least as
// large, MJPEG preferred at equal size; the largest mode when none is.
V4l2Mode ChooseMode(const std::vector<V4l2Mode>& modes, Size wanted);

}  // namespace media
