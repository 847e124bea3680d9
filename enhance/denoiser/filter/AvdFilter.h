#pragma once
// Filtering core of the video denoiser: cuts the frame into blocks, builds the
// block's Laplacian pyramid per channel, filters each level with the method its
// filter code selects (spatial or temporal non-local means with a flat-block
// shortcut) and writes the rebuilt block to the output.

#include <cstdint>

#include "filter/AvdFilterParam.h"
#include "image/AvdImageRecord.h"

typedef int32_t (*AvdProgressFunc)(int32_t percent, int32_t reserved, void* param);

// Everything one block needs between loading and storing.
struct AvdBlockContext {
  MHandle memory = nullptr;
  AvdImgPyramid pyramid;
  AvdNoiseMap* maps[3] = {nullptr, nullptr, nullptr};  // per channel, one record a level
  int32_t lumaDepth = 0;
  int32_t chromaDepth = 0;
  AvdFltParam* param = nullptr;
  int32_t worker = 0;
  bool curvature = false;  // the worker's curvature map holds this block's values
};

// Picture sizes the pyramid can take: smaller frames are refused untouched.
constexpr int32_t kAvdMinFrameSide = 16;

int32_t avdPyramid_Filter(MHandle memory, const AvdImageRecord* in, AvdImageRecord* out,
                          AvdNoiseProfile* profile, AvdFltParam* param, AvdProgressFunc callback, void* cbParam);
int32_t avdPyd_Flt_BlockLoop(MHandle memory, const AvdImageRecord* in, AvdNoiseProfile* profile,
                             AvdFltParam* param, const AvdRect* rect, AvdImageRecord* out,
                             AvdProgressFunc callback, void* cbParam);
int32_t avdFlt_OneBlock(MHandle memory, const AvdImageRecord* src, AvdImageRecord* dst, const AvdRect* block,
                        int32_t worker, AvdNoiseProfile* profile, AvdFltParam* param);
int32_t avdLoadBlockFromImg(AvdBlockContext** out, MHandle memory, const AvdImageRecord* picture,
                            const AvdRect* block, int32_t worker, AvdNoiseProfile* profile, AvdFltParam* param);
int32_t avdFilterAndSaveBlock(AvdBlockContext* ctx, const AvdImageRecord* picture);
int32_t avdFlt_OneBlock_Pyd(AvdBlockContext* ctx);

// Scene-change test of one block's activity against the stored one: a clear
// change (outside 0.8..1.25 of it) is stored and, from the second frame after
// a reset on, starts a re-estimation (answer 1).
int32_t avdSceneActivity(AvdPreFrameState* pre, int32_t activity);

// Next block position in row order; 0 after the last one.
int32_t avdLoopNext(int32_t* x, int32_t* y, const AvdRect* rect, int32_t stepWidth, int32_t stepHeight);

// Block step keeping the working memory within 0x3200000 bytes.
void avdFlt_AutoBlockStep(int32_t width, int32_t height, int32_t workers, int32_t lumaDepth, int32_t chromaDepth,
                          uint32_t lumaCodes, uint32_t chromaCodes, uint32_t format, int32_t* stepWidth,
                          int32_t* stepHeight);
int64_t avdFlt_MemBytes(int32_t width, int32_t height, int32_t lumaDepth, int32_t chromaDepth, uint32_t lumaCodes,
                        uint32_t chromaCodes, int32_t edge, uint32_t format);
