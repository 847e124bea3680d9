#include "media/VideoCapture.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <ctime>
#include <thread>

#include "FFmpeg.h"
#include "media/CameraControls.h"
#include "media/ClockStamp.h"
#include "InputReader.h"
#include "V4l2Probe.h"

namespace media {

namespace {

uint64_t ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

}  // namespace

struct VideoCapture::Impl {
  CaptureDevice device;
  int input = -1;
  Size bounds;
  Size requested;
  std::vector<V4l2Mode> modes;
  SyntheticCamera synthetic;
  double fps = 0;

  std::thread thread;
  InputReader reader;
  std::mutex mutex;  // guards stop, the hand-over frames and the callbacks
  std::condition_variable wake;
  bool stop = false;
  bool fresh = false;
  Frame mailbox;  // the newest finished frame
  Frame handed;   // the one the main thread holds
  std::function<void(Frame&)> hook;
  std::function<void()> notify;
  std::atomic<bool> running{false};
  std::atomic<bool> lost{false};
  std::atomic<uint64_t> captured{0};
  std::atomic<uint64_t> handedOver{0};
  std::atomic<uint64_t> cpuTotal{0}, cpuRead{0}, cpuConvert{0}, cpuHook{0};

  bool Synthetic() const { return device.backend == "lavfi"; }
  Size Delivered() const { return requested.width > 0 ? requested : bounds; }
  void Run();
  void Lose();
};

void VideoCapture::Impl::Lose() {
  lost = true;
  std::function<void()> tell;
  {
    std::lock_guard lock(mutex);
    tell = notify;
  }
  if (tell) tell();
}

void VideoCapture::Impl::Run() {
  ff::FramePtr decoded(av_frame_alloc());
  ff::PictureConverter converter;
  Frame work;
  Size size = Delivered();
  auto start = std::chrono::steady_clock::now();
  const int64_t startUs = ClockUs();
  const uint64_t cpuStart = ThreadCpuNs();
  for (int64_t index = 0;; ++index) {
    const int64_t offsetUs = int64_t(double(index) * 1e6 / fps);
    if (Synthetic()) {
      // The test picture comes as fast as it is read: pace it like a camera.
      auto due = start + std::chrono::microseconds(offsetUs);
      std::unique_lock lock(mutex);
      wake.wait_until(lock, due, [&] { return stop; });
    }
    {
      std::lock_guard lock(mutex);
      if (stop) return;
    }
    if (lost) return;  // injected
    if (synthetic.loseAtFrame >= 0 && index >= synthetic.loseAtFrame) return Lose();
    const uint64_t cpuRead0 = ThreadCpuNs();
    int err = reader.Next(decoded.get());
    const uint64_t cpuRead1 = ThreadCpuNs();
    cpuRead += cpuRead1 - cpuRead0;
    if (err == AVERROR(EAGAIN)) {
      --index;
      continue;
    }
    // The moment the picture exists: a stand-in that could not keep its
    // pace (a loaded machine) takes it late, not at its due time.
    const int64_t takenUs = ClockUs();
    if (err < 0) {
      std::lock_guard lock(mutex);
      if (stop) return;  // interrupted by Stop, not lost
    }
    if (err < 0) {
      std::fprintf(stderr, "media: camera read failed: %s\n", ff::ErrorText(err).c_str());
      return Lose();
    }
    work.Resize(size.width, size.height);
    bool ok = converter.Convert(decoded.get(), size.width, size.height, work.pixels.data(),
                                work.rowBytes);
    av_frame_unref(decoded.get());
    if (!ok) continue;  // a damaged frame is skipped
    work.index = int64_t(captured.load());
    if (work.index == synthetic.badFrameAt) {
      // Zeroed 4:2:0 data shows as this green.
      for (int32_t y = size.height / 2; y < size.height; ++y)
        for (int32_t x = 0; x < size.width; ++x) {
          uint8_t* p = work.Row(y) + x * 4;
          p[0] = 255, p[1] = 0, p[2] = 135, p[3] = 0;
        }
    }
    if (Synthetic()) ApplyStandInControls(work);
    work.clockUs = takenUs;
    work.timeUs = takenUs - startUs;
    if (synthetic.stampClock)
      DrawClockStamp(work, ClockStamp{uint32_t(takenUs / 1000), uint16_t(work.index)});
    const uint64_t cpuHook0 = ThreadCpuNs();
    cpuConvert += cpuHook0 - cpuRead1;
    std::function<void()> tell;
    {
      std::unique_lock lock(mutex);
      auto frameHook = hook;
      lock.unlock();
      if (frameHook) frameHook(work);
      const uint64_t cpuHook1 = ThreadCpuNs();
      cpuHook += cpuHook1 - cpuHook0;
      cpuTotal = cpuHook1 - cpuStart;
      lock.lock();
      std::swap(work, mailbox);
      fresh = true;
      tell = notify;
    }
    ++captured;
    if (tell) tell();
  }
}

VideoCapture::VideoCapture() : impl_(std::make_unique<Impl>()) {}

VideoCapture::~VideoCapture() { Stop(); }

int VideoCapture::SelectDevice(const CaptureDevice& device, int input) {
  if (Running() || device.kind != DeviceKind::Video || device.unavailable || input < 0 ||
      input >= int(device.inputs.size()))
    return -1;
  Impl& d = *impl_;
  if (device.backend == "lavfi") {
    d.synthetic = GetSyntheticCamera();
    d.bounds = d.synthetic.bounds;
    d.fps = d.synthetic.fps > 0 ? d.synthetic.fps : 30.0;
    d.modes.clear();
  } else if (device.backend == "video4linux2") {
    V4l2Info info;
    if (!ProbeV4l2(device.id, &info)) return -1;
    d.modes = info.modes;
    d.bounds = LargestMode(info.modes);
    d.synthetic = SyntheticCamera{};
    d.fps = 0;
  } else {
    return -1;
  }
  d.device = device;
  d.device.selectedInput = input;
  d.input = input;
  if (d.requested.width > d.bounds.width || d.requested.height > d.bounds.height) d.requested = {};
  return 0;
}

int VideoCapture::SelectInput(const std::string& inputName) {
  std::vector<CaptureDevice> devices = ListVideoDevices();
  size_t device = 0;
  int input = 0;
  if (!FindInput(devices, inputName, &device, &input)) return -1;
  return SelectDevice(devices[device], input);
}

const CaptureDevice& VideoCapture::Device() const { return impl_->device; }

std::string VideoCapture::InputName() const {
  const Impl& d = *impl_;
  return d.input >= 0 ? d.device.inputs[size_t(d.input)] : std::string();
}

Size VideoCapture::SourceBounds() const { return impl_->bounds; }

bool VideoCapture::SetSize(Size requested) {
  Impl& d = *impl_;
  if (Running() || requested.width <= 0 || requested.height <= 0 ||
      requested.width > d.bounds.width || requested.height > d.bounds.height)
    return false;
  d.requested = requested;
  return true;
}

Size VideoCapture::GetSize() const { return impl_->Delivered(); }

double VideoCapture::FrameRate() const { return impl_->fps; }

int VideoCapture::Start() {
  Impl& d = *impl_;
  if (Running()) return 0;
  if (d.input < 0) return -1;
  Size size = d.Delivered();
  AVDictionary* options = nullptr;
  std::string url;
  char text[64];
  if (d.Synthetic()) {
    std::snprintf(text, sizeof text, "testsrc2=size=%dx%d:rate=%g", size.width, size.height, d.fps);
    url = text;
  } else {
    V4l2Mode mode = ChooseMode(d.modes, size);
    std::snprintf(text, sizeof text, "%dx%d", mode.size.width, mode.size.height);
    av_dict_set(&options, "video_size", text, 0);
    av_dict_set(&options, "input_format", mode.mjpeg ? "mjpeg" : "yuyv422", 0);
    av_dict_set_int(&options, "channel", d.input, 0);
    url = d.device.id;
  }
  int err = d.reader.Open(d.device.backend.c_str(), url, &options, AVMEDIA_TYPE_VIDEO);
  if (err < 0) {
    std::fprintf(stderr, "media: cannot open camera %s: %s\n", d.device.id.c_str(),
                 ff::ErrorText(err).c_str());
    d.reader.Close();
    return -1;
  }
  if (!d.Synthetic()) {
    AVRational rate = d.reader.Stream()->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = d.reader.Stream()->r_frame_rate;
    d.fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 30.0;
  }
  {
    std::lock_guard lock(d.mutex);
    d.stop = false;
    d.fresh = false;
  }
  d.lost = false;
  d.captured = 0;
  d.handedOver = 0;
  d.cpuTotal = d.cpuRead = d.cpuConvert = d.cpuHook = 0;
  d.running = true;
  d.thread = std::thread([&d] { d.Run(); });
  return 0;
}

void VideoCapture::Stop() {
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
}

bool VideoCapture::Running() const { return impl_->running; }

int VideoCapture::Idle(const std::function<void(Frame&)>& onFrame) {
  Impl& d = *impl_;
  if (!d.running) return -1;
  if (d.lost) return kVideoDeviceLost;
  {
    std::lock_guard lock(d.mutex);
    if (!d.fresh) return 0;
    std::swap(d.mailbox, d.handed);
    d.fresh = false;
  }
  ++d.handedOver;
  if (onFrame) onFrame(d.handed);
  return 0;
}

void VideoCapture::SetFrameHook(std::function<void(Frame&)> hook) {
  std::lock_guard lock(impl_->mutex);
  impl_->hook = std::move(hook);
}

void VideoCapture::SetNotifier(std::function<void()> notify) {
  std::lock_guard lock(impl_->mutex);
  impl_->notify = std::move(notify);
}

uint64_t VideoCapture::FramesCaptured() const { return impl_->captured; }
uint64_t VideoCapture::FramesHandedOver() const { return impl_->handedOver; }

VideoCapture::ThreadCpu VideoCapture::CpuSpent() const {
  const Impl& d = *impl_;
  return ThreadCpu{d.cpuTotal, d.cpuRead, d.cpuConvert, d.cpuHook};
}

void VideoCapture::InjectLoss() {
  if (!impl_->running) return;
  impl_->lost = true;
  impl_->wake.notify_all();
}

}  // namespace media
