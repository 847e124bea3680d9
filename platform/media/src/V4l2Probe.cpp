#include "V4l2Probe.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace media {
namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
  int r;
  do r = ioctl(fd, request, arg);
  while (r < 0 && errno == EINTR);
  return r;
}

void AddSizes(int fd, uint32_t pixelFormat, bool mjpeg, std::vector<V4l2Mode>* modes) {
  v4l2_frmsizeenum size{};
  size.pixel_format = pixelFormat;
  for (size.index = 0; Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      modes->push_back({mjpeg, {int32_t(size.discrete.width), int32_t(size.discrete.height)}});
    } else {  // stepwise or continuous: the two ends
      modes->push_back({mjpeg, {int32_t(size.stepwise.min_width), int32_t(size.stepwise.min_height)}});
      modes->push_back({mjpeg, {int32_t(size.stepwise.max_width), int32_t(size.stepwise.max_height)}});
      break;
    }
  }
}

}  // namespace

bool ProbeV4l2(const std::string& path, V4l2Info* info) {
  int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != EBUSY) return false;
    info->busy = true;
    return false;
  }
  v4l2_capability cap{};
  bool ok = Ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
  uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
  // Metadata and output nodes of the same camera are skipped.
  ok = ok && (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_STREAMING);
  if (ok) {
    info->card.assign(reinterpret_cast<const char*>(cap.card),
                      strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    v4l2_input input{};
    for (input.index = 0; Ioctl(fd, VIDIOC_ENUMINPUT, &input) == 0; ++input.index)
      info->inputs.emplace_back(reinterpret_cast<const char*>(input.name),
                                strnlen(reinterpret_cast<const char*>(input.name), sizeof input.name));
    if (info->inputs.empty()) info->inputs.push_back("Camera 1");
    v4l2_fmtdesc desc{};
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (desc.index = 0; Ioctl(fd, VIDIOC_ENUM_FMT, &desc) == 0; ++desc.index) {
      if (desc.pixelformat == V4L2_PIX_FMT_MJPEG || desc.pixelformat == V4L2_PIX_FMT_JPEG)
        AddSizes(fd, desc.pixelformat, true, &info->modes);
      else if (desc.pixelformat == V4L2_PIX_FMT_YUYV)
        AddSizes(fd, desc.pixelformat, false, &info->modes);
    }
    ok = !info->modes.empty();
  }
  close(fd);
  return ok;
}

std::vector<std::string> V4l2Nodes() {
  std::vector<std::pair<int, std::string>> nodes;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("video", 0) != 0 || name.size() == 5) continue;
    if (name.find_first_not_of("0123456789", 5) != std::string::npos) continue;
    nodes.emplace_back(std::stoi(name.substr(5)), entry.path().string());
  }
  std::sort(nodes.begin(), nodes.end());
  std::vector<std::string> paths;
  for (auto& n : nodes) paths.push_back(n.second);
  return paths;
}

Size LargestMode(const std::vector<V4l2Mode>& modes) {
  Size best;
  for (const V4l2Mode& m : modes)
    if (int64_t(m.size.width) * m.size.height > int64_t(best.width) * best.height) best = m.size;
  return best;
}

V4l2Mode ChooseMode(const std::vector<V4l2Mode>& modes, Size wanted) {
  const V4l2Mode* best = nullptr;
  auto area = [](const V4l2Mode& m) { return int64_t(m.size.width) * m.size.height; };
  for (const V4l2Mode& m : modes) {
    if (m.size.width < wanted.width || m.size.height < wanted.height) continue;
    if (!best || area(m) < area(*best) || (area(m) == area(*best) && m.mjpeg && !best->mjpeg))
      best = &m;
  }
  if (best) return *best;
  V4l2Mode largest;
  for (const V4l2Mode& m : modes)
    if (area(m) > area(largest) || (area(m) == area(largest) && m.mjpeg)) largest = m;
  return largest;
}

}  // namespace media
