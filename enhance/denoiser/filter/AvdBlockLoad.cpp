// Loading one block: its pyramid, the noise maps of the filtered levels, the
// curvature map of the coarsest luma level and the scene-change test; and
// storing it back once filtered.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "filter/AvdFilter.h"
#include "filter/AvdLevelFilter.h"
#include "filter/AvdLevelView.h"
#include "filter/AvdProfileAccess.h"
#include "image/AvdImgArith.h"
#include "image/AvdSupport.h"

namespace {

void FreeMaps(MHandle memory, AvdBlockContext* ctx) {
  for (AvdNoiseMap*& maps : ctx->maps) {
    if (!maps) continue;
    for (int l = 0; l < 4; ++l) avdJMemFree_Aligned(memory, maps[l].cells);
    MMemFree(memory, maps);
    maps = nullptr;
  }
}

void FreeContext(AvdBlockContext* ctx) {
  MHandle memory = ctx->memory;
  FreeMaps(memory, ctx);
  avdIPB_Release(memory, &ctx->pyramid);
  ctx->~AvdBlockContext();
  MMemFree(memory, ctx);
}

// Grid shifts from a level of channel p to the coarsest luma level.
void Shifts(uint32_t format, int32_t p, int32_t lumaDepth, int32_t l, int32_t* xs, int32_t* ys) {
  int32_t base = lumaDepth - 1 - l;
  *xs = *ys = base;
  if (p > 0) {
    const uint32_t sub = AvdFmtSubsampling(format);
    if (sub == AVD_SUB_420) *xs = *ys = base - 1;
    if (sub == AVD_SUB_422) *xs = base - 1;
  }
  *xs = std::max(*xs, 0);
  *ys = std::max(*ys, 0);
}

int32_t CreateMaps(AvdBlockContext* ctx, uint32_t format, int32_t blockWidth, int32_t blockHeight) {
  const int32_t Dl = ctx->lumaDepth, Dc = ctx->chromaDepth;
  const int32_t channels = std::min(ctx->pyramid.count, 3);
  const int32_t unit = 1 << (Dl - 1);
  const int32_t width = ((blockWidth + unit - 1) >> (Dl - 1)) + 8;
  const int32_t height = ((blockHeight + unit - 1) >> (Dl - 1)) + 8;
  const int32_t pitch = (width + 15) & ~15;
  for (int32_t p = 0; p < channels; ++p) {
    const int32_t depth = p == 0 ? Dl : Dc;
    if (depth <= 0) continue;
    auto* maps = static_cast<AvdNoiseMap*>(MMemAlloc(ctx->memory, 4 * sizeof(AvdNoiseMap)));
    if (!maps) return ENH_ERR_MEMORY;
    for (int l = 0; l < 4; ++l) new (&maps[l]) AvdNoiseMap();
    ctx->maps[p] = maps;
    const uint32_t codes = p == 0 ? ctx->param->lumaCodes : ctx->param->chromaCodes;
    for (int32_t l = 0; l < depth && l < 4; ++l) {
      if (!AvdCodeByte(codes, l)) continue;
      AvdNoiseMap& m = maps[l];
      m.width = width;
      m.height = height;
      m.pitch = pitch;
      m.left = m.top = 4;
      Shifts(format, p, Dl, l, &m.xShift, &m.yShift);
      m.cells = static_cast<uint8_t*>(avdJMemAlloc_Aligned(ctx->memory, static_cast<size_t>(pitch) * height, 16));
      if (!m.cells) return ENH_ERR_MEMORY;
    }
  }
  return 0;
}

// Noise values at the luminance of every sample of the coarsest luma level.
void FillMap(AvdNoiseMap* m, const AvdChannelBlock* coarsest, const uint8_t* bands, int32_t q) {
  const AvdBlock& b = coarsest->be.block;
  const int32_t vw = b.width - coarsest->be.left - coarsest->be.right;
  const int32_t vh = b.height - coarsest->be.top - coarsest->be.bottom;
  m->q = q;
  m->right = m->width - vw - 4;
  m->bottom = m->height - vh - 4;
  std::memset(m->cells, 0, static_cast<size_t>(m->pitch) * m->height);
  if (!bands || (b.kind & 0xff0) != static_cast<uint32_t>(ELEM_U8) || !b.data || b.width <= 0 || b.height <= 0) return;
  const int32_t cw = std::min(vw + 8, m->width), ch = std::min(vh + 8, m->height);
  // Columns left0 + i, held to the block: the edge columns repeat, the
  // ones between [inLo, inHi) are read as they are.
  const int32_t left0 = coarsest->be.left - 4, lastX = b.width - 1;
  const int32_t inLo = std::clamp(-left0, 0, cw), inHi = std::clamp(lastX - left0 + 1, inLo, cw);
  for (int32_t j = 0; j < ch; ++j) {
    const int32_t sy = std::clamp(coarsest->be.top - 4 + j, 0, b.height - 1);
    const uint8_t* row = b.data + static_cast<ptrdiff_t>(sy) * b.pitch;
    uint8_t* cell = m->cells + static_cast<ptrdiff_t>(j) * m->pitch;
    const uint8_t first = bands[row[0]], last = bands[row[lastX]];
    int32_t i = 0;
    for (; i < inLo; ++i) cell[i] = first;
    for (; i < inHi; ++i) cell[i] = bands[row[left0 + i]];
    for (; i < cw; ++i) cell[i] = last;
  }
}

// min(255, |V| + |H|) of the second differences across and along each sample.
bool FillCurvature(AvdFltParam* param, int32_t worker, const AvdChannelBlock* coarsest) {
  if (!param->edgeBuffers || param->workers < 1) return false;
  AvdBlockEdge* be = &param->edgeBuffers[worker % param->workers];
  const AvdBlock& src = coarsest->be.block;
  if (!be->block.data || !src.data || src.width > param->edgeWidth || src.height > param->edgeHeight) return false;
  const int32_t edges[4] = {coarsest->be.left, coarsest->be.top, coarsest->be.right, coarsest->be.bottom};
  avdBE_Init(be, ELEM_U8, src.width - edges[0] - edges[2], src.height - edges[1] - edges[3], edges);
  if (be->block.width != src.width || be->block.height != src.height) return false;
  const int32_t sp = src.pitch, dp = be->block.pitch;
  for (int32_t y = 1; y + 1 < src.height; ++y) {
    const uint8_t* a = src.data + static_cast<ptrdiff_t>(y) * sp;
    uint8_t* out = be->block.data + static_cast<ptrdiff_t>(y) * dp;
    for (int32_t x = 1; x + 1 < src.width; ++x) {
      const uint8_t* u = a + x - sp;
      const uint8_t* c = a + x;
      const uint8_t* d = a + x + sp;
      const int32_t v = u[-1] + 2 * u[0] + u[1] + d[-1] + 2 * d[0] + d[1] - 2 * (c[-1] + 2 * c[0] + c[1]);
      const int32_t h = u[-1] + 2 * c[-1] + d[-1] + u[1] + 2 * c[1] + d[1] - 2 * (u[0] + 2 * c[0] + d[0]);
      out[x] = static_cast<uint8_t>(std::min(255, std::abs(v) + std::abs(h)));
    }
  }
  return true;
}

// Activity of the finest luma details against the stored one.
void SceneChange(AvdBlockContext* ctx) {
  AvdPreFrameState* pre = ctx->param->preFrame;
  if (!pre || ctx->worker != 0 || pre->reestCounter >= -1) return;
  const AvdPyramid& pb = ctx->pyramid.pyramids[0];
  if (pb.levelCount < 2 || !pb.details) return;
  const AvdLevelView view = AvdLevelView::Of(&pb.details[0]);
  if (!view.origin || view.width <= 0 || view.height <= 0) return;
  const int32_t a = avdImgABS(view.origin, view.pitch, ELEM_I8, view.width, view.height);
  if (a >= 0) avdSceneActivity(pre, a);
}

}  // namespace

int32_t avdSceneActivity(AvdPreFrameState* pre, int32_t activity) {
  const int32_t stored = pre->activity;
  if (stored == 0) {
    pre->activity = activity;
    return 0;
  }
  if (activity != 0) {
    const double ratio = static_cast<double>(stored) / activity;
    if (ratio >= 0.8 && ratio <= 1.25) return 0;
  }
  pre->activity = activity;
  if (pre->frameCounter <= 0) return 0;
  pre->reestCounter = -1;
  return 1;
}

int32_t avdLoadBlockFromImg(AvdBlockContext** out, MHandle memory, const AvdImageRecord* picture,
                            const AvdRect* block, int32_t worker, AvdNoiseProfile* profile, AvdFltParam* param) {
  *out = nullptr;
  void* raw = MMemAlloc(memory, sizeof(AvdBlockContext));
  if (!raw) return ENH_ERR_MEMORY;
  AvdBlockContext* ctx = new (raw) AvdBlockContext();
  ctx->memory = memory;
  ctx->param = param;
  ctx->worker = worker;
  ctx->lumaDepth = param->lumaDepth;
  ctx->chromaDepth = param->chromaDepth;
  const int32_t D = std::max(param->lumaDepth, param->chromaDepth);
  if (D <= 0 || param->lumaDepth <= 0) {
    *out = ctx;
    return 0;
  }
  const int32_t W = picture->width, H = picture->height;
  const int32_t x0 = block->left, y0 = block->top, x1 = block->right, y1 = block->bottom;
  const int32_t b = 8 << (D - 1);
  const int32_t border[4] = {std::min(x0, b), std::min(y0, b), (W - x1 >= 0 && W - x1 < b) ? W - x1 : b,
                             (H - y1 >= 0 && H - y1 < b) ? H - y1 : b};
  const int32_t detailBorder[4] = {8, 8, 8, 8};
  const int32_t size[2] = {x1 - x0, y1 - y0};
  const uint32_t format = picture->format & ~0xF000u;
  int32_t rc = avdIPB_Create(memory, &ctx->pyramid, format, W, H, size, border, detailBorder, param->lumaDepth,
                             param->chromaDepth, 1);
  if (rc == 0) rc = CreateMaps(ctx, format, size[0], size[1]);
  if (rc == 0 && (ctx->pyramid.count < 1 || !ctx->pyramid.pyramids[0].levels ||
                  (param->lumaDepth > 1 && !ctx->pyramid.pyramids[0].details)))
    rc = ENH_ERR_MISSING;
  if (rc == 0) {
    avdIPB_SetPosEx(&ctx->pyramid, x0, y0, size[0], size[1], W, H);
    avdIPB_UpdateBlock(&ctx->pyramid, picture, 1);
    rc = avdIPB_Analysis(memory, &ctx->pyramid);
  }
  if (rc == 0) {
    SceneChange(ctx);
    if (param->preFrame && param->preFrame->reestCounter >= 0) rc = avdFltReestimate(ctx);
  }
  const int32_t Dl = param->lumaDepth;
  const AvdChannelBlock* coarsest = rc == 0 ? &ctx->pyramid.pyramids[0].levels[Dl - 1] : nullptr;
  for (int32_t p = 0; rc == 0 && p < std::min(ctx->pyramid.count, 3); ++p) {
    AvdPyramid& pb = ctx->pyramid.pyramids[p];
    const int32_t* sharpen = p == 0 ? param->lumaSharpen : param->chromaSharpen;
    const uint32_t codes = p == 0 ? param->lumaCodes : param->chromaCodes;
    for (int32_t l = pb.levelCount - 1; rc == 0 && l >= 0; --l) {
      if (l < pb.levelCount - 1 && l < 4) {
        AvdBlock& d = pb.details[l].be.block;
        rc = avdImgMulti(d.data, d.pitch, d.kind, d.data, d.pitch, d.kind, d.width, d.height, sharpen[l]);
        if (rc) break;
      }
      if (l < 4 && AvdCodeByte(codes, l) && ctx->maps[p] && ctx->maps[p][l].cells) {
        int32_t q = 0;
        const uint8_t* bands = avdFltProfileBands(profile, p, l, &q);
        FillMap(&ctx->maps[p][l], coarsest, bands, q);
      }
      if (p == 0 && l == Dl - 1) ctx->curvature = FillCurvature(param, worker, coarsest);
    }
  }
  if (rc) {
    FreeContext(ctx);
    return rc;
  }
  *out = ctx;
  return 0;
}

int32_t avdFilterAndSaveBlock(AvdBlockContext* ctx, const AvdImageRecord* picture) {
  if (!ctx) return ENH_ERR_ARGUMENT;
  int32_t rc = 0;
  if (ctx->pyramid.count > 0) {
    rc = avdFlt_OneBlock_Pyd(ctx);
    if (rc == 0) avdIPB_UpdateBlock(&ctx->pyramid, picture, 0);
  }
  FreeContext(ctx);
  return rc;
}
