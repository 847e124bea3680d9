#include "WorkerPool.h"

#include <emmintrin.h>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace enh {

namespace {
thread_local WorkerPool* t_scope = nullptr;
thread_local int64_t t_waitedNs = 0;  // the running strip's waits

// An idle helper watches this long for the next job when nothing says how
// soon it comes.
constexpr int64_t kWatchNs = 12'000;
// Gaps between jobs up to this long are watched through; after a longer one
// the helpers sleep at once, since a sleep and a wake-up cost less.
constexpr int64_t kLongestWatchedGapNs = 20'000;
// The caller spins this long for strips still running on a worker before it
// sleeps: a sleeping caller waits for the scheduler as well.
constexpr int kFinishPauses = 4000;

constexpr uint64_t kStripMask = 0xffffffffull;
// Low half of a closed job's state: no claim succeeds.
constexpr uint64_t kClosed = kStripMask;

uint32_t JobOf(uint64_t state) { return static_cast<uint32_t>(state >> 32); }

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The futex calls directly: a wake-up can be for some of the sleepers only.
static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
uint32_t* Word(std::atomic<uint32_t>& a) { return reinterpret_cast<uint32_t*>(&a); }

void FutexWait(std::atomic<uint32_t>& word, uint32_t expected) {
  syscall(SYS_futex, Word(word), FUTEX_WAIT_PRIVATE, expected, nullptr, nullptr, 0);
}

void FutexWake(std::atomic<uint32_t>& word, int32_t count) {
  syscall(SYS_futex, Word(word), FUTEX_WAKE_PRIVATE, count, nullptr, nullptr, 0);
}

// How long helpers watch after a step that was followed by `gapNs` before.
int64_t WatchFor(double gapNs) {
  if (gapNs < 0) return kWatchNs;
  if (gapNs > kLongestWatchedGapNs) return 0;
  return static_cast<int64_t>(gapNs * 1.5) + 2'000;
}
}  // namespace

WorkerPool::WorkerPool(int32_t threads) {
  m_state.store(kClosed);
  m_watchNs.store(kWatchNs);
  for (int32_t i = 1; i < threads; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  m_stop.store(true);
  m_wake.fetch_add(1);
  FutexWake(m_wake, INT_MAX);
  for (std::thread& t : m_workers) t.join();
}

int32_t WorkerPool::DefaultThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp(n, 1u, 8u));
}

int32_t WorkerPool::Plan(const std::type_info& site, int32_t size, double shareNs) {
  m_planned = &m_costs.Of(site, size);
  if (m_planned->workNs < 0) return 1;
  const double shares = m_planned->workNs / shareNs;
  return static_cast<int32_t>(std::clamp(shares, 1.0, static_cast<double>(Threads())));
}

void WorkerPool::RunPlanned(int32_t count, const std::function<void(int32_t)>& task, int32_t threads) {
  StepCost* step = m_planned;
  m_planned = nullptr;
  const bool shared = threads > 1 && count > 1 && !m_workers.empty();
  if (shared) {
    const int64_t now = NowNs();
    if (m_lastShared) StepCosts::Fold(m_lastShared->gapNs, static_cast<double>(now - m_lastSharedEnd));
    m_watchNs.store(step ? WatchFor(step->gapNs) : kWatchNs, std::memory_order_relaxed);
  }
  Run(count, task, threads - 1);
  if (step) StepCosts::Fold(step->workNs, static_cast<double>(m_lastWorkNs));
  if (shared) {
    m_lastShared = step;
    m_lastSharedEnd = NowNs();
  }
}

void WorkerPool::WakeHelpers(int32_t helpers) {
  // Helpers awake and idle take their seats by themselves; the futex call
  // wakes only the rest the job wants.
  const int32_t asleep = m_sleeping.load();
  if (asleep <= 0) return;
  const int32_t awake = static_cast<int32_t>(m_workers.size()) - asleep;
  const int32_t wake = std::min(helpers - awake, asleep);
  if (wake <= 0) return;
  m_wake.fetch_add(1);
  FutexWake(m_wake, wake);
}

void WorkerPool::Run(int32_t count, const std::function<void(int32_t)>& task, int32_t helpers) {
  if (count <= 0) return;
  helpers = std::min({helpers, static_cast<int32_t>(m_workers.size()), count - 1, 0xffff});
  if (helpers <= 0) {
    const int64_t start = NowNs();
    t_waitedNs = 0;
    for (int32_t i = 0; i < count; ++i) task(i);
    m_lastWorkNs = NowNs() - start - t_waitedNs;
    return;
  }
  // Only the caller changes the tag, so the closed state read here is current.
  const uint32_t job = JobOf(m_state.load()) + 1;
  // A worker that reads these for a newer job than the one it tries to claim
  // for sees that job's release, and with it the closed tag: its claim fails.
  m_done.store(0, std::memory_order_relaxed);
  m_workNs.store(0, std::memory_order_relaxed);
  m_task.store(&task, std::memory_order_release);
  m_count.store(count, std::memory_order_release);
  m_seats.store((static_cast<uint64_t>(job) << 32) | (static_cast<uint64_t>(helpers) << 16));
  m_state.store(static_cast<uint64_t>(job) << 32);
  WakeHelpers(helpers);
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
  m_lastWorkNs = m_workNs.load(std::memory_order_relaxed);
}

bool WorkerPool::TakeSeat(uint32_t job) {
  uint64_t seats = m_seats.load(std::memory_order_acquire);
  for (;;) {
    if (JobOf(seats) != job || (seats & 0xffff) >= ((seats >> 16) & 0xffff)) return false;
    if (m_seats.compare_exchange_weak(seats, seats + 1)) return true;
  }
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
    const int64_t start = NowNs();
    t_waitedNs = 0;
    (*task)(static_cast<int32_t>(strip));
    m_workNs.fetch_add(NowNs() - start - t_waitedNs, std::memory_order_relaxed);
    // Waking the caller is a system call: only when it sleeps.
    if (m_done.fetch_add(1) + 1 == count && m_callerSleeps.load()) m_done.notify_all();
  }
}

void WorkerPool::WorkerLoop() {
  uint32_t seen = JobOf(m_state.load());
  for (;;) {
    uint64_t state = m_state.load();
    // Watch for the next job as long as the last step said, the clock read
    // only now and then.
    const int64_t watch = m_watchNs.load(std::memory_order_relaxed);
    if (watch > 0 && JobOf(state) == seen) {
      const int64_t until = NowNs() + watch;
      for (int spin = 1; JobOf(state) == seen && !m_stop.load(std::memory_order_relaxed); ++spin) {
        _mm_pause();
        state = m_state.load();
        if (spin % 16 == 0 && NowNs() >= until) break;
      }
    }
    while (JobOf(state) == seen && !m_stop.load()) {
      // Counted as asleep before the last look, so that a job opened after
      // that look sees a sleeper and wakes it.
      m_sleeping.fetch_add(1);
      const uint32_t wake = m_wake.load();
      state = m_state.load();
      if (JobOf(state) == seen && !m_stop.load()) FutexWait(m_wake, wake);
      m_sleeping.fetch_sub(1);
      state = m_state.load();
    }
    if (m_stop.load()) return;
    seen = JobOf(state);
    if (TakeSeat(seen)) Work(seen);
  }
}

ParallelScope::ParallelScope(WorkerPool* pool) : m_previous(t_scope) { t_scope = pool; }

ParallelScope::~ParallelScope() { t_scope = m_previous; }

int32_t ParallelThreads() { return t_scope ? t_scope->Threads() : 1; }

void ParallelWaited(int64_t ns) { t_waitedNs += ns; }

void ParallelFor(int32_t count, const std::function<void(int32_t)>& task, double shareNs) {
  if (t_scope && t_scope->Threads() > 1 && count > 1) {
    WorkerPool* pool = t_scope;
    const int32_t threads = pool->Plan(task.target_type(), count, shareNs);
    // A task that asks for more strips runs them itself: the pool is busy.
    ParallelScope inner(nullptr);
    pool->RunPlanned(count, task, threads);
    return;
  }
  for (int32_t i = 0; i < count; ++i) task(i);
}

void ParallelRows(int32_t rows, int32_t minRows, int32_t align,
                  const std::function<void(int32_t, int32_t)>& task) {
  if (rows <= 0) return;
  align = std::max(align, 1);
  WorkerPool* pool = t_scope;
  const int32_t most = std::min(rows / std::max(minRows, 1), (rows + align - 1) / align);
  if (!pool || pool->Threads() <= 1 || most <= 1) {
    task(0, rows);
    return;
  }
  const int32_t threads = pool->Plan(task.target_type(), rows);
  // Strip s covers [bound(s), bound(s + 1)), bounds on multiples of align.
  const int32_t units = (rows + align - 1) / align;
  const int32_t strips = threads > 1 ? std::min(most, 4 * threads) : 1;
  auto bound = [&](int32_t s) {
    return std::min(rows, static_cast<int32_t>(static_cast<int64_t>(units) * s / strips) * align);
  };
  ParallelScope inner(nullptr);
  pool->RunPlanned(
      strips,
      [&](int32_t s) {
        const int32_t b = bound(s), e = s + 1 == strips ? rows : bound(s + 1);
        if (e > b) task(b, e);
      },
      threads);
}

}  // namespace enh
