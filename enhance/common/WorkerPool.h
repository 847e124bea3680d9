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

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace enh {

class WorkerPool {
 public:
  // threads: all the threads that work, the caller's included (1: none started).
  explicit WorkerPool(int32_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int32_t Threads() const { return static_cast<int32_t>(m_workers.size()) + 1; }

  // Runs task(i) for every i in [0, count), on the workers and the calling
  // thread; returns once all have run. One Run at a time.
  void Run(int32_t count, const std::function<void(int32_t)>& task);

  // The most threads a pool gets when the caller does not say: the processor's.
  static int32_t DefaultThreads();

 private:
  void WorkerLoop();
  // Claims and runs strips of the job tagged `job` until none is left.
  void Work(uint32_t job);

  std::vector<std::thread> m_workers;
  // The open job's tag (high half) and its next strip (low half): a claim
  // succeeds only while the job it was read for is still open.
  std::atomic<uint64_t> m_state{0};
  std::atomic<const std::function<void(int32_t)>*> m_task{nullptr};
  std::atomic<int32_t> m_count{0};
  std::atomic<int32_t> m_done{0};      // strips of the open job finished
  std::atomic<bool> m_callerSleeps{false};
  std::atomic<int32_t> m_sleeping{0};  // workers about to sleep or asleep
  std::atomic<uint32_t> m_wake{0};     // bumped to wake sleeping workers
  std::atomic<bool> m_stop{false};
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

// task(i) for i in [0, count), spread over the current scope's pool. Tasks
// must not depend on one another's order.
void ParallelFor(int32_t count, const std::function<void(int32_t)>& task);

// Rows [0, rows) cut into strips of at least minRows rows (a multiple of
// `align` rows each, but the last), about as many as the scope's threads
// times a few; task(begin, end) for each, spread over the pool.
void ParallelRows(int32_t rows, int32_t minRows, int32_t align,
                  const std::function<void(int32_t, int32_t)>& task);

}  // namespace enh
