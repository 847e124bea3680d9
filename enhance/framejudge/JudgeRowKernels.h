#pragma once
// Vertical second difference of one row: D = |up + down - 2 * row| per
// sample. Gives the sum of D and how many samples reach 16. Scalar, SSE2 and
// AVX2 forms give the same counts; JudgeRow dispatches on the active form.

#include <cstdint>

namespace afj {

struct RowStats {
  uint64_t sum = 0;
  int32_t strong = 0;  // samples with D >= 16
};

RowStats JudgeRow(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width);

RowStats JudgeRowScalar(const uint8_t* up, const uint8_t* row, const uint8_t* down,
                        int32_t begin, int32_t width);
RowStats JudgeRowSSE2(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width);
RowStats JudgeRowAVX2(const uint8_t* up, const uint8_t* row, const uint8_t* down, int32_t width);

}  // namespace afj
