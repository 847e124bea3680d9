#include "WorkerPool.h"

#include <emmintrin.h>

#include <algorithm>

namespace enh {

namespace {
thread_local WorkerPool* t_scope = nullptr;

// A worker watches for the next job this many pauses (some tens of
// microseconds) before it sleeps: a frame's steps follow one another closely,
// but a longer watch is CPU burnt while the caller works alone.
constexpr int kWatchPauses = 600;
// The caller spins this long for strips still running on a worker before it
// sleeps: a sleeping caller waits for the scheduler as well.
constexpr int kFinishPauses = 4000;

constexpr uint64_t kStripMask = 0xffffffffull;
// Low half of a closed job's state: no claim succeeds.
constexpr uint64_t kClosed = kStripMask;

uint32_t JobOf(uint64_t state) { return static_cast<uint32_t>(state >> 32); }
}  // namespace

WorkerPool::WorkerPool(int32_t threads) {
  m_state.store(kClosed);
  for (int32_t i = 1; i < threads; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  m_stop.store(true);
  m_wake.fetch_add(1);
  m_wake.notify_all();
  for (std::thread& t : m_workers) t.join();
}

int32_t WorkerPool::DefaultThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp(n, 1u, 8u));
}

void WorkerPool::Run(int32_t count, const std::function<void(int32_t)>& task) {
  if (count <= 0) return;
  if (m_workers.empty() || count == 1) {
    for (int32_t i = 0; i < count; ++i) task(i);
    return;
  }
  // Only the caller changes the tag, so the closed state read here is current.
  const uint32_t job = JobOf(m_state.load()) + 1;
  // A worker that reads these for a newer job than the one it tries to claim
  // for sees that job's release, and with it the closed tag: its claim fails.
  m_done.store(0, std::memory_order_relaxed);
  m_task.store(&task, std::memory_order_release);
  m_count.store(count, std::memory_order_release);
  m_state.store(static_cast<uint64_t>(job) << 32);
  if (m_sleeping.load() > 0) {
    m_wake.fetch_add(1);
    m_wake.notify_all();
  }
  Work(job);
  // Every strip is claimed; wait for the ones still running elsewhere.
  int32_t done = m_done.load(std::memory_order_acquire);
  for (int spin = 0; done < count && spin < kFinishPauses; ++spin) {
    _mm_pause();
    done = m_done.load(std::memory_order_acquire);
  }
  while (done < count) {
    // Counted before the last look, so the last strip's end wakes it.
    m_callerSleeps.store(true);
    done = m_done.load();
    if (done < count) m_done.wait(done, std::memory_order_acquire);
    m_callerSleeps.store(false);
    done = m_done.load(std::memory_order_acquire);
  }
  m_state.store((static_cast<uint64_t>(job) << 32) | kClosed);
}

void WorkerPool::Work(uint32_t job) {
  for (;;) {
    uint64_t state = m_state.load(std::memory_order_acquire);
    if (JobOf(state) != job) return;
    const int32_t count = m_count.load(std::memory_order_acquire);
    const auto* task = m_task.load(std::memory_order_acquire);
    const uint64_t strip = state & kStripMask;
    if (strip >= static_cast<uint64_t>(count)) return;
    if (!m_state.compare_exchange_weak(state, state + 1)) continue;
    (*task)(static_cast<int32_t>(strip));
    // Waking the caller is a system call: only when it sleeps.
    if (m_done.fetch_add(1) + 1 == count && m_callerSleeps.load()) m_done.notify_all();
  }
}

void WorkerPool::WorkerLoop() {
  uint32_t seen = JobOf(m_state.load());
  for (;;) {
    uint64_t state = m_state.load();
    for (int spin = 0; spin < kWatchPauses && JobOf(state) == seen && !m_stop.load(std::memory_order_relaxed);
         ++spin) {
      _mm_pause();
      state = m_state.load();
    }
    while (JobOf(state) == seen && !m_stop.load()) {
      // Counted as asleep before the last look, so that a job opened after
      // that look sees a sleeper and wakes it.
      m_sleeping.fetch_add(1);
      const uint32_t wake = m_wake.load();
      state = m_state.load();
      if (JobOf(state) == seen && !m_stop.load()) m_wake.wait(wake);
      m_sleeping.fetch_sub(1);
      state = m_state.load();
    }
    if (m_stop.load()) return;
    seen = JobOf(state);
    Work(seen);
  }
}

ParallelScope::ParallelScope(WorkerPool* pool) : m_previous(t_scope) { t_scope = pool; }

ParallelScope::~ParallelScope() { t_scope = m_previous; }

int32_t ParallelThreads() { return t_scope ? t_scope->Threads() : 1; }

void ParallelFor(int32_t count, const std::function<void(int32_t)>& task) {
  if (t_scope && count > 1) {
    // A task that asks for more strips runs them itself: the pool is busy.
    WorkerPool* pool = t_scope;
    ParallelScope inner(nullptr);
    pool->Run(count, task);
    return;
  }
  for (int32_t i = 0; i < count; ++i) task(i);
}

void ParallelRows(int32_t rows, int32_t minRows, int32_t align,
                  const std::function<void(int32_t, int32_t)>& task) {
  if (rows <= 0) return;
  align = std::max(align, 1);
  const int32_t threads = ParallelThreads();
  int32_t strips = std::min(rows / std::max(minRows, 1), 4 * threads);
  if (threads <= 1 || strips <= 1) {
    task(0, rows);
    return;
  }
  // Strip s covers [bound(s), bound(s + 1)), bounds on multiples of align.
  const int32_t units = (rows + align - 1) / align;
  strips = std::min(strips, units);
  auto bound = [&](int32_t s) {
    return std::min(rows, static_cast<int32_t>(static_cast<int64_t>(units) * s / strips) * align);
  };
  ParallelFor(strips, [&](int32_t s) {
    const int32_t b = bound(s), e = s + 1 == strips ? rows : bound(s + 1);
    if (e > b) task(b, e);
  });
}

}  // namespace enh
