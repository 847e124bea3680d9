#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "FFmpeg.h"
#include "YuvToArgb.h"

namespace {

using namespace media;

// Both forms give the same bytes for every luma and chroma value (each
// chroma pair meets all 256 lumas) at both ranges, and at every width
// around the AVX2 form's blocks, where the scalar form takes the rest; no
// byte past the row is written.
TEST(YuvToArgb, FormsAgreeOnEveryValueAndWidth) {
  if (BestPixelForm() != PixelForm::Avx2) GTEST_SKIP() << "no AVX2 here";
  for (bool full : {false, true}) {
    YuvToArgb scalar(full), avx2(full);
    ASSERT_TRUE(avx2.Coefficients().simd);
    constexpr int kWidth = 512;
    std::vector<uint8_t> y(kWidth), u(kWidth / 2), v(kWidth / 2), a(kWidth * 4), b(kWidth * 4);
    for (int x = 0; x < kWidth / 2; ++x) u[size_t(x)] = uint8_t(x);
    for (int cr = 0; cr < 256; ++cr) {
      std::fill(v.begin(), v.end(), uint8_t(cr));
      for (int shift = 0; shift < 128; ++shift) {
        for (int x = 0; x < kWidth; ++x) y[size_t(x)] = uint8_t(2 * shift + x % 2);
        scalar.Row(y.data(), u.data(), v.data(), kWidth, a.data(), PixelForm::Scalar);
        avx2.Row(y.data(), u.data(), v.data(), kWidth, b.data(), PixelForm::Avx2);
        ASSERT_EQ(a, b) << "full range " << full << ", V " << cr << ", shift " << shift;
      }
    }
    std::mt19937 random(7);
    for (int width : {1, 2, 3, 17, 31, 32, 33, 63, 64, 65, 95, 97, 1919, 1920, 1921}) {
      std::vector<uint8_t> yr(static_cast<size_t>(width)), ur(static_cast<size_t>(width + 1) / 2), vr(ur.size());
      for (auto* plane : {&yr, &ur, &vr})
        for (uint8_t& c : *plane) c = uint8_t(random());
      std::vector<uint8_t> ra(size_t(width) * 4 + 64, 0xA5), rb(ra);
      scalar.Row(yr.data(), ur.data(), vr.data(), width, ra.data(), PixelForm::Scalar);
      avx2.Row(yr.data(), ur.data(), vr.data(), width, rb.data(), PixelForm::Avx2);
      EXPECT_EQ(ra, rb) << "width " << width;
      for (size_t i = size_t(width) * 4; i < rb.size(); ++i) ASSERT_EQ(rb[i], 0xA5) << "width " << width;
    }
  }
}

struct Case {
  AVPixelFormat format;
  int width, height;
};

ff::FramePtr Picture(const Case& c, std::mt19937& random) {
  ff::FramePtr f(av_frame_alloc());
  f->format = c.format;
  f->width = c.width;
  f->height = c.height;
  if (av_frame_get_buffer(f.get(), 0) < 0) return nullptr;
  const bool halfHigh = c.format == AV_PIX_FMT_YUV420P || c.format == AV_PIX_FMT_YUVJ420P;
  const bool everyValue = c.width == 4096 && c.height == 4096 && halfHigh;
  const bool packed = c.format == AV_PIX_FMT_YUYV422;
  for (int p = 0; p < (packed ? 1 : 3); ++p) {
    const int w = packed ? 2 * c.width : p == 0 ? c.width : (c.width + 1) / 2;
    const int h = p == 0 || !halfHigh ? c.height : (c.height + 1) / 2;
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x) {
        uint8_t value = uint8_t(random());
        if (everyValue) {
          // Chroma sample k holds the pair k mod 65536; its 2 x 2 lumas
          // and its 63 repeats' together hold all 256 lumas.
          const int k = p == 0 ? (r / 2) * (c.width / 2) + x / 2 : r * w + x;
          value = p == 0 ? uint8_t(4 * (k >> 16) + 2 * (r % 2) + x % 2) : uint8_t(p == 1 ? k : k >> 8);
        }
        f->data[p][size_t(r) * size_t(f->linesize[p]) + size_t(x)] = value;
      }
  }
  return f;
}

// The camera's pictures come out as swscale made them before: the formats
// converted here at even sizes (all 16M values of 4:2:0 at both ranges,
// 4:2:2 with its odd chroma rows unread as swscale leaves them), and the
// sizes left to swscale.
TEST(YuvToArgb, PicturesMatchSwscale) {
  std::mt19937 random(11);
  const Case cases[] = {
      {AV_PIX_FMT_YUV420P, 4096, 4096},  {AV_PIX_FMT_YUVJ420P, 4096, 4096}, {AV_PIX_FMT_YUV420P, 1920, 1080},
      {AV_PIX_FMT_YUVJ422P, 1920, 1080}, {AV_PIX_FMT_YUV422P, 66, 34},      {AV_PIX_FMT_YUVJ420P, 2, 2},
      {AV_PIX_FMT_YUV420P, 34, 6},       {AV_PIX_FMT_YUV420P, 33, 20},      {AV_PIX_FMT_YUVJ422P, 32, 21},
      {AV_PIX_FMT_YUYV422, 64, 48},
  };
  for (const Case& c : cases) {
    ff::FramePtr in = Picture(c, random);
    ASSERT_TRUE(in);
    const int rowBytes = (c.width * 4 + 15) / 16 * 16;
    std::vector<uint8_t> ours(size_t(rowBytes) * size_t(c.height), 0), theirs(ours);
    ff::PictureConverter converter;
    ASSERT_TRUE(converter.Convert(in.get(), c.width, c.height, ours.data(), rowBytes));
    SwsContext* sws = sws_getContext(c.width, c.height, c.format, c.width, c.height, AV_PIX_FMT_ARGB, SWS_BILINEAR,
                                     nullptr, nullptr, nullptr);
    ASSERT_TRUE(sws);
    uint8_t* planes[4] = {theirs.data(), nullptr, nullptr, nullptr};
    int strides[4] = {rowBytes, 0, 0, 0};
    sws_scale(sws, in->data, in->linesize, 0, c.height, planes, strides);
    sws_freeContext(sws);
    size_t differ = 0;
    for (int r = 0; r < c.height; ++r)
      differ += std::memcmp(ours.data() + size_t(r) * rowBytes, theirs.data() + size_t(r) * rowBytes,
                            size_t(c.width) * 4) != 0;
    EXPECT_EQ(differ, 0u) << av_get_pix_fmt_name(c.format) << " " << c.width << "x" << c.height;
  }
}

}  // namespace
