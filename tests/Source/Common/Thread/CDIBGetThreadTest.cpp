#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "CDIBGetThread.h"
#include "qel/QelSync.h"

namespace {

// What a callback saw; the walk over `count` items stops past the last.
struct Walk {
  int32_t count = 0;
  std::mutex lock;
  std::vector<int32_t> seen;
  QelEventRef reached = QelCreateEvent(1, 0);   // set at `pauseAt`
  QelEventRef go_on = QelCreateEvent(1, 1);
  int32_t pauseAt = -1;
  ~Walk() {
    QelCloseEvent(reached);
    QelCloseEvent(go_on);
  }
};

int Visit(int32_t index, const void* first, const void* second) {
  auto* w = static_cast<Walk*>(const_cast<void*>(first));
  EXPECT_EQ(second, static_cast<const void*>(&w->count));
  {
    std::lock_guard<std::mutex> lock(w->lock);
    w->seen.push_back(index);
  }
  if (index == w->pauseAt) {
    QelSetEvent(w->reached);
    QelWaitEvent(w->go_on, QEL_INFINITE);
  }
  return index < w->count ? 1 : 0;
}

}  // namespace

TEST(CDIBGetThread, WalksFromTheStartIndexUntilThePastTheEnd) {
  struct Case {
    int32_t start, count;
    std::vector<int32_t> seen;
  } cases[] = {{0, 0, {0}}, {0, 3, {0, 1, 2, 3}}, {2, 4, {2, 3, 4}}};
  for (const Case& c : cases) {
    Walk w;
    w.count = c.count;
    auto* t = new CDIBGetThread(c.start, &w, &w.count, &Visit);
    EXPECT_EQ(CDIBGetThread::GetThread(), t);
    EXPECT_EQ(t->WaitFor(), QEL_WAIT_OBJECT_0);
    delete t;  // already finished: returns at once
    EXPECT_EQ(CDIBGetThread::GetThread(), nullptr);
    EXPECT_EQ(w.seen, c.seen) << "start " << c.start;
  }
}

TEST(CDIBGetThread, ANewThreadStopsThePreviousOneFirst) {
  Walk first;
  first.count = 1000000;
  first.pauseAt = 5;
  QelResetEvent(first.go_on);
  auto* a = new CDIBGetThread(0, &first, &first.count, &Visit);
  ASSERT_EQ(QelWaitEvent(first.reached, QEL_INFINITE), QEL_WAIT_OBJECT_0);
  QelSetEvent(first.go_on);  // the item in hand finishes, then the stop is seen

  Walk second;
  second.count = 2;
  auto* b = new CDIBGetThread(0, &second, &second.count, &Visit);
  EXPECT_EQ(CDIBGetThread::GetThread(), b);
  size_t firstSeen;
  {
    std::lock_guard<std::mutex> lock(first.lock);
    firstSeen = first.seen.size();
  }
  EXPECT_GE(firstSeen, 6u);
  EXPECT_LT(firstSeen, 1000000u);
  (void)a;  // deleted by b's construction
  CDIBGetThread::StopCurrent();
  EXPECT_EQ(CDIBGetThread::GetThread(), nullptr);
  EXPECT_EQ(first.seen.size(), firstSeen);  // it ended for good
}

TEST(CDIBGetThread, ANullCallbackEndsAtOnce) {
  auto* t = new CDIBGetThread(0, nullptr, nullptr, nullptr);
  EXPECT_EQ(t->WaitFor(), QEL_WAIT_OBJECT_0);
  EXPECT_EQ(t->GetStatus() & 2, 2);
  CDIBGetThread::StopCurrent();
}
