#include "CThread.h"

namespace THREAD {

CThread::CThread(bool createSuspended) : m_bSuspended(createSuspended) {
  m_hStop = QelCreateEvent(1, 0);
  m_hResume = QelCreateEvent(1, 0);
  m_hThread = QelCreateThread(&CThread::ThreadRoutine, this, 0, 0);
  if (!createSuspended) Resume();
}

CThread::~CThread() {
  StopAndJoin();
  if (m_hThread) QelCloseThreadRef(m_hThread);  // a never-started thread is discarded
  m_hThread = nullptr;
  m_bFinished = true;
  // The events go last: a running thread polls them until it has ended.
  QelCloseEvent(m_hStop);
  QelCloseEvent(m_hResume);
  m_hStop = m_hResume = nullptr;
}

uint32_t CThread::ThreadRoutine(void* self) {
  auto* thread = static_cast<CThread*>(self);
  thread->Execute();
  thread->m_bFinished = true;
  QelResetEvent(thread->m_hStop);
  return uint32_t(thread->m_nExitValue);
}

bool CThread::Resume() {
  if (m_bNotStarted) {
    if (!m_hThread || QelResumeThread(m_hThread) == QEL_RESUME_FAILED) return false;
    m_bNotStarted = false;
  }
  m_bSuspended = false;
  QelSetEvent(m_hResume);
  return true;
}

bool CThread::Suspend() {
  QelResetEvent(m_hResume);
  m_bSuspended = true;
  return true;
}

bool CThread::WaitForKill() { return QelWaitEvent(m_hStop, 0) == QEL_WAIT_OBJECT_0; }

bool CThread::WaitForResume() { return QelWaitEvent(m_hResume, 0) == QEL_WAIT_OBJECT_0; }

bool CThread::Kill_Ex() {
  QelSetEvent(m_hStop);
  return true;
}

bool CThread::Kill() {
  if (m_bNotStarted) {
    // Held since it was made: it never runs.
    if (!m_hThread || !QelTerminateThread(m_hThread, 1)) return false;
    m_bTerminate = true;
    m_bFinished = true;
    return true;
  }
  QelSetEvent(m_hStop);
  QelSetEvent(m_hResume);  // a held Execute must see the stop to end
  // Joined rather than polled; Terminate() from another thread gives up.
  while (!m_bFinished && !m_bTerminate) {
    if (QelWaitThread(m_hThread, 100) == QEL_WAIT_OBJECT_0) break;
  }
  return true;
}

void CThread::StopAndJoin() {
  if (m_bNotStarted || !m_hThread) return;
  QelSetEvent(m_hStop);
  QelSetEvent(m_hResume);
  QelWaitThread(m_hThread, QEL_INFINITE);
}

uint32_t CThread::WaitFor() { return QelWaitThread(m_hThread, QEL_INFINITE); }

int32_t CThread::GetStatus() const {
  return (m_bSuspended ? 1 : 0) | (m_bFinished ? 2 : 0) | (m_bTerminate ? 4 : 0);
}

bool CThread::SetPriority(int32_t priority) { return QelSetThreadPriority(m_hThread, priority) == 1; }

}  // namespace THREAD
