#pragma once
// Threads. A thread is created suspended and starts at QelResumeThread (or
// at once with QEL_THREAD_START_NOW). There is no forced termination: a
// thread that never started is simply never started; one that runs must be
// asked to stop by its owner (a flag or event) and is then joined.
#include "qel/QelResult.h"
#include "qel/QelTypes.h"

typedef struct QelThreadRec* QelThreadRef;
typedef uint32_t (*QelThreadEntry)(void* argument);

constexpr uint32_t QEL_THREAD_START_NOW = 1;

// Null when the thread could not be made. stackSize 0: the default.
QEL_API QelThreadRef QelCreateThread(QelThreadEntry entry, void* argument, uint32_t flags,
                                     uint32_t stackSize);
// Starts a created thread: answers 1 when it was waiting to start, 0 when it
// already ran, QEL_RESUME_FAILED for a null or terminated thread or when the
// system refused to start it.
QEL_API uint32_t QelResumeThread(QelThreadRef thread);
// 0 once the thread has ended (or was terminated before it started);
// QEL_WAIT_TIMEOUT when milliseconds ran out; QEL_WAIT_FAILED for a null
// thread, or for one that was never started (it would never end).
QEL_API uint32_t QelWaitThread(QelThreadRef thread, int32_t milliseconds);
// Never-started: it will never run, its exit code is set; answers 1.
// Started: waits until it ends (the caller has asked it to stop); answers 1,
// or 0 when called from the thread itself or for a null thread.
QEL_API int32_t QelTerminateThread(QelThreadRef thread, uint32_t exitCode);
// The entry's answer (or the termination code); 0 while it has not ended.
QEL_API int32_t QelGetThreadExitCode(QelThreadRef thread, uint32_t* exitCode);
// Accepted and kept; ordinary users cannot raise priorities on Linux.
QEL_API int32_t QelSetThreadPriority(QelThreadRef thread, int32_t priority);
// Drops the handle. A running thread runs on and cleans up after itself; a
// never-started one is discarded.
QEL_API void QelCloseThreadRef(QelThreadRef thread);
QEL_API void QelSleep(uint32_t milliseconds);
