// Known values of the block statistics, blending, distance, accumulation and
// image-from-sum kernels, checked in every kernel form.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EnhanceResult.h"
#include "KernelForm.h"
#include "block/BlockKernels.h"

namespace {

class BlockValues : public ::testing::TestWithParam<KernelForm> {
 protected:
  void SetUp() override {
    if (static_cast<int>(GetParam()) > static_cast<int>(BestKernelForm())) GTEST_SKIP() << "form not supported";
    ForceKernelForm(GetParam());
  }
  void TearDown() override { ResetKernelForm(); }
};

TEST_P(BlockValues, MeanAndVariance) {
  uint8_t flat[64];
  std::memset(flat, 100, 64);
  int32_t s = -1, v = -1;
  avdGetMeanAndVar_B8_U8_SSE2(flat, 8, &s, &v);
  EXPECT_EQ(s, 6400);
  EXPECT_EQ(v, 0);

  uint8_t half[64];
  for (int i = 0; i < 64; ++i) half[i] = i < 32 ? 0 : 255;
  avdGetMeanAndVar_B8_U8_SSE2(half, 8, &s, &v);
  EXPECT_EQ(s, 8160);
  EXPECT_EQ(v, 66585600);

  int8_t neg[64];
  std::memset(neg, -3, 64);
  avdGetMeanAndVar_B8_I8_SSE2(neg, 8, &s, &v);
  EXPECT_EQ(s, -192);
  EXPECT_EQ(v, 0);

  // 16-bit samples: the sum is over the full samples, the variance over the high bytes.
  uint16_t wide[64];
  for (int i = 0; i < 64; ++i) wide[i] = i < 32 ? 0x00FF : 0xFF00;
  avdGetMeanAndVar_B8_U16_SSE2(wide, 8, &s, &v);
  EXPECT_EQ(s, 32 * 0xFF + 32 * 0xFF00);
  EXPECT_EQ(v, 66585600);
  int16_t swide[64];
  for (int i = 0; i < 64; ++i) swide[i] = -256;
  avdGetMeanAndVar_B8_I16_SSE2(swide, 8, &s, &v);
  EXPECT_EQ(s, -256 * 64);
  EXPECT_EQ(v, 0);
}

TEST_P(BlockValues, SetMean) {
  uint8_t b[64];
  std::memset(b, 255, 64);
  avdSetMean_88_U8_SSE2(b, 8, 0, 2);
  for (uint8_t x : b) EXPECT_EQ(x, 2);  // (255 + 64) >> 7
  std::memset(b, 77, 64);
  avdSetMean_88_U8_SSE2(b, 8, 10, 0);
  for (uint8_t x : b) EXPECT_EQ(x, 10);
  std::memset(b, 77, 64);
  avdSetMean_88_U8_SSE2(b, 8, 10, 255);
  for (uint8_t x : b) EXPECT_EQ(x, 77);

  // 4x4 only touches its own 16 samples.
  std::memset(b, 50, 64);
  avdSetMean_44_U8_SSE2(b, 8, 200, 0);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) EXPECT_EQ(b[r * 8 + c], (r < 4 && c < 4) ? 200 : 50);

  int8_t sb[64];
  std::memset(sb, -100, 64);
  avdSetMean_88_I8_SSE2(sb, 8, 20, 0);
  for (int8_t x : sb) EXPECT_EQ(x, 20);
  std::memset(sb, -100, 64);
  avdSetMean_44_I8_SSE2(sb, 8, -20, 128);  // h = 64: (-20*64 - 100*64 + 64) >> 7 = -60
  EXPECT_EQ(sb[0], -60);
  EXPECT_EQ(sb[4], -100);
}

TEST_P(BlockValues, ExpandFromParent) {
  uint8_t parent[5 * 5], b[64];
  std::memset(parent, 40, sizeof parent);
  std::memset(b, 9, 64);
  avdExpand_88_U8_SSE2(parent, 5, b, 8, 0);
  for (uint8_t x : b) EXPECT_EQ(x, 40);

  std::memset(parent, 0, sizeof parent);
  parent[0] = 0;
  parent[1] = 2;
  parent[5] = 1;
  parent[6] = 1;
  avdExpand_88_U8_SSE2(parent, 5, b, 8, 0);
  EXPECT_EQ(b[1 * 8 + 1], 2);  // avg(avg(0, 1), avg(2, 1))

  std::memset(parent, 100, sizeof parent);
  std::memset(b, 200, 64);
  avdExpand_88_U8_SSE2(parent, 5, b, 8, 128);
  for (uint8_t x : b) EXPECT_EQ(x, 150);
  avdExpand_88_U8_SSE2(parent, 5, b, 8, 255);
  for (uint8_t x : b) EXPECT_EQ(x, 150);
}

TEST_P(BlockValues, RatioBlend) {
  uint8_t a[64], b[64], d[64];
  std::memset(a, 100, 64);
  std::memset(b, 200, 64);
  std::memset(d, 7, 64);
  avdMMSE_B8_U8_SSE2(a, 8, b, 8, d, 8, 4, 0);
  for (uint8_t x : d) EXPECT_EQ(x, 7);  // num 0 writes nothing
  avdMMSE_B8_U8_SSE2(a, 8, b, 8, d, 8, 4, 4);
  for (uint8_t x : d) EXPECT_EQ(x, 200);
  avdMMSE_B8_U8_SSE2(a, 8, b, 8, d, 8, 4, 1);
  for (uint8_t x : d) EXPECT_EQ(x, 125);
  // In place, and with distances too large for 32-bit products.
  avdMMSE_B8_U8_SSE2(a, 8, b, 8, a, 8, 2000000000u, 1000000000u);
  for (uint8_t x : a) EXPECT_EQ(x, 150);

  int8_t sa[64], sb[64];
  std::memset(sa, -100, 64);
  std::memset(sb, 100, 64);
  avdMMSE_B8_I8_SSE2(sa, 8, sb, 8, sa, 8, 4, 1);
  for (int8_t x : sa) EXPECT_EQ(x, -50);  // (-19200 + 6400 + 128) >> 8
}

TEST_P(BlockValues, Copies) {
  uint8_t buf[8 * 9];
  for (int i = 0; i < 72; ++i) buf[i] = static_cast<uint8_t>(i);
  avdCpyBlock88_SSE2(buf + 8, 8, buf, 8);  // overlapping by seven rows
  for (int i = 0; i < 64; ++i) EXPECT_EQ(buf[8 + i], i);

  uint16_t w[2 * 16];
  uint8_t n[2 * 16];
  for (int i = 0; i < 32; ++i) w[i] = static_cast<uint16_t>(i * 0x101 + 3);
  avdCpyBlk_U16_to_U8_SSE2(n, 16, w, 16, 16, 2);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(n[i], i);
}

TEST_P(BlockValues, Distances) {
  uint8_t a[64], b[64];
  std::memset(a, 0, 64);
  std::memset(b, 0, 64);
  EXPECT_EQ(avdDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 0);
  EXPECT_EQ(avdQtrDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 0);
  std::memset(b, 255, 64);
  EXPECT_EQ(avdDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 4161600);
  EXPECT_EQ(avdQtrDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 4161600);
  std::memset(b, 1, 64);
  EXPECT_EQ(avdDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 64);
  EXPECT_EQ(avdQtrDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 32);  // 64 * 17 / 34

  // One quadrant only: Qmin = 0 raises the score.
  std::memset(b, 0, 64);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) b[r * 8 + c] = 4;
  EXPECT_EQ(avdQtrDiffAbsSum_B8_U8_SSE2(a, 8, b, 8), 64 * 65 / 2);

  int8_t sa[64], sbk[64];
  std::memset(sa, 0, 64);
  std::memset(sbk, 0, 64);
  sa[5] = -128;
  sbk[5] = 127;
  EXPECT_EQ(avdDiffAbsSum_B8_I8_SSE2(sa, 8, sbk, 8), (255 * 255) >> 6);
  EXPECT_EQ(avdDiffAbsSum(sa, 8, sbk, 8, ELEM_I8), (255 * 255) >> 6);
  EXPECT_EQ(avdDiffAbsSum(sa, 8, sbk, 8, 0x20), 0);
  EXPECT_EQ(avdQtrDiffAbsSum_B8(a, 8, b, 8, 0x20), 0);
}

TEST_P(BlockValues, WindowMatchesSingleDistances) {
  std::vector<uint8_t> ref(32 * 24);
  for (size_t i = 0; i < ref.size(); ++i) ref[i] = static_cast<uint8_t>((i * 37) ^ (i >> 3));
  for (int w : {7, 5, 3, 4}) {
    std::vector<int32_t> out(w * w, -1);
    const uint8_t* blk = ref.data() + 3 * 32 + 3;
    avdDiffAbsSum_Block_U8_SSE2(blk, ref.data(), 32, w, w, out.data());
    for (int j = 0; j < w; ++j)
      for (int i = 0; i < w; ++i)
        EXPECT_EQ(out[j * w + i], avdDiffAbsSum_B8_U8_SSE2(blk, 32, ref.data() + j * 32 + i, 32)) << w;
  }
}

TEST_P(BlockValues, Accumulation) {
  alignas(16) uint32_t acc[64];
  uint8_t src[10 * 12];
  std::memset(src, 10, sizeof src);
  int32_t zeros[9] = {};
  std::memset(acc, 0xAB, sizeof acc);
  avdWeightSum_Block_U8_SSE2(acc, 8, src, 12, zeros, 3, 3);
  for (uint32_t c : acc) EXPECT_EQ(c, 0u);

  alignas(16) int32_t sacc[16] = {};
  int8_t ssrc[4 * 4];
  std::memset(ssrc, -7, sizeof ssrc);
  avdOneWeightSum_B4_I8_I32_SSE2(sacc, ssrc, 4, 3);
  for (int32_t c : sacc) EXPECT_EQ(c, -21);

  alignas(16) uint16_t a16[64] = {};
  avdOneWeightSum_B8_U8_U16_SSE2(a16, src, 12, 16);
  for (uint16_t c : a16) EXPECT_EQ(c, 160);

  // A 5x5 window of weight 1 over a constant block sums 25 candidates.
  uint8_t big[12 * 12];
  std::memset(big, 200, sizeof big);
  int32_t ones[25];
  for (int32_t& o : ones) o = 16;
  avdWeightSum_Block_U8_SSE2(acc, 8, big, 12, ones, 5, 5);
  for (uint32_t c : acc) EXPECT_EQ(c, 25u * 200 * 16);

  alignas(16) uint32_t w16[16] = {};
  uint16_t wide[16];
  for (int i = 0; i < 16; ++i) wide[i] = 1001;
  avdOneWeightSum_B4_U16_U32_SSE2(w16, wide, 4, 3);
  for (uint32_t c : w16) EXPECT_EQ(c, 1000u * 3);
}

TEST_P(BlockValues, ImageFromSum) {
  alignas(16) uint32_t acc[64];
  for (uint32_t& c : acc) c = 64 * 100;
  uint8_t src[64], dst[64];
  for (int i = 0; i < 64; ++i) src[i] = static_cast<uint8_t>(i * 3);
  avdImgFromSum_U8_U32_SSE2(dst, 8, src, 8, acc, 64, 8, 0);
  for (uint8_t x : dst) EXPECT_EQ(x, 100);
  avdImgFromSum_U8_U32_SSE2(dst, 8, src, 8, acc, 64, 8, 256);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(dst[i], src[i]);

  // The integer path of the other block sizes.
  avdImgFromSum_U8_U32(src, 8, 64, 0, 4, dst, 8, acc);
  EXPECT_EQ(dst[0], 100);
  int32_t sacc[16];
  for (int32_t& c : sacc) c = -64 * 50;
  int8_t ssrc[16], sdst[16];
  std::memset(ssrc, 10, sizeof ssrc);
  avdImgFromSum_I8_I32(ssrc, 4, 64, 128, 4, sdst, 4, sacc);
  for (int8_t x : sdst) EXPECT_EQ(x, -19);  // m = -3168 / 64 = -49; (-49*256 + 59*128 + 128) >> 8
}

TEST_P(BlockValues, RefusesBadArguments) {
  uint8_t b[64] = {};
  int32_t s = 5, v = 5;
  avdGetMeanAndVar_B8_U8_SSE2(nullptr, 8, &s, &v);
  avdGetMeanAndVar_B8_U8_SSE2(b, 4, &s, &v);
  EXPECT_EQ(s, 5);
  EXPECT_EQ(avdDiffAbsSum_B8_U8_SSE2(nullptr, 8, b, 8), ENH_ERR_ARGUMENT);
  EXPECT_EQ(avdDiffAbsSum_B8_U8_SSE2(b, 7, b, 8), ENH_ERR_ARGUMENT);
  alignas(16) uint32_t acc[64];
  std::memset(acc, 1, sizeof acc);
  int32_t wt[1] = {1};
  avdWeightSum_Block_U8_SSE2(acc, 2, b, 8, wt, 1, 1);  // only 8 and 4 are block sizes
  EXPECT_EQ(acc[0], 0x01010101u);
  avdImgFromSum_U8_U32_SSE2(b, 8, b, 8, acc, 0, 8, 0);  // no weight
  EXPECT_EQ(b[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, BlockValues,
                         ::testing::Values(KernelForm::Scalar, KernelForm::SSE2, KernelForm::AVX2),
                         [](const auto& info) { return std::string(KernelFormName(info.param)); });

}  // namespace
