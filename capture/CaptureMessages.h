#pragma once
// The capture plug-in's private window messages.
#include <cstdint>

constexpr uint32_t kMsgCaptureCheck = 3025;   // wParam 0: media-layer check; 1: re-apply super quality
constexpr uint32_t kMsgCaptureDevice = 3026;  // wParam: see CaptureDeviceMessage
constexpr uint32_t kMsgFullScreenMode = 3029;  // to the full-screen window: next display mode

enum CaptureDeviceMessage : int32_t {
  kDeviceLost = 0,
  kDeviceChanged = 1,
  kCameraOn = 2,
  kCameraOff = 3,
  kStopAll = 4,  // close the full screen, then stop recording
};

// Mouse messages the panel watches (for the album's context menu).
constexpr uint32_t kMsgMouseFirst = 512;
constexpr uint32_t kMsgMouseLast = 525;
