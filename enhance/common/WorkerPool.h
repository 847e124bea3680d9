#pragma once
// A small pool of threads that one frame's work is spread over. The pixel
// kernels split their rows into strips and ask ParallelFor to run them: on
// the pool that the calling thread lent to them (ParallelScope), or one after
// the other when there is none. Every strip computes exactly what it would
// compute alone, so a frame comes out the same on any number of threads.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
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

  // The threads a pool gets when the caller does not say: the processor's.
  static int32_t DefaultThreads();

 private:
  void WorkerLoop();
  void Drain();

  std::vector<std::thread> m_workers;
  std::mutex m_mutex;
  std::condition_variable m_wake;     // workers: a new job or the end
  std::condition_variable m_finished; // caller: the last task of a job ran
  const std::function<void(int32_t)>* m_task = nullptr;
  int32_t m_count = 0;
  int32_t m_next = 0;      // next task to hand out
  int32_t m_running = 0;   // tasks handed out and not yet finished
  int32_t m_sleeping = 0;  // workers asleep on m_wake
  // Counts jobs, so a worker sees each one once; workers watch it for a
  // moment before they sleep, as a frame's steps follow one another closely.
  std::atomic<uint64_t> m_job{0};
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
