// Pixel-format conversion between two external descriptors.

#include "driver/AvdDenoiserHandle.h"
#include "image/AvdFormatConvert.h"

int32_t LI_ImgFmtTrans(const AVD_IMAGE* src, AVD_IMAGE* dst) {
  if (!src || !dst) return ENH_ERR_ARGUMENT;
  AvdImageRecord a, b;
  LI_TransToInterior(src, &a);
  LI_TransToInterior(dst, &b);
  if (!a.format || !b.format) return ENH_ERR_FORMAT;
  return avdImgFmtTrans(&a, &b);
}

extern "C" int32_t AVD_ImgFmtTrans(const AVD_IMAGE* src, AVD_IMAGE* dst) { return LI_ImgFmtTrans(src, dst); }
