#include "ThreadTuner.h"

#include <algorithm>

ThreadTuner::ThreadTuner(int32_t most, double budgetMs) : m_most(std::max(most, 1)), m_budget(budgetMs) {
  m_samples.reserve(kSampleFrames);
}

void ThreadTuner::Try(int32_t threads) {
  m_current = threads;
  m_samples.clear();
  m_skip = 1;
  m_probing = true;
}

double ThreadTuner::Median() {
  std::sort(m_samples.begin(), m_samples.end());
  return m_samples[m_samples.size() / 2];
}

void ThreadTuner::Took(double ms) {
  if (m_skip > 0) {
    --m_skip;
    return;
  }
  if (!m_probing) {
    // Looked at again now and then: the load on the machine changes.
    if (++m_sinceCheck >= kRecheckFrames) {
      m_sinceCheck = 0;
      m_settled = 1;
      m_settledMs = 0;
      Try(1);
    }
    return;
  }
  m_samples.push_back(ms);
  if (static_cast<int32_t>(m_samples.size()) < kSampleFrames) return;
  const double median = Median();
  m_probing = false;
  m_sinceCheck = 0;
  if (m_current == m_settled) {
    // The base count (one thread): enough within the budget.
    m_settledMs = median;
  } else if (median <= 0.75 * m_settledMs) {
    m_settled = m_current;
    m_settledMs = median;
  } else {
    // More threads did not pay: back to the last count that did.
    m_current = m_settled;
    m_skip = 1;
    return;
  }
  if (m_settledMs > m_budget && m_settled < m_most) Try(std::min(m_settled * 2, m_most));
}
