#include "WorkerPool.h"

#include <emmintrin.h>

#include <algorithm>

namespace enh {

namespace {
thread_local WorkerPool* t_scope = nullptr;
}  // namespace

WorkerPool::WorkerPool(int32_t threads) {
  for (int32_t i = 1; i < threads; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop.store(true);
  }
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
  bool sleepers;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_task = &task;
    m_count = count;
    m_next = 0;
    m_running = 0;
    m_job.fetch_add(1);
    sleepers = m_sleeping > 0;
  }
  if (sleepers) m_wake.notify_all();
  Drain();
  std::unique_lock<std::mutex> lock(m_mutex);
  m_finished.wait(lock, [this] { return m_next >= m_count && m_running == 0; });
  m_task = nullptr;
  m_count = 0;
}

void WorkerPool::Drain() {
  for (;;) {
    const std::function<void(int32_t)>* task;
    int32_t i;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_task || m_next >= m_count) return;
      task = m_task;
      i = m_next++;
      ++m_running;
    }
    (*task)(i);
    bool last;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      --m_running;
      last = m_next >= m_count && m_running == 0;
    }
    if (last) m_finished.notify_all();
  }
}

void WorkerPool::WorkerLoop() {
  uint64_t seen = 0;
  for (;;) {
    // About a tenth of a millisecond awake, then asleep until the next job.
    for (int spin = 0; spin < 1000 && m_job.load() == seen && !m_stop.load(std::memory_order_relaxed); ++spin)
      _mm_pause();
    if (m_job.load() == seen) {
      std::unique_lock<std::mutex> lock(m_mutex);
      ++m_sleeping;
      m_wake.wait(lock, [&] { return m_stop.load() || m_job.load() != seen; });
      --m_sleeping;
    }
    if (m_stop.load()) return;
    seen = m_job.load();
    Drain();
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
  int32_t strips = std::min(rows / std::max(minRows, 1), 3 * threads);
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
