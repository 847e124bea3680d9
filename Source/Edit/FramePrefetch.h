#pragma once
// The save source's frames made ahead on a thread of their own while the
// writer encodes the ones before: decoding and adjusting overlap encoding.
// Frames are made in order for the times the writer will ask; a request for
// any other time is left to the caller.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "IORVSource.h"

class FramePrefetch {
 public:
  using Make = std::function<GWorldPtr(int32_t ms)>;
  using Drop = std::function<void(GWorldPtr)>;
  using TimeOf = std::function<int32_t(int32_t index)>;

  // Frames 0 .. count-1, for timeOf(index), at most `depth` made ahead.
  FramePrefetch(Make make, Drop drop, TimeOf timeOf, int32_t count, int32_t depth);
  // Stops the thread; frames not taken are dropped.
  ~FramePrefetch();
  FramePrefetch(const FramePrefetch&) = delete;
  FramePrefetch& operator=(const FramePrefetch&) = delete;

  // The next frame when it was made for `ms` (waits for it; null when its
  // making failed); false when the next one is for another time or none
  // will come: the caller then makes the frame itself.
  bool Take(int32_t ms, GWorldPtr& frame);

 private:
  struct Made {
    int32_t ms;
    GWorldPtr frame;
  };
  void Run();

  Make m_make;
  Drop m_drop;
  TimeOf m_timeOf;
  int32_t m_count, m_depth;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<Made> m_ready;
  bool m_stop = false;
  bool m_ended = false;
  std::thread m_thread;
};
