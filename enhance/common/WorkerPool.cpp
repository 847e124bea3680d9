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
std::atomic<bool> g_spreadEveryStep{false};

// A sleep and a wake-up cost a thread some 8 microseconds of processor time
// (more on a virtual machine), so no thread spins much longer than that.
// An idle helper watches this long for the next job when nothing says how
// soon it comes.
constexpr int64_t kWatchNs = 5'000;
// Gaps between jobs up to this long are watched through; after a longer one
// the helpers sleep at once, since a sleep and a wake-up cost less.
constexpr int64_t kLongestWatchedGapNs = 8'000;
// The caller spins this many pauses (some 20 ns each) for strips still
// running on a worker before it sleeps.
constexpr int kFinishPauses = 400;

// Runs a step is timed on a count of threads before that count is judged
// (after one untimed).
constexpr int32_t kJudgeRuns = 3;
// Runs between tries of one more level, at first and at most (doubling each
// time more did not pay).
constexpr int32_t kFirstBackoff = 16;
constexpr int32_t kMostBackoff = 512;
// Runs on more threads between two timings on one, which the others are
// measured against (the load on the machine changes).
constexpr int32_t kSingleEvery = 48;

// A range's next strip and end, 16 bits each; a job's own-range bit.
constexpr uint32_t kMostStrips = 0xffff;
constexpr uint64_t kOwnRanges = 1u << 16;

uint64_t RangeOf(uint32_t job, int32_t begin, int32_t end) {
  return (static_cast<uint64_t>(job) << 32) | (static_cast<uint64_t>(begin) << 16) | static_cast<uint64_t>(end);
}

uint32_t JobOf(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
int32_t HelpersOf(uint64_t job) { return static_cast<int32_t>(job & 0xffff); }

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The futex calls themselves: each worker sleeps on a word of its own, and a
// wake-up is one call with no bookkeeping around it.
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

WorkerPool::WorkerPool(int32_t threads)
    : m_beds(static_cast<size_t>(std::max(threads, 1))), m_ranges(static_cast<size_t>(std::max(threads, 1))) {
  m_watchNs.store(kWatchNs);
  for (int32_t i = 1; i < threads; ++i) m_workers.emplace_back([this, i] { WorkerLoop(i); });
}

WorkerPool::~WorkerPool() {
  m_stop.store(true);
  for (Bed& bed : m_beds) {
    bed.wake.fetch_add(1);
    FutexWake(bed.wake, 1);
  }
  for (std::thread& t : m_workers) t.join();
}

int32_t WorkerPool::DefaultThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp(n, 1u, 8u));
}

void WorkerPool::SpreadEveryStep(bool on) { g_spreadEveryStep.store(on); }

int32_t WorkerPool::LevelThreads(int32_t level) const { return std::min(1 << level, Threads()); }

int32_t WorkerPool::TopLevel() const {
  int32_t level = 0;
  while (level + 1 < StepCost::kLevels && (1 << level) < Threads()) ++level;
  return level;
}

int32_t WorkerPool::Plan(const std::type_info& site, int32_t size, double shareNs) {
  StepCost& step = m_costs.Of(site, size);
  m_planned = &step;
  m_plannedShare = shareNs;
  step.level = std::min(step.level, TopLevel());
  if (g_spreadEveryStep.load(std::memory_order_relaxed)) {
    m_planned = nullptr;
    return Threads();
  }
  // Now and then one run on one thread, the measure of the others.
  m_plannedLevel = step.level > 0 && step.sinceSingle >= kSingleEvery ? 0 : step.level;
  return LevelThreads(m_plannedLevel);
}

void WorkerPool::Learn(StepCost& step, int32_t level, int32_t threads, double wallNs) {
  auto moveTo = [&step](int32_t to) {
    step.level = to;
    step.runs = 0;
    step.untilProbe = step.backoff;
  };
  if (level != step.level) {  // the run on one thread
    StepCosts::Fold(step.wallNs[0], wallNs);
    step.sinceSingle = 0;
    return;
  }
  // The first run on a count finds cold caches and sleeping helpers (the
  // very first, memory not yet mapped): not taken.
  if (step.runs++ > 0) StepCosts::Fold(step.wallNs[level], wallNs);
  if (step.runs <= kJudgeRuns) return;
  const int32_t top = TopLevel();
  if (level == 0) {
    // Only a step with a share of work for each of two threads tries more:
    // on a smaller one a woken helper costs more than it saves.
    if (top == 0 || 2 * m_plannedShare > step.wallNs[0]) return;
    if (step.backoff == 0) {
      step.backoff = kFirstBackoff;
      moveTo(1);
    } else if (--step.untilProbe <= 0) {
      moveTo(1);
    }
    return;
  }
  ++step.sinceSingle;
  // Wall time on `threads` against one thread's: what the threads were kept
  // busy for, at most.
  const double efficiency = step.wallNs[0] / (threads * step.wallNs[level]);
  if (efficiency < kMinEfficiency) {
    step.backoff = std::min(2 * std::max(step.backoff, 1), kMostBackoff);
    moveTo(level - 1);
  } else if (level < top && --step.untilProbe <= 0) {
    moveTo(level + 1);
  }
}

void WorkerPool::RunPlanned(int32_t count, const std::function<void(int32_t)>& task, int32_t threads,
                            Claim claim) {
  StepCost* step = m_planned;
  const int32_t level = m_plannedLevel;
  m_planned = nullptr;
  const bool shared = threads > 1 && count > 1 && !m_workers.empty();
  const int64_t start = NowNs();
  if (shared) {
    if (m_lastShared) StepCosts::Fold(m_lastShared->gapNs, static_cast<double>(start - m_lastSharedEnd));
    m_watchNs.store(step ? WatchFor(step->gapNs) : kWatchNs, std::memory_order_relaxed);
  }
  Run(count, task, threads - 1, claim);
  const int64_t end = NowNs();
  if (step) Learn(*step, level, std::max(1, std::min(threads, count)), static_cast<double>(end - start));
  if (shared) {
    m_lastShared = step;
    m_lastSharedEnd = end;
  }
}

void WorkerPool::Run(int32_t count, const std::function<void(int32_t)>& task, int32_t helpers, Claim claim) {
  if (count <= 0) return;
  helpers = std::min({helpers, static_cast<int32_t>(m_workers.size()), count - 1});
  if (helpers <= 0) {
    for (int32_t i = 0; i < count; ++i) task(i);
    return;
  }
  if (count <= static_cast<int32_t>(kMostStrips)) {
    RunJob(count, task, helpers, claim);
    return;
  }
  // More tasks than a range holds: in batches, each in order after the last.
  for (int32_t base = 0; base < count; base += kMostStrips) {
    const int32_t n = std::min<int32_t>(kMostStrips, count - base);
    RunJob(n, [&task, base](int32_t i) { task(base + i); }, helpers, claim);
  }
}

void WorkerPool::RunJob(int32_t count, const std::function<void(int32_t)>& task, int32_t helpers, Claim claim) {
  // Only the caller changes the tag, so the tag read here is current.
  const uint32_t tag = JobOf(m_job.load()) + 1;
  m_done.store(0, std::memory_order_relaxed);
  m_task.store(&task, std::memory_order_release);
  m_count.store(count, std::memory_order_release);
  const bool own = claim == Claim::OwnRangeFirst;
  if (own) {
    // Thread k's range: the k-th of as many equal ranges as threads.
    const int32_t threads = helpers + 1;
    for (int32_t k = 0; k < threads; ++k)
      m_ranges[k].strips.store(RangeOf(tag, count * k / threads, count * (k + 1) / threads));
  } else {
    m_ranges[0].strips.store(RangeOf(tag, 0, count));
  }
  const uint64_t job = (static_cast<uint64_t>(tag) << 32) | (own ? kOwnRanges : 0) | static_cast<uint64_t>(helpers);
  m_job.store(job);
  // A worker counts itself asleep before its last look at the job, so one
  // the job wants is either seen here or sees the job itself. Waking is a
  // system call: only the workers wanted, only when asleep.
  for (int32_t k = 1; k <= helpers; ++k) {
    Bed& bed = m_beds[k];
    if (bed.asleep.load()) {
      bed.wake.fetch_add(1);
      FutexWake(bed.wake, 1);
    }
  }
  Work(job, 0);
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
}

void WorkerPool::Work(uint64_t job, int32_t own) {
  const uint32_t tag = JobOf(job);
  const int32_t ranges = (job & kOwnRanges) ? HelpersOf(job) + 1 : 1;
  if (ranges == 1) own = 0;
  // Read after the job's tag: they are this job's as long as one of its
  // ranges still holds a strip, and a claim finds out.
  const int32_t count = m_count.load(std::memory_order_acquire);
  const auto* task = m_task.load(std::memory_order_acquire);
  for (int32_t r = 0; r < ranges; ++r) {
    Range& range = m_ranges[(own + r) % ranges];
    uint64_t strips = range.strips.load(std::memory_order_acquire);
    for (;;) {
      if (JobOf(strips) != tag) return;  // a newer job: this one is done
      const int32_t next = static_cast<int32_t>((strips >> 16) & 0xffff);
      if (next >= static_cast<int32_t>(strips & 0xffff)) break;
      if (!range.strips.compare_exchange_weak(strips, strips + (1u << 16))) continue;
      (*task)(next);
      // Waking the caller is a system call: only when it sleeps.
      if (m_done.fetch_add(1) + 1 == count && m_callerSleeps.load()) m_done.notify_all();
      strips = range.strips.load(std::memory_order_acquire);
    }
  }
}

void WorkerPool::WorkerLoop(int32_t index) {
  Bed& bed = m_beds[index];
  uint32_t seen = JobOf(m_job.load());
  bool wanted = true;  // by the last job
  for (;;) {
    uint64_t job = m_job.load();
    // Watch for the next job as long as the last step said, the clock read
    // only now and then; a worker the last job did not want sleeps at once,
    // as the next one most likely wants no more threads.
    const int64_t watch = wanted ? m_watchNs.load(std::memory_order_relaxed) : 0;
    if (watch > 0 && JobOf(job) == seen) {
      const int64_t until = NowNs() + watch;
      for (int spin = 1; JobOf(job) == seen && !m_stop.load(std::memory_order_relaxed); ++spin) {
        _mm_pause();
        job = m_job.load();
        if (spin % 16 == 0 && NowNs() >= until) break;
      }
    }
    while (JobOf(job) == seen && !m_stop.load()) {
      bed.asleep.store(true);
      const uint32_t wake = bed.wake.load();
      job = m_job.load();
      if (JobOf(job) == seen && !m_stop.load()) FutexWait(bed.wake, wake);
      bed.asleep.store(false);
      job = m_job.load();
    }
    if (m_stop.load()) return;
    seen = JobOf(job);
    // The job wants its first helpers only; the others wait for the next.
    wanted = index <= HelpersOf(job);
    if (wanted) Work(job, index);
  }
}

ParallelScope::ParallelScope(WorkerPool* pool) : m_previous(t_scope) { t_scope = pool; }

ParallelScope::~ParallelScope() { t_scope = m_previous; }

int32_t ParallelThreads() { return t_scope ? t_scope->Threads() : 1; }

void ParallelFor(int32_t count, const std::function<void(int32_t)>& task, double shareNs) {
  if (t_scope && t_scope->Threads() > 1 && count > 1) {
    WorkerPool* pool = t_scope;
    const int32_t threads = pool->Plan(task.target_type(), count, shareNs);
    // A task that asks for more strips runs them itself: the pool is busy.
    ParallelScope inner(nullptr);
    pool->RunPlanned(count, task, threads, WorkerPool::Claim::InOrder);
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
      threads, WorkerPool::Claim::OwnRangeFirst);
}

}  // namespace enh
