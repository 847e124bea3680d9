#include <gtest/gtest.h>

#include <atomic>

#include "CThread.h"
#include "qel/QelSync.h"

namespace {

// Runs until told to stop; can be held between rounds.
class Looper : public THREAD::CThread {
 public:
  // Started once whole: the thread calls Execute.
  explicit Looper(bool suspended) : CThread(true) {
    if (!suspended) Resume();
  }
  ~Looper() override {
    StopAndJoin();
    QelCloseEvent(started);
    QelCloseEvent(wake);
  }
  int32_t Execute() override {
    QelSetEvent(started);
    while (!WaitForKill()) {
      if (!WaitForResume()) {
        QelWaitEvent(wake, 5);  // held: nothing to do until resumed
        continue;
      }
      ++rounds;
      QelWaitEvent(wake, 1);
    }
    return 0;
  }
  QelEventRef started = QelCreateEvent(1, 0);
  QelEventRef wake = QelCreateEvent(0, 0);
  std::atomic<int> rounds{0};
};

class Once : public THREAD::CThread {
 public:
  Once() : CThread(true) {}
  int32_t Execute() override {
    ran = true;
    return 0;
  }
  std::atomic<bool> ran{false};
};

}  // namespace

TEST(CThread, StatusBitsFollowTheLifeOfAThread) {
  Once t;
  EXPECT_EQ(t.GetStatus(), 1);  // made suspended, never resumed
  ASSERT_TRUE(t.Resume());
  EXPECT_EQ(t.WaitFor(), QEL_WAIT_OBJECT_0);
  EXPECT_TRUE(t.ran);
  EXPECT_EQ(t.GetStatus() & 2, 2);
  EXPECT_EQ(t.GetStatus() & 1, 0);
  EXPECT_FALSE(t.WaitForKill());  // the routine resets the stop event at its end
}

TEST(CThread, AThreadThatNeverStartedIsDiscarded) {
  Once t;
  EXPECT_TRUE(t.Kill());
  EXPECT_EQ(t.GetStatus(), 1 | 2 | 4);
  EXPECT_FALSE(t.ran);
  EXPECT_FALSE(t.Resume());
  EXPECT_FALSE(t.ran);
}

TEST(CThread, KillStopsARunningOrHeldThreadAndWaits) {
  for (bool hold : {false, true}) {
    Looper t(false);
    ASSERT_EQ(QelWaitEvent(t.started, QEL_INFINITE), QEL_WAIT_OBJECT_0);
    if (hold) {
      EXPECT_TRUE(t.Suspend());
    }
    EXPECT_EQ(t.GetStatus() & 1, hold ? 1 : 0);
    EXPECT_TRUE(t.Kill());
    EXPECT_EQ(t.GetStatus() & 2, 2) << "hold " << hold;
  }
}

TEST(CThread, KillExOnlyRaisesTheStop) {
  Looper t(true);
  EXPECT_TRUE(t.Kill_Ex());
  EXPECT_TRUE(t.WaitForKill());
  ASSERT_TRUE(t.Resume());
  EXPECT_EQ(t.WaitFor(), QEL_WAIT_OBJECT_0);  // it saw the stop at once
  EXPECT_EQ(t.rounds, 0);
}
