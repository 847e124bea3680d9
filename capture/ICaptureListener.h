#pragma once
// How the capture engine, the album, the preview view and the full-screen
// toolbar report to the capture panel. `data` points to an int32_t.
#include <cstdint>

// Listener codes.
constexpr int32_t kCaptureDeviceEvent = 1524;   // data: 0 video lost, 1 sound lost, 4 stop recording
constexpr int32_t kCaptureToolbarEvent = 1525;  // data: 0 close, 1 photo, 2 burst, 3 record
constexpr int32_t kCaptureAlbumEvent = 1526;    // data: 18, 19 album tools changed
constexpr int32_t kCaptureViewEvent = 1527;     // data: 0 preview clicked, 2 a second of recording

class ICaptureListener {
 public:
  virtual int32_t Receive(int32_t code, const void* data, const void* sender) = 0;

 protected:
  ~ICaptureListener() = default;
};
