#pragma once
// The toolkit mutex that guards data shared with worker threads.
#include "qel/QelSync.h"

class CQelLock {
 public:
  CQelLock() : m_mutex(QelCreateMutex(0)) {}
  ~CQelLock() {
    if (m_mutex) QelCloseMutex(m_mutex);
  }
  CQelLock(const CQelLock&) = delete;
  CQelLock& operator=(const CQelLock&) = delete;

  // Waits without time-out; false when there is no mutex.
  bool Lock() { return m_mutex && QelWaitMutex(m_mutex, QEL_INFINITE) == QEL_WAIT_OBJECT_0; }
  // The toolkit's answer; 0 when there is no mutex.
  int32_t Unlock() { return m_mutex ? QelReleaseMutex(m_mutex) : 0; }

 private:
  QelMutexRef m_mutex;
};
