#pragma once
// One toolkit critical section (recursive), held by the thread that locks it.
#include "qel/QelSync.h"

class CORVLock {
 public:
  CORVLock() { QelInitCriticalSection(&m_section); }
  ~CORVLock() { QelDeleteCriticalSection(&m_section); }
  CORVLock(const CORVLock&) = delete;
  CORVLock& operator=(const CORVLock&) = delete;

  int32_t Lock() { return QelEnterCriticalSection(&m_section); }
  int32_t UnLock() { return QelLeaveCriticalSection(&m_section); }

 private:
  QelCriticalSection m_section;
};
