// The worker pool the kernels spread a frame's strips over.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "WorkerPool.h"

namespace {

// Every task runs exactly once, whatever the threads and the task count.
TEST(WorkerPool, RunsEveryTaskOnce) {
  for (int threads : {1, 2, 5}) {
    enh::WorkerPool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    for (int count : {0, 1, 7, 100}) {
      std::vector<std::atomic<int>> runs(count);
      pool.Run(count, [&](int32_t i) { runs[i]++; });
      for (int i = 0; i < count; ++i) ASSERT_EQ(runs[i].load(), 1) << threads << " threads, task " << i;
    }
  }
}

// Strips cover the rows once, start on the alignment and leave none out;
// without a scope the rows come in one piece on the calling thread.
TEST(WorkerPool, RowsCoverEveryRowOnce) {
  struct Case { int threads, rows, minRows, align; };
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
    if (c.threads == 1 || c.rows < 2 * c.minRows) EXPECT_LE(strips.load(), 1);
  }
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

}  // namespace
