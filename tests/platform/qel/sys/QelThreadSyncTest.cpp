#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "qel/QelSync.h"
#include "qel/QelThread.h"

namespace {

struct Worker {
  QelEventRef go = QelCreateEvent(1, 0);
  std::atomic<int> runs{0};
  std::atomic<int> woken{0};  // the thread is done with the event
  ~Worker() { QelCloseEvent(go); }
};

uint32_t WaitForGo(void* arg) {
  auto* w = static_cast<Worker*>(arg);
  ++w->runs;
  QelWaitEvent(w->go, QEL_INFINITE);
  ++w->woken;
  return 7;
}

}  // namespace

TEST(QelThread, StartsOnResumeAndWaitsWithTimeOut) {
  Worker w;
  QelThreadRef t = QelCreateThread(WaitForGo, &w, 0, 0);
  ASSERT_NE(t, nullptr);
  QelSleep(20);
  EXPECT_EQ(w.runs, 0);  // created suspended
  EXPECT_EQ(QelWaitThread(t, 0), QEL_WAIT_FAILED);  // would never end
  EXPECT_EQ(QelResumeThread(t), 1u);
  EXPECT_EQ(QelResumeThread(t), 0u);
  EXPECT_EQ(QelWaitThread(t, 30), QEL_WAIT_TIMEOUT);
  EXPECT_EQ(w.runs, 1);
  QelSetEvent(w.go);
  EXPECT_EQ(QelWaitThread(t, QEL_INFINITE), QEL_WAIT_OBJECT_0);
  uint32_t code = 0;
  EXPECT_EQ(QelGetThreadExitCode(t, &code), 1);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(QelSetThreadPriority(t, 2), 1);
  QelCloseThreadRef(t);
  EXPECT_EQ(QelResumeThread(nullptr), QEL_RESUME_FAILED);
  EXPECT_EQ(QelWaitThread(nullptr, 0), QEL_WAIT_FAILED);
}

TEST(QelThread, TerminateNeverStartsASuspendedThreadAndJoinsARunningOne) {
  Worker w;
  QelThreadRef idle = QelCreateThread(WaitForGo, &w, 0, 0);
  EXPECT_EQ(QelTerminateThread(idle, 1), 1);
  EXPECT_EQ(QelResumeThread(idle), QEL_RESUME_FAILED);
  EXPECT_EQ(QelWaitThread(idle, 0), QEL_WAIT_OBJECT_0);
  uint32_t code = 0;
  QelGetThreadExitCode(idle, &code);
  EXPECT_EQ(code, 1u);
  QelCloseThreadRef(idle);
  EXPECT_EQ(w.runs, 0);

  QelThreadRef running = QelCreateThread(WaitForGo, &w, QEL_THREAD_START_NOW, 0);
  while (w.runs == 0) QelSleep(1);
  std::thread stopper([&] { QelSleep(20); QelSetEvent(w.go); });
  EXPECT_EQ(QelTerminateThread(running, 1), 1);  // returns once it has ended
  EXPECT_EQ(QelWaitThread(running, 0), QEL_WAIT_OBJECT_0);
  stopper.join();
  QelCloseThreadRef(running);
}

TEST(QelThread, ClosingARunningThreadLetsItFinish) {
  static Worker w;  // outlives the detached thread
  QelThreadRef t = QelCreateThread(WaitForGo, &w, QEL_THREAD_START_NOW, 0);
  while (w.runs == 0) QelSleep(1);
  QelCloseThreadRef(t);
  QelSetEvent(w.go);
  // It wakes and runs on without its handle; the event outlives its wait.
  while (w.woken == 0) QelSleep(1);
}

TEST(QelSync, EventResetKinds) {
  QelEventRef manual = QelCreateEvent(1, 0);
  EXPECT_EQ(QelWaitEvent(manual, 0), QEL_WAIT_TIMEOUT);
  EXPECT_EQ(QelWaitEvent(manual, 20), QEL_WAIT_TIMEOUT);
  QelSetEvent(manual);
  EXPECT_EQ(QelWaitEvent(manual, 0), QEL_WAIT_OBJECT_0);
  EXPECT_EQ(QelWaitEvent(manual, 0), QEL_WAIT_OBJECT_0);  // stays set
  QelResetEvent(manual);
  EXPECT_EQ(QelWaitEvent(manual, 0), QEL_WAIT_TIMEOUT);
  QelCloseEvent(manual);

  QelEventRef automatic = QelCreateEvent(0, 1);
  EXPECT_EQ(QelWaitEvent(automatic, 0), QEL_WAIT_OBJECT_0);
  EXPECT_EQ(QelWaitEvent(automatic, 10), QEL_WAIT_TIMEOUT);  // consumed
  std::thread setter([&] { QelSleep(10); QelSetEvent(automatic); });
  EXPECT_EQ(QelWaitEvent(automatic, QEL_INFINITE), QEL_WAIT_OBJECT_0);
  setter.join();
  QelCloseEvent(automatic);
  EXPECT_EQ(QelWaitEvent(nullptr, 0), QEL_WAIT_FAILED);
}

TEST(QelSync, AutoResetEventReleasesOneWaiterPerSet) {
  QelEventRef e = QelCreateEvent(0, 0);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      if (QelWaitEvent(e, 2000) == QEL_WAIT_OBJECT_0) ++through;
    });
  }
  for (int i = 0; i < 3; ++i) {
    QelSetEvent(e);
    while (through < i + 1) QelSleep(1);
  }
  for (auto& t : waiters) t.join();
  EXPECT_EQ(through, 3);
  QelCloseEvent(e);
}

TEST(QelSync, MutexOwnership) {
  QelMutexRef m = QelCreateMutex(0);
  EXPECT_EQ(QelWaitMutex(m, QEL_INFINITE), QEL_WAIT_OBJECT_0);
  EXPECT_EQ(QelWaitMutex(m, 0), QEL_WAIT_OBJECT_0);  // recursive
  std::thread other([&] {
    EXPECT_EQ(QelWaitMutex(m, 20), QEL_WAIT_TIMEOUT);
    EXPECT_EQ(QelReleaseMutex(m), 0);  // not the owner
  });
  other.join();
  EXPECT_EQ(QelReleaseMutex(m), 1);
  EXPECT_EQ(QelReleaseMutex(m), 1);
  EXPECT_EQ(QelReleaseMutex(m), 0);
  std::thread later([&] {
    EXPECT_EQ(QelWaitMutex(m, 0), QEL_WAIT_OBJECT_0);
    EXPECT_EQ(QelReleaseMutex(m), 1);
  });
  later.join();
  QelCloseMutex(m);
}

TEST(QelSync, CriticalSectionGuardsSharedData) {
  CQelCriticalSection section;
  int64_t counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        std::lock_guard<CQelCriticalSection> hold(section);
        section.Lock();  // recursive
        ++counter;
        section.Unlock();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
  QelCriticalSection bare;
  EXPECT_EQ(QelEnterCriticalSection(&bare), 0);  // not initialised
  EXPECT_EQ(QelInitCriticalSection(&bare), 1);
  EXPECT_EQ(QelEnterCriticalSection(&bare), 1);
  EXPECT_EQ(QelLeaveCriticalSection(&bare), 1);
  EXPECT_EQ(QelDeleteCriticalSection(&bare), 1);
}
