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
  double workNs = -1;  // the strips' time summed over the threads (-1: never run)
  double gapNs = -1;   // from its end to the next step on the workers' start (-1: not seen)
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
