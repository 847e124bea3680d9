#pragma once
// Microphone capture: a worker thread reads the device (or the stand-in tone)
// and cuts the sound into blocks of a tenth of a second, signed 16-bit
// interleaved, native (little-endian) byte order; the main loop takes the
// blocks in order from Idle().
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/CaptureDevices.h"

namespace media {

struct SoundFormat {
  uint32_t sampleRate = 0;  // whole hertz (88200 and 96000 stay what they are)
  uint16_t channels = 0;
  uint16_t bitsPerSample = 16;
  uint32_t BlockAlign() const { return uint32_t(channels) * bitsPerSample / 8; }
  uint64_t BytesPerSecond() const { return uint64_t(sampleRate) * BlockAlign(); }
};

class SoundCapture {
 public:
  SoundCapture();
  ~SoundCapture();
  SoundCapture(const SoundCapture&) = delete;
  SoundCapture& operator=(const SoundCapture&) = delete;

  int SelectDevice(const CaptureDevice& device, int input);  // 0 or -1
  int SelectInput(const std::string& inputName);             // 0 or -1
  const CaptureDevice& Device() const;
  std::string InputName() const;

  // The format of the delivered blocks; known once a device is chosen.
  SoundFormat Format() const;

  int Start();  // 0, or -1 when no device is chosen or it cannot be opened
  void Stop();
  bool Running() const;

  // Main thread: hands every block that arrived, in order. 0 when running,
  // kSoundDeviceLost once the device is gone, -1 when not started.
  int Idle(const std::function<void(const uint8_t* data, size_t bytes)>& onBlock);
  // The same, with the capture clock (ClockUs) of each block's first sample.
  int IdleTimed(const std::function<void(const uint8_t* data, size_t bytes, int64_t clockUs)>& onBlock);
  // The once-a-second device watch: kSoundDeviceLost when the device is gone
  // (a failed read or no longer listed), else 0.
  int CheckDevice();

  void SetNotifier(std::function<void()> notify);  // worker thread, per block
  uint64_t BytesCaptured() const;
  uint64_t BlocksDropped() const;  // blocks nobody took in time (queue full)

  void InjectLoss();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace media
