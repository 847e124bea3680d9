#pragma once
// Lets a test sleep until a capture worker says something happened.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class Waiter {
 public:
  std::function<void()> Notifier() {
    return [this] {
      std::lock_guard lock(mutex_);
      ++signals_;
      cv_.notify_all();
    };
  }
  // Calls poll on each signal until it answers true; false after the limit.
  bool Until(const std::function<bool()>& poll, std::chrono::seconds limit = std::chrono::seconds(30)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(mutex_);
    for (;;) {
      unsigned seen = signals_;
      lock.unlock();
      if (poll()) return true;
      lock.lock();
      if (!cv_.wait_until(lock, deadline, [&] { return signals_ != seen; })) return false;
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  unsigned signals_ = 0;
};
