#include "ColorConvert.h"

#include <cstdlib>

#include "KernelForm.h"
#include "WorkerPool.h"

namespace colorconvert {

namespace {
inline uint8_t Clamp255(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
}  // namespace

void ToYUY2RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  for (int32_t i = 0; i < pairs; ++i, src += 8, dst += 4) {
    const int32_t r0 = src[1], g0 = src[2], b0 = src[3];
    const int32_t r1 = src[5], g1 = src[6], b1 = src[7];
    const int32_t sr = r0 + r1, sg = g0 + g1, sb = b0 + b1;
    dst[0] = static_cast<uint8_t>(((66 * r0 + 129 * g0 + 25 * b0) >> 8) + 16);
    dst[1] = static_cast<uint8_t>(((112 * sb - 74 * sg - 38 * sr) >> 9) + 128);
    dst[2] = static_cast<uint8_t>(((66 * r1 + 129 * g1 + 25 * b1) >> 8) + 16);
    dst[3] = static_cast<uint8_t>(((112 * sr - 94 * sg - 18 * sb) >> 9) + 128);
  }
}

void ToRGB32RowScalar(uint8_t* dst, const uint8_t* src, int32_t pairs) {
  for (int32_t i = 0; i < pairs; ++i, src += 4, dst += 8) {
    const int32_t u = src[1], v = src[3];
    const int32_t bu = g_iBUTab[u];
    const int32_t g = g_iGUTab[u] + g_iGVTab[v];
    const int32_t rv = g_iRVTab[v];
    for (int k = 0; k < 2; ++k) {
      const int32_t y = g_iYYTab[src[2 * k]];
      uint8_t* p = dst + 4 * k;
      p[0] = 0;
      p[1] = Clamp255((y + rv) >> 13);
      p[2] = Clamp255((y - g) >> 13);
      p[3] = Clamp255((y + bu) >> 13);
    }
  }
}

void ToPlanesRowScalar(uint8_t* yp, uint8_t* up, uint8_t* vp, const uint8_t* src, int32_t width) {
  for (int32_t x = 0; x < width; ++x, src += 4) {
    const int32_t r = src[1], g = src[2], b = src[3];
    const int32_t y = (9798 * r + 19235 * g + 3736 * b + 16384) >> 15;
    yp[x] = static_cast<uint8_t>(y);
    up[x] = Clamp255(((18492 * (b - y) + 16384) >> 15) + 128);
    vp[x] = Clamp255(((23372 * (r - y) + 16384) >> 15) + 128);
  }
}

void ToLumaRowScalar(uint8_t* yp, const uint8_t* src, int32_t width) {
  for (int32_t x = 0; x < width; ++x, src += 4)
    yp[x] = static_cast<uint8_t>((9798 * src[1] + 19235 * src[2] + 3736 * src[3] + 16384) >> 15);
}

}  // namespace colorconvert

namespace {

template <typename Row>
Row Pick(Row scalar, Row sse2, Row avx2) {
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2: return avx2;
    case KernelForm::SSE2: return sse2;
    case KernelForm::Scalar: break;
  }
  return scalar;
}

// Rows below this are not worth a thread of their own.
constexpr int32_t kMinStripRows = 32;

// Negative height: read the source bottom-up.
void Orient(const uint8_t*& src, int32_t& srcPitch, int32_t& height) {
  if (height < 0) {
    height = -height;
    src += static_cast<intptr_t>(height - 1) * srcPitch;
    srcPitch = -srcPitch;
  }
}

}  // namespace

void RGB32ToYUY2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height) {
  using namespace colorconvert;
  const ToYUY2Row row = Pick<ToYUY2Row>(ToYUY2RowScalar, ToYUY2RowSSE2, ToYUY2RowAVX2);
  Orient(src, srcPitch, height);
  enh::ParallelRows(height, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
    for (int32_t r = r0; r < r1; ++r)
      row(dst + static_cast<intptr_t>(r) * dstPitch, src + static_cast<intptr_t>(r) * srcPitch, width >> 1);
  });
}

void YUY2ToRGB32(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height) {
  using namespace colorconvert;
  const ToRGB32Row row = Pick<ToRGB32Row>(ToRGB32RowScalar, ToRGB32RowSSE2, ToRGB32RowAVX2);
  Orient(src, srcPitch, height);
  enh::ParallelRows(height, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
    for (int32_t r = r0; r < r1; ++r)
      row(dst + static_cast<intptr_t>(r) * dstPitch, src + static_cast<intptr_t>(r) * srcPitch, width >> 1);
  });
}

void RGB32ToYUVPlane(uint8_t* planes, const uint8_t* src, int32_t width, int32_t height,
                     int32_t srcPitch) {
  using namespace colorconvert;
  const ToPlanesRow row = Pick<ToPlanesRow>(ToPlanesRowScalar, ToPlanesRowSSE2, ToPlanesRowAVX2);
  const intptr_t plane = static_cast<intptr_t>(width) * height;
  for (int32_t r = 0; r < height; ++r) {
    const intptr_t at = static_cast<intptr_t>(r) * width;
    row(planes + at, planes + plane + at, planes + 2 * plane + at,
        src + static_cast<intptr_t>(r) * srcPitch, width);
  }
}

void RGB32ToLumaPlane(uint8_t* luma, const uint8_t* src, int32_t width, int32_t height, int32_t srcPitch) {
  using namespace colorconvert;
  const ToLumaRow row = Pick<ToLumaRow>(ToLumaRowScalar, ToLumaRowSSE2, ToLumaRowAVX2);
  enh::ParallelRows(height, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
    for (int32_t r = r0; r < r1; ++r)
      row(luma + static_cast<intptr_t>(r) * width, src + static_cast<intptr_t>(r) * srcPitch, width);
  });
}

void RGB32ToYUY2AndLuma(uint8_t* yuy2, int32_t yuy2Pitch, uint8_t* luma, const uint8_t* src, int32_t srcPitch,
                        int32_t width, int32_t height) {
  using namespace colorconvert;
  const ToYUY2Row toYuy2 = Pick<ToYUY2Row>(ToYUY2RowScalar, ToYUY2RowSSE2, ToYUY2RowAVX2);
  const ToLumaRow toLuma = Pick<ToLumaRow>(ToLumaRowScalar, ToLumaRowSSE2, ToLumaRowAVX2);
  if (ActiveKernelForm() == KernelForm::AVX2) {
    // One read of each source row for both.
    enh::ParallelRows(height, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
      for (int32_t r = r0; r < r1; ++r)
        ToYUY2AndLumaRowAVX2(yuy2 + static_cast<intptr_t>(r) * yuy2Pitch, luma + static_cast<intptr_t>(r) * width,
                             src + static_cast<intptr_t>(r) * srcPitch, width);
    });
    return;
  }
  enh::ParallelRows(height, kMinStripRows, 1, [&](int32_t r0, int32_t r1) {
    for (int32_t r = r0; r < r1; ++r) {
      const uint8_t* row = src + static_cast<intptr_t>(r) * srcPitch;
      toYuy2(yuy2 + static_cast<intptr_t>(r) * yuy2Pitch, row, width >> 1);
      toLuma(luma + static_cast<intptr_t>(r) * width, row, width);
    }
  });
}
