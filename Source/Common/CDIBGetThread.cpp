#include "CDIBGetThread.h"

CDIBGetThread* CDIBGetThread::m_spThis = nullptr;

CDIBGetThread::CDIBGetThread(int32_t startIndex, const void* first, const void* second, Callback callback)
    : CThread(true), m_nStart(startIndex), m_pFirst(first), m_pSecond(second), m_pCallback(callback) {
  delete m_spThis;  // its destructor stops it and waits
  Resume();
  m_spThis = this;
}

CDIBGetThread::~CDIBGetThread() {
  Kill();
  // Execute reads this object's members: it must have ended before they go.
  StopAndJoin();
  if (m_spThis == this) m_spThis = nullptr;
}

void CDIBGetThread::StopCurrent() { delete m_spThis; }

int32_t CDIBGetThread::Execute() {
  for (int32_t index = m_nStart;; ++index) {
    if (WaitForKill() || !m_pCallback) break;
    if (m_pCallback(index, m_pFirst, m_pSecond) == 0) break;
  }
  return 0;
}
