#pragma once
// The image settings of a camera (brightness, contrast, colour, white
// balance, gain, exposure ...), for a settings dialog: V4L2 controls on a
// real camera, kept in memory for the stand-in camera.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/CaptureDevices.h"

namespace media {

struct CameraControl {
  enum Kind { Integer, Boolean, Menu };
  uint32_t id = 0;
  std::string name;
  Kind kind = Integer;
  int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0;
  int32_t value = 0;
  std::vector<std::pair<int32_t, std::string>> items;  // a menu's choices
};

// The device's image controls with their current values; empty when it has
// none or cannot be asked.
std::vector<CameraControl> ListCameraControls(const CaptureDevice& device);
// Sets one control; false when the device refuses (or the value is outside
// the control's range).
bool SetCameraControl(const CaptureDevice& device, uint32_t id, int32_t value);

// The stand-in camera's picture follows its brightness and contrast.
void ApplyStandInControls(Frame& frame);

}  // namespace media
