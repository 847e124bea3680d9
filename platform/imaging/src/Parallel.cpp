#include "Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace img::detail {

namespace {

// One ParallelFor call: its pieces are claimed one by one under the pool's
// lock, by the caller and by any idle worker.
struct Job {
  const std::function<void(int32_t)>* piece = nullptr;
  int32_t pieces = 0;
  int32_t next = 0;             // guarded by the pool's lock
  std::atomic<int32_t> left{0}; // pieces not finished yet
  std::mutex done_lock;
  std::condition_variable done_cv;
  bool done = false;
};

thread_local bool t_in_piece = false;

class WorkerPool {
 public:
  static WorkerPool& Get() {
    static WorkerPool pool;
    return pool;
  }

  int32_t Threads() const { return int32_t(workers_.size()) + 1; }

  void Run(int32_t pieces, const std::function<void(int32_t)>& piece) {
    Job job;
    job.piece = &piece;
    job.pieces = pieces;
    job.left.store(pieces, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> g(lock_);
      jobs_.push_back(&job);
    }
    wake_.notify_all();
    for (;;) {
      int32_t i;
      {
        std::lock_guard<std::mutex> g(lock_);
        i = Claim(&job);
      }
      if (i < 0) break;
      Execute(&job, i);
    }
    std::unique_lock<std::mutex> g(job.done_lock);
    job.done_cv.wait(g, [&] { return job.done; });
  }

  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> g(lock_);
      stop_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }

 private:
  WorkerPool() {
    unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 1; i < hw; ++i) workers_.emplace_back([this] { Loop(); });
  }

  // The next piece of `job`, or -1; the job leaves the queue with its last
  // piece. Called with the lock held.
  int32_t Claim(Job* job) {
    if (job->next >= job->pieces) return -1;
    int32_t i = job->next++;
    if (job->next == job->pieces) jobs_.erase(std::find(jobs_.begin(), jobs_.end(), job));
    return i;
  }

  static void Execute(Job* job, int32_t i) {
    bool outer = t_in_piece;
    t_in_piece = true;
    (*job->piece)(i);
    t_in_piece = outer;
    if (job->left.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      std::lock_guard<std::mutex> g(job->done_lock);
      job->done = true;
      job->done_cv.notify_one();
    }
  }

  void Loop() {
    std::unique_lock<std::mutex> g(lock_);
    for (;;) {
      wake_.wait(g, [&] { return stop_ || !jobs_.empty(); });
      if (stop_) return;
      Job* job = jobs_.front();
      int32_t i = Claim(job);
      g.unlock();
      Execute(job, i);
      g.lock();
    }
  }

  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Job*> jobs_;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace

int32_t ParallelThreads() { return WorkerPool::Get().Threads(); }

void ParallelFor(int32_t count, uint64_t cost_per_item,
                 const std::function<void(int32_t, int32_t)>& body) {
  if (count <= 0) return;
  constexpr uint64_t kMinWorkPerThread = 256 * 1024;
  uint64_t total = uint64_t(count) * std::max<uint64_t>(cost_per_item, 1);
  if (t_in_piece || total < 2 * kMinWorkPerThread) {
    body(0, count);
    return;
  }
  WorkerPool& pool = WorkerPool::Get();
  int32_t threads = int32_t(std::min<uint64_t>({uint64_t(pool.Threads()), total / kMinWorkPerThread,
                                                uint64_t(count)}));
  if (threads <= 1) {
    body(0, count);
    return;
  }
  // A few pieces per thread, so a thread slowed by other programs holds up
  // only a small part.
  int32_t pieces = int32_t(std::min<uint64_t>({uint64_t(threads) * 4, total / kMinWorkPerThread, uint64_t(count)}));
  const int32_t per = count / pieces, extra = count % pieces;
  std::function<void(int32_t)> piece = [&](int32_t i) {
    int32_t begin = i * per + std::min(i, extra);
    body(begin, begin + per + (i < extra ? 1 : 0));
  };
  pool.Run(pieces, piece);
}

}  // namespace img::detail
