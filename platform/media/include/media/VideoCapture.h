#pragma once
// Camera capture. A worker thread reads and decodes the camera (or the
// stand-in camera) and keeps the newest frame; the main loop takes it from
// Idle(), so frames reach the program on the main thread, one at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/CaptureDevices.h"
#include "media/Frame.h"

namespace media {

class VideoCapture {
 public:
  VideoCapture();
  ~VideoCapture();
  VideoCapture(const VideoCapture&) = delete;
  VideoCapture& operator=(const VideoCapture&) = delete;

  // Chooses the device and input (a stopped capture only). 0, or -1 when the
  // device is not a video device or the input does not exist.
  int SelectDevice(const CaptureDevice& device, int input);
  // Chooses by input name across ListVideoDevices(). 0 or -1.
  int SelectInput(const std::string& inputName);
  const CaptureDevice& Device() const;
  std::string InputName() const;  // empty before a device is chosen

  // The largest size the device offers (0 x 0 before a device is chosen).
  Size SourceBounds() const;
  // The picture size to capture: accepted (true) only when
  // 0 < width <= source width and 0 < height <= source height.
  bool SetSize(Size requested);
  // The size frames are delivered at: the accepted request, else the bounds.
  Size GetSize() const;
  double FrameRate() const;

  // Opens the device and starts the worker thread. 0, or -1 (no device, the
  // device cannot be opened). Starting a running capture answers 0.
  int Start();
  void Stop();
  bool Running() const;

  // Main thread, from the idle timer. When a frame arrived since the last
  // call, hands the newest one to onFrame, which may change it in place or
  // take its pixels, leaving a buffer of the same size in their place (the
  // capture fills that one later).
  // 0 when running; kVideoDeviceLost once the device is gone (and on every
  // call after that until Stop); -1 when not started.
  int Idle(const std::function<void(Frame&)>& onFrame);

  // Runs on the worker thread for every frame, once and in order, before the
  // frame is offered to Idle (for work that must see every frame).
  void SetFrameHook(std::function<void(Frame&)> hook);
  // Runs on the worker thread when a new frame waits (to wake the main loop)
  // and when the device is lost.
  void SetNotifier(std::function<void()> notify);

  uint64_t FramesCaptured() const;  // frames decoded since Start
  // CPU time of the capture thread since Start, in nanoseconds: all of it,
  // and its parts reading and decoding the device's frames, converting them
  // to pixels, and in the frame hook.
  struct ThreadCpu {
    uint64_t totalNs = 0, readNs = 0, convertNs = 0, hookNs = 0;
  };
  ThreadCpu CpuSpent() const;
  uint64_t FramesHandedOver() const;

  // Tests: behave as if the device had been unplugged.
  void InjectLoss();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace media
