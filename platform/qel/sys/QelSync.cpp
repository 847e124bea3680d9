#include "qel/QelSync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Waits on cv until ready() or the time-out; true when ready.
template <typename Ready>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, int32_t timeout,
             Ready ready) {
  if (timeout < 0) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(timeout), ready);
}

}  // namespace

// ---- events ----

struct QelEventRec {
  std::mutex mutex;
  std::condition_variable changed;
  bool manual;
  bool signalled;
};

QelEventRef QelCreateEvent(int32_t manualReset, int32_t initialState) {
  auto* e = new (std::nothrow) QelEventRec;
  if (!e) return nullptr;
  e->manual = manualReset != 0;
  e->signalled = initialState != 0;
  return e;
}

int32_t QelSetEvent(QelEventRef event) {
  if (!event) return 0;
  std::lock_guard<std::mutex> lock(event->mutex);
  event->signalled = true;
  if (event->manual) {
    event->changed.notify_all();
  } else {
    event->changed.notify_one();
  }
  return 1;
}

int32_t QelResetEvent(QelEventRef event) {
  if (!event) return 0;
  std::lock_guard<std::mutex> lock(event->mutex);
  event->signalled = false;
  return 1;
}

uint32_t QelWaitEvent(QelEventRef event, int32_t timeout) {
  if (!event) return QEL_WAIT_FAILED;
  std::unique_lock<std::mutex> lock(event->mutex);
  if (!WaitFor(event->changed, lock, timeout, [&] { return event->signalled; })) {
    return QEL_WAIT_TIMEOUT;
  }
  if (!event->manual) event->signalled = false;  // one waiter per set
  return QEL_WAIT_OBJECT_0;
}

void QelCloseEvent(QelEventRef event) { delete event; }

// ---- mutexes ----

struct QelMutexRec {
  std::mutex mutex;
  std::condition_variable released;
  std::thread::id owner;
  int32_t depth = 0;
};

QelMutexRef QelCreateMutex(int32_t initiallyOwned) {
  auto* m = new (std::nothrow) QelMutexRec;
  if (!m) return nullptr;
  if (initiallyOwned) {
    m->owner = std::this_thread::get_id();
    m->depth = 1;
  }
  return m;
}

uint32_t QelWaitMutex(QelMutexRef mutex, int32_t timeout) {
  if (!mutex) return QEL_WAIT_FAILED;
  std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(mutex->mutex);
  if (!WaitFor(mutex->released, lock, timeout,
               [&] { return mutex->depth == 0 || mutex->owner == self; })) {
    return QEL_WAIT_TIMEOUT;
  }
  mutex->owner = self;
  ++mutex->depth;
  return QEL_WAIT_OBJECT_0;
}

int32_t QelReleaseMutex(QelMutexRef mutex) {
  if (!mutex) return 0;
  std::lock_guard<std::mutex> lock(mutex->mutex);
  if (mutex->depth == 0 || mutex->owner != std::this_thread::get_id()) return 0;
  if (--mutex->depth == 0) {
    mutex->owner = std::thread::id();
    mutex->released.notify_one();
  }
  return 1;
}

void QelCloseMutex(QelMutexRef mutex) { delete mutex; }

// ---- critical sections ----

int32_t QelInitCriticalSection(QelCriticalSection* section) {
  if (!section) return 0;
  section->impl = new (std::nothrow) std::recursive_mutex;
  return section->impl ? 1 : 0;
}

int32_t QelEnterCriticalSection(QelCriticalSection* section) {
  if (!section || !section->impl) return 0;
  static_cast<std::recursive_mutex*>(section->impl)->lock();
  return 1;
}

int32_t QelLeaveCriticalSection(QelCriticalSection* section) {
  if (!section || !section->impl) return 0;
  static_cast<std::recursive_mutex*>(section->impl)->unlock();
  return 1;
}

int32_t QelDeleteCriticalSection(QelCriticalSection* section) {
  if (!section || !section->impl) return 0;
  delete static_cast<std::recursive_mutex*>(section->impl);
  section->impl = nullptr;
  return 1;
}
