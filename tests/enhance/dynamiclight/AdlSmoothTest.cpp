// The map smoothing steps against a sample-by-sample statement of what they
// compute, on odd and even sizes, into a separate map and in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "AdlPyramid.h"
#include "AdlTables.h"

namespace {

// [1 2 1] down then across at coarse column j of coarse row k, edges repeated.
int32_t Smoothed(const std::vector<int16_t>& m, int32_t rows, int32_t cols, int32_t k, int32_t j) {
  auto at = [&](int32_t r, int32_t c) {
    return static_cast<int32_t>(m[static_cast<size_t>(std::clamp(r, 0, rows - 1)) * cols + std::clamp(c, 0, cols - 1)]);
  };
  auto vert = [&](int32_t c) { return (at(k - 1, c) + 2 * at(k, c) + at(k + 1, c)) >> 2; };
  return (vert(std::max(j - 1, 0)) + 2 * vert(j) + vert(std::min(j + 1, cols - 1))) >> 2;
}

std::vector<int16_t> Noise(size_t n, int lo, int hi, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(lo, hi);
  std::vector<int16_t> v(n);
  for (auto& x : v) x = static_cast<int16_t>(d(rng));
  return v;
}

struct Size { int32_t rows, cols; };
const Size kSizes[] = {{1, 1}, {1, 7}, {2, 2}, {3, 5}, {8, 33}, {17, 64}, {31, 130}};

TEST(AdlSmooth, DoubleBlendMatchesEachSample) {
  for (const Size& c : kSizes) {
    for (int fineExtra : {0, 1}) {  // fine sides 2n and 2n - 1
      const int32_t fr = std::max(1, 2 * c.rows - fineExtra), fc = std::max(1, 2 * c.cols - fineExtra);
      const auto coarse = Noise(static_cast<size_t>(c.rows) * c.cols, 0, 6000, 1 + c.cols);
      const auto fine = Noise(static_cast<size_t>(fr) * fc, 0, 6000, 2 + c.rows);
      std::vector<int16_t> out(fine.size(), -1), inPlace = fine;
      adl::SmoothDoubleBlend(coarse.data(), c.rows, c.cols, fine.data(), out.data(), fr, fc, 300, 724);
      adl::SmoothDoubleBlend(coarse.data(), c.rows, c.cols, inPlace.data(), inPlace.data(), fr, fc, 300, 724);
      for (int32_t y = 0; y < fr; ++y)
        for (int32_t x = 0; x < fc; ++x) {
          const size_t i = static_cast<size_t>(y) * fc + x;
          const int32_t want = (Smoothed(coarse, c.rows, c.cols, y / 2, x / 2) * 300 + fine[i] * 724) >> 10;
          ASSERT_EQ(out[i], want) << c.rows << "x" << c.cols << " at " << y << "," << x;
          ASSERT_EQ(inPlace[i], want) << c.rows << "x" << c.cols << " in place at " << y << "," << x;
        }
    }
  }
}

TEST(AdlSmooth, DoubleBlendYUVMatchesEachSample) {
  const int16_t* sqrtTable = adl::SqrtTable();
  for (const Size& c : kSizes) {
    const size_t n = static_cast<size_t>(c.rows) * c.cols;
    // Differences past the table's reach take the square-root branch too.
    const auto avg0 = Noise(n, 0, 6000, 3 + c.cols), log0 = Noise(n, -9000, 9000, 4 + c.rows);
    auto avg = avg0, logs = log0;
    std::vector<int16_t> line(c.cols);
    ASSERT_EQ(adl::SmoothDoubleBlendYUV(avg.data(), logs.data(), c.rows, c.cols, 200, 824, line.data(), c.cols), 0);
    for (int32_t y = 0; y < c.rows; ++y)
      for (int32_t x = 0; x < c.cols; ++x) {
        const size_t i = static_cast<size_t>(y) * c.cols + x;
        const int32_t l = log0[i];
        const int32_t s = (Smoothed(avg0, c.rows, c.cols, y, x) * 200 + l * 824) >> 10;
        ASSERT_EQ(logs[i], static_cast<int16_t>(s)) << c.rows << "x" << c.cols << " at " << y << "," << x;
        ASSERT_EQ(avg[i], static_cast<int16_t>(adl::SoftMagnitude(sqrtTable, l - s))) << y << "," << x;
      }
    EXPECT_EQ(adl::SmoothDoubleBlendYUV(avg.data(), logs.data(), c.rows, c.cols, 200, 824, line.data(), c.cols - 1), 4);
  }
}

}  // namespace
