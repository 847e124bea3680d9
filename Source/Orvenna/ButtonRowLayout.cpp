#include "ButtonRowLayout.h"

int32_t ButtonRowLeftMargin(int32_t panelWidth, int32_t iconWidth, size_t count, double ratio) {
  const double gap = 15.0 * ratio;
  const double pitch = gap + iconWidth;
  if (count == 0 || pitch <= 0.0) return 0;
  const double perRow = static_cast<double>(static_cast<int64_t>((panelWidth + gap) / pitch));
  if (perRow >= static_cast<double>(count)) return 0;
  // Half of them per row, rounded up: 3 icons give rows of 2, not of 1.
  const double n = static_cast<double>(static_cast<int64_t>(0.5 + static_cast<double>(count) / 2.0));
  return static_cast<int32_t>((panelWidth + gap - pitch * n) / 2.0);
}
