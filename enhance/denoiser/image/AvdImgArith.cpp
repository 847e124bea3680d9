#include "AvdImgArith.h"

#include <atomic>

#include "AvdImageRecord.h"
#include "AvdSupport.h"
#include "WorkerPool.h"
#include "pyramid/PyramidKernelForms.h"
#include "pyramid/PyramidKernels.h"

namespace {

bool Fits(const uint8_t* p, int32_t pitch, int32_t width, int32_t height) {
  return p && width >= 0 && height >= 0 && (height <= 1 || pitch >= width);
}

}  // namespace

int32_t avdImgSubtract(const uint8_t* a, int32_t aPitch, uint32_t aFormat, const uint8_t* b, int32_t bPitch,
                       uint32_t bFormat, uint8_t* out, int32_t outPitch, uint32_t outFormat, int32_t width,
                       int32_t height) {
  if (aFormat != bFormat || AvdFmtKind(aFormat) != ELEM_U8 || AvdFmtKind(outFormat) != ELEM_I8)
    return ENH_ERR_ELEMENT_KIND;
  if (!Fits(a, aPitch, width, height) || !Fits(b, bPitch, width, height) || !Fits(out, outPitch, width, height))
    return ENH_ERR_ARGUMENT;
  ImgSubtract_U8U8I8_SSE(a, aPitch, b, bPitch, out, outPitch, width, height);
  return ENH_OK;
}

int32_t avdImgAdd(const uint8_t* a, int32_t aPitch, uint32_t aFormat, const uint8_t* d, int32_t dPitch,
                  uint32_t dFormat, uint8_t* out, int32_t outPitch, uint32_t outFormat, int32_t width,
                  int32_t height) {
  if (aFormat != outFormat || AvdFmtKind(aFormat) != ELEM_U8 || AvdFmtKind(dFormat) != ELEM_I8)
    return ENH_ERR_ELEMENT_KIND;
  if (!Fits(a, aPitch, width, height) || !Fits(d, dPitch, width, height) || !Fits(out, outPitch, width, height))
    return ENH_ERR_ARGUMENT;
  ImgAdd_U8I8U8_SSE(a, aPitch, d, dPitch, out, outPitch, width, height);
  return ENH_OK;
}

int32_t avdImgMulti(const uint8_t* src, int32_t srcPitch, uint32_t srcFormat, uint8_t* dst, int32_t dstPitch,
                    uint32_t dstFormat, int32_t width, int32_t height, int32_t factor) {
  if (srcFormat != dstFormat) return ENH_ERR_ELEMENT_KIND;
  if (factor == 256) return ENH_OK;
  if (AvdFmtKind(srcFormat) != ELEM_I8) return ENH_ERR_ELEMENT_KIND;
  if (factor < 0 || factor > 65536) return ENH_ERR_ARGUMENT;
  if (!Fits(src, srcPitch, width, height) || !Fits(dst, dstPitch, width, height)) return ENH_ERR_ARGUMENT;
  ImgMultiConst_I8_SSE2(src, srcPitch, dst, dstPitch, width, height, factor);
  return ENH_OK;
}

int32_t avdImgABS(const uint8_t* plane, int32_t pitch, uint32_t format, int32_t width, int32_t height) {
  if (AvdFmtKind(format) != ELEM_I8) return ENH_ERR_ELEMENT_KIND;
  if (!Fits(plane, pitch, width, height)) return ENH_ERR_ARGUMENT;
  // Strips sum on their own; the total is the same (it stays below 2^31).
  std::atomic<int64_t> total{0};
  enh::ParallelRows(height, 64, 1, [&](int32_t r0, int32_t r1) {
    total += ImgABS_I8_SSE2(plane + static_cast<ptrdiff_t>(r0) * pitch, pitch, width, r1 - r0);
  });
  return static_cast<int32_t>(total.load());
}

int32_t avdImgTune(const uint8_t* src, int32_t srcPitch, uint32_t srcFormat, uint8_t* dst, int32_t dstPitch,
                   uint32_t dstFormat, int32_t width, int32_t height, int32_t offset, int32_t factor) {
  if (!Fits(src, srcPitch, width, height) || !Fits(dst, dstPitch, width, height)) return ENH_ERR_ARGUMENT;
  if (srcFormat == dstFormat && offset == 0 && factor == 256) {
    const int32_t e = AvdFmtBytes(srcFormat) ? AvdFmtBytes(srcFormat) : 1;
    if (src != dst) avdJImgMemCpy(dst, dstPitch * e, src, srcPitch * e, width * e, height);
    return ENH_OK;
  }
  const uint32_t sk = AvdFmtKind(srcFormat), dk = AvdFmtKind(dstFormat);
  if (sk == ELEM_U8 && dk == ELEM_U8) {
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        int64_t v = (static_cast<int64_t>(src[static_cast<ptrdiff_t>(y) * srcPitch + x]) + offset) * factor;
        v >>= 8;
        dst[static_cast<ptrdiff_t>(y) * dstPitch + x] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
  } else if (sk == ELEM_I8 && dk == ELEM_I8) {
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        int64_t in = static_cast<int8_t>(src[static_cast<ptrdiff_t>(y) * srcPitch + x]);
        int64_t v = (static_cast<int64_t>(factor) * (offset + in)) >> 8;
        dst[static_cast<ptrdiff_t>(y) * dstPitch + x] =
            static_cast<uint8_t>(static_cast<int8_t>(v < -128 ? -128 : (v > 127 ? 127 : v)));
      }
  }
  return ENH_OK;
}
