#include "AvdNoiseEstimate.h"

#include <algorithm>

#include "AvdNoiseFit.h"
#include "EnhanceResult.h"
#include "image/AvdImage.h"
#include "image/AvdSupport.h"
#include "pyramid/AvdPyramid.h"
#include "pyramid/PyramidKernels.h"

namespace {

constexpr int32_t kLumBits = 8, kVarBits = 6;
constexpr int32_t kMemoryLimit = 0x3200000, kMemorySlack = 8192;

struct CountTask {
  MHandle hMem;
  AvdLVLevel* level;
  const AvdChannelBlock* detail;
  const AvdChannelBlock* luminance;
  int32_t xShift, yShift;
  int32_t result;
};

int32_t RunCountTask(void* arg) {
  auto* t = static_cast<CountTask*>(arg);
  t->result = avdEstLVTableFromBlock(t->hMem, t->level, t->detail, t->luminance, t->xShift, t->yShift);
  return t->result;
}

int32_t TableLevels(const AvdLVTableSet* set, int32_t channel) {
  return set && set->channels && channel < set->count ? set->channels[channel].count : 0;
}

}  // namespace

int32_t avdEstMultiLVTableFromBlock(MHandle hMem, AvdLVTableSet* set, const AvdRect* block,
                                    const AvdImageRecord* img) {
  if (!set || !set->channels || !block || !img) return ENH_ERR_ARGUMENT;
  const int32_t channels = AvdFmtChannels(img->format);
  const int32_t lumaTable = TableLevels(set, 0);
  const int32_t chromaTable = channels > 1 ? TableLevels(set, 1) : 0;
  const int32_t lumaPyr = lumaTable + 1;
  const int32_t chromaPyr = chromaTable > 0 ? chromaTable + 1 : 0;
  const int32_t x0 = block->left, y0 = block->top, x1 = block->right, y1 = block->bottom;
  if (x0 < 0 || y0 < 0 || x1 <= x0 || y1 <= y0) return ENH_ERR_ARGUMENT;
  const int32_t b = 4 << (std::max(lumaPyr, chromaPyr) - 1);
  const int32_t border[4] = {std::min(x0, b), std::min(y0, b), std::min(img->width - x1, b),
                             std::min(img->height - y1, b)};
  if (border[2] < 0 || border[3] < 0) return ENH_ERR_ARGUMENT;
  const int32_t detailBorder[4] = {4, 4, 4, 4};
  const int32_t size[2] = {x1 - x0, y1 - y0};
  const uint32_t format = (img->format & ~AVD_ELEMENT_MASK) | ELEM_U8;
  AvdImgPyramid ipb;
  int32_t res = avdIPB_Create(hMem, &ipb, format, img->width, img->height, size, border, detailBorder, lumaPyr,
                              chromaPyr, 1);
  CountTask* tasks = nullptr;
  void** args = nullptr;
  const int32_t taskCount = lumaTable + (ipb.count > 1 ? (ipb.count - 1) * chromaTable : 0);
  if (res == ENH_OK && (!ipb.pyramids || !ipb.pyramids[0].levels || (lumaPyr > 1 && !ipb.pyramids[0].details)))
    res = ENH_ERR_MISSING;
  if (res == ENH_OK) {
    avdIPB_SetPosEx(&ipb, x0, y0, size[0], size[1], img->width, img->height);
    avdIPB_UpdateBlock(&ipb, img, 1);
    res = avdIPB_Analysis(hMem, &ipb);
  }
  if (res == ENH_OK && taskCount > 0) {
    tasks = static_cast<CountTask*>(MMemAlloc(hMem, sizeof(CountTask) * taskCount));
    args = static_cast<void**>(MMemAlloc(hMem, sizeof(void*) * taskCount));
    if (!tasks || !args) res = ENH_ERR_MEMORY;
  }
  if (res == ENH_OK && taskCount > 0) {
    const AvdChannelBlock* luminance = &ipb.pyramids[0].levels[lumaPyr - 1];
    const uint32_t sub = AvdFmtSubsampling(img->format);
    int32_t n = 0;
    for (int32_t c = 0; c < ipb.count && c < set->count; ++c) {
      const int32_t levels = c == 0 ? lumaTable : chromaTable;
      for (int32_t k = 0; k < levels && k < set->channels[c].count; ++k) {
        int32_t xs = lumaPyr - 1 - k, ys = xs;
        if (c > 0 && sub == AVD_SUB_420) --xs, --ys;
        if (c > 0 && sub == AVD_SUB_422) --xs;
        tasks[n] = CountTask{hMem, &set->channels[c].levels[k], &ipb.pyramids[c].details[k], luminance,
                             std::max(0, xs), std::max(0, ys), ENH_OK};
        args[n] = &tasks[n];
        ++n;
      }
    }
    DoWork_Parallel(RunCountTask, args, n);
    for (int32_t i = 0; i < n && res == ENH_OK; ++i) res = tasks[i].result;
  }
  MMemFree(hMem, tasks);
  MMemFree(hMem, args);
  avdIPB_Release(hMem, &ipb);
  return res;
}

int32_t avdEstLVTableFromImg(MHandle hMem, AvdLVTableSet* set, const AvdRect* rect, const AvdImageRecord* img) {
  if (!set || !rect || !img) return ENH_ERR_ARGUMENT;
  AvdRect r{std::max(0, rect->left), std::max(0, rect->top), std::min(img->width, rect->right),
            std::min(img->height, rect->bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return ENH_ERR_ARGUMENT;
  const int32_t lumaLevels = TableLevels(set, 0);
  const int32_t chromaLevels = AvdFmtChannels(img->format) > 1 ? TableLevels(set, 1) : 0;
  const int32_t s = std::max(lumaLevels, chromaLevels);
  const int32_t unit = 1 << s, border = 4 << s;
  auto roundUp = [unit](int32_t v) { return (v + unit - 1) / unit * unit; };
  int32_t bw = roundUp(r.right - r.left), bh = roundUp(r.bottom - r.top);
  for (;;) {
    const int32_t size[2] = {bw, bh};
    const int64_t bytes = avdMemBytes_NoiseEst(size, img->format, lumaLevels, chromaLevels, border, 1);
    if (bytes + kMemorySlack <= kMemoryLimit || (bw <= unit && bh <= unit)) break;
    if (bw > bh) bw = roundUp(std::max(unit, bw - unit));
    else bh = roundUp(std::max(unit, bh - unit));
  }
  for (int32_t y = r.top; y < r.bottom; y += bh)
    for (int32_t x = r.left; x < r.right; x += bw) {
      const AvdRect block{x, y, std::min(x + bw, img->width), std::min(y + bh, img->height)};
      if (int32_t res = avdEstMultiLVTableFromBlock(hMem, set, &block, img)) return res;
    }
  return ENH_OK;
}

int32_t avdEstImgNoiseConfig(MHandle hMem, AvdNoiseProfile* profile, const AvdImageRecord* img) {
  if (!profile || !img || img->width <= 0 || img->height <= 0) return ENH_ERR_ARGUMENT;
  const int32_t channels = profile->channelCount;
  const int32_t lumaLevels = avdNoiseChannel(profile, 0)->levelCount;
  const int32_t chromaLevels = channels > 1 ? avdNoiseChannel(profile, 1)->levelCount : 0;
  AvdLVTableSet set;
  int32_t res = avdCreateMultiLVTable(&set, hMem, channels, lumaLevels, chromaLevels, kLumBits, kVarBits);
  if (res == ENH_OK) {
    AvdRect whole;
    ImgRect(&whole, img->width, img->height);
    res = avdEstLVTableFromImg(hMem, &set, &whole, img);
  }
  if (res == ENH_OK) avdImgNoiseConfigFromLVTable(profile, img->width * img->height, &set);
  avdReleaseMultiLVTable(hMem, &set);
  return res;
}

int32_t avdNS_CreateFromImage(MHandle hMem, void* block, size_t capacity, const AvdImageRecord* img,
                              const int32_t params[4]) {
  if (!params || params[3] != 1) return ENH_OK;
  if (!img || !block) return ENH_ERR_ARGUMENT;
  const int32_t channels = AvdFmtChannels(img->format);
  AvdNoiseProfile* profile = avdInitImgNoiseConfig(block, capacity, channels, params[0], kLumBits,
                                                   channels > 1 ? params[1] : 0, kLumBits);
  if (!profile) return ENH_ERR_ARGUMENT;
  return avdEstImgNoiseConfig(hMem, profile, img);
}
