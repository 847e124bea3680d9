#pragma once
// Events, mutexes and critical sections. Answers follow qel/QelResult.h.
#include "qel/QelResult.h"
#include "qel/QelTypes.h"

// Events: manual reset stays signalled until reset; auto reset lets exactly
// one waiter through per set.
typedef struct QelEventRec* QelEventRef;
QEL_API QelEventRef QelCreateEvent(int32_t manualReset, int32_t initialState);
QEL_API int32_t QelSetEvent(QelEventRef event);
QEL_API int32_t QelResetEvent(QelEventRef event);
// 0 when signalled, QEL_WAIT_TIMEOUT otherwise; timeout < 0 waits for ever.
QEL_API uint32_t QelWaitEvent(QelEventRef event, int32_t timeout);
QEL_API void QelCloseEvent(QelEventRef event);

// Mutexes: owned by a thread, recursive; only the owner can release.
typedef struct QelMutexRec* QelMutexRef;
QEL_API QelMutexRef QelCreateMutex(int32_t initiallyOwned);
// 0 when acquired, QEL_WAIT_TIMEOUT otherwise; timeout < 0 waits for ever.
QEL_API uint32_t QelWaitMutex(QelMutexRef mutex, int32_t timeout);
// 1 when released; 0 when the calling thread does not own it.
QEL_API int32_t QelReleaseMutex(QelMutexRef mutex);
QEL_API void QelCloseMutex(QelMutexRef mutex);

// Critical sections: recursive locks held by the thread that entered them.
struct QelCriticalSection {
  void* impl = nullptr;
};
QEL_API int32_t QelInitCriticalSection(QelCriticalSection* section);
QEL_API int32_t QelEnterCriticalSection(QelCriticalSection* section);
QEL_API int32_t QelLeaveCriticalSection(QelCriticalSection* section);
QEL_API int32_t QelDeleteCriticalSection(QelCriticalSection* section);

// A critical section that lives as long as its object; usable with
// std::lock_guard.
class CQelCriticalSection {
 public:
  CQelCriticalSection() { QelInitCriticalSection(&m_section); }
  ~CQelCriticalSection() { QelDeleteCriticalSection(&m_section); }
  CQelCriticalSection(const CQelCriticalSection&) = delete;
  CQelCriticalSection& operator=(const CQelCriticalSection&) = delete;
  int32_t Lock() { return QelEnterCriticalSection(&m_section); }
  int32_t Unlock() { return QelLeaveCriticalSection(&m_section); }
  void lock() { Lock(); }
  void unlock() { Unlock(); }

 private:
  QelCriticalSection m_section;
};
