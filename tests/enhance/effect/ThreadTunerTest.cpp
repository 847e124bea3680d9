// The chain's choice of threads, fed made-up frame times: one thread while it
// keeps within the budget, doubling only while a doubling pays, back to the
// last count that paid, and a fresh look after a while.
#include <gtest/gtest.h>

#include <functional>

#include "ThreadTuner.h"

namespace {

// Feeds frames timed by msAt(threads) until `frames` have gone by; returns
// the count the tuner ends on.
int32_t Feed(ThreadTuner& tuner, int frames, const std::function<double(int32_t)>& msAt) {
  for (int i = 0; i < frames; ++i) tuner.Took(msAt(tuner.Threads()));
  return tuner.Threads();
}

TEST(ThreadTuner, Choices) {
  struct Case {
    const char* what;
    int32_t most;
    std::function<double(int32_t)> msAt;
    int32_t chosen;
  };
  const Case cases[] = {
      {"within the budget on one thread", 8, [](int32_t t) { return 10.0 / t; }, 1},
      {"a frame too small for more", 1, [](int32_t) { return 40.0; }, 1},
      {"scales: doubles until within the budget", 8, [](int32_t t) { return 60.0 / t; }, 4},
      {"scales to the frame's most", 4, [](int32_t t) { return 200.0 / t; }, 4},
      {"more threads slower: stays on one", 8, [](int32_t t) { return 20.0 + t; }, 1},
      {"a second doubling gains too little", 8, [](int32_t t) { return t == 1 ? 30.0 : (t == 2 ? 20.0 : 18.0); }, 2},
  };
  for (const Case& c : cases) {
    ThreadTuner tuner(c.most, 1000.0 / 30 / 2);
    EXPECT_EQ(Feed(tuner, 60, c.msAt), c.chosen) << c.what;
    EXPECT_LE(tuner.Threads(), c.most) << c.what;
  }
}

// The machine got busy: the recheck starts over and settles lower.
TEST(ThreadTuner, LooksAgainAfterAWhile) {
  ThreadTuner tuner(8, 16.0);
  EXPECT_EQ(Feed(tuner, 60, [](int32_t t) { return 60.0 / t; }), 4);
  EXPECT_EQ(Feed(tuner, ThreadTuner::kRecheckFrames + 60, [](int32_t t) { return 40.0 + t; }), 1);
}

}  // namespace
