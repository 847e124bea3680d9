// Level by level filtering of one block: per-level parameters, the settings a
// filter code gives, and the order in which levels are rebuilt and filtered.

#include "filter/AvdLevelFilter.h"

#include "ExactTable.h"
#include "pyramid/AvdPyramid.h"

void _GetFltParam(AvdBlockContext* ctx, int32_t pyramid, int32_t level, bool detail, AvdFltLevelParam* out) {
  const AvdFltParam* param = ctx->param;
  *out = AvdFltLevelParam();
  const int32_t strength = pyramid == 0 ? param->lumaDenoise[level] : param->chromaDenoise[level];
  out->keep = strength < 256 ? 256 - strength : 0;
  out->pyramid = pyramid;
  out->level = level;
  out->code = AvdCodeByte(pyramid == 0 ? param->lumaCodes : param->chromaCodes, level);
  const AvdPyramid& pb = ctx->pyramid.pyramids[pyramid];
  if (pyramid == 0 && level + 1 < pb.levelCount) out->coarser = &pb.levels[level + 1];
  if (ctx->curvature && param->edgeBuffers) out->curvature = &param->edgeBuffers[ctx->worker % param->workers];
  const AvdPreFrameState* pre = param->preFrame;
  if (pre) {
    out->frameCounter = pre->frameCounter;
    if (pre->pyramids && pre->count > 0) {
      const AvdImgPyramid& prev = pre->pyramids[ctx->worker % pre->count];
      if (pyramid < prev.count && level < prev.pyramids[pyramid].levelCount) {
        const AvdPyramid& pp = prev.pyramids[pyramid];
        out->previous = detail ? (pp.details ? &pp.details[level] : nullptr) : &pp.levels[level];
      }
    }
  }
}

void _GetSpatialParams(const AvdFltLevelParam* lp, int32_t q, AvdNLSettings* out) {
  static constexpr auto kLuma1 = ExactTable<int32_t, 4>({8, 4, 4, 1});
  static constexpr auto kChroma1 = ExactTable<int32_t, 4>({12, 6, 4, 1});
  static constexpr auto kLuma2 = ExactTable<int32_t, 4>({16, 8, 4, 1});
  static constexpr auto kChroma2 = ExactTable<int32_t, 4>({12, 8, 4, 1});
  const int32_t code = lp->code, family = code >> 4, l = lp->level & 3;
  *out = AvdNLSettings();
  out->size = (code & 2) ? 8 : 4;
  if (family == 1) {
    out->radius = (code & 4) ? 1 : 3;
    out->extension = (code & 4) ? 3 : 0;
    if (code & 1) out->prefilter = lp->pyramid ? kChroma1[l] : kLuma1[l];
    out->strength = 1 << (q + 2);
    if (lp->pyramid == 0 && lp->level == 0) out->strength = 1 << (q + 1);
  } else {
    out->radius = 1;
    out->extension = (code & 1) ? 0 : 2;
    if (code & 4) out->radius = out->extension = 0;
    out->prefilter = lp->pyramid ? kChroma2[l] : kLuma2[l];
    out->strength = (1 << (q + 2)) - ((code & 1) ? (1 << q) : 0);
  }
}

void _GetVNLparams(const AvdFltLevelParam* lp, int32_t q, AvdNLSettings* out) {
  static constexpr auto kFactor = ExactTable<int32_t, 4>({16, 8, 4, 1});
  static constexpr auto kTemporal = ExactTable<int32_t, 4>({40, 32, 24, 16});
  const int32_t code = lp->code, l = lp->level;
  *out = AvdNLSettings();
  out->size = (code & 2) ? 8 : 4;
  if (code & 1) {
    out->prefilter = l < 4 ? kFactor[l] : 0;
    out->radius = 1;
    out->extension = 2;
  } else {
    out->radius = 2;
  }
  if (code & 4) out->radius = out->extension = 0;
  out->temporalWeight = l < 4 ? kTemporal[l] : 0;
  if (l < 4) {
    static constexpr auto kLumaShift = ExactTable<int32_t, 4>({1, 2, 3, 3});
    static constexpr auto kChromaShift = ExactTable<int32_t, 4>({1, 1, 2, 2});
    out->strength = 1 << (q + (lp->pyramid ? kChromaShift[l] : kLumaShift[l]));
  }
  out->limit = 0x7FFFFFFF;
}

int32_t avdFlt_Block(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map) {
  if (lp->keep >= 256) return 0;  // filtered in place: nothing to copy
  const int32_t family = lp->code >> 4;
  if (family == 0) return 0;
  if (family > 3) return ENH_ERR_FILTER_FAMILY;
  if (!map || !map->cells) return 0;
  const int32_t q = map->q;
  AvdNLSettings set;
  if (family == 3) {
    if (!lp->previous || !lp->previous->be.block.data) return ENH_ERR_NO_PREVIOUS;
    _GetVNLparams(lp, q, &set);
    return avdNL_Video(memory, level, lp, map, &set);
  }
  _GetSpatialParams(lp, q, &set);
  return avdFLT_NL(memory, level, lp, map, &set);
}

int32_t avdFlt_OneBlock_Pyd(AvdBlockContext* ctx) {
  AvdImgPyramid& ipb = ctx->pyramid;
  for (int32_t p = 0; p < ipb.count; ++p) {
    AvdPyramid& pb = ipb.pyramids[p];
    const int32_t n = pb.levelCount;
    if (n < 1 || !pb.levels) continue;
    AvdNoiseMap* maps = ctx->maps[p < 3 ? p : 2];
    for (int32_t l = n - 1; l >= 0; --l) {
      AvdFltLevelParam lp;
      int32_t rc = 0;
      const AvdNoiseMap* map = maps ? &maps[l] : nullptr;
      if (p == 0 || l == n - 1) {
        if (l < n - 1) {
          rc = avdCB_Synthesis(ctx->memory, &pb.levels[l], &pb.details[l], &pb.levels[l + 1]);
          if (rc) return rc;
        }
        _GetFltParam(ctx, p, l, false, &lp);
        rc = avdFlt_Block(ctx->memory, &pb.levels[l], &lp, map);
      } else {
        _GetFltParam(ctx, p, l, true, &lp);
        rc = avdFlt_Block(ctx->memory, &pb.details[l], &lp, map);
        if (!rc) rc = avdCB_Synthesis(ctx->memory, &pb.levels[l], &pb.details[l], &pb.levels[l + 1]);
      }
      if (rc) return rc;
    }
  }
  return 0;
}
