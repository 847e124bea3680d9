// The frame loop: the output starts as a copy of the input and every block is
// loaded from it, filtered and written back, with progress reports.

#include <algorithm>

#include "filter/AvdFilter.h"
#include "image/AvdImage.h"

int32_t avdFlt_OneBlock(MHandle memory, const AvdImageRecord* src, AvdImageRecord* dst, const AvdRect* block,
                        int32_t worker, AvdNoiseProfile* profile, AvdFltParam* param) {
  AvdBlockContext* ctx = nullptr;
  int32_t rc = avdLoadBlockFromImg(&ctx, memory, dst, block, worker, profile, param);
  if (rc) return rc;
  return avdFilterAndSaveBlock(ctx, src);
}

int32_t avdPyd_Flt_BlockLoop(MHandle memory, const AvdImageRecord* in, AvdNoiseProfile* profile,
                             AvdFltParam* param, const AvdRect* rect, AvdImageRecord* out,
                             AvdProgressFunc callback, void* cbParam) {
  if (!in || !out || !profile || !param || !rect) return ENH_ERR_ARGUMENT;
  if (out->width != in->width || out->height != in->height) return ENH_ERR_ARGUMENT;
  const int32_t rw = rect->right - rect->left, rh = rect->bottom - rect->top;
  if (rw <= 0 || rh <= 0) return ENH_ERR_ARGUMENT;
  int32_t stepW = 0, stepH = 0;
  avdFlt_AutoBlockStep(rw, rh, 1, param->lumaDepth, param->chromaDepth, param->lumaCodes, param->chromaCodes,
                       in->format, &stepW, &stepH);
  if (stepW <= 0 || stepH <= 0) return ENH_ERR_ARGUMENT;
  const int32_t across = (rw + stepW - 1) / stepW, down = (rh + stepH - 1) / stepH;
  const int32_t increment = std::max(100 / (across * down), 1);

  const bool samePixels = in->buffer == out->buffer && in->plane[0] == out->plane[0] && in->pitch[0] == out->pitch[0];
  if (!samePixels) {
    int32_t rc = avdImgCpy(in, out);
    if (rc) return rc;
  }
  int32_t progress = 0;
  int32_t x = rect->left, y = rect->top;
  do {
    const AvdRect block{x, y, std::min(x + stepW, rect->right), std::min(y + stepH, rect->bottom)};
    int32_t rc = avdFlt_OneBlock(memory, out, out, &block, 0, profile, param);
    if (rc) return rc;
    // Reports only rising values, so the caller sees each percentage once.
    const int32_t next = std::min(progress + increment, 100);
    if (callback && next > progress) {
      progress = next;
      int32_t answer = callback(progress, 0, cbParam);
      if (answer) {
        if (progress < 100) callback(100, 0, cbParam);
        return answer;
      }
    }
  } while (avdLoopNext(&x, &y, rect, stepW, stepH));
  if (callback && progress < 100) callback(100, 0, cbParam);
  return 0;
}

int32_t avdPyramid_Filter(MHandle memory, const AvdImageRecord* in, AvdImageRecord* out,
                          AvdNoiseProfile* profile, AvdFltParam* param, AvdProgressFunc callback, void* cbParam) {
  if (!in) return ENH_ERR_ARGUMENT;
  AvdRect rect;
  ImgRect(&rect, in->width, in->height);
  return avdPyd_Flt_BlockLoop(memory, in, profile, param, &rect, out, callback, cbParam);
}
