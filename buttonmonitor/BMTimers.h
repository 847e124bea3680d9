#pragma once
// Timers of the monitor's event loop: one-shot or repeating, each fired
// with its own id so a callback can tell which timer it is.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class BMTimers {
 public:
  using Id = uint64_t;
  using Callback = std::function<void(Id)>;
  virtual ~BMTimers() = default;
  virtual Id Schedule(std::chrono::milliseconds interval, bool repeats, Callback fire) = 0;
  // Stops a timer; harmless for a timer that already ended, also from inside
  // its own callback.
  virtual void Invalidate(Id id) = 0;
};

// Timers on the default GLib main context.
class BMGLibTimers : public BMTimers {
 public:
  ~BMGLibTimers() override;
  Id Schedule(std::chrono::milliseconds interval, bool repeats, Callback fire) override;
  void Invalidate(Id id) override;

 private:
  struct Entry;
  static int Dispatch(void* data);
  std::map<Id, std::shared_ptr<Entry>> entries_;
  Id next_ = 1;
};
