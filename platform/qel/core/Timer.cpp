// Timers keyed by {owner, id} on the default GMainContext, or on the manual
// clock for tests.
#include <glib.h>

#include <map>
#include <memory>
#include <utility>

#include "qel/QelTimer.h"

namespace {

struct TimerRec {
  void* owner;
  uint32_t id;
  uint32_t interval;
  QELTIMERPROC proc;
  void* data;
  guint source = 0;      // real clock
  uint64_t due = 0;      // manual clock
  uint64_t order = 0;    // install order breaks ties
  bool first = true;
};

using Key = std::pair<void*, uint32_t>;
std::map<Key, std::shared_ptr<TimerRec>> g_timers;
bool g_manual = false;
uint64_t g_manual_now = 0;
uint64_t g_order = 0;

gboolean OnSource(gpointer p);

void Schedule(const std::shared_ptr<TimerRec>& t, uint32_t delay) {
  if (g_manual) {
    t->due = g_manual_now + delay;
    return;
  }
  auto* key = new Key(t->owner, t->id);
  auto destroy = [](gpointer k) { delete static_cast<Key*>(k); };
  t->source = delay == 0 ? g_idle_add_full(G_PRIORITY_DEFAULT, OnSource, key, destroy)
                         : g_timeout_add_full(G_PRIORITY_DEFAULT, delay, OnSource, key, destroy);
}

// Fires one timer; answers whether its source should stay.
bool Fire(const std::shared_ptr<TimerRec>& t) {
  bool was_first = t->first;
  t->first = false;
  if (t->interval == 0) g_timers.erase(Key(t->owner, t->id));  // one shot
  t->proc(t->owner, t->id, t->data);
  auto it = g_timers.find(Key(t->owner, t->id));
  if (it == g_timers.end() || it->second != t) return false;  // removed meanwhile
  if (g_manual) {
    t->due += t->interval;
    return false;
  }
  if (was_first) {
    t->source = 0;
    Schedule(t, t->interval);  // from now on the interval
    return false;
  }
  return true;
}

gboolean OnSource(gpointer p) {
  auto* key = static_cast<Key*>(p);
  auto it = g_timers.find(*key);
  if (it == g_timers.end()) return G_SOURCE_REMOVE;
  std::shared_ptr<TimerRec> t = it->second;
  bool keep = Fire(t);  // a first fire moves onto a new source for the interval
  return keep ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

}  // namespace

int32_t QelInstallTimer(void* owner, uint32_t id, uint32_t first_ms, uint32_t interval_ms,
                        QELTIMERPROC proc, void* data) {
  if (!proc) return QEL_E_POINTER;
  Key key(owner, id);
  if (g_timers.count(key)) return QEL_S_OK;  // already installed: left alone
  auto t = std::make_shared<TimerRec>();
  t->owner = owner;
  t->id = id;
  t->interval = interval_ms;
  t->proc = proc;
  t->data = data;
  t->order = g_order++;
  g_timers[key] = t;
  Schedule(t, first_ms);
  return QEL_S_OK;
}

bool QelRemoveTimer(void* owner, uint32_t id) {
  auto it = g_timers.find(Key(owner, id));
  if (it == g_timers.end()) return false;
  if (it->second->source) g_source_remove(it->second->source);
  it->second->source = 0;
  g_timers.erase(it);
  return true;
}

bool QelIsTimerInstalled(void* owner, uint32_t id) { return g_timers.count(Key(owner, id)) != 0; }

void QelRemoveTimersOf(void* owner) {
  for (auto it = g_timers.begin(); it != g_timers.end();) {
    if (it->first.first == owner) {
      if (it->second->source) g_source_remove(it->second->source);
      it = g_timers.erase(it);
    } else {
      ++it;
    }
  }
}

uint64_t QelNowMs() {
  if (g_manual) return g_manual_now;
  return uint64_t(g_get_monotonic_time() / 1000);
}

uint32_t QelTickCount() { return uint32_t(QelNowMs() * 60 / 1000); }

namespace qel {

void UseManualClock(bool on) {
  if (on == g_manual) return;
  // Timers already installed move to the other clock, due after their interval.
  std::map<Key, std::shared_ptr<TimerRec>> timers = g_timers;
  for (auto& [key, t] : timers) {
    if (t->source) g_source_remove(t->source);
    t->source = 0;
  }
  g_manual = on;
  for (auto& [key, t] : timers) Schedule(t, t->first ? 0 : t->interval);
}

bool ManualClock() { return g_manual; }

void AdvanceClock(uint32_t ms) {
  if (!g_manual) return;
  uint64_t target = g_manual_now + ms;
  for (;;) {
    std::shared_ptr<TimerRec> next;
    for (auto& [key, t] : g_timers) {
      if (t->due > target) continue;
      if (!next || t->due < next->due || (t->due == next->due && t->order < next->order)) next = t;
    }
    if (!next) break;
    if (next->due > g_manual_now) g_manual_now = next->due;
    Fire(next);
  }
  g_manual_now = target;
}

}  // namespace qel
