// Values the kernels must give.
#include <gtest/gtest.h>

#include <vector>

#include "FormsFixture.h"
#include "image/AvdImageRecord.h"
#include "pyramid/PyramidKernels.h"

class PyramidKernelValues : public ::testing::TestWithParam<KernelForm> {
 protected:
  void SetUp() override { ForceKernelForm(GetParam()); }
  void TearDown() override { ResetKernelForm(); }
};

TEST_P(PyramidKernelValues, SplitsAndRestoresAYC1YC2Row) {
  const int w = 34;
  std::vector<uint8_t> packed(2 * w), y(w), u(w / 2), v(w / 2);
  for (int i = 0; i < 2 * w; ++i) packed[i] = static_cast<uint8_t>(i * 7 + 1);
  avdAccessChannel_YC1YC2_SSE2(packed.data(), 2 * w, y.data(), w, u.data(), w / 2, v.data(), w / 2, w, 1, 1);
  for (int x = 0; x < w; ++x) EXPECT_EQ(y[x], packed[2 * x]);
  for (int i = 0; i < w / 2; ++i) {
    EXPECT_EQ(u[i], packed[4 * i + 1]);
    EXPECT_EQ(v[i], packed[4 * i + 3]);
  }
  std::vector<uint8_t> back(2 * w, 0);
  avdAccessChannel_YC1YC2_SSE2(back.data(), 2 * w, y.data(), w, u.data(), w / 2, v.data(), w / 2, w, 1, 0);
  EXPECT_EQ(back, packed);
}

TEST_P(PyramidKernelValues, LumaWriteBackKeepsChroma) {
  const int w = 37;
  std::vector<uint8_t> packed(2 * w), y(w, 9);
  for (int i = 0; i < 2 * w; ++i) packed[i] = static_cast<uint8_t>(200 - i);
  const auto before = packed;
  avdAccessLuminChannel_YC1YC2_SSE2(packed.data(), 2 * w, y.data(), w, w, 1, 0);
  for (int i = 0; i < 2 * w; ++i) EXPECT_EQ(packed[i], i % 2 ? before[i] : 9) << i;
}

TEST_P(PyramidKernelValues, AbsoluteSums) {
  std::vector<uint8_t> minusOne(100 * 3, 0xFF), minus128(70 * 2, 0x80);
  EXPECT_EQ(ImgABS_I8_SSE2(minusOne.data(), 100, 100, 3), 300);
  EXPECT_EQ(ImgABS_I8_SSE2(minus128.data(), 70, 70, 2), 128 * 140);
  EXPECT_EQ(ImgABS_I8_SSE2(minusOne.data(), 50, 100, 3), -2);
}

TEST_P(PyramidKernelValues, ScalingTable) {
  struct Case {
    int32_t factor;
    int8_t in, out;
  } cases[] = {{128, 100, 50}, {128, -100, -50}, {128, -1, 0}, {512, 100, 127}, {512, -1, -2},
               {256, -77, -77}, {0, 55, 0},     {384, 100, 127}, {384, -10, -15}, {65536, 1, 127}};
  for (const auto& c : cases) {
    std::vector<uint8_t> src(40, static_cast<uint8_t>(c.in)), dst(40, 0);
    ImgMultiConst_I8_SSE2(src.data(), 40, dst.data(), 40, 40, 1, c.factor);
    for (uint8_t b : dst) ASSERT_EQ(static_cast<int8_t>(b), c.out) << c.factor << " " << int(c.in);
  }
}

TEST_P(PyramidKernelValues, SubtractAndAddSaturate) {
  std::vector<uint8_t> a(20, 255), b(20, 0), out(20);
  ImgSubtract_U8U8I8_SSE(a.data(), 20, b.data(), 20, out.data(), 20, 20, 1);
  for (uint8_t o : out) EXPECT_EQ(static_cast<int8_t>(o), 127);
  std::vector<uint8_t> hi(20, 250), up(20, 10), lo(20, 5), down(20, static_cast<uint8_t>(-10));
  ImgAdd_U8I8U8_SSE(hi.data(), 20, up.data(), 20, out.data(), 20, 20, 1);
  for (uint8_t o : out) EXPECT_EQ(o, 255);
  ImgAdd_U8I8U8_SSE(lo.data(), 20, down.data(), 20, out.data(), 20, 20, 1);
  for (uint8_t o : out) EXPECT_EQ(o, 0);
}

TEST_P(PyramidKernelValues, ConstantCoarseLevelGivesZeroDetailsAndBack) {
  const int cw = 20, ch = 6, fw = 40, fh = 12;
  std::vector<uint8_t> coarse(cw * ch, 77), fine(fw * fh, 77);
  AnalysisBlock_U8_SSE2(fine.data(), fw, 0, fw, 0, fh, coarse.data(), cw, cw, ch);
  for (uint8_t d : fine) ASSERT_EQ(d, 0);
  SynthesisBlock_U8_SSE2(fine.data(), fw, 0, fw, 0, fh, coarse.data(), cw, cw, ch);
  for (uint8_t s : fine) ASSERT_EQ(s, 77);
}

TEST_P(PyramidKernelValues, DiagonalIsTheNestedRoundedMean) {
  // Coarse 0 1 over 0 0: the diagonal is avg(avg(0, 1), avg(0, 0)) = 1.
  const int cw = 18, ch = 4, fw = 36, fh = 8;
  std::vector<uint8_t> coarse(cw * ch, 0), fine(fw * fh, 0);
  for (int j = 0; j < ch; j += 2)
    for (int i = 1; i < cw; i += 2) coarse[j * cw + i] = 1;
  SynthesisBlock_U8_SSE2(fine.data(), fw, 0, fw, 0, fh, coarse.data(), cw, cw, ch);
  EXPECT_EQ(fine[1 * fw + 1], 1);
  EXPECT_EQ(fine[1 * fw + 17], 1);
  EXPECT_EQ(fine[0 * fw + 1], 1);
}

TEST_P(PyramidKernelValues, ReduceOfAConstantIsConstantEverywhere) {
  std::vector<uint8_t> fine(4 * 4, 100), coarse(2 * 2, 0);
  ReduceBlock_U8_SSE2(fine.data(), 4, 4, 4, 0, 2, 0, 2, coarse.data(), 2);
  for (uint8_t c : coarse) EXPECT_EQ(c, 100);
  std::vector<uint8_t> big(41 * 23, 100), small(21 * 12, 0);
  ReduceBlock_U8_SSE2(big.data(), 41, 41, 23, 0, 21, 0, 12, small.data(), 21);
  for (uint8_t c : small) EXPECT_EQ(c, 100);
}

TEST_P(PyramidKernelValues, ExpandLine) {
  const uint8_t src[2] = {10, 20};
  uint8_t four[4] = {}, three[3] = {};
  Expand_Line_U8_SSE2(src, 2, four, 4);
  Expand_Line_U8_SSE2(src, 2, three, 3);
  EXPECT_EQ(std::vector<uint8_t>(four, four + 4), (std::vector<uint8_t>{10, 15, 20, 20}));
  EXPECT_EQ(std::vector<uint8_t>(three, three + 3), (std::vector<uint8_t>{10, 15, 20}));
}

INSTANTIATE_TEST_SUITE_P(Forms, PyramidKernelValues, ::testing::ValuesIn(AvailableForms()),
                         [](const auto& info) { return std::string(KernelFormName(info.param)); });

TEST(NoiseEstimatorMemory, MatchesTheWorkedExample) {
  const int32_t size[2] = {64, 48};
  EXPECT_EQ(avdMemBytes_NoiseEst(size, 0x13, 0, 0, 4, 1), 44160);
  // A 4:2:0 picture needs half the chroma planes.
  EXPECT_EQ(avdMemBytes_NoiseEst(size, 0x50000013, 0, 0, 4, 0), 80 * 56 + 80 * 56 / 2);
}

#include "image/AvdResample.h"
#include "image/AvdSupport.h"

TEST(PyramidKernelRefusals, RangesAndPitchesOutsideTheBuffersAreRefused) {
  std::vector<uint8_t> fine(20 * 10, 50), coarse(10 * 5, 50);
  std::vector<uint16_t> sums(21 * 11);
  const uint8_t before = fine[0];
  struct Case {
    const char* what;
    int32_t result;
  } cases[] = {
      {"reduce past the source", avdReduceBlock(nullptr, fine.data(), 20, 20, 10, 0, 11, 0, 5, coarse.data(), 10, 0x10)},
      {"reduce below zero", avdReduceBlock(nullptr, fine.data(), 20, 20, 10, -1, 4, 0, 5, coarse.data(), 10, 0x10)},
      {"reduce narrow pitch", avdReduceBlock(nullptr, fine.data(), 19, 20, 10, 0, 10, 0, 5, coarse.data(), 10, 0x10)},
      {"reduce narrow output", avdReduceBlock(nullptr, fine.data(), 20, 20, 10, 0, 10, 0, 5, coarse.data(), 9, 0x10)},
      {"analysis past the coarse block",
       avdAnalysisBlock(nullptr, fine.data(), 20, 0, 21, 0, 10, coarse.data(), 10, 10, 5, 0x10)},
      {"synthesis past the coarse rows",
       avdSynthesisBlock(nullptr, fine.data(), 20, 0, 20, 0, 11, coarse.data(), 10, 10, 5, 0x10)},
      {"expand narrow pitch", avdExpandBlock(fine.data(), 19, 0, 20, 0, 10, coarse.data(), 10, 10, 5, 0x10)},
      {"abs narrow pitch", ImgABS_I8_SSE2(fine.data(), 19, 20, 10)},
      {"integral narrow stride", avdIntegral(fine.data(), 20, 0x10, sums.data(), nullptr, 20, 20, 10)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, -2) << c.what;
  EXPECT_EQ(fine[0], before);
  // Other element kinds and empty ranges do nothing and succeed.
  EXPECT_EQ(avdReduceBlock(nullptr, fine.data(), 20, 20, 10, 0, 99, 0, 5, coarse.data(), 10, 0x110), 0);
  EXPECT_EQ(avdAnalysisBlock(nullptr, fine.data(), 20, 5, 5, 0, 99, coarse.data(), 10, 10, 5, 0x10), 0);
}
