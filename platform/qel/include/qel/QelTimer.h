#pragma once
// Timers on the main loop, keyed by {owner, id}: a first delay, then an
// interval (0 = one shot, removed after it fires). Installing an id that is
// installed already leaves it alone. Main thread only.
#include <cstdint>

#include "qel/QelCore.h"

typedef void (*QELTIMERPROC)(void* owner, uint32_t id, void* data);

QEL_API int32_t QelInstallTimer(void* owner, uint32_t id, uint32_t first_ms, uint32_t interval_ms,
                                QELTIMERPROC proc, void* data);
QEL_API bool QelRemoveTimer(void* owner, uint32_t id);
QEL_API bool QelIsTimerInstalled(void* owner, uint32_t id);
QEL_API void QelRemoveTimersOf(void* owner);
// 1/60 s ticks of the toolkit clock (the manual clock when it is on).
QEL_API uint32_t QelTickCount();
QEL_API uint64_t QelNowMs();

namespace qel {
// The manual clock for tests: timers then fire only from AdvanceClock, in
// due order; a timer due now fires on AdvanceClock(0).
QEL_API void UseManualClock(bool on);
QEL_API bool ManualClock();
QEL_API void AdvanceClock(uint32_t ms);
}  // namespace qel
