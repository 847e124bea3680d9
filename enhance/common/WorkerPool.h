#pragma once
// A small pool of threads that one frame's work is spread over. The pixel
// kernels split their rows into strips and ask ParallelFor to run them: on
// the pool that the calling thread lent to them (ParallelScope), or one after
// the other when there is none. Every strip computes exactly what it would
// compute alone, so a frame comes out the same on any number of threads.
//
// The calling thread works too and never waits for a helper that has not
// started: strips are claimed one at a time, so a helper that wakes late (a
// busy machine) finds them done and costs only its wake-up.
//
// Strips of rows are handed out in as many ranges as threads, each thread
// taking its own range first and then helping with the others': the same
// rows go to the same thread from one step to the next, and stay in its
// cache. Tasks that may wait for earlier ones are claimed in order instead.
//
// Threads pay only where they shorten a step by about their number: waking
// a sleeping helper costs some microseconds of processor time, a helper that
// watches for work burns it, and a step whose rows wait on memory or on one
// another gains less than its threads spend. So each step is timed on one
// thread and on the counts it was given (2, 4, ... tried one after the
// other), and keeps the most threads that still run it at kMinEfficiency or
// better (tried again now and then, as the load on the machine changes);
// helpers watch for the next step only when it came soon after the last
// time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <typeinfo>
#include <vector>

#include "StepCosts.h"

namespace enh {

class WorkerPool {
 public:
  // Work a thread is worth waking for: a step tries a second thread (and
  // then more, one level at a time) only with two shares of time.
  static constexpr double kShareNs = 100'000;
  // The least share of its threads' time a step must keep busy: k threads
  // on a step spend at most 1 / kMinEfficiency times one thread's time.
  static constexpr double kMinEfficiency = 0.85;

  // threads: all the threads that work, the caller's included (1: none started).
  explicit WorkerPool(int32_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int32_t Threads() const { return static_cast<int32_t>(m_workers.size()) + 1; }

  // How the tasks of a job are claimed: all in order, or in one range per
  // thread, each thread's own range first (neighbouring tasks, same thread).
  enum class Claim { InOrder, OwnRangeFirst };

  // Runs task(i) for every i in [0, count), on the calling thread and at most
  // `helpers` workers (the first ones); returns once all have run. One Run
  // at a time.
  void Run(int32_t count, const std::function<void(int32_t)>& task, int32_t helpers = kAllHelpers,
           Claim claim = Claim::InOrder);
  static constexpr int32_t kAllHelpers = 1 << 15;

  // A step in two halves, for the kernels' calls: Plan gives the threads the
  // step called from `site` with `size` is worth (1 the first times, to learn
  // its cost), RunPlanned runs its strips on that many and learns from it.
  // shareNs: the work a thread must have to be worth trying.
  int32_t Plan(const std::type_info& site, int32_t size, double shareNs = kShareNs);
  void RunPlanned(int32_t count, const std::function<void(int32_t)>& task, int32_t threads, Claim claim);

  // The most threads a pool gets when the caller does not say: the processor's.
  static int32_t DefaultThreads();

  // For tests of results on any number of threads: every step of every pool
  // on all its threads from its first run, whatever it pays.
  static void SpreadEveryStep(bool on);

 private:
  // One range of a job's strips: the job's tag (high half), the next strip
  // and the end (16 bits each). A claim succeeds only while the job it was
  // read for is still open, since a finished job's ranges are all empty.
  struct alignas(64) Range {
    std::atomic<uint64_t> strips{0};
  };
  // A worker's own word to sleep on, so that a job wakes just the workers it wants.
  struct alignas(64) Bed {
    std::atomic<uint32_t> wake{0};
    std::atomic<bool> asleep{false};
  };

  void WorkerLoop(int32_t index);
  // Claims and runs strips of the job `job` (as m_job holds it) until none is
  // left, from range `own` first.
  void Work(uint64_t job, int32_t own);
  void RunJob(int32_t count, const std::function<void(int32_t)>& task, int32_t helpers, Claim claim);
  // Threads of a level (1, 2, 4, ... the pool's) and the pool's top level.
  int32_t LevelThreads(int32_t level) const;
  int32_t TopLevel() const;
  // Takes a step's time on `threads` threads at `level` and moves it to the
  // level that pays.
  void Learn(StepCost& step, int32_t level, int32_t threads, double wallNs);

  std::vector<std::thread> m_workers;
  std::vector<Bed> m_beds;  // one per worker, by its index (0: the caller's, unused)
  std::vector<Range> m_ranges;
  // The open job: its tag (high half), whether each thread has a range of
  // its own (bit 16) and the helpers it wants (low 16 bits).
  std::atomic<uint64_t> m_job{0};
  std::atomic<const std::function<void(int32_t)>*> m_task{nullptr};
  std::atomic<int32_t> m_count{0};
  std::atomic<int32_t> m_done{0};      // strips of the open job finished
  std::atomic<int64_t> m_watchNs{0};   // how long an idle helper watches for the next job
  std::atomic<bool> m_callerSleeps{false};
  std::atomic<bool> m_stop{false};

  // The caller's own: what the steps cost, the last step run on helpers and
  // when it ended.
  StepCosts m_costs;
  StepCost* m_planned = nullptr;
  int32_t m_plannedLevel = 0;
  double m_plannedShare = kShareNs;
  StepCost* m_lastShared = nullptr;
  int64_t m_lastSharedEnd = 0;
};

// Lends a pool to the kernels for the calls made on this thread while the
// scope lives (null: none). Scopes nest; the inner one wins.
class ParallelScope {
 public:
  explicit ParallelScope(WorkerPool* pool);
  ~ParallelScope();
  ParallelScope(const ParallelScope&) = delete;
  ParallelScope& operator=(const ParallelScope&) = delete;

 private:
  WorkerPool* m_previous;
};

// Threads the current scope offers (1 without one).
int32_t ParallelThreads();

// task(i) for i in [0, count), spread over the current scope's pool on the
// threads that pay for the step (tried only once it takes two shareNs on one
// thread). Tasks are claimed in order, so a task may wait for an earlier
// one; such a step asks for a larger share, since its threads also wait on
// one another.
void ParallelFor(int32_t count, const std::function<void(int32_t)>& task,
                 double shareNs = WorkerPool::kShareNs);

// Rows [0, rows) cut into strips of at least minRows rows (a multiple of
// `align` rows each, but the last), about as many as the threads the step
// is worth times a few; task(begin, end) for each, spread over the pool.
void ParallelRows(int32_t rows, int32_t minRows, int32_t align,
                  const std::function<void(int32_t, int32_t)>& task);

}  // namespace enh
