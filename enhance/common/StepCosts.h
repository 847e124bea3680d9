#pragma once
// What each parallel step of a frame was seen to cost, so that the next
// frame's same step gets the threads it is worth: a step is known by where
// it is called from (its task's type) and its size, which repeat from one
// frame to the next. Only the thread that runs the steps uses it.

#include <cstddef>
#include <cstdint>
#include <typeinfo>
#include <unordered_map>

namespace enh {

struct StepCost {
  // Thread counts a step is tried on: 1, 2, 4, ... up to the pool's.
  static constexpr int32_t kLevels = 8;

  double gapNs = -1;   // from its end to the next step on the workers' start (-1: not seen)
  // Its time from start to end on each level's count of threads (-1: not seen).
  double wallNs[kLevels] = {-1, -1, -1, -1, -1, -1, -1, -1};
  // What its threads spent on each level's count: their strips' time, summed.
  double workNs[kLevels] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int32_t level = 0;       // the count it runs on now
  int32_t runs = 0;        // runs on that count since it was chosen
  int32_t untilProbe = 0;  // runs before one more level is tried
  int32_t backoff = 0;     // runs between tries while more did not pay
  int32_t sinceSingle = 0; // runs since its time on one thread was last taken
};

class StepCosts {
 public:
  // The entry of the step called from `site` with `size` (made on first use).
  // Entries stay where they are for the table's life.
  StepCost& Of(const std::type_info& site, int32_t size);
  // Folds a new sample into a running figure (the first one is taken whole).
  static void Fold(double& figure, double sample);

 private:
  static constexpr size_t kMostSteps = 4096;
  struct Key {
    const std::type_info* site;
    int32_t size;
    bool operator==(const Key&) const = default;
  };
  struct Hash {
    size_t operator()(const Key& k) const { return k.site->hash_code() * 31 + static_cast<size_t>(k.size); }
  };
  std::unordered_map<Key, StepCost, Hash> m_steps;
  StepCost m_spare;  // shared by the steps past the table's bound
};

}  // namespace enh
