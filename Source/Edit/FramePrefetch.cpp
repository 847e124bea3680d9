#include "FramePrefetch.h"

FramePrefetch::FramePrefetch(Make make, Drop drop, TimeOf timeOf, int32_t count, int32_t depth)
    : m_make(std::move(make)), m_drop(std::move(drop)), m_timeOf(std::move(timeOf)), m_count(count),
      m_depth(depth < 1 ? 1 : depth) {
  try {
    m_thread = std::thread(&FramePrefetch::Run, this);
  } catch (const std::system_error&) {
    m_ended = true;  // every frame is then made by the caller
  }
}

FramePrefetch::~FramePrefetch() {
  {
    std::lock_guard hold(m_lock);
    m_stop = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
  for (const Made& m : m_ready) {
    if (m.frame) m_drop(m.frame);
  }
}

void FramePrefetch::Run() {
  for (int32_t index = 0; index < m_count; ++index) {
    {
      std::unique_lock hold(m_lock);
      m_changed.wait(hold, [&] { return m_stop || int32_t(m_ready.size()) < m_depth; });
      if (m_stop) break;
    }
    const int32_t ms = m_timeOf(index);
    GWorldPtr frame = m_make(ms);
    {
      std::lock_guard hold(m_lock);
      m_ready.push_back({ms, frame});
    }
    m_changed.notify_all();
    if (!frame) break;  // a failed frame ends the movie
  }
  {
    std::lock_guard hold(m_lock);
    m_ended = true;
  }
  m_changed.notify_all();
}

bool FramePrefetch::Take(int32_t ms, GWorldPtr& frame) {
  std::unique_lock hold(m_lock);
  m_changed.wait(hold, [&] { return !m_ready.empty() || m_ended; });
  if (m_ready.empty() || m_ready.front().ms != ms) return false;
  frame = m_ready.front().frame;
  m_ready.pop_front();
  hold.unlock();
  m_changed.notify_all();
  return true;
}
