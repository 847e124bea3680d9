#include "media/SoundCapture.h"

#include <atomic>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "FFmpeg.h"
#include "InputReader.h"
#include "media/Frame.h"
#include "media/SoundLevel.h"

namespace media {
namespace {
// Blocks kept for a main loop that does not take them: ten seconds.
constexpr size_t kMaxQueuedBlocks = 100;

// The stand-in's recording level: 16-bit samples scaled, clipped.
void ApplyGain(uint8_t* data, size_t samples, double gain) {
  if (gain == 1.0) return;
  for (size_t i = 0; i < samples; ++i) {
    int16_t v;
    std::memcpy(&v, data + i * 2, 2);
    v = int16_t(std::clamp(std::lround(v * gain), -32768L, 32767L));
    std::memcpy(data + i * 2, &v, 2);
  }
}
}  // namespace

struct SoundCapture::Impl {
  CaptureDevice device;
  int input = -1;
  SyntheticMicrophone synthetic;
  SoundFormat format;

  std::thread thread;
  InputReader reader;
  std::mutex mutex;  // guards stop, the queue and the notifier
  std::condition_variable wake;
  bool stop = false;
  struct Block {
    std::vector<uint8_t> bytes;
    int64_t clockUs = 0;  // when its first sample was taken
  };
  std::deque<Block> queue;
  int64_t startUs = 0;  // the stand-in's first sample
  std::function<void()> notify;
  std::atomic<bool> running{false};
  std::atomic<bool> lost{false};
  std::atomic<uint64_t> bytes{0};
  std::atomic<uint64_t> dropped{0};

  bool Synthetic() const { return device.backend == "lavfi"; }
  void Run();
  void Lose();
  void Push(std::vector<uint8_t>&& block, int64_t clockUs);
};

void SoundCapture::Impl::Lose() {
  lost = true;
  std::function<void()> tell;
  {
    std::lock_guard lock(mutex);
    tell = notify;
  }
  if (tell) tell();
}

void SoundCapture::Impl::Push(std::vector<uint8_t>&& block, int64_t clockUs) {
  std::function<void()> tell;
  {
    std::lock_guard lock(mutex);
    if (queue.size() >= kMaxQueuedBlocks) {
      queue.pop_front();
      ++dropped;
    }
    queue.push_back(Block{std::move(block), clockUs});
    tell = notify;
  }
  if (tell) tell();
}

void SoundCapture::Impl::Run() {
  ff::FramePtr decoded(av_frame_alloc());
  ff::SwrPtr resampler;
  AVChannelLayout outLayout;
  av_channel_layout_default(&outLayout, format.channels);
  const size_t blockBytes = size_t(format.sampleRate / 10) * format.BlockAlign();
  std::vector<uint8_t> block;
  block.reserve(blockBytes);
  std::vector<uint8_t> converted;
  uint64_t samples = 0;
  int64_t blocks = 0;
  auto start = std::chrono::steady_clock::time_point(std::chrono::microseconds(startUs));
  // The capture clock of the first sample: the stand-in's start, or for a
  // device, the moment the first sound came less the sound it brought.
  int64_t firstUs = Synthetic() ? startUs : -1;
  const auto clockOf = [&](uint64_t sample) {
    return firstUs + int64_t(double(sample) * 1e6 / format.sampleRate);
  };
  for (;;) {
    if (Synthetic()) {
      // The tone comes as fast as it is read: pace it like a microphone.
      auto due = start + std::chrono::microseconds(int64_t(double(samples) * 1e6 / format.sampleRate));
      std::unique_lock lock(mutex);
      wake.wait_until(lock, due, [&] { return stop; });
    }
    {
      std::lock_guard lock(mutex);
      if (stop) break;
    }
    if (lost) break;
    int err = reader.Next(decoded.get());
    if (err == AVERROR(EAGAIN)) continue;
    if (err < 0) {
      {
        std::lock_guard lock(mutex);
        if (stop) break;
      }
      std::fprintf(stderr, "media: sound read failed: %s\n", ff::ErrorText(err).c_str());
      Lose();
      break;
    }
    if (!resampler) {
      SwrContext* swr = nullptr;
      if (swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, int(format.sampleRate),
                              &decoded->ch_layout, AVSampleFormat(decoded->format),
                              decoded->sample_rate, 0, nullptr) < 0 ||
          swr_init(swr) < 0) {
        swr_free(&swr);
        Lose();
        break;
      }
      resampler.reset(swr);
    }
    int room = swr_get_out_samples(resampler.get(), decoded->nb_samples);
    converted.resize(size_t(std::max(room, 0)) * format.BlockAlign());
    uint8_t* out[1] = {converted.data()};
    int got = swr_convert(resampler.get(), out, room,
                          const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
    av_frame_unref(decoded.get());
    if (got <= 0) continue;
    if (Synthetic()) ApplyGain(converted.data(), size_t(got) * format.channels, StandInSoundGain());
    if (firstUs < 0) firstUs = ClockUs() - int64_t(double(got) * 1e6 / format.sampleRate);
    const uint64_t blockSamples = blockBytes / format.BlockAlign();
    samples += uint64_t(got);
    size_t have = size_t(got) * format.BlockAlign();
    bytes += have;
    for (size_t at = 0; at < have;) {
      size_t take = std::min(have - at, blockBytes - block.size());
      block.insert(block.end(), converted.begin() + ptrdiff_t(at), converted.begin() + ptrdiff_t(at + take));
      at += take;
      if (block.size() < blockBytes) continue;
      // Samples before this block: those counted, less what is still to cut.
      const uint64_t after = (have - at) / format.BlockAlign();
      Push(std::move(block), clockOf(samples - after - blockSamples));
      block = {};
      block.reserve(blockBytes);
      if (synthetic.loseAfterBlocks >= 0 && ++blocks >= synthetic.loseAfterBlocks) {
        Lose();
        av_channel_layout_uninit(&outLayout);
        return;
      }
    }
  }
  av_channel_layout_uninit(&outLayout);
}

SoundCapture::SoundCapture() : impl_(std::make_unique<Impl>()) {}

SoundCapture::~SoundCapture() { Stop(); }

int SoundCapture::SelectDevice(const CaptureDevice& device, int input) {
  if (Running() || device.kind != DeviceKind::Sound || device.unavailable || input < 0 ||
      input >= int(device.inputs.size()))
    return -1;
  Impl& d = *impl_;
  if (device.backend == "lavfi") {
    d.synthetic = GetSyntheticMicrophone();
    if (d.synthetic.sampleRate == 0 || d.synthetic.channels == 0) return -1;
    d.format = {d.synthetic.sampleRate, d.synthetic.channels, 16};
  } else if (device.backend == "pulse" || device.backend == "alsa") {
    d.synthetic = SyntheticMicrophone{};
    d.synthetic.loseAfterBlocks = -1;
    d.format = {44100, 2, 16};
  } else {
    return -1;
  }
  d.device = device;
  d.device.selectedInput = input;
  d.input = input;
  return 0;
}

int SoundCapture::SelectInput(const std::string& inputName) {
  std::vector<CaptureDevice> devices = ListSoundDevices();
  size_t device = 0;
  int input = 0;
  if (!FindInput(devices, inputName, &device, &input)) return -1;
  return SelectDevice(devices[device], input);
}

const CaptureDevice& SoundCapture::Device() const { return impl_->device; }

std::string SoundCapture::InputName() const {
  const Impl& d = *impl_;
  return d.input >= 0 ? d.device.inputs[size_t(d.input)] : std::string();
}

SoundFormat SoundCapture::Format() const { return impl_->format; }

int SoundCapture::Start() {
  Impl& d = *impl_;
  if (Running()) return 0;
  if (d.input < 0) return -1;
  AVDictionary* options = nullptr;
  std::string url = d.device.id;
  if (d.Synthetic()) {
    char text[160];
    d.startUs = ClockUs();
    // A beep starts at every whole second of the capture clock.
    const double phase = double(d.startUs % 1000000) / 1e6;
    std::snprintf(text, sizeof text, "aevalsrc=exprs=0.5*sin(%g*2*PI*t)%s:c=%s:s=%u",
                  d.synthetic.frequency,
                  d.synthetic.beepEachSecond ? ("*lt(mod(t+" + std::to_string(phase) + "\\,1)\\,0.1)").c_str() : "",
                  d.format.channels == 1 ? "mono" : "stereo", d.format.sampleRate);
    url = text;
  } else {
    av_dict_set_int(&options, "sample_rate", d.format.sampleRate, 0);
    av_dict_set_int(&options, "channels", d.format.channels, 0);
  }
  int err = d.reader.Open(d.device.backend.c_str(), url, &options, AVMEDIA_TYPE_AUDIO);
  if (err < 0) {
    std::fprintf(stderr, "media: cannot open microphone %s: %s\n", d.device.id.c_str(),
                 ff::ErrorText(err).c_str());
    d.reader.Close();
    return -1;
  }
  {
    std::lock_guard lock(d.mutex);
    d.stop = false;
    d.queue.clear();
  }
  d.lost = false;
  d.bytes = 0;
  d.dropped = 0;
  d.running = true;
  d.thread = std::thread([&d] { d.Run(); });
  return 0;
}

void SoundCapture::Stop() {
  Impl& d = *impl_;
  if (!d.running) return;
  {
    std::lock_guard lock(d.mutex);
    d.stop = true;
  }
  d.wake.notify_all();
  d.reader.Interrupt();
  d.thread.join();
  d.reader.Close();
  d.running = false;
  d.lost = false;
  std::lock_guard lock(d.mutex);
  d.queue.clear();
}

bool SoundCapture::Running() const { return impl_->running; }

int SoundCapture::Idle(const std::function<void(const uint8_t*, size_t)>& onBlock) {
  if (!onBlock) return IdleTimed(nullptr);
  return IdleTimed([&](const uint8_t* data, size_t bytes, int64_t) { onBlock(data, bytes); });
}

int SoundCapture::IdleTimed(const std::function<void(const uint8_t*, size_t, int64_t)>& onBlock) {
  Impl& d = *impl_;
  if (!d.running) return -1;
  for (;;) {
    Impl::Block block;
    {
      std::lock_guard lock(d.mutex);
      if (d.queue.empty()) break;
      block = std::move(d.queue.front());
      d.queue.pop_front();
    }
    if (onBlock) onBlock(block.bytes.data(), block.bytes.size(), block.clockUs);
  }
  return d.lost ? kSoundDeviceLost : 0;
}

int SoundCapture::CheckDevice() {
  Impl& d = *impl_;
  if (d.input < 0) return 0;
  if (d.lost) return kSoundDeviceLost;
  if (!d.Synthetic() && !FindDevice(ListSoundDevices(), d.device.id)) {
    d.lost = true;
    return kSoundDeviceLost;
  }
  return 0;
}

void SoundCapture::SetNotifier(std::function<void()> notify) {
  std::lock_guard lock(impl_->mutex);
  impl_->notify = std::move(notify);
}

uint64_t SoundCapture::BytesCaptured() const { return impl_->bytes; }
uint64_t SoundCapture::BlocksDropped() const { return impl_->dropped; }

void SoundCapture::InjectLoss() {
  if (!impl_->running) return;
  impl_->lost = true;
  impl_->wake.notify_all();
}

}  // namespace media
