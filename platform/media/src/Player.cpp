#include "media/Player.h"

#include <algorithm>
#include <cstring>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "SoundOutput.h"
#include "media/Movie.h"

namespace media {
namespace {
using Clock = std::chrono::steady_clock;
int64_t To600(int64_t ms) { return ms * kMovieTimeScale / 1000; }
}  // namespace

struct Player::Impl {
  Movie movie;
  bool open = false;
  int64_t durationMs = 0;
  std::atomic<int> volume{100};
  std::atomic<PlayState> state{PlayState::Stopped};
  std::atomic<bool> soundDeviceUsed{false};

  // Between Play and the next stop of the workers.
  std::mutex mutex;  // clock, mailbox, stop flag, notifier
  std::condition_variable wake;
  bool stop = false;
  int64_t baseMs = 0;             // position when the workers started
  Clock::time_point baseTime;     // when they started
  std::unique_ptr<SoundOutput> output;
  bool soundRunning = false;      // the output is the clock
  int64_t soundEndMs = -1;        // position where the sound ended, -1 while it runs
  Clock::time_point soundEndTime;
  int64_t pausedMs = 0;           // position while not playing
  Frame mailbox;
  bool fresh = false;
  bool stillDirty = true;         // the still frame must be drawn at pausedMs
  std::function<void()> notify;
  std::thread soundThread, videoThread;

  int64_t ClockLocked() {
    int64_t ms;
    if (soundRunning && output) {
      ms = baseMs + output->PlayedFrames() * 1000 / std::max<uint32_t>(movie.SoundRate(), 1);
    } else if (soundEndMs >= 0) {
      ms = soundEndMs + std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - soundEndTime).count();
    } else {
      ms = baseMs + std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - baseTime).count();
    }
    return std::min(ms, durationMs);
  }
  void Tell() {
    std::function<void()> n;
    {
      std::lock_guard lock(mutex);
      n = notify;
    }
    if (n) n();
  }
  void Start();
  void Halt();  // stops the workers; keeps the position
  void PlaySound();
  void PlayVideo();
};

void Player::Impl::PlaySound() {
  std::vector<uint8_t> bytes;
  std::vector<int16_t> samples;
  bool ok = movie.SeekSound(To600(baseMs)) == 0;
  while (ok) {
    {
      std::lock_guard lock(mutex);
      if (stop) return;
    }
    bytes.clear();
    int got = movie.ReadSound(movie.SoundRate() / 20, bytes);  // 50 ms at a time
    if (got <= 0) break;
    samples.resize(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    int v = volume;
    if (v < 100)
      for (int16_t& s : samples) s = int16_t(int32_t(s) * v / 100);
    if (!output->Write(samples.data(), size_t(got))) break;
  }
  output->Drain();
  std::lock_guard lock(mutex);
  if (stop) return;
  // From here the steady clock carries on where the sound ended.
  soundEndMs = ClockLocked();
  soundEndTime = Clock::now();
  soundRunning = false;
  wake.notify_all();
}

void Player::Impl::PlayVideo() {
  Frame frame;
  int64_t shown = -1;
  for (;;) {
    int64_t now;
    {
      std::unique_lock lock(mutex);
      if (stop) return;
      now = ClockLocked();
    }
    bool got = movie.HasVideo() && movie.FrameAt(To600(now), frame) == 0;
    // A slow decode (the first picture, a loaded machine) leaves the clock
    // ahead: take the picture due by now rather than hand over a stale one.
    for (int tries = 0; got && tries < 4; ++tries) {
      int64_t later;
      {
        std::lock_guard lock(mutex);
        if (stop) return;
        later = ClockLocked();
      }
      if (later - now < 20) break;
      now = later;
      got = movie.FrameAt(To600(now), frame) == 0;
    }
    if (got && frame.index != shown) {
      shown = frame.index;
      {
        std::lock_guard lock(mutex);
        std::swap(mailbox, frame);
        fresh = true;
      }
      Tell();
    }
    bool soundBusy;
    {
      std::unique_lock lock(mutex);
      soundBusy = soundRunning;
      if (now >= durationMs && !soundBusy) break;
      // Look again soon: a frame lasts at least this long at 100 fps.
      wake.wait_for(lock, std::chrono::milliseconds(10), [&] { return stop; });
    }
  }
  {
    std::lock_guard lock(mutex);
    if (stop) return;
    pausedMs = durationMs;
    stillDirty = false;
  }
  state = PlayState::Stopped;  // the end of the file
  Tell();
}

void Player::Impl::Start() {
  std::lock_guard lock(mutex);
  stop = false;
  baseMs = pausedMs >= durationMs ? 0 : pausedMs;
  baseTime = Clock::now();
  soundEndMs = -1;
  soundRunning = movie.HasSound();
  if (soundRunning) {
    output = OpenSoundOutput(movie.SoundRate(), movie.SoundChannels());
    soundDeviceUsed = output->Real();
    soundThread = std::thread([this] { PlaySound(); });
  }
  videoThread = std::thread([this] { PlayVideo(); });
}

void Player::Impl::Halt() {
  {
    std::lock_guard lock(mutex);
    if (!videoThread.joinable()) return;
    pausedMs = ClockLocked();
    stop = true;
    if (output) output->Interrupt();
  }
  wake.notify_all();
  if (soundThread.joinable()) soundThread.join();
  videoThread.join();
  std::lock_guard lock(mutex);
  output.reset();
  soundRunning = false;
  // A picture the workers left is not the one at the position now.
  fresh = false;
  stillDirty = true;
}

Player::Player() : impl_(std::make_unique<Impl>()) {}

Player::~Player() { Close(); }

int Player::Open(const std::string& path) {
  Close();
  Impl& d = *impl_;
  if (d.movie.Open(path) != 0) return -1;
  d.open = true;
  d.durationMs = d.movie.Duration() * 1000 / kMovieTimeScale;
  d.pausedMs = 0;
  d.stillDirty = true;
  d.state = PlayState::Stopped;
  return 0;
}

void Player::Close() {
  Impl& d = *impl_;
  d.Halt();
  d.movie.Close();
  d.open = false;
  d.durationMs = 0;
  d.pausedMs = 0;
  d.state = PlayState::Stopped;
  std::lock_guard lock(d.mutex);
  d.fresh = false;
}

bool Player::IsOpen() const { return impl_->open; }
bool Player::HasVideo() const { return impl_->movie.HasVideo(); }
bool Player::HasSound() const { return impl_->movie.HasSound(); }
Size Player::NaturalSize() const { return impl_->movie.NaturalSize(); }
int64_t Player::DurationMs() const { return impl_->durationMs; }

void Player::Play() {
  Impl& d = *impl_;
  if (!d.open || d.state == PlayState::Playing) return;
  d.Halt();  // a worker that reached the end
  d.state = PlayState::Playing;
  d.Start();
}

void Player::Pause() {
  Impl& d = *impl_;
  if (d.state != PlayState::Playing) return;
  d.Halt();
  d.state = PlayState::Paused;
}

void Player::Stop() {
  Impl& d = *impl_;
  d.Halt();
  std::lock_guard lock(d.mutex);
  d.pausedMs = 0;
  d.stillDirty = true;
  d.state = PlayState::Stopped;
}

void Player::Seek(int64_t ms) {
  Impl& d = *impl_;
  if (!d.open) return;
  bool playing = d.state == PlayState::Playing;
  d.Halt();
  {
    std::lock_guard lock(d.mutex);
    d.pausedMs = std::clamp<int64_t>(ms, 0, d.durationMs);
    d.stillDirty = true;
  }
  if (playing) d.Start();
}

int64_t Player::PositionMs() const {
  Impl& d = *impl_;
  std::lock_guard lock(d.mutex);
  if (d.state == PlayState::Playing && d.videoThread.joinable() && !d.stop) return d.ClockLocked();
  return d.pausedMs;
}

PlayState Player::State() const { return impl_->state; }

void Player::SetVolume(int volume) { impl_->volume = std::clamp(volume, 0, 100); }
int Player::Volume() const { return impl_->volume; }
bool Player::SetSpeed(double speed) { return speed == 1.0; }

bool Player::TakeFrame(Frame& out) {
  Impl& d = *impl_;
  if (!d.open || !d.movie.HasVideo()) return false;
  std::unique_lock lock(d.mutex);
  if (d.fresh) {
    std::swap(d.mailbox, out);
    d.fresh = false;
    return true;
  }
  // Not playing: the workers are gone and the movie is ours to draw the still.
  if (d.videoThread.joinable() || !d.stillDirty) return false;
  d.stillDirty = false;
  int64_t at = d.pausedMs;
  lock.unlock();
  return d.movie.FrameAt(To600(at), out) == 0;
}

void Player::SetNotifier(std::function<void()> notify) {
  std::lock_guard lock(impl_->mutex);
  impl_->notify = std::move(notify);
}

bool Player::SoundDeviceUsed() const { return impl_->soundDeviceUsed; }

}  // namespace media
