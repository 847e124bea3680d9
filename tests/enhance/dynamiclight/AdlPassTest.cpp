// The dynamic-light interface: arguments, the cases that leave a frame as it
// was, and the kernel forms agreeing on whole frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "AdlStretch.h"
#include "DynamicLight.h"
#include "KernelForm.h"

namespace {

struct Frame {
  int width, height, format, pitch;
  std::vector<uint8_t> bytes;
  Frame(int w, int h, int fmt, int extraPitch = 0)
      : width(w), height(h), format(fmt), pitch(2 * w + extraPitch),
        bytes(static_cast<size_t>(pitch) * h, 0) {}
  int lumaOffset() const { return format == ADL_FMT_YUY2 ? 0 : 1; }
  uint8_t& luma(int r, int x) { return bytes[static_cast<size_t>(r) * pitch + 2 * x + lumaOffset()]; }
  uint8_t& chroma(int r, int x) { return bytes[static_cast<size_t>(r) * pitch + 2 * x + 1 - lumaOffset()]; }
  AdlFrameDesc desc() {
    AdlFrameDesc d;
    d.width = width;
    d.height = height;
    d.format = format;
    d.pitch[0] = pitch;
    d.pixels = bytes.data();
    return d;
  }
};

// A dim, back-lit scene: dark page with a bright window and some texture.
Frame Scene(int w, int h, int format, unsigned seed, int extraPitch = 0) {
  Frame f(w, h, format, extraPitch);
  std::mt19937 rng(seed);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) {
      int y = 20 + (x * 60) / w + (r * 30) / h + static_cast<int>(rng() % 12);
      if (x > w * 2 / 3 && r < h / 3) y = 200 + static_cast<int>(rng() % 40);
      if ((x / 7 + r / 5) % 9 == 0) y /= 2;
      f.luma(r, x) = static_cast<uint8_t>(y);
      f.chroma(r, x) = static_cast<uint8_t>(100 + rng() % 56);
    }
  return f;
}

struct Engine {
  AdlEngine* handle = nullptr;
  Engine(int w, int h, int format = ADL_FMT_YUY2) {
    EXPECT_EQ(ADL_InitDynamiclight(nullptr, &handle, w, h, format), ADL_OK);
  }
  ~Engine() { ADL_UninitDynamiclight(nullptr, &handle); }
};

std::vector<int32_t> VideoParams(int stretch, int strength = 60) {
  std::vector<int32_t> p(ADL_PARAM_COUNT);
  ADL_GetVideoDefaultParam(p.data());
  p[ADL_PARAM_STRETCH] = stretch;
  p[0] = strength;
  return p;
}

TEST(AdlApi, Defaults) {
  int32_t p[ADL_PARAM_COUNT];
  std::memset(p, 0x7f, sizeof(p));
  ASSERT_EQ(ADL_GetVideoDefaultParam(p), 0);
  const int32_t want[ADL_PARAM_COUNT] = {60, 75, 32, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 50};
  for (int i = 0; i < ADL_PARAM_COUNT; ++i) EXPECT_EQ(p[i], want[i]) << i;
  EXPECT_EQ(ADL_GetVideoDefaultParam(nullptr), ADL_ERR_ARGUMENT);
  int32_t image[ADL_PARAM_COUNT];
  image[18] = -7;
  ASSERT_EQ(ADL_GetDefaultParam(image), 0);
  EXPECT_EQ(image[0], 60);
  EXPECT_EQ(image[18], -7);  // the image defaults stop at 17
  AdlVersion v{};
  ASSERT_EQ(ADL_GetDynamiclightVersion(&v), 0);
  EXPECT_STREQ(v.version, "1.2.4.17");
  EXPECT_STREQ(v.date, "03/04/2009");
}

TEST(AdlApi, InitRefusesBadArguments) {
  struct Case { int w, h, format; };
  for (const Case c : {Case{641, 480, 5}, Case{640, 481, 5}, Case{-2, 480, 5}, Case{640, -2, 4},
                       Case{640, 480, 3}, Case{640, 480, 6}}) {
    AdlEngine* handle = reinterpret_cast<AdlEngine*>(0x1);
    EXPECT_EQ(ADL_InitDynamiclight(nullptr, &handle, c.w, c.h, c.format), ADL_ERR_ARGUMENT);
    EXPECT_EQ(handle, reinterpret_cast<AdlEngine*>(0x1));
  }
  EXPECT_EQ(ADL_InitDynamiclight(nullptr, nullptr, 640, 480, 5), ADL_ERR_ARGUMENT);
  AdlEngine* handle = nullptr;
  ASSERT_EQ(ADL_InitDynamiclight(nullptr, &handle, 640, 480, 4), ADL_OK);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(ADL_UninitDynamiclight(nullptr, &handle), ADL_OK);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(ADL_UninitDynamiclight(nullptr, &handle), ADL_OK);
  EXPECT_EQ(ADL_UninitDynamiclight(nullptr, nullptr), ADL_OK);
}

TEST(AdlVideo, BrightensADarkFrame) {
  for (int format : {ADL_FMT_YUY2, ADL_FMT_UYVY}) {
    Frame f = Scene(320, 240, format, 7);
    Frame before = f;
    Engine e(320, 240, format);
    AdlFrameDesc d = f.desc();
    auto p = VideoParams(50);
    ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, nullptr, p.data()), ADL_OK);
    long sumBefore = 0, sumAfter = 0;
    for (int r = 0; r < f.height; ++r)
      for (int x = 0; x < f.width; ++x) {
        sumBefore += before.luma(r, x);
        sumAfter += f.luma(r, x);
      }
    EXPECT_GT(sumAfter, sumBefore + sumBefore / 10) << format;
  }
}

// Frames the dynamic light leaves exactly as they were.
TEST(AdlVideo, UntouchedCases) {
  Engine e(64, 48);
  struct Case {
    const char* what;
    int w, h;
    bool flat;
    int stretch;
    int strength;
    int32_t result;
  };
  const Case cases[] = {
      {"luma spread below 32", 64, 48, true, 50, 60, ADL_OK},
      {"enhancement strength 0, no stretch", 64, 48, false, 0, 0, ADL_NOT_APPLIED},
      {"two rows high", 64, 2, false, 50, 60, ADL_NOT_APPLIED},
      {"two columns wide", 2, 48, false, 50, 60, ADL_NOT_APPLIED},
      {"larger than the handle", 640, 480, false, 50, 60, ADL_ERR_MEMORY},
  };
  for (const Case& c : cases) {
    Frame f = Scene(c.w, c.h, ADL_FMT_YUY2, 3);
    if (c.flat)
      for (int r = 0; r < c.h; ++r)
        for (int x = 0; x < c.w; ++x) f.luma(r, x) = static_cast<uint8_t>(60 + (x + r) % 31);
    const Frame before = f;
    AdlFrameDesc d = f.desc();
    auto p = VideoParams(c.stretch, c.strength);
    EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, nullptr, p.data()), c.result) << c.what;
    EXPECT_EQ(f.bytes, before.bytes) << c.what;
  }
}

TEST(AdlVideo, RefusesBadRecords) {
  Engine e(64, 48);
  Frame f = Scene(64, 48, ADL_FMT_YUY2, 5);
  const Frame before = f;
  auto p = VideoParams(50);
  AdlFrameDesc d = f.desc();
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, nullptr, &d, nullptr, p.data()), ADL_ERR_ARGUMENT);
  AdlFrameDesc odd = d;
  odd.width = 63;
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &odd, nullptr, p.data()), ADL_ERR_ARGUMENT);
  AdlFrameDesc narrowPitch = d;
  narrowPitch.pitch[0] = 100;
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &narrowPitch, nullptr, p.data()), ADL_ERR_ARGUMENT);
  AdlFrameDesc noPixels = d;
  noPixels.pixels = nullptr;
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &noPixels, nullptr, p.data()), ADL_ERR_ARGUMENT);
  AdlFrameDesc planar = d;
  planar.format = ADL_FMT_YUV420PLANAR;
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &planar, nullptr, p.data()), ADL_ERR_ARGUMENT);
  std::vector<uint8_t> other(f.bytes.size());
  AdlFrameDesc separate = d;
  separate.pixels = other.data();
  EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, &separate, p.data()), ADL_ERR_ARGUMENT);
  EXPECT_EQ(f.bytes, before.bytes);
}

// Stretch level 0 runs only the image pass.
TEST(AdlVideo, StretchZeroRunsOnlyThePass) {
  Frame a = Scene(96, 64, ADL_FMT_YUY2, 11);
  Frame b = a;
  Engine e1(96, 64), e2(96, 64);
  AdlFrameDesc da = a.desc(), db = b.desc();
  auto p = VideoParams(0);
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e1.handle, &da, nullptr, p.data()), ADL_OK);
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e2.handle, &db, nullptr, VideoParams(100).data()), ADL_OK);
  Frame c = Scene(96, 64, ADL_FMT_YUY2, 11);
  AdlFrameDesc dc = c.desc();
  // The image pass alone with the same parameters gives the same frame.
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e2.handle, &dc, nullptr, p.data()), ADL_OK);
  EXPECT_EQ(a.bytes, c.bytes);
  EXPECT_NE(a.bytes, b.bytes);
}

// Mid-grey chroma stays 128 whatever the gain, at every reduction level.
TEST(AdlVideo, GreyChromaStaysGrey) {
  struct Case { int w, h; };
  for (const Case c : {Case{160, 120}, Case{1920, 1080}, Case{2592, 1944}}) {
    Frame f = Scene(c.w, c.h, ADL_FMT_YUY2, 13);
    for (int r = 0; r < c.h; ++r)
      for (int x = 0; x < c.w; ++x) f.chroma(r, x) = 128;
    Engine e(c.w, c.h);
    AdlFrameDesc d = f.desc();
    ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, nullptr, nullptr), ADL_OK) << c.w;
    for (int r = 0; r < c.h; ++r)
      for (int x = 0; x < c.w; ++x) ASSERT_EQ(f.chroma(r, x), 128) << c.w << " " << r << " " << x;
  }
}

// Above the finest level one gain serves a 2 x 2 block, so YUY2 and UYVY of
// the same picture come out the same; at the finest level the layouts weigh
// the deviation differently.
TEST(AdlVideo, LayoutsAgreeOnBlockGains) {
  const int w = 1920, h = 1080;
  Frame y = Scene(w, h, ADL_FMT_YUY2, 17);
  Frame u(w, h, ADL_FMT_UYVY);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) {
      u.luma(r, x) = y.luma(r, x);
      u.chroma(r, x) = y.chroma(r, x);
    }
  Engine ey(w, h, ADL_FMT_YUY2), eu(w, h, ADL_FMT_UYVY);
  AdlFrameDesc dy = y.desc(), du = u.desc();
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, ey.handle, &dy, nullptr, nullptr), ADL_OK);
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, eu.handle, &du, nullptr, nullptr), ADL_OK);
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) {
      ASSERT_EQ(u.luma(r, x), y.luma(r, x)) << r << " " << x;
      ASSERT_EQ(u.chroma(r, x), y.chroma(r, x)) << r << " " << x;
    }
}

TEST(AdlVideo, FinestLevelGainPerLumaByte) {
  // Within one group, different luma bytes get different gains at level 1.
  Frame f = Scene(64, 48, ADL_FMT_YUY2, 19);
  for (int r = 0; r < 48; ++r) {
    f.luma(r, 10) = 40;
    f.luma(r, 11) = 80;
  }
  Engine e(64, 48);
  AdlFrameDesc d = f.desc();
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, nullptr, VideoParams(0).data()), ADL_OK);
  const double g0 = f.luma(20, 10) / 40.0, g1 = f.luma(20, 11) / 80.0;
  EXPECT_NE(static_cast<int>(g0 * 100), static_cast<int>(g1 * 100));
}

// Every kernel form gives the same frame, on odd pitches and at every level.
TEST(AdlVideo, KernelFormsAgree) {
  struct Case { int w, h, format, extraPitch; };
  for (const Case c : {Case{322, 242, ADL_FMT_YUY2, 6}, Case{646, 482, ADL_FMT_UYVY, 2}, Case{1282, 722, ADL_FMT_UYVY, 2},
                       Case{1920, 1080, ADL_FMT_YUY2, 0}, Case{2594, 1946, ADL_FMT_UYVY, 4}}) {
    std::vector<uint8_t> results[3];
    for (int form = 0; form < 3; ++form) {
      if (ForceKernelForm(static_cast<KernelForm>(form)) != static_cast<KernelForm>(form)) continue;
      Frame f = Scene(c.w, c.h, c.format, 23, c.extraPitch);
      Engine e(c.w, c.h, c.format);
      AdlFrameDesc d = f.desc();
      EXPECT_EQ(ADL_VideoDynamiclight(nullptr, e.handle, &d, nullptr, nullptr), ADL_OK);
      results[form] = f.bytes;
    }
    ResetKernelForm();
    for (int form = 1; form < 3; ++form)
      if (!results[form].empty()) {
        EXPECT_EQ(results[form], results[0]) << c.w << " form " << form;
      }
  }
}

// The stretch rows agree on every byte, for both layouts, widths with and
// without a vector tail, and maps from gentle to the steepest the pass makes.
TEST(AdlVideo, StretchFormsAgree) {
  std::mt19937 rng(41);
  for (int width : {2, 6, 8, 14, 16, 30, 34, 1920}) {
    for (int offset : {0, 1}) {
      // Random maps the pass can make too (low up to 223, scale up to 255 *
      // 16384 / 32), and one past them that the AVX2 form leaves to SSE2.
      std::vector<adl::StretchMap> maps = {adl::StretchMap{10, 5, 17000}, adl::StretchMap{0, 0, 16384},
                                           adl::StretchMap{223, 111, 130560}, adl::StretchMap{40, 0, 19000},
                                           adl::StretchMap{255, 0, 16383}, adl::StretchMap{30, 20, 200000}};
      for (int k = 0; k < 6; ++k) {
        const int low = static_cast<int>(rng() % 224), high = low + 32 + static_cast<int>(rng() % (224 - low));
        const int newLow = static_cast<int>(rng() % (low + 1));
        maps.push_back(adl::StretchMap{low, newLow, ((high - newLow) * 16384) / (high - low)});
      }
      for (const adl::StretchMap& m : maps) {
        std::vector<uint8_t> row(2 * width + 3);
        for (auto& b : row) b = static_cast<uint8_t>(rng() % 4 == 0 ? (rng() & 1) * 255 : rng());
        std::vector<uint8_t> want = row, sse2 = row, avx2 = row;
        adl::StretchRowScalar(want.data(), width, offset, m);
        adl::StretchRowSSE2(sse2.data(), width, offset, m);
        EXPECT_EQ(sse2, want) << width << " offset " << offset << " scale " << m.scale;
        if (BestKernelForm() == KernelForm::AVX2) {
          adl::StretchRowAVX2(avx2.data(), width, offset, m);
          EXPECT_EQ(avx2, want) << width << " offset " << offset << " scale " << m.scale;
        }
      }
    }
  }
}

// The counts of the luma bytes at most a few values agree on every form, for
// both layouts, widths with and without a vector tail and rows long enough to
// empty the byte counters more than once.
TEST(AdlVideo, AtMostCountFormsAgree) {
  std::mt19937 rng(43);
  for (int width : {1, 14, 16, 31, 32, 33, 100, 1920, 9000}) {
    for (int offset : {0, 1}) {
      for (int base : {0, 37, 128, 252}) {
        std::vector<uint8_t> row(2 * width + 3);
        // Mostly near base, so every count differs; some at the extremes.
        for (auto& b : row) {
          const int pick = static_cast<int>(rng() % 8);
          b = static_cast<uint8_t>(pick == 0 ? 0 : pick == 1 ? 255 : std::clamp(base - 2 + static_cast<int>(rng() % 8), 0, 255));
        }
        uint64_t want[adl::kAtMostCount] = {7, 7, 7, 7}, got[adl::kAtMostCount] = {7, 7, 7, 7};
        uint8_t wantMax = 3, gotMax = 3;
        adl::CountAtMostRowScalar(row.data(), width, offset, base, want, &wantMax);
        adl::CountAtMostRowSSE2(row.data(), width, offset, base, got, &gotMax);
        EXPECT_TRUE(std::equal(want, want + adl::kAtMostCount, got)) << width << " offset " << offset << " base " << base;
        EXPECT_EQ(gotMax, wantMax) << width;
        if (BestKernelForm() == KernelForm::AVX2) {
          std::fill(got, got + adl::kAtMostCount, 7);
          gotMax = 3;
          adl::CountAtMostRowAVX2(row.data(), width, offset, base, got, &gotMax);
          EXPECT_TRUE(std::equal(want, want + adl::kAtMostCount, got)) << width << " offset " << offset << " base " << base;
          EXPECT_EQ(gotMax, wantMax) << width;
        }
      }
    }
  }
}

// The stretch starts from the low bin of the frame before: whether the bin
// stayed, moved a value or two, or moved far, and on every form, each frame
// comes out as it does from a fresh handle.
TEST(AdlVideo, StretchBoundsFollowTheScene) {
  const int w = 320, h = 240;
  // Each frame's darkest thousandth moved by the shift (a tenth of the pixels
  // at the low end sets the bin); 0 also makes a frame whose low bin is 0.
  const int shifts[] = {0, 0, 1, 3, 2, -1, -3, 40, -60, -45, 0, 2};
  for (int form = 0; form < 3; ++form) {
    if (ForceKernelForm(static_cast<KernelForm>(form)) != static_cast<KernelForm>(form)) continue;
    Engine used(w, h);
    for (size_t k = 0; k < std::size(shifts); ++k) {
      Frame f = Scene(w, h, ADL_FMT_YUY2, 50 + static_cast<unsigned>(k));
      for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) f.luma(r, x) = static_cast<uint8_t>(std::clamp(f.luma(r, x) + 60 + shifts[k], 0, 255));
      if (k == 10)
        for (int x = 0; x < w; ++x) f.luma(0, x) = 0;
      Frame alone = f;
      Engine fresh(w, h);
      AdlFrameDesc a = alone.desc(), d = f.desc();
      ASSERT_EQ(ADL_VideoDynamiclight(nullptr, fresh.handle, &a, nullptr, nullptr), ADL_OK);
      ASSERT_EQ(ADL_VideoDynamiclight(nullptr, used.handle, &d, nullptr, nullptr), ADL_OK);
      EXPECT_EQ(f.bytes, alone.bytes) << "frame " << k << " form " << form;
    }
  }
  ResetKernelForm();
}

}  // namespace

namespace {

// The gain table is kept between frames and rebuilt when the scene changes: a
// frame comes out the same whatever the handle saw before it.
TEST(AdlVideo, KeptGainTableFollowsTheScene) {
  Frame dark = Scene(160, 120, ADL_FMT_YUY2, 29);
  Frame bright = Scene(160, 120, ADL_FMT_YUY2, 31);
  for (int r = 0; r < 120; ++r)
    for (int x = 0; x < 160; ++x) bright.luma(r, x) = static_cast<uint8_t>(std::min(255, bright.luma(r, x) * 3));
  Frame alone = dark;
  Engine fresh(160, 120), used(160, 120);
  AdlFrameDesc d = alone.desc();
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, fresh.handle, &d, nullptr, nullptr), ADL_OK);
  Frame first = bright, second = dark;
  AdlFrameDesc d1 = first.desc(), d2 = second.desc();
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, used.handle, &d1, nullptr, nullptr), ADL_OK);
  ASSERT_EQ(ADL_VideoDynamiclight(nullptr, used.handle, &d2, nullptr, nullptr), ADL_OK);
  EXPECT_EQ(second.bytes, alone.bytes);
  EXPECT_NE(first.bytes, bright.bytes);
}

}  // namespace
