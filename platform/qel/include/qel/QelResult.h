#pragma once
// How the toolkit's system calls answer (one convention for all of them):
//  - file, folder, path-test, event-set and lock calls answer like Win32
//    BOOLs: non-zero for success, 0 for failure;
//  - waits answer like Win32 waits: 0 when the thread ended, the event was
//    signalled or the mutex acquired, QEL_WAIT_TIMEOUT when the time ran out,
//    QEL_WAIT_FAILED for a bad handle;
//  - QelResumeThread answers the previous suspend count, QEL_RESUME_FAILED
//    (all bits set) on failure;
//  - handle-creating calls answer null on failure.
#include <cstdint>

constexpr uint32_t QEL_WAIT_OBJECT_0 = 0;
constexpr uint32_t QEL_WAIT_TIMEOUT = 0x102;
constexpr uint32_t QEL_WAIT_FAILED = 0xFFFFFFFFu;
constexpr uint32_t QEL_RESUME_FAILED = 0xFFFFFFFFu;
// A time-out that never runs out (any negative value does the same).
constexpr int32_t QEL_INFINITE = -1;
