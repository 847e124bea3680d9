// The worker pool the kernels spread a frame's strips over.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "WorkerPool.h"

namespace {

// Every task runs exactly once, whatever the threads, the task count and
// the way tasks are claimed (more tasks than one job holds included).
TEST(WorkerPool, RunsEveryTaskOnce) {
  using Claim = enh::WorkerPool::Claim;
  for (int threads : {1, 2, 5}) {
    enh::WorkerPool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    for (Claim claim : {Claim::InOrder, Claim::OwnRangeFirst})
      for (int count : {0, 1, 3, 7, 100, 70000}) {
        std::vector<std::atomic<int>> runs(count);
        pool.Run(count, [&](int32_t i) { runs[i]++; }, enh::WorkerPool::kAllHelpers, claim);
        for (int i = 0; i < count; ++i)
          ASSERT_EQ(runs[i].load(), 1) << threads << " threads, " << count << " tasks, task " << i;
      }
  }
}

// Strips cover the rows once, start on the alignment and leave none out;
// without a scope the rows come in one piece on the calling thread.
TEST(WorkerPool, RowsCoverEveryRowOnce) {
  struct Case { int threads, rows, minRows, align; };
  enh::WorkerPool::SpreadEveryStep(true);
  for (const Case c : {Case{1, 100, 8, 1}, Case{4, 1080, 32, 1}, Case{4, 1081, 32, 2}, Case{3, 5, 1, 2},
                       Case{8, 7, 32, 1}, Case{4, 0, 8, 1}}) {
    enh::WorkerPool pool(c.threads);
    const enh::ParallelScope scope(&pool);
    std::vector<std::atomic<int>> seen(c.rows);
    std::atomic<int> strips{0};
    enh::ParallelRows(c.rows, c.minRows, c.align, [&](int32_t r0, int32_t r1) {
      EXPECT_EQ(r0 % c.align, 0);
      EXPECT_LT(r0, r1);
      strips++;
      for (int r = r0; r < r1; ++r) seen[r]++;
    });
    for (int r = 0; r < c.rows; ++r) ASSERT_EQ(seen[r].load(), 1) << c.rows << " rows, row " << r;
    if (c.threads == 1 || c.rows < 2 * c.minRows)
      EXPECT_LE(strips.load(), 1);
    else
      EXPECT_GE(strips.load(), c.threads);
  }
  enh::WorkerPool::SpreadEveryStep(false);
  int calls = 0;
  enh::ParallelRows(50, 1, 1, [&](int32_t r0, int32_t r1) {
    EXPECT_EQ(r0, 0);
    EXPECT_EQ(r1, 50);
    ++calls;
  });
  EXPECT_EQ(calls, 1);
}

// A strip that spreads work of its own runs it itself instead of waiting on
// the busy pool, and the scope ends with its block.
TEST(WorkerPool, NestedWorkRunsInPlace) {
  enh::WorkerPool pool(4);
  {
    const enh::ParallelScope scope(&pool);
    EXPECT_EQ(enh::ParallelThreads(), 4);
    std::atomic<int> inner{0};
    enh::ParallelFor(8, [&](int32_t) {
      EXPECT_EQ(enh::ParallelThreads(), 1);
      enh::ParallelFor(3, [&](int32_t) { inner++; });
    });
    EXPECT_EQ(inner.load(), 24);
  }
  EXPECT_EQ(enh::ParallelThreads(), 1);
}

// A job that asks for fewer helpers gets no more threads than that, however
// many are idle; every task still runs once.
TEST(WorkerPool, HelpersAreCapped) {
  enh::WorkerPool pool(5);
  for (int helpers : {0, 1, 2, 4}) {
    std::mutex m;
    std::set<std::thread::id> threads;
    std::vector<std::atomic<int>> runs(40);
    pool.Run(
        40,
        [&](int32_t i) {
          runs[i]++;
          std::this_thread::sleep_for(std::chrono::microseconds(200));
          const std::lock_guard lock(m);
          threads.insert(std::this_thread::get_id());
        },
        helpers);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(runs[i].load(), 1) << helpers << " helpers, task " << i;
    EXPECT_LE(static_cast<int>(threads.size()), helpers + 1);
  }
}

// A step starts on the caller alone; once timed there, a step with work for
// more threads tries two, and a step whose tasks only wait on one another
// gives them back.
TEST(WorkerPool, StepsKeepTheThreadsThatPay) {
  enh::WorkerPool pool(4);
  const enh::ParallelScope scope(&pool);
  for (const bool serial : {false, true}) {
    const int count = serial ? 9 : 8;  // the same task at two sizes: two steps
    std::vector<std::atomic<int>> done(count);
    auto task = [&](int32_t i) {
      // A serial step's task waits for the one before it.
      while (serial && i > 0 && done[i - 1].load() == 0) std::this_thread::yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      done[i] = 1;
    };
    const std::function<void(int32_t)> step = task;
    for (int frame = 0; frame < 16; ++frame) {
      // One untimed run and three timed ones on the caller alone, then
      // 8 x 2 ms is worth trying on more.
      const int32_t planned = pool.Plan(step.target_type(), count);
      if (frame < 4) EXPECT_EQ(planned, 1) << frame;
      if (frame == 4) EXPECT_EQ(planned, 2);
      for (auto& d : done) d = 0;
      enh::ParallelFor(count, step);
      for (int i = 0; i < count; ++i) ASSERT_EQ(done[i].load(), 1);
    }
    if (serial) EXPECT_EQ(pool.Plan(step.target_type(), count), 1);
  }
}

// Tasks are claimed in order, so each may wait for the one before it (a
// wavefront) on any number of threads and helpers.
TEST(WorkerPool, TasksMayWaitForEarlierOnes) {
  for (int threads : {1, 2, 5}) {
    enh::WorkerPool pool(threads);
    for (int helpers : {0, 1, 4}) {
      std::vector<std::atomic<int>> done(64);
      pool.Run(
          64,
          [&](int32_t i) {
            while (i > 0 && done[i - 1].load() == 0) std::this_thread::yield();
            done[i] = 1;
          },
          helpers);
      for (int i = 0; i < 64; ++i) ASSERT_EQ(done[i].load(), 1) << threads << " threads, task " << i;
    }
  }
}

}  // namespace
