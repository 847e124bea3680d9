#include "media/CameraControls.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace media {
namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
  int r;
  do r = ioctl(fd, request, arg);
  while (r < 0 && errno == EINTR);
  return r;
}

// The stand-in camera's settings, kept for the process.
std::mutex g_standInMutex;
std::vector<CameraControl>& StandInControls() {
  static std::vector<CameraControl> controls = [] {
    std::vector<CameraControl> c(3);
    c[0] = {V4L2_CID_BRIGHTNESS, "Brightness", CameraControl::Integer, -64, 64, 1, 0, 0, {}};
    c[1] = {V4L2_CID_CONTRAST, "Contrast", CameraControl::Integer, 0, 100, 1, 50, 50, {}};
    c[2] = {V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", CameraControl::Boolean, 0, 1, 1, 1, 1, {}};
    return c;
  }();
  return controls;
}

// Image settings only: the user class (picture) and the camera class
// (exposure, focus), not the codec or streaming classes.
bool IsImageControl(uint32_t id) {
  uint32_t cls = V4L2_CTRL_ID2CLASS(id);
  return cls == V4L2_CTRL_CLASS_USER || cls == V4L2_CTRL_CLASS_CAMERA;
}

int OpenCamera(const CaptureDevice& device) {
  if (device.kind != DeviceKind::Video || device.backend != "video4linux2") return -1;
  return open(device.id.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

std::vector<CameraControl> ListCameraControls(const CaptureDevice& device) {
  if (device.kind == DeviceKind::Video && device.backend == "lavfi") {
    std::lock_guard lock(g_standInMutex);
    return StandInControls();
  }
  std::vector<CameraControl> controls;
  int fd = OpenCamera(device);
  if (fd < 0) return controls;
  v4l2_queryctrl query{};
  query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
  while (Ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0) {
    uint32_t id = query.id;
    query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    if ((query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) || !IsImageControl(id)) continue;
    CameraControl c;
    c.id = id;
    c.name.assign(reinterpret_cast<const char*>(query.name), strnlen(reinterpret_cast<const char*>(query.name), sizeof query.name));
    c.minimum = query.minimum;
    c.maximum = query.maximum;
    c.step = query.step > 0 ? query.step : 1;
    c.defaultValue = query.default_value;
    if (query.type == V4L2_CTRL_TYPE_BOOLEAN) {
      c.kind = CameraControl::Boolean;
    } else if (query.type == V4L2_CTRL_TYPE_MENU || query.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
      c.kind = CameraControl::Menu;
      for (int32_t i = query.minimum; i <= query.maximum; ++i) {
        v4l2_querymenu item{};
        item.id = id;
        item.index = uint32_t(i);
        if (Ioctl(fd, VIDIOC_QUERYMENU, &item) != 0) continue;
        std::string text = query.type == V4L2_CTRL_TYPE_MENU
                               ? std::string(reinterpret_cast<const char*>(item.name),
                                             strnlen(reinterpret_cast<const char*>(item.name), sizeof item.name))
                               : std::to_string(item.value);
        c.items.emplace_back(i, text);
      }
    } else if (query.type != V4L2_CTRL_TYPE_INTEGER) {
      continue;  // buttons, strings, compound controls: not image settings
    }
    v4l2_control value{};
    value.id = id;
    if (Ioctl(fd, VIDIOC_G_CTRL, &value) != 0) continue;
    c.value = value.value;
    controls.push_back(std::move(c));
  }
  close(fd);
  return controls;
}

bool SetCameraControl(const CaptureDevice& device, uint32_t id, int32_t value) {
  if (device.kind == DeviceKind::Video && device.backend == "lavfi") {
    std::lock_guard lock(g_standInMutex);
    for (CameraControl& c : StandInControls()) {
      if (c.id != id) continue;
      if (value < c.minimum || value > c.maximum) return false;
      c.value = value;
      return true;
    }
    return false;
  }
  int fd = OpenCamera(device);
  if (fd < 0) return false;
  v4l2_control control{};
  control.id = id;
  control.value = value;
  bool ok = Ioctl(fd, VIDIOC_S_CTRL, &control) == 0;
  close(fd);
  return ok;
}

void ApplyStandInControls(Frame& frame) {
  int32_t brightness = 0, contrast = 50;
  {
    std::lock_guard lock(g_standInMutex);
    for (const CameraControl& c : StandInControls()) {
      if (c.id == V4L2_CID_BRIGHTNESS) brightness = c.value;
      if (c.id == V4L2_CID_CONTRAST) contrast = c.value;
    }
  }
  if (brightness == 0 && contrast == 50) return;
  uint8_t table[256];
  for (int v = 0; v < 256; ++v) table[v] = uint8_t(std::clamp((v - 128) * contrast / 50 + 128 + brightness * 2, 0, 255));
  for (int32_t y = 0; y < frame.height; ++y) {
    uint8_t* p = frame.Row(y);
    for (int32_t x = 0; x < frame.width; ++x, p += 4) p[1] = table[p[1]], p[2] = table[p[2]], p[3] = table[p[3]];
  }
}

}  // namespace media
