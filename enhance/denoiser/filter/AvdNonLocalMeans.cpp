// Spatial filtering of one level: flat sub-blocks are settled from their mean
// or from the coarser level, the others are averaged over similar sub-blocks
// of a small search window (non-local means).

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "block/BlockKernels.h"
#include "filter/AvdLevelFilter.h"
#include "filter/AvdLevelView.h"
#include "filter/AvdNLWork.h"
#include "image/AvdSupport.h"

void _UpdateNLSQ(int32_t rowOffset, int32_t columnOffset, int32_t distance, AvdNLCandidates* list) {
  list->offsets[list->count][0] = columnOffset;
  list->offsets[list->count][1] = rowOffset;
  list->distances[list->count] = distance;
  ++list->count;
}

namespace {

inline bool IsSigned(uint32_t kind) { return kind == static_cast<uint32_t>(ELEM_I8); }

// Counterpart of level offset (x, y) in the coarser level's valid-area offsets.
void Counterpart(const AvdLevelView& fine, const AvdLevelView& coarse, int32_t x, int32_t y, int32_t* cx,
                 int32_t* cy) {
  *cx = ((fine.posX + x) >> 1) - coarse.posX;
  *cy = ((fine.posY + y) >> 1) - coarse.posY;
}

// Blend of a 4x4 sub-block toward the coarser level enlarged by two.
void ExpandBlend44(const uint8_t* p, int32_t pp, uint8_t* b, int32_t pitch, int32_t keep) {
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      const uint8_t* q = p + (j >> 1) * pp + (i >> 1);
      int32_t e;
      if (!(i & 1) && !(j & 1))
        e = q[0];
      else if (!(j & 1))
        e = (q[0] + q[1] + 1) >> 1;
      else if (!(i & 1))
        e = (q[0] + q[pp] + 1) >> 1;
      else
        e = (q[0] + q[1] + q[pp] + q[pp + 1] + 2) >> 2;
      uint8_t& s = b[j * pitch + i];
      s = static_cast<uint8_t>(std::clamp(((e << 8) + (s - e) * keep + 128) >> 8, 0, 255));
    }
}

}  // namespace

bool avdPreFilter(const AvdLevelView& view, const AvdLevelView* coarse, int32_t x, int32_t y, int32_t s,
                  int32_t noise, int32_t q, int32_t factor, int32_t keep) {
  const int32_t nb = s == 4 ? 2 : 0;
  const int32_t level = (noise * factor) >> q;
  int32_t sum = 0, var = 0, cx = 0, cy = 0;
  const bool useCoarse = coarse && coarse->origin && view.kind == static_cast<uint32_t>(ELEM_U8);
  if (useCoarse) Counterpart(view, *coarse, x, y, &cx, &cy);
  if (useCoarse && s == 8) {
    if (!coarse->Holds(cx - 2, cy - 2, 8, 8) || !coarse->Holds(cx, cy, 5, 5)) return false;
    avdGetMeanAndVar_B8_U8_SSE2(coarse->At(cx - 2, cy - 2), coarse->pitch, &sum, &var);
    if (var > (level << 10)) return false;
  } else {
    if (!view.Holds(x - nb, y - nb, 8, 8)) return false;
    if (IsSigned(view.kind))
      avdGetMeanAndVar_B8_I8_SSE2(reinterpret_cast<const int8_t*>(view.At(x - nb, y - nb)), view.pitch, &sum, &var);
    else
      avdGetMeanAndVar_B8_U8_SSE2(view.At(x - nb, y - nb), view.pitch, &sum, &var);
    if (var > (level << 12)) return false;
  }
  uint8_t* sub = view.At(x, y);
  if (!coarse || !coarse->origin) {
    const int32_t mean = (sum + 32) >> 6;
    if (IsSigned(view.kind)) {
      if (s == 8)
        avdSetMean_88_I8_SSE2(reinterpret_cast<int8_t*>(sub), view.pitch, mean, keep);
      else
        avdSetMean_44_I8_SSE2(reinterpret_cast<int8_t*>(sub), view.pitch, mean, keep);
    } else if (s == 8) {
      avdSetMean_88_U8_SSE2(sub, view.pitch, mean, keep);
    } else {
      avdSetMean_44_U8_SSE2(sub, view.pitch, mean, keep);
    }
  } else if (useCoarse) {
    if (s == 8)
      avdExpand_88_U8_SSE2(coarse->At(cx, cy), coarse->pitch, sub, view.pitch, keep);
    else if (coarse->Holds(cx, cy, 3, 3))
      ExpandBlend44(coarse->At(cx, cy), coarse->pitch, sub, view.pitch, keep);
  }
  return true;
}

bool AvdNLWork::Load(const AvdLevelView& view, int32_t x, int32_t y, int32_t s, int32_t r, int32_t m) {
  size = s;
  radius = r;
  reach = r + m;
  reach4 = (reach + 3) & ~3;
  nbOffset = s == 4 ? 2 : 0;
  const int32_t ax = x - nbOffset - reach4, ay = y - nbOffset - reach;
  const int32_t w = 8 + 2 * reach4, h = 8 + 2 * reach;
  if (w > kPitch || h + 8 > kRows || !view.Holds(ax, ay, w, h)) return false;
  kind = view.kind;
  avdJImgMemCpy(area, kPitch, view.At(ax, ay), view.pitch, w, h);
  return true;
}

int32_t AvdNLWork::Distance(int32_t dx, int32_t dy) const {
  const uint8_t* nb = Neighbourhood();
  return avdDiffAbsSum(nb, kPitch, nb + dy * kPitch + dx, kPitch, static_cast<int32_t>(kind));
}

// Non-local means of the sub-block loaded into `work`, written to `dst`.
void avdNL_OneBlock(AvdNLWork& work, uint8_t* dst, int32_t dstPitch, int32_t extension, int32_t noise,
                    int32_t strength, int32_t keep, const uint8_t* table) {
  const int32_t s = work.size, r = work.radius, side = 2 * r + 1;
  int32_t offsets[kAvdMaxCandidates][2];
  int32_t distances[kAvdMaxCandidates];
  AvdNLCandidates list{offsets, distances, 0};

  int32_t square[49];
  const uint8_t* nb = work.Neighbourhood();
  if (work.kind == static_cast<uint32_t>(ELEM_I8))
    avdDiffAbsSum_Block_I8_SSE2(reinterpret_cast<const int8_t*>(nb), reinterpret_cast<const int8_t*>(nb - r * AvdNLWork::kPitch - r),
                                AvdNLWork::kPitch, side, side, square);
  else
    avdDiffAbsSum_Block_U8_SSE2(nb, nb - r * AvdNLWork::kPitch - r, AvdNLWork::kPitch, side, side, square);
  for (int32_t dy = -r; dy <= r; ++dy)
    for (int32_t dx = -r; dx <= r; ++dx) _UpdateNLSQ(dy, dx, square[(dy + r) * side + dx + r], &list);

  if (extension > 0 && r > 0) {
    // Start from the ring point with the smallest distance, first on ties.
    int32_t best = -1;
    for (int32_t i = 0; i < list.count; ++i) {
      const int32_t ax = std::abs(offsets[i][0]), ay = std::abs(offsets[i][1]);
      if (ax != r && ay != r) continue;
      if (best < 0 || distances[i] < distances[best]) best = i;
    }
    avdNL_Extend(&list, offsets[best][0], offsets[best][1], extension,
                 [&](int32_t dx, int32_t dy) { return work.Distance(dx, dy); });
  }

  // Weights from the table; the centre always weighs 16.
  const uint32_t f = (static_cast<uint32_t>(strength) * 256 + static_cast<uint32_t>(noise) / 2) /
                     static_cast<uint32_t>(noise);
  int32_t weights[kAvdMaxCandidates];
  int32_t total = 0;
  for (int32_t i = 0; i < list.count; ++i) {
    const uint64_t index = (static_cast<uint64_t>(static_cast<uint32_t>(distances[i])) * f) >> 13;
    weights[i] = index < 64 ? table[index] : 0;
    total += weights[i];
  }
  if (total <= 0) return;

  const uint8_t* sub = work.SubBlock();
  const bool sgn = work.kind == static_cast<uint32_t>(ELEM_I8);
  alignas(32) uint32_t acc32[64];
  alignas(32) uint16_t acc16[64];
  const int32_t cells = s * s;
  auto cand = [&](int32_t i) { return sub + offsets[i][1] * AvdNLWork::kPitch + offsets[i][0]; };
  int32_t first = 0;
  if (r >= 2) {
    if (sgn)
      avdWeightSum_Block_I8_SSE2(reinterpret_cast<int32_t*>(acc32), s,
                                 reinterpret_cast<const int8_t*>(sub - r * AvdNLWork::kPitch - r), AvdNLWork::kPitch,
                                 weights, side, side);
    else
      avdWeightSum_Block_U8_SSE2(acc32, s, sub - r * AvdNLWork::kPitch - r, AvdNLWork::kPitch, weights, side, side);
    first = side * side;
  } else {
    std::memset(acc16, 0, sizeof acc16);
    const int32_t n16 = std::min(list.count, 16);
    for (int32_t i = 0; i < n16; ++i) {
      if (sgn)
        avdOneWeightSum_I8_I16(reinterpret_cast<int16_t*>(acc16), reinterpret_cast<const int8_t*>(cand(i)),
                               AvdNLWork::kPitch, weights[i], s);
      else
        avdOneWeightSum_U8_U16(acc16, cand(i), AvdNLWork::kPitch, weights[i], s);
    }
    if (list.count <= 16) {
      if (sgn)
        avdImgFromSum_I8_I16(reinterpret_cast<const int8_t*>(sub), AvdNLWork::kPitch, total, keep, s,
                             reinterpret_cast<int8_t*>(dst), dstPitch, reinterpret_cast<const int16_t*>(acc16));
      else
        avdImgFromSum_U8_U16(sub, AvdNLWork::kPitch, total, keep, s, dst, dstPitch, acc16);
      return;
    }
    if (sgn)
      _UpBitsI16_32(reinterpret_cast<int32_t*>(acc32), reinterpret_cast<const int16_t*>(acc16), cells);
    else
      _UpBitsU16_32(acc32, acc16, cells);
    first = 16;
  }
  for (int32_t i = first; i < list.count; ++i) {
    if (sgn)
      avdOneWeightSum_I8_I32(reinterpret_cast<int32_t*>(acc32), reinterpret_cast<const int8_t*>(cand(i)),
                             AvdNLWork::kPitch, weights[i], s);
    else
      avdOneWeightSum_U8_U32(acc32, cand(i), AvdNLWork::kPitch, weights[i], s);
  }
  if (sgn)
    avdImgFromSum_I8_I32(reinterpret_cast<const int8_t*>(sub), AvdNLWork::kPitch, total, keep, s,
                         reinterpret_cast<int8_t*>(dst), dstPitch, reinterpret_cast<const int32_t*>(acc32));
  else
    avdImgFromSum_U8_U32(sub, AvdNLWork::kPitch, total, keep, s, dst, dstPitch, acc32);
}

int32_t avdFLT_NL(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map,
                  const AvdNLSettings* set) {
  AvdNLResources res;
  int32_t rc = res.Create(memory);
  if (rc) return rc;
  const AvdLevelView view = AvdLevelView::Of(level);
  AvdLevelView coarse;
  if (lp->coarser) coarse = AvdLevelView::Of(lp->coarser);
  const AvdLevelView* coarsePtr = lp->coarser ? &coarse : nullptr;
  const int32_t s = set->size;
  const int32_t x0 = AvdSubBlockStart(view.width, s), y0 = AvdSubBlockStart(view.height, s);
  for (int32_t y = y0; y < view.height; y += s)
    for (int32_t x = x0; x < view.width; x += s) {
      if (!view.Holds(x, y, s, s)) continue;
      int32_t v, e;
      AvdMapLookup(map, lp->curvature, x, y, s, &v, &e);
      if (v == 0) continue;
      if (set->prefilter >= 1 && e < 255 &&
          avdPreFilter(view, coarsePtr, x, y, s, v, map->q, set->prefilter, lp->keep))
        continue;
      if (set->radius + set->extension <= 0) continue;
      if (!res.work->Load(view, x, y, s, set->radius, set->extension)) continue;
      avdNL_OneBlock(*res.work, view.At(x, y), view.pitch, set->extension, ((e + 64) * v) >> 6, set->strength,
                     lp->keep, res.table.table);
    }
  res.Release(memory);
  return 0;
}
