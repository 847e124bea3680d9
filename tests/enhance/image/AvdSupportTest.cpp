#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "KernelForm.h"
#include "image/AvdSupport.h"

TEST(AvdSupport, WeightTableHasTheSixtyFourRoundedWeights) {
  AvdNLTable t;
  ASSERT_EQ(avdCreateNLTable(nullptr, &t), 0);
  ASSERT_EQ(t.count, 64);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(t.table) % 16, 0u);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(t.table[k], static_cast<int>(std::floor(16 * std::exp(-k / 16.0) + 0.5))) << k;
  EXPECT_EQ(t.table[0], 16);
  EXPECT_EQ(t.table[38], 1);
  EXPECT_EQ(t.table[55], 1);
  EXPECT_EQ(t.table[56], 0);
  avdReleaseNLTable(nullptr, &t);
  EXPECT_EQ(t.table, nullptr);
  EXPECT_EQ(t.count, 0);
  avdReleaseNLTable(nullptr, &t);
  avdReleaseNLTable(nullptr, nullptr);
}

TEST(AvdSupport, IntegralOfOnePixel) {
  const uint8_t v = 255;
  uint16_t sums[2 * 3];
  uint32_t squares[2 * 3];
  std::memset(sums, 0xEE, sizeof sums);
  std::memset(squares, 0xEE, sizeof squares);
  ASSERT_EQ(avdIntegral(&v, 1, 0x10, sums, squares, 3, 1, 1), 0);
  EXPECT_EQ(sums[0], 0);
  EXPECT_EQ(sums[1], 0);
  EXPECT_EQ(sums[2], 0);
  EXPECT_EQ(sums[3], 0);
  EXPECT_EQ(sums[4], 255);
  EXPECT_EQ(squares[4], 65025u);
  EXPECT_EQ(avdIntegral(&v, 1, 0x10, sums, squares, 1, 1, 1), -2);
  // Other kinds do nothing.
  sums[4] = 1;
  EXPECT_EQ(avdIntegral(&v, 1, 0x20, sums, squares, 3, 1, 1), 0);
  EXPECT_EQ(sums[4], 1);
}

TEST(AvdSupport, IntegralSumsWrapAndReadSignedSamples) {
  // 300 samples of 255 in one row: 76500 wraps to 10964.
  std::vector<uint8_t> row(300, 255);
  std::vector<uint16_t> sums(2 * 301);
  ASSERT_EQ(avdIntegral(row.data(), 300, 0x10, sums.data(), nullptr, 301, 300, 1), 0);
  EXPECT_EQ(sums[301 + 300], static_cast<uint16_t>(76500));
  const uint8_t s[2] = {static_cast<uint8_t>(-3), static_cast<uint8_t>(-4)};
  uint16_t ss[2 * 3];
  uint32_t sq[2 * 3];
  ASSERT_EQ(avdIntegral(s, 2, 0x110, ss, sq, 3, 2, 1), 0);
  EXPECT_EQ(static_cast<int16_t>(ss[5]), -7);
  EXPECT_EQ(sq[5], 25u);
}

TEST(AvdSupport, CopiesAndClearing) {
  for (KernelForm form : {KernelForm::Scalar, KernelForm::SSE2}) {
    ForceKernelForm(form);
    std::vector<uint8_t> src(203), dst(203, 0);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 3);
    avdJMemCpy(dst.data() + 1, src.data() + 2, 201);
    EXPECT_EQ(std::memcmp(dst.data() + 1, src.data() + 2, 201), 0);
    EXPECT_EQ(avdJMemSetZero(dst.data() + 3, 199), dst.data() + 202);
    EXPECT_EQ(dst[2], src[3]);
    EXPECT_EQ(dst[3], 0);
    EXPECT_EQ(dst[201], 0);
    EXPECT_EQ(dst[202], 0);

    std::vector<uint8_t> img(5 * 7, 1), out(5 * 9, 0);
    avdJImgMemCpy(out.data(), 9, img.data(), 7, 6, 5);
    for (int y = 0; y < 5; ++y) {
      EXPECT_EQ(out[y * 9 + 5], 1);
      EXPECT_EQ(out[y * 9 + 6], 0);
    }
    avdJImgMemCpy(img.data(), 7, img.data(), 7, 6, 5);  // same address: nothing
  }
  ResetKernelForm();
}

namespace {
int32_t Twice(void* arg) {
  *static_cast<int*>(arg) *= 2;
  return 0;
}
}  // namespace

TEST(AvdSupport, WorkRunsEveryTaskInOrder) {
  int a = 1, b = 2, c = 3;
  void* args[3] = {&a, &b, &c};
  DoWork_Parallel(Twice, args, 3);
  EXPECT_EQ(a + b + c, 12);
}
