#pragma once
// How many threads the next frame's chain gets: the frame's size sets the
// most, what more threads were seen to gain on this machine (now, under its
// present load) sets how many. A frame that one thread finishes within the
// budget stays on one: the least CPU. Otherwise the count doubles while a
// doubling cuts the frame's time by a quarter at least, and falls back when
// it does not. The choice is looked at again every few hundred frames.

#include <cstdint>
#include <vector>

class ThreadTuner {
 public:
  // A frame of 30 frames a second gets half its interval.
  static constexpr double kDefaultBudgetMs = 1000.0 / 30 / 2;
  static constexpr int32_t kSampleFrames = 5;  // frames timed per count tried
  static constexpr int32_t kRecheckFrames = 300;

  // most: the threads the frame could use at all (1 or more).
  explicit ThreadTuner(int32_t most, double budgetMs = kDefaultBudgetMs);

  int32_t Threads() const { return m_current; }
  // The frame just done, on Threads() threads, took this long.
  void Took(double ms);

 private:
  void Try(int32_t threads);
  double Median();

  int32_t m_most;
  double m_budget;
  int32_t m_current = 1;
  int32_t m_settled = 1;       // the count chosen last
  double m_settledMs = 0;      // its median frame time
  bool m_probing = true;       // timing a count not yet chosen
  int32_t m_skip = 1;          // frames not timed after a change (caches, the pool's start)
  int32_t m_sinceCheck = 0;
  std::vector<double> m_samples;
};
