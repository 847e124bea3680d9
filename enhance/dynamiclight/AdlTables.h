#pragma once
// Constant tables of the dynamic light, built once on first use.

#include <cstdint>

namespace adl {

constexpr int kSqrtTableSize = 3072;
constexpr int kDivTableSize = 3072;

// floor(1024 * ln(n + 1)) for a luma value n.
const int16_t* LogTable();
// floor(32 * sqrt(2k + 64)), k = d*d >> 11.
const int16_t* SqrtTable();
// min(32767, floor(344064 / k + 0.5)); entry 0 is 32767.
const int16_t* DivTable();

// Approximates sqrt(d*d + 65536): never below 256, saturating at 5798.
inline int32_t SoftMagnitude(const int16_t* sqrtTable, int32_t d);

}  // namespace adl

#include <cmath>

namespace adl {
inline int32_t SoftMagnitude(const int16_t* sqrtTable, int32_t d) {
  int32_t q = d * d;
  if ((q >> 10) < 6144) return sqrtTable[q >> 11];
  int32_t v = q >> 10;
  if (v > 32767) v = 32767;
  return static_cast<int32_t>(32.0 * std::sqrt(static_cast<double>(v + 64)));
}
}  // namespace adl
