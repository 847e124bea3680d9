#pragma once
// A signed 32-bit count changed under its own lock.
#include <cstdint>

template <class Lock>
class LockCounter {
 public:
  LockCounter() = default;
  LockCounter(const LockCounter&) = delete;
  LockCounter& operator=(const LockCounter&) = delete;

  int32_t increment() {
    m_lock.Lock();
    int32_t value = ++m_count;
    m_lock.UnLock();
    return value;
  }
  int32_t decrement() {
    m_lock.Lock();
    int32_t value = --m_count;
    m_lock.UnLock();
    return value;
  }
  int32_t value() {
    m_lock.Lock();
    int32_t v = m_count;
    m_lock.UnLock();
    return v;
  }

 private:
  int32_t m_count = 0;
  Lock m_lock;
};
