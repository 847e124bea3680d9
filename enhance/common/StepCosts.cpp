#include "StepCosts.h"

namespace enh {

StepCost& StepCosts::Of(const std::type_info& site, int32_t size) {
  // A frame has a few dozen steps; a caller that made sizes without end
  // would share one entry past the bound rather than grow the table.
  const Key key{&site, size};
  if (m_steps.size() >= kMostSteps) {
    auto it = m_steps.find(key);
    return it != m_steps.end() ? it->second : m_spare;
  }
  return m_steps[key];
}

void StepCosts::Fold(double& figure, double sample) {
  // A quarter of each new sample: one slow frame (the machine busy
  // elsewhere) moves a figure only a little.
  figure = figure < 0 ? sample : figure + (sample - figure) / 4;
}

}  // namespace enh

