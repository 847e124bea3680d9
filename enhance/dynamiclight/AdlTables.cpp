#include "AdlTables.h"

#include <cmath>

namespace adl {
namespace {

struct Tables {
  int16_t log[256];
  int16_t sqrt[kSqrtTableSize];
  int16_t div[kDivTableSize + 1];  // and a spare 0: a 32-bit gather of the last entry stays inside

  Tables() {
    for (int n = 0; n < 256; ++n)
      log[n] = static_cast<int16_t>(std::floor(1024.0 * std::log(static_cast<double>(n + 1))));
    for (int k = 0; k < kSqrtTableSize; ++k)
      sqrt[k] = static_cast<int16_t>(std::floor(32.0 * std::sqrt(static_cast<double>(2 * k + 64))));
    div[0] = 32767;
    for (int k = 1; k < kDivTableSize; ++k) {
      double v = std::floor(344064.0 / k + 0.5);
      div[k] = static_cast<int16_t>(v > 32767.0 ? 32767.0 : v);
    }
  }
};

const Tables& All() {
  static const Tables tables;
  return tables;
}

}  // namespace

const int16_t* LogTable() { return All().log; }
const int16_t* SqrtTable() { return All().sqrt; }
const int16_t* DivTable() { return All().div; }

}  // namespace adl
