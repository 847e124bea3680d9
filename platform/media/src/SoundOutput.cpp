#include "SoundOutput.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace media {
namespace {

using Clock = std::chrono::steady_clock;

class NullOutput : public SoundOutput {
 public:
  explicit NullOutput(uint32_t rate) : rate_(rate) {}
  bool Write(const int16_t*, size_t frames) override {
    std::unique_lock lock(mutex_);
    if (written_ == 0) start_ = Clock::now();
    written_ += int64_t(frames);
    // Take the samples when the clock reaches their end, a tenth ahead.
    auto due = start_ + std::chrono::microseconds(written_ * 1000000 / rate_) - std::chrono::milliseconds(100);
    wake_.wait_until(lock, due, [&] { return interrupted_; });
    return true;
  }
  int64_t PlayedFrames() override {
    std::lock_guard lock(mutex_);
    if (written_ == 0) return 0;
    int64_t elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count();
    return std::min<int64_t>(written_, elapsed * int64_t(rate_) / 1000000);
  }
  void Drain() override {
    std::unique_lock lock(mutex_);
    if (written_ == 0) return;
    auto due = start_ + std::chrono::microseconds(written_ * 1000000 / rate_);
    wake_.wait_until(lock, due, [&] { return interrupted_; });
  }
  void Interrupt() override {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    wake_.notify_all();
  }
  bool Real() const override { return false; }

 private:
  uint32_t rate_;
  std::mutex mutex_;
  std::condition_variable wake_;
  Clock::time_point start_;
  int64_t written_ = 0;
  bool interrupted_ = false;
};

class PulseOutput : public SoundOutput {
 public:
  PulseOutput(pa_simple* pa, uint32_t rate, uint16_t channels) : pa_(pa), rate_(rate), channels_(channels) {}
  ~PulseOutput() override { pa_simple_free(pa_); }
  bool Write(const int16_t* samples, size_t frames) override {
    if (interrupted_) return true;
    int err = 0;
    if (pa_simple_write(pa_, samples, frames * channels_ * 2, &err) < 0) return false;
    written_ += int64_t(frames);
    return true;
  }
  int64_t PlayedFrames() override {
    int err = 0;
    pa_usec_t latency = pa_simple_get_latency(pa_, &err);
    int64_t queued = err ? 0 : int64_t(latency) * rate_ / 1000000;
    return std::max<int64_t>(0, written_ - queued);
  }
  void Drain() override {
    int err = 0;
    if (!interrupted_) pa_simple_drain(pa_, &err);
  }
  void Interrupt() override { interrupted_ = true; }
  bool Real() const override { return true; }

 private:
  pa_simple* pa_;
  uint32_t rate_;
  uint16_t channels_;
  std::atomic<int64_t> written_{0};
  std::atomic<bool> interrupted_{false};
};

}  // namespace

std::unique_ptr<SoundOutput> OpenSoundOutput(uint32_t rate, uint16_t channels) {
  const char* choice = std::getenv("DUNSELLOW_SOUND_OUTPUT");
  if (!(choice && std::strcmp(choice, "null") == 0) && rate > 0 && channels > 0 && channels <= PA_CHANNELS_MAX) {
    pa_sample_spec spec{PA_SAMPLE_S16LE, rate, uint8_t(channels)};
    // A short queue: pause and seek are heard at once.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(100000, &spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int err = 0;
    pa_simple* pa = pa_simple_new(nullptr, "Dunsellow", PA_STREAM_PLAYBACK, nullptr, "Movie sound", &spec,
                                  nullptr, &attr, &err);
    if (pa) return std::make_unique<PulseOutput>(pa, rate, channels);
  }
  return std::make_unique<NullOutput>(rate > 0 ? rate : 44100);
}

}  // namespace media
