// Temporal filtering of one level against the same level of the previous
// frame: still sub-blocks take the previous (already filtered) samples, moving
// ones are filtered spatially and pulled toward the previous samples by how
// little they changed.

#include <algorithm>

#include "block/BlockKernels.h"
#include "filter/AvdLevelFilter.h"
#include "filter/AvdLevelView.h"
#include "filter/AvdNLWork.h"

namespace {

// Copies the rectangle of `from` at offsets [x0, x1) x [y0, y1) into `to`,
// both seen from the same picture position, clipped to both blocks.
void CopyArea(const AvdLevelView& from, const AvdLevelView& to, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  x0 = std::max({x0, from.minX, to.minX});
  y0 = std::max({y0, from.minY, to.minY});
  x1 = std::min({x1, from.maxX, to.maxX});
  y1 = std::min({y1, from.maxY, to.maxY});
  if (x1 <= x0 || y1 <= y0) return;
  avdJImgMemCpy(to.At(x0, y0), to.pitch, from.At(x0, y0), from.pitch, x1 - x0, y1 - y0);
}

// c + (p - c) * k in single precision, truncated toward zero.
template <typename T>
void RatioBlend44(T* c, int32_t cp, const T* p, int32_t pp, float k) {
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      T& out = c[j * cp + i];
      const float prod = static_cast<float>(p[j * pp + i] - out) * k;
      const float sum = static_cast<float>(out) + prod;
      out = static_cast<T>(static_cast<int32_t>(sum));
    }
}

}  // namespace

int32_t avdNL_Video(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map,
                    const AvdNLSettings* set) {
  if (!lp->previous || !lp->previous->be.block.data) return ENH_ERR_NO_PREVIOUS;
  const AvdLevelView view = AvdLevelView::Of(level);
  const AvdLevelView prev = AvdLevelView::Of(lp->previous).MovedTo(view.posX, view.posY);
  const int32_t around = 8;
  if (lp->frameCounter < 1) {
    CopyArea(view, prev, -around, -around, view.width + around, view.height + around);
    return 0;
  }
  AvdNLResources res;
  int32_t rc = res.Create(memory);
  if (rc) return rc;
  AvdLevelView coarse;
  if (lp->coarser) coarse = AvdLevelView::Of(lp->coarser);
  const AvdLevelView* coarsePtr = lp->coarser ? &coarse : nullptr;
  const bool sgn = view.kind == static_cast<uint32_t>(ELEM_I8);
  const int32_t s = set->size, nb = s == 4 ? 2 : 0, q = map->q;
  const int32_t x0 = AvdSubBlockStart(view.width, s), y0 = AvdSubBlockStart(view.height, s);
  for (int32_t y = y0; y < view.height; y += s)
    for (int32_t x = x0; x < view.width; x += s) {
      if (!view.Holds(x - nb, y - nb, 8, 8) || !prev.Holds(x - nb, y - nb, 8, 8)) continue;
      if (((x - x0) & 63) == 0 && prev.Holds(x + 64 - nb, y - nb, 8, 8)) {
        for (int r = 0; r < 8; ++r) {
          __builtin_prefetch(prev.At(x + 64 - nb, y - nb + r));
          __builtin_prefetch(view.At(x + 64 - nb, y - nb + r));
        }
      }
      int32_t v, e;
      AvdMapLookup(map, lp->curvature, x, y, s, &v, &e);
      if (v == 0) continue;
      const uint32_t n = static_cast<uint32_t>((v * set->temporalWeight) >> q);
      uint8_t* cur = view.At(x, y);
      const uint8_t* old = prev.At(x, y);
      const uint32_t change = static_cast<uint32_t>(
          avdQtrDiffAbsSum_B8(view.At(x - nb, y - nb), view.pitch, prev.At(x - nb, y - nb), prev.pitch,
                              static_cast<int32_t>(view.kind)));
      const uint32_t still = std::min<uint32_t>(((static_cast<uint32_t>(e) + 16) * n) >> 4, set->limit);
      if (change <= still) {
        avdJImgMemCpy(cur, view.pitch, old, prev.pitch, s, s);
        continue;
      }
      bool settled = false;
      if (set->prefilter >= 1 && e < 255)
        settled = avdPreFilter(view, coarsePtr, x, y, s, v, q, set->prefilter, lp->keep);
      if (!settled && set->radius + set->extension > 0 &&
          res.work->Load(view, x, y, s, set->radius, set->extension))
        avdNL_OneBlock(*res.work, cur, view.pitch, set->extension, v, set->strength, lp->keep, res.table.table);
      const uint32_t pull = std::min<uint32_t>(((static_cast<uint32_t>(e) + 32) * n) / 32, set->limit);
      if (s == 8) {
        if (sgn)
          avdMMSE_B8_I8_SSE2(reinterpret_cast<int8_t*>(cur), view.pitch, reinterpret_cast<const int8_t*>(old),
                             prev.pitch, reinterpret_cast<int8_t*>(cur), view.pitch, change, pull);
        else
          avdMMSE_B8_U8_SSE2(cur, view.pitch, old, prev.pitch, cur, view.pitch, change, pull);
      } else {
        const float k = static_cast<float>(pull) / static_cast<float>(change);
        if (sgn)
          RatioBlend44(reinterpret_cast<int8_t*>(cur), view.pitch, reinterpret_cast<const int8_t*>(old), prev.pitch, k);
        else
          RatioBlend44(cur, view.pitch, old, prev.pitch, k);
      }
    }
  res.Release(memory);
  CopyArea(view, prev, -around, -around, view.width + around, view.height + around);
  return 0;
}
