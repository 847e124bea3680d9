// Random blocks on which the scalar, SSE2 and AVX2 forms of every block
// kernel must agree byte for byte. Buffers are sized to exactly what a kernel
// may touch, so a form that reads or writes past its block trips the
// address sanitizer.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "KernelForm.h"
#include "block/BlockKernels.h"

namespace {

std::vector<KernelForm> Forms() {
  std::vector<KernelForm> f = {KernelForm::Scalar, KernelForm::SSE2};
  if (BestKernelForm() == KernelForm::AVX2) f.push_back(KernelForm::AVX2);
  return f;
}

// Runs `run` once per form on a fresh copy of `state` and checks that every
// form leaves the same bytes as the scalar form.
void ExpectFormsAgree(const std::vector<uint8_t>& state, const std::function<void(std::vector<uint8_t>&)>& run,
                      const char* what) {
  std::vector<uint8_t> reference;
  for (KernelForm form : Forms()) {
    ForceKernelForm(form);
    std::vector<uint8_t> s = state;
    run(s);
    if (form == KernelForm::Scalar)
      reference = s;
    else
      EXPECT_EQ(s, reference) << what << " differs in form " << KernelFormName(form);
  }
  ResetKernelForm();
}

class BlockForms : public ::testing::Test {
 protected:
  std::mt19937 rng{12345};
  std::vector<uint8_t> Random(size_t n, int lo = 0, int hi = 255) {
    std::uniform_int_distribution<int> d(lo, hi);
    std::vector<uint8_t> v(n);
    for (auto& x : v) x = static_cast<uint8_t>(d(rng));
    return v;
  }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  // A random test block: either full-range noise or a narrow band (flat blocks).
  std::vector<uint8_t> Samples(size_t n) {
    if (Pick(0, 2) == 0) {
      int c = Pick(0, 255);
      return Random(n, std::max(0, c - 3), std::min(255, c + 3));
    }
    return Random(n);
  }
  void TearDown() override { ResetKernelForm(); }
};

TEST_F(BlockForms, StatisticsAndBlends) {
  for (int trial = 0; trial < 300; ++trial) {
    const int pitch = Pick(8, 20);
    const int size = 7 * pitch + 8;
    std::vector<uint8_t> st = Samples(2 * size + 16 * 8 * 2 + 5 * pitch);
    uint8_t* a = st.data();
    uint8_t* b = a + size;
    const int mean = Pick(-10, 270), k = Pick(-2, 260);
    const uint32_t den = static_cast<uint32_t>(Pick(1, 5000000));
    const uint32_t num = static_cast<uint32_t>(Pick(0, static_cast<int>(den)));
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      int32_t out[8];
      avdGetMeanAndVar_B8_U8_SSE2(s.data(), pitch, &out[0], &out[1]);
      avdGetMeanAndVar_B8_I8_SSE2(reinterpret_cast<int8_t*>(s.data()), pitch, &out[2], &out[3]);
      avdGetMeanAndVar_B8_U16_SSE2(reinterpret_cast<uint16_t*>(s.data() + 2), pitch / 2 + 4, &out[4], &out[5]);
      avdGetMeanAndVar_B8_I16_SSE2(reinterpret_cast<int16_t*>(s.data() + 2), pitch / 2 + 4, &out[6], &out[7]);
      s.insert(s.end(), reinterpret_cast<uint8_t*>(out), reinterpret_cast<uint8_t*>(out + 8));
    }, "statistics");
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      avdSetMean_88_U8_SSE2(s.data(), pitch, mean, k);
      avdSetMean_44_U8_SSE2(s.data() + size, pitch, mean, k);
    }, "set-mean unsigned");
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      avdSetMean_88_I8_SSE2(reinterpret_cast<int8_t*>(s.data()), pitch, mean - 128, k);
      avdSetMean_44_I8_SSE2(reinterpret_cast<int8_t*>(s.data() + size), pitch, mean - 128, k);
    }, "set-mean signed");
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      avdExpand_88_U8_SSE2(s.data() + 2 * size + 256, pitch, s.data(), pitch, k);
    }, "expand");
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      avdMMSE_B8_U8_SSE2(s.data(), pitch, s.data() + size, pitch, s.data(), pitch, den, num);
      avdMMSE_B8_I8_SSE2(reinterpret_cast<int8_t*>(s.data() + size), pitch, reinterpret_cast<int8_t*>(s.data()),
                         pitch, reinterpret_cast<int8_t*>(s.data() + 2 * size), 8, den, num);
    }, "ratio blend");
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      avdCpyBlock88_SSE2(s.data() + 1, pitch, s.data(), pitch);
      avdCpyBlk_U16_to_U8_SSE2(s.data() + size, 16, reinterpret_cast<uint16_t*>(s.data() + 2 * size), 16, 16, 2);
    }, "copies");
    (void)b;
  }
}

TEST_F(BlockForms, Distances) {
  for (int trial = 0; trial < 300; ++trial) {
    const int pitch = Pick(8, 24);
    const int size = 7 * pitch + 8;
    std::vector<uint8_t> st = Samples(size);
    std::vector<uint8_t> other = Samples(size);
    st.insert(st.end(), other.begin(), other.end());
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      const uint8_t* a = s.data();
      const uint8_t* b = s.data() + size;
      int32_t d[4] = {avdDiffAbsSum_B8_U8_SSE2(a, pitch, b, pitch),
                      avdDiffAbsSum_B8_I8_SSE2(reinterpret_cast<const int8_t*>(a), pitch,
                                               reinterpret_cast<const int8_t*>(b), pitch),
                      avdQtrDiffAbsSum_B8_U8_SSE2(a, pitch, b, pitch),
                      avdQtrDiffAbsSum_B8_I8_SSE2(reinterpret_cast<const int8_t*>(a), pitch,
                                                  reinterpret_cast<const int8_t*>(b), pitch)};
      s.insert(s.end(), reinterpret_cast<uint8_t*>(d), reinterpret_cast<uint8_t*>(d + 4));
    }, "distances");
  }
}

TEST_F(BlockForms, Windows) {
  for (int w : {1, 2, 3, 4, 5, 7, 8, 9, 11, 16}) {
    for (int trial = 0; trial < 20; ++trial) {
      const int h = trial % 2 ? w : Pick(1, 9);
      const int cols = std::max(w + 7, 16);
      const int pitch = cols + Pick(0, 3);
      // The search area is exactly (h + 7) rows, the last one only `cols` wide.
      const size_t area = static_cast<size_t>(h + 6) * pitch + cols;
      std::vector<uint8_t> st = Samples(area + 7 * pitch + 8);
      ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
        const uint8_t* blk = s.data() + area;
        std::vector<int32_t> out(w * h);
        avdDiffAbsSum_Block_U8_SSE2(blk, s.data(), pitch, w, h, out.data());
        std::vector<int32_t> out2(w * h);
        avdDiffAbsSum_Block_I8_SSE2(reinterpret_cast<const int8_t*>(blk), reinterpret_cast<const int8_t*>(s.data()),
                                    pitch, w, h, out2.data());
        out.insert(out.end(), out2.begin(), out2.end());
        s.insert(s.end(), reinterpret_cast<uint8_t*>(out.data()), reinterpret_cast<uint8_t*>(out.data() + out.size()));
      }, "window distances");
    }
  }
}

TEST_F(BlockForms, Accumulation) {
  for (int trial = 0; trial < 200; ++trial) {
    const int n = trial % 2 ? 8 : 4;
    const int w = Pick(1, 7), h = Pick(1, 7);
    const int pitch = w - 1 + n + Pick(0, 5);
    const size_t area = static_cast<size_t>(h - 1 + n - 1) * pitch + (w - 1 + n);
    std::vector<uint8_t> st = Samples(area);
    std::vector<int32_t> weights(w * h);
    for (auto& x : weights) x = Pick(0, 3) == 0 ? 0 : Pick(0, 16);
    const int weight = Pick(0, 16);
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      alignas(32) uint32_t acc[64];
      alignas(32) int32_t sacc[64];
      avdWeightSum_Block_U8_SSE2(acc, n, s.data(), pitch, weights.data(), w, h);
      avdWeightSum_Block_I8_SSE2(sacc, n, reinterpret_cast<const int8_t*>(s.data()), pitch, weights.data(), w, h);
      alignas(16) uint16_t a16[64];
      alignas(16) int16_t s16[64];
      for (int i = 0; i < 64; ++i) {
        a16[i] = static_cast<uint16_t>(acc[i]);
        s16[i] = static_cast<int16_t>(sacc[i]);
      }
      if (n == 8) {
        avdOneWeightSum_B8_U8_U32_SSE2(acc, s.data(), pitch, weight);
        avdOneWeightSum_B8_I8_I32_SSE2(sacc, reinterpret_cast<const int8_t*>(s.data()), pitch, weight);
        avdOneWeightSum_B8_U8_U16_SSE2(a16, s.data(), pitch, weight);
        avdOneWeightSum_B8_I8_I16_SSE2(s16, reinterpret_cast<const int8_t*>(s.data()), pitch, weight);
      } else {
        avdOneWeightSum_B4_U8_U32_SSE2(acc, s.data(), pitch, weight);
        avdOneWeightSum_B4_I8_I32_SSE2(sacc, reinterpret_cast<const int8_t*>(s.data()), pitch, weight);
        avdOneWeightSum_U8_U16(a16, s.data(), pitch, weight, 4);
        avdOneWeightSum_I8_I16(s16, reinterpret_cast<const int8_t*>(s.data()), pitch, weight, 4);
      }
      const int cnt = n * n;
      s.insert(s.end(), reinterpret_cast<uint8_t*>(acc), reinterpret_cast<uint8_t*>(acc + cnt));
      s.insert(s.end(), reinterpret_cast<uint8_t*>(sacc), reinterpret_cast<uint8_t*>(sacc + cnt));
      s.insert(s.end(), reinterpret_cast<uint8_t*>(a16), reinterpret_cast<uint8_t*>(a16 + cnt));
      s.insert(s.end(), reinterpret_cast<uint8_t*>(s16), reinterpret_cast<uint8_t*>(s16 + cnt));
    }, "accumulation");
  }
  // 16-bit samples.
  for (int trial = 0; trial < 50; ++trial) {
    std::vector<uint8_t> st = Random(2 * (3 * 6 + 4));
    const int weight = Pick(0, 40000);
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      alignas(16) uint32_t acc[16] = {};
      avdOneWeightSum_B4_U16_U32_SSE2(acc, reinterpret_cast<const uint16_t*>(s.data()), 6, weight);
      s.insert(s.end(), reinterpret_cast<uint8_t*>(acc), reinterpret_cast<uint8_t*>(acc + 16));
    }, "16-bit accumulation");
  }
}

TEST_F(BlockForms, ImageFromSum) {
  for (int trial = 0; trial < 400; ++trial) {
    const int pitch = Pick(8, 16);
    const size_t size = 7 * pitch + 8;
    std::vector<uint8_t> st = Samples(size);
    // Counters from a plausible weighted sum, sometimes wild ones.
    const int total = Pick(1, 49 * 16);
    std::vector<uint32_t> c32(64);
    std::vector<int32_t> s32(64);
    for (int i = 0; i < 64; ++i) {
      c32[i] = trial % 7 == 0 ? static_cast<uint32_t>(rng()) : static_cast<uint32_t>(Pick(0, 255) * total);
      s32[i] = trial % 7 == 0 ? static_cast<int32_t>(rng()) : Pick(-128, 127) * total;
    }
    const int blend = Pick(-10, 300);
    ExpectFormsAgree(st, [&](std::vector<uint8_t>& s) {
      alignas(16) uint32_t a32[64];
      alignas(16) int32_t b32[64];
      alignas(16) uint16_t a16[64];
      alignas(16) int16_t b16[64];
      for (int i = 0; i < 64; ++i) {
        a32[i] = c32[i];
        b32[i] = s32[i];
        a16[i] = static_cast<uint16_t>(c32[i]);
        b16[i] = static_cast<int16_t>(s32[i]);
      }
      std::vector<uint8_t> out(4 * 64);
      avdImgFromSum_U8_U32_SSE2(out.data(), 8, s.data(), pitch, a32, total, 8, blend);
      avdImgFromSum_U8_U16_SSE2(out.data() + 64, 8, s.data(), pitch, a16, total, 8, blend);
      avdImgFromSum_I8_I32_SSE2(reinterpret_cast<int8_t*>(out.data() + 128), 8,
                                reinterpret_cast<const int8_t*>(s.data()), pitch, b32, total, 8, blend);
      avdImgFromSum_I8_I16_SSE2(reinterpret_cast<int8_t*>(out.data() + 192), 8,
                                reinterpret_cast<const int8_t*>(s.data()), pitch, b16, total, 8, blend);
      s.insert(s.end(), out.begin(), out.end());
    }, "image from sum");
  }
}

}  // namespace
