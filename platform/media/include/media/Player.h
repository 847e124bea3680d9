#pragma once
// Plays a movie or a sound file: sound through PulseAudio (or, without a
// sound server, a silent output that keeps time on the steady clock), the
// picture decoded on a worker thread and taken by the main loop when due.
// The sound is the clock when there is sound. Times are milliseconds.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/Frame.h"

namespace media {

enum class PlayState : int32_t { Stopped = 0, Paused = 1, Playing = 2 };

class Player {
 public:
  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Opens a movie or sound file, stopped at its start with its first frame
  // ready. 0, or -1 when it cannot be played.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  bool HasVideo() const;
  bool HasSound() const;
  Size NaturalSize() const;  // 0 x 0 for sound only
  int64_t DurationMs() const;

  // Plays from the position; the state is Playing as soon as this returns.
  void Play();
  void Pause();
  // Stops and goes back to the start.
  void Stop();
  // Moves to `ms` (clamped to the movie) in any state; while paused or
  // stopped the frame there becomes the one shown.
  void Seek(int64_t ms);
  // The position; the duration once the end was reached.
  int64_t PositionMs() const;
  // Stopped also when the end was reached.
  PlayState State() const;
  // 0 … 100, effective at once.
  void SetVolume(int volume);
  int Volume() const;
  // Only normal speed is played; false for any other.
  bool SetSpeed(double speed);

  // Main thread: the picture due now, when it changed since the last call.
  bool TakeFrame(Frame& out);
  // Called on a worker thread when a new picture is due or the end came.
  void SetNotifier(std::function<void()> notify);

  // Whether sound goes to a real output (false: the silent clock).
  bool SoundDeviceUsed() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace media
