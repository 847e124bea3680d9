#pragma once
// Where played sound goes: PulseAudio, or a silent output that takes the
// samples at the pace of the steady clock.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace media {

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Blocks until the samples are taken; false on a device error.
  virtual bool Write(const int16_t* samples, size_t frames) = 0;
  // Sample frames heard so far (written minus what is still queued).
  virtual int64_t PlayedFrames() = 0;
  // Waits until what was written has been heard (or the silent clock got there).
  virtual void Drain() = 0;
  // Makes a blocked Write return (from another thread).
  virtual void Interrupt() = 0;
  virtual bool Real() const = 0;
};

// PulseAudio when a server answers (unless DUNSELLOW_SOUND_OUTPUT=null),
// else the silent output.
std::unique_ptr<SoundOutput> OpenSoundOutput(uint32_t rate, uint16_t channels);

}  // namespace media
