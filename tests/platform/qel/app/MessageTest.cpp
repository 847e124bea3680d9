#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace {

constexpr uint32_t kWorkDone = 3027;

class Receiver : public CQelWindow {
 public:
  std::map<QELWPARAM, std::vector<QELLPARAM>> by_sender;
  size_t total = 0;
  bool off_main = false;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override {
    if (msg == kWorkDone) {
      off_main |= !QelIsMainThread();
      by_sender[wp].push_back(lp);
      ++total;
      handled = true;
      return lp * 2;
    }
    return CQelWindow::ProcessMessage(msg, wp, lp, handled);
  }
};

TEST(Messages, PostedFromWorkersArriveInOrderPerSenderOnTheMainThread) {
  Receiver w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&w, t] {
      for (int i = 0; i < kEach; ++i) PostMessage(w.GetWindowRef(), kWorkDone, t, i);
    });
  }
  for (auto& th : workers) th.join();
  EXPECT_EQ(w.total, 0u);  // nothing runs before the loop does
  while (w.total < size_t(kThreads * kEach)) g_main_context_iteration(nullptr, TRUE);
  EXPECT_FALSE(w.off_main);
  for (int t = 0; t < kThreads; ++t) {
    const auto& got = w.by_sender[t];
    ASSERT_EQ(got.size(), size_t(kEach));
    for (int i = 0; i < kEach; ++i) ASSERT_EQ(got[size_t(i)], i) << "sender " << t;
  }
}

TEST(Messages, SendWaitsForTheMainThreadAndAnswers) {
  Receiver w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  EXPECT_EQ(SendMessage(w.GetWindowRef(), kWorkDone, 9, 21), 42);  // main thread: at once
  std::atomic<intptr_t> answer{-1};
  std::thread worker([&] { answer = SendMessage(w.GetWindowRef(), kWorkDone, 1, 5); });
  while (answer.load() < 0) {
    if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(answer.load(), 10);
  EXPECT_FALSE(w.off_main);
}

TEST(Messages, PendingMessagesOfAClosedWindowAreDropped) {
  auto* w = new Receiver();
  ASSERT_EQ(w->Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  WindowRef ref = w->GetWindowRef();
  std::thread worker([ref] { EXPECT_EQ(PostMessage(ref, kWorkDone, 0, 1), 1); });
  worker.join();
  w->Close();
  delete w;  // the queued message must not reach freed memory
  qel::headless::PumpUntilIdle();
  EXPECT_EQ(PostMessage(ref, kWorkDone, 0, 3), 0);
  intptr_t answer = -1;
  std::thread sender([&] { answer = SendMessage(ref, kWorkDone, 0, 2); });
  sender.join();
  EXPECT_EQ(answer, 0);
}

TEST(Messages, WindowTimersArriveAsMessage275) {
  qel::headless::UseManualClock(true);
  struct Ticker : CQelWindow {
    std::vector<QELWPARAM> ids;
    intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override {
      if (msg == QEL_WM_TIMER) ids.push_back(wp);
      return CQelWindow::ProcessMessage(msg, wp, lp, handled);
    }
  } w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  w.SetTimer(3000, 1000, 10);
  qel::headless::Advance(1020);
  EXPECT_EQ(w.ids, (std::vector<QELWPARAM>{3000, 3000, 3000}));
  w.Close();
  qel::headless::Advance(1000);  // closing removed the timer
  EXPECT_EQ(w.ids.size(), 3u);
  qel::headless::UseManualClock(false);
}

}  // namespace
