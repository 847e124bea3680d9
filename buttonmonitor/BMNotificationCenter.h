#pragma once
// The monitor's in-process notifications: named integer values posted on
// the main thread to whoever observes the name. The debug bundle receives
// the monitor's centre by pointer; everything here is inline so both sides
// compile the same code and nothing crosses the boundary but the object.
#include <functional>
#include <map>
#include <string>
#include <vector>

inline constexpr char kBMWebCamSystemStatusChange[] = "KestruneBMWebCamSystemStatusChange";
inline constexpr char kBMZoomBtnStateChange[] = "KestruneBMZoomBtnStateChange";

class BMNotificationCenter {
 public:
  using Observer = std::function<void(int value)>;

  void addObserver(const std::string& name, Observer observer) {
    _observers[name].push_back(std::move(observer));
  }

  void postNotificationName(const std::string& name, int value) {
    auto it = _observers.find(name);
    if (it == _observers.end()) return;
    // Observers added while posting hear the next notification.
    std::vector<Observer> now = it->second;
    for (const Observer& o : now) o(value);
  }

 private:
  std::map<std::string, std::vector<Observer>> _observers;
};
