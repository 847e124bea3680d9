#pragma once
// The small worker-thread base: a toolkit thread, a stop and a resume event
// (manual reset), and an Execute that a subclass fills in. Stopping is
// cooperative: the owner raises the stop event and Execute polls it with
// WaitForKill. A thread is never killed from outside; stopping a running
// one waits until its Execute has returned.
#include <atomic>
#include <cstdint>

#include "qel/QelSync.h"
#include "qel/QelThread.h"

namespace THREAD {

class CThread {
 public:
  // createSuspended: the thread starts at the first Resume. A subclass
  // creates it suspended and resumes once it is whole, since the thread
  // calls its Execute.
  explicit CThread(bool createSuspended);
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  virtual int32_t Execute() = 0;
  // Not held: raises the stop event and waits until Execute has returned.
  // Held (suspended): a thread that never started is discarded; one that
  // started is woken, asked to stop and waited for. true when done.
  virtual bool Kill();
  // true while the stop event is set (no waiting).
  virtual bool WaitForKill();
  // Raises the stop event and returns at once.
  virtual bool Kill_Ex();

  // The first call starts the thread; false when it could not start.
  bool Resume();
  // Takes effect only where Execute polls WaitForResume.
  bool Suspend();
  bool WaitForResume();
  // Asks a Kill that is waiting to give up waiting.
  void Terminate() { m_bTerminate = true; }
  // Waits until the thread has ended: the toolkit's wait answer.
  uint32_t WaitFor();
  // 1 suspended, 2 finished, 4 terminate requested.
  int32_t GetStatus() const;
  bool SetPriority(int32_t priority);

 protected:
  // Stops a running thread and waits for it; subclasses whose Execute uses
  // their own members call it from their destructor.
  void StopAndJoin();

 private:
  static uint32_t ThreadRoutine(void* self);

  std::atomic<bool> m_bSuspended;
  QelThreadRef m_hThread = nullptr;
  QelEventRef m_hStop = nullptr;
  QelEventRef m_hResume = nullptr;
  std::atomic<bool> m_bTerminate{false};
  std::atomic<bool> m_bFinished{false};
  int32_t m_nExitValue = 0;
  bool m_bNotStarted = true;
};

}  // namespace THREAD
