// Random blocks of odd sizes: every form writes the same bytes and nothing
// outside the region (buffers are exactly the region's size).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "FormsFixture.h"
#include "image/AvdResample.h"
#include "image/AvdSupport.h"
#include "pyramid/PyramidKernels.h"

namespace {

// Runs `run` on a copy of `start` under each form; all results must match.
void ExpectSameUnderEveryForm(const std::vector<uint8_t>& start,
                              const std::function<void(std::vector<uint8_t>&)>& run, const std::string& what) {
  FormGuard guard;
  std::vector<uint8_t> reference;
  for (KernelForm form : AvailableForms()) {
    ForceKernelForm(form);
    std::vector<uint8_t> out = start;
    run(out);
    if (form == KernelForm::Scalar)
      reference = out;
    else
      ASSERT_EQ(out, reference) << what << " under " << KernelFormName(form);
  }
}

struct Size {
  int32_t w, h;
};

const Size kSizes[] = {{1, 1}, {3, 2}, {17, 5}, {33, 7}, {64, 9}, {65, 11}, {127, 4}, {200, 13}};

}  // namespace

TEST(KernelFormsAgree, ChannelAccess) {
  std::mt19937 rng(1);
  for (Size s : kSizes) {
    const int32_t pairs = s.w / 2, pp = 4 * pairs + 3, yp = 2 * pairs + 1, cp = pairs + 5;
    auto packed = RandomBytes(rng, RegionBytes(pp, 4 * pairs, s.h));
    auto planes = RandomBytes(rng, RegionBytes(yp, 2 * pairs, s.h) + 2 * RegionBytes(cp, pairs, s.h));
    const size_t yBytes = RegionBytes(yp, 2 * pairs, s.h), cBytes = RegionBytes(cp, pairs, s.h);
    ExpectSameUnderEveryForm(planes, [&](std::vector<uint8_t>& out) {
      std::vector<uint8_t> y(out.begin(), out.begin() + yBytes), u(out.begin() + yBytes, out.begin() + yBytes + cBytes),
          v(out.begin() + yBytes + cBytes, out.end());
      avdAccessChannel_YC1YC2_SSE2(packed.data(), pp, y.data(), yp, u.data(), cp, v.data(), cp, s.w, s.h, 1);
      out = y;
      out.insert(out.end(), u.begin(), u.end());
      out.insert(out.end(), v.begin(), v.end());
    }, "split");
    ExpectSameUnderEveryForm(packed, [&](std::vector<uint8_t>& out) {
      std::vector<uint8_t> y(planes.begin(), planes.begin() + yBytes);
      std::vector<uint8_t> u(planes.begin() + yBytes, planes.begin() + yBytes + cBytes);
      std::vector<uint8_t> v(planes.begin() + yBytes + cBytes, planes.end());
      avdAccessChannel_YC1YC2_SSE2(out.data(), pp, y.data(), yp, u.data(), cp, v.data(), cp, s.w, s.h, 0);
    }, "merge");
    auto lumaPacked = RandomBytes(rng, RegionBytes(2 * s.w + 1, 2 * s.w, s.h));
    auto luma = RandomBytes(rng, RegionBytes(s.w + 2, s.w, s.h));
    ExpectSameUnderEveryForm(luma, [&](std::vector<uint8_t>& out) {
      avdAccessLuminChannel_YC1YC2_SSE2(lumaPacked.data(), 2 * s.w + 1, out.data(), s.w + 2, s.w, s.h, 1);
    }, "luma split");
    ExpectSameUnderEveryForm(lumaPacked, [&](std::vector<uint8_t>& out) {
      avdAccessLuminChannel_YC1YC2_SSE2(out.data(), 2 * s.w + 1, luma.data(), s.w + 2, s.w, s.h, 0);
    }, "luma merge");
  }
}

TEST(KernelFormsAgree, Arithmetic) {
  std::mt19937 rng(2);
  for (Size s : kSizes) {
    const int32_t p = s.w + 3;
    auto a = RandomBytes(rng, RegionBytes(p, s.w, s.h));
    auto b = RandomBytes(rng, RegionBytes(p, s.w, s.h));
    auto out = RandomBytes(rng, RegionBytes(p, s.w, s.h));
    ExpectSameUnderEveryForm(out, [&](std::vector<uint8_t>& o) {
      ImgSubtract_U8U8I8_SSE(a.data(), p, b.data(), p, o.data(), p, s.w, s.h);
    }, "subtract");
    ExpectSameUnderEveryForm(out, [&](std::vector<uint8_t>& o) {
      ImgAdd_U8I8U8_SSE(a.data(), p, b.data(), p, o.data(), p, s.w, s.h);
    }, "add");
    for (int32_t factor : {0, 1, 77, 128, 255, 256, 257, 300, 512, 1000, 65535, 65536}) {
      ExpectSameUnderEveryForm(out, [&](std::vector<uint8_t>& o) {
        ImgMultiConst_I8_SSE2(a.data(), p, o.data(), p, s.w, s.h, factor);
      }, "scale " + std::to_string(factor));
    }
    std::vector<uint8_t> sums;
    FormGuard guard;
    for (KernelForm form : AvailableForms()) {
      ForceKernelForm(form);
      int32_t v = ImgABS_I8_SSE2(a.data(), p, s.w, s.h);
      if (form == KernelForm::Scalar)
        sums.assign(reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4);
      else
        EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4), sums);
    }
  }
}

TEST(KernelFormsAgree, ReduceOverRandomRanges) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 60; ++trial) {
    const int32_t fw = 1 + rng() % 150, fh = 1 + rng() % 40, fp = fw + rng() % 20;
    auto fine = RandomBytes(rng, RegionBytes(fp, fw, fh));
    const int32_t cw = (fw + 1) / 2, ch = (fh + 1) / 2;
    const int32_t x0 = rng() % cw, x1 = x0 + 1 + rng() % (cw - x0), y0 = rng() % ch, y1 = y0 + 1 + rng() % (ch - y0);
    const int32_t cp = x1 + rng() % 5;
    auto coarse = RandomBytes(rng, RegionBytes(cp, x1, y1));
    ExpectSameUnderEveryForm(coarse, [&](std::vector<uint8_t>& o) {
      ASSERT_EQ(avdReduceBlock(nullptr, fine.data(), fp, fw, fh, x0, x1, y0, y1, o.data(), cp, 0x10), 0);
    }, "reduce " + std::to_string(trial));
  }
}

TEST(KernelFormsAgree, UpsamplingStepsOverRandomRanges) {
  std::mt19937 rng(4);
  for (int trial = 0; trial < 60; ++trial) {
    const int32_t cw = 1 + rng() % 70, ch = 1 + rng() % 20, cp = cw + rng() % 9;
    auto coarse = RandomBytes(rng, RegionBytes(cp, cw, ch));
    const int32_t x0 = rng() % (2 * cw), x1 = x0 + 1 + rng() % (2 * cw - x0);
    const int32_t y0 = rng() % (2 * ch), y1 = y0 + 1 + rng() % (2 * ch - y0);
    const int32_t fp = x1 + rng() % 7;
    auto fine = RandomBytes(rng, RegionBytes(fp, x1, y1));
    const std::string tag = std::to_string(trial);
    ExpectSameUnderEveryForm(fine, [&](std::vector<uint8_t>& o) {
      ASSERT_EQ(avdAnalysisBlock(nullptr, o.data(), fp, x0, x1, y0, y1, coarse.data(), cp, cw, ch, 0x10), 0);
    }, "analysis " + tag);
    ExpectSameUnderEveryForm(fine, [&](std::vector<uint8_t>& o) {
      ASSERT_EQ(avdSynthesisBlock(nullptr, o.data(), fp, x0, x1, y0, y1, coarse.data(), cp, cw, ch, 0x10), 0);
    }, "synthesis " + tag);
    ExpectSameUnderEveryForm(fine, [&](std::vector<uint8_t>& o) {
      ASSERT_EQ(avdExpandBlock(o.data(), fp, x0, x1, y0, y1, coarse.data(), cp, cw, ch, 0x10), 0);
    }, "expand " + tag);
  }
}

TEST(KernelFormsAgree, LineExpansionAndRowInterpolation) {
  std::mt19937 rng(5);
  for (int32_t n : {1, 2, 3, 16, 17, 33, 40, 65, 100}) {
    auto src = RandomBytes(rng, n);
    for (int32_t dl : {2 * n - 1, 2 * n}) {
      auto dst = RandomBytes(rng, dl);
      ExpectSameUnderEveryForm(dst, [&](std::vector<uint8_t>& o) { Expand_Line_U8_SSE2(src.data(), n, o.data(), dl); },
                               "line " + std::to_string(n));
    }
    auto rows = RandomBytes(rng, 3 * static_cast<size_t>(n + 1));
    ExpectSameUnderEveryForm(rows, [&](std::vector<uint8_t>& o) { Insert_Expand_U8_SSE2(o.data() + n + 1, n, n + 1); },
                             "insert " + std::to_string(n));
  }
}

TEST(KernelFormsAgree, IntegralImages) {
  std::mt19937 rng(6);
  for (Size s : kSizes) {
    for (uint32_t kind : {0x10u, 0x110u}) {
      const int32_t p = s.w + 1, stride = s.w + 1 + rng() % 9;
      auto src = RandomBytes(rng, RegionBytes(p, s.w, s.h));
      const size_t entries = static_cast<size_t>(stride) * (s.h + 1);
      std::vector<uint8_t> start(entries * 6, 0xEE);
      ExpectSameUnderEveryForm(start, [&](std::vector<uint8_t>& o) {
        std::vector<uint16_t> sums(entries, 0xEEEE);
        std::vector<uint32_t> squares(entries, 0xEEEEEEEE);
        ASSERT_EQ(avdIntegral(src.data(), p, kind, sums.data(), squares.data(), stride, s.w, s.h), 0);
        std::memcpy(o.data(), sums.data(), entries * 2);
        std::memcpy(o.data() + entries * 2, squares.data(), entries * 4);
      }, "integral");
    }
  }
}

TEST(KernelFormsAgree, AnalysisThenSynthesisRestoresTheLevel) {
  std::mt19937 rng(7);
  FormGuard guard;
  for (KernelForm form : AvailableForms()) {
    ForceKernelForm(form);
    const int32_t fw = 75, fh = 21, cw = 38, ch = 11;
    auto level = SmoothBytes(rng, fw, fw, fh);
    std::vector<uint8_t> coarse(cw * ch);
    ASSERT_EQ(avdReduceBlock(nullptr, level.data(), fw, fw, fh, 0, cw, 0, ch, coarse.data(), cw, 0x10), 0);
    auto work = level;
    ASSERT_EQ(avdAnalysisBlock(nullptr, work.data(), fw, 0, fw, 0, fh, coarse.data(), cw, cw, ch, 0x10), 0);
    ASSERT_NE(work, level);
    ASSERT_EQ(avdSynthesisBlock(nullptr, work.data(), fw, 0, fw, 0, fh, coarse.data(), cw, cw, ch, 0x10), 0);
    EXPECT_EQ(work, level) << KernelFormName(form);
  }
}
