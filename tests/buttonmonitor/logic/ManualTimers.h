#pragma once
// Timers on a manual clock: Advance() fires what falls due, in time order.
#include <chrono>
#include <map>
#include <utility>

#include "BMTimers.h"

class ManualTimers : public BMTimers {
 public:
  using ms = std::chrono::milliseconds;

  Id Schedule(ms interval, bool repeats, Callback fire) override {
    Id id = next_++;
    timers_[id] = Timer{now_ + interval, interval, repeats, std::move(fire)};
    return id;
  }
  void Invalidate(Id id) override { timers_.erase(id); }

  void Advance(ms by) {
    ms until = now_ + by;
    for (;;) {
      auto due = timers_.end();
      for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= until && (due == timers_.end() || it->second.due < due->second.due)) due = it;
      }
      if (due == timers_.end()) break;
      now_ = due->second.due;
      Id id = due->first;
      Callback fire = due->second.fire;
      if (due->second.repeats) due->second.due += due->second.interval;
      else timers_.erase(due);
      fire(id);
    }
    now_ = until;
  }

  ms now() const { return now_; }
  size_t pending() const { return timers_.size(); }

 private:
  struct Timer {
    ms due;
    ms interval;
    bool repeats;
    Callback fire;
  };
  std::map<Id, Timer> timers_;  // ties fire in the order they were made
  Id next_ = 1;
  ms now_{0};
};
