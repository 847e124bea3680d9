// Temporal filtering of one level against the same level of the previous
// frame: still sub-blocks take the previous (already filtered) samples, moving
// ones are filtered spatially and pulled toward the previous samples by how
// little they changed.

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "block/BlockKernels.h"
#include "filter/AvdLevelFilter.h"
#include "filter/AvdLevelView.h"
#include "filter/AvdNLWork.h"
#include "WorkerPool.h"

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

namespace {

// One level's temporal filtering, sub-block by sub-block.
struct VideoLevel {
  AvdLevelView view, prev, coarse;
  const AvdFltLevelParam* lp;
  const AvdNoiseMap* map;
  const AvdNLSettings* set;
  bool sgn;
  int32_t s, nb, q, x0, y0, cols, rows;

  // The sub-block of column j, row i: its samples are read and written here
  // only, and its search area reaches the neighbours Reach() gives.
  void SubBlock(int32_t i, int32_t j, AvdNLResources& res) const {
    const int32_t x = x0 + j * s, y = y0 + i * s;
    if (!view.Holds(x - nb, y - nb, 8, 8) || !prev.Holds(x - nb, y - nb, 8, 8)) return;
    // The previous frame's level has left the cache by now: fetch ahead.
    if ((j & 7) == 0 && prev.Holds(x + 64 - nb, y - nb, 8, 8)) {
      for (int r = 0; r < 8; ++r) {
        __builtin_prefetch(prev.At(x + 64 - nb, y - nb + r));
        __builtin_prefetch(view.At(x + 64 - nb, y - nb + r));
      }
    }
    int32_t v, e;
    AvdMapLookup(map, lp->curvature, x, y, s, &v, &e);
    if (v == 0) return;
    const uint32_t n = static_cast<uint32_t>((v * set->temporalWeight) >> q);
    uint8_t* cur = view.At(x, y);
    const uint8_t* old = prev.At(x, y);
    const uint32_t change = static_cast<uint32_t>(
        avdQtrDiffAbsSum_B8(view.At(x - nb, y - nb), view.pitch, prev.At(x - nb, y - nb), prev.pitch,
                            static_cast<int32_t>(view.kind)));
    const uint32_t still = std::min<uint32_t>(((static_cast<uint32_t>(e) + 16) * n) >> 4, set->limit);
    if (change <= still) {
      avdJImgMemCpy(cur, view.pitch, old, prev.pitch, s, s);
      return;
    }
    bool settled = false;
    if (set->prefilter >= 1 && e < 255)
      settled = avdPreFilter(view, coarse.origin ? &coarse : nullptr, x, y, s, v, q, set->prefilter, lp->keep);
    if (!settled && set->radius + set->extension > 0 && res.work->Load(view, x, y, s, set->radius, set->extension))
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

  // How far a sub-block's reads reach into its neighbours: whole sub-blocks
  // sideways, samples up and down (the 8 x 8 neighbourhood, widened for the
  // search by the reach rows and the reach rounded up to 4 columns).
  void Reach(int32_t* columns, int32_t* samplesUpDown) const {
    const int32_t reach = set->radius + set->extension;
    const int32_t reach4 = reach > 0 ? (reach + 3) & ~3 : 0;
    const int32_t left = nb + reach4, right = 8 - nb - s + reach4;
    *columns = std::max((left + s - 1) / s, (right + s - 1) / s);
    *samplesUpDown = std::max(nb + (reach > 0 ? reach : 0), 8 - nb - s + (reach > 0 ? reach : 0));
  }

  void Row(int32_t i, AvdNLResources& res) const {
    for (int32_t j = 0; j < cols; ++j) SubBlock(i, j, res);
  }
};

// Until `count` reaches `need`: a short spin, then asleep (the row above may
// be waiting for a processor itself). A sleeper counts itself in `sleepers`
// before its last look, so the row above wakes it (a system call) only when
// someone sleeps.
int32_t WaitFor(const std::atomic<int32_t>& count, int32_t need, std::atomic<int32_t>& sleepers) {
  int32_t seen = count.load(std::memory_order_acquire);
  if (seen >= need) return seen;
  for (int spin = 0; seen < need && spin < 256; ++spin) {
    _mm_pause();
    seen = count.load(std::memory_order_acquire);
  }
  while (seen < need) {
    sleepers.fetch_add(1);
    seen = count.load();
    if (seen < need) count.wait(seen, std::memory_order_acquire);
    sleepers.fetch_sub(1);
    seen = count.load(std::memory_order_acquire);
  }
  return seen;
}

void Finished(std::atomic<int32_t>& count, int32_t value, const std::atomic<int32_t>& sleepers) {
  count.store(value);
  if (sleepers.load() > 0) count.notify_all();
}

// The level's valid area with `around` samples on every side, rows [r0, r1)
// of it (level coordinates), copied into the previous-frame level.
void CopyRows(const AvdLevelView& from, const AvdLevelView& to, int32_t around, int32_t r0, int32_t r1) {
  r0 = std::max(r0, -around);
  r1 = std::min(r1, from.height + around);
  if (r1 > r0) CopyArea(from, to, -around, r0, from.width + around, r1);
}

void CopyAround(const AvdLevelView& from, const AvdLevelView& to, int32_t around) {
  const int32_t y0 = -around, y1 = from.height + around;
  enh::ParallelRows(y1 - y0, 64, 1, [&](int32_t r0, int32_t r1) { CopyRows(from, to, around, y0 + r0, y0 + r1); });
}

// Rows of sub-blocks on the worker pool, then the filtered level into the
// previous frame's. Sub-blocks that read other sub-blocks' samples see the
// ones above and to the left as already filtered, the ones below and to the
// right as not yet. So a sub-block starts only once the row above has
// finished the sub-blocks it can see (a wavefront), which also keeps it far
// enough behind that the row above never sees its writes.
int32_t FilterRows(MHandle memory, const VideoLevel& lv, int32_t around) {
  int32_t lag = 0, upDown = 0;
  lv.Reach(&lag, &upDown);
  std::atomic<int32_t> failed{0};
  if (lag == 0 && upDown == 0) {
    // Sub-blocks that read only themselves go in any order, and each row
    // goes on to the previous frame's level as soon as it is done, while it
    // is still in the cache: no other row reads it there.
    auto rowsOf = [&](int32_t i0, int32_t i1) {
      AvdNLResources res;
      if (int32_t rc = res.Create(memory)) {
        failed = rc;
        return;
      }
      for (int32_t i = i0; i < i1; ++i) {
        lv.Row(i, res);
        CopyRows(lv.view, lv.prev, around, lv.y0 + i * lv.s, lv.y0 + (i + 1) * lv.s);
      }
      res.Release(memory);
    };
    enh::ParallelRows(lv.rows, 2, 1, rowsOf);
    // The rows around that no sub-block row covers.
    CopyRows(lv.view, lv.prev, around, -around, lv.y0);
    CopyRows(lv.view, lv.prev, around, lv.y0 + lv.rows * lv.s, lv.view.height + around);
    return failed.load();
  }
  if (enh::ParallelThreads() <= 1 || lv.rows < 4 || upDown > lv.s) {
    AvdNLResources res;
    if (int32_t rc = res.Create(memory)) return rc;
    for (int32_t i = 0; i < lv.rows; ++i) lv.Row(i, res);
    res.Release(memory);
  } else {
    // Sub-block (i, j) waits for (i, j - 1) and for (i - 1, j + lag): any
    // order that keeps those two comes out as row by row does. Shifting row
    // i by i * lag columns turns the second into "the one above", so rows
    // go in bands of kBandRows, each band walking its rows in tiles of
    // kTileColumns shifted columns, a tile starting once the band above has
    // finished the tiles it reaches into. A band's rows stay on one thread
    // and in its cache, and threads meet once a tile rather than a row.
    constexpr int32_t kBandRows = 4;
    constexpr int32_t kTileColumns = 8;
    // Bands wait on one another all along, so threads are first tried only
    // with far more work than an independent strip needs (the pool keeps
    // them only while they pay).
    constexpr double kWavefrontShareNs = 500'000;
    // done[b]: shifted columns of band b finished, each on a cache line of
    // its own (the bands beside it run on other threads).
    struct alignas(64) Progress {
      std::atomic<int32_t> done{0};
    };
    const int32_t bands = (lv.rows + kBandRows - 1) / kBandRows;
    std::vector<Progress> done(bands);
    std::atomic<int32_t> sleepers{0};
    // A full band's shifted width: the band above every band is a full one.
    const int32_t fullWidth = lv.cols + lag * (kBandRows - 1);
    enh::ParallelFor(bands, [&](int32_t b) {
      AvdNLResources res;
      const int32_t rc = res.Create(memory);
      if (rc) failed = rc;
      const int32_t i0 = b * kBandRows, rows = std::min(kBandRows, lv.rows - i0);
      const int32_t width = lv.cols + lag * (rows - 1);
      int32_t above = 0;
      for (int32_t t0 = 0; t0 < width; t0 += kTileColumns) {
        const int32_t t1 = std::min(width, t0 + kTileColumns);
        // The tile's first row reaches (i0 - 1, j + lag) for j < t1, which
        // lies at shifted column j + lag * kBandRows of the band above.
        const int32_t need = std::min(fullWidth, t1 + lag * kBandRows);
        if (b > 0 && above < need) above = WaitFor(done[b - 1].done, need, sleepers);
        for (int32_t r = 0; r < rows && !rc; ++r) {
          const int32_t j1 = std::min(lv.cols, t1 - lag * r);
          for (int32_t j = std::max(0, t0 - lag * r); j < j1; ++j) lv.SubBlock(i0 + r, j, res);
        }
        Finished(done[b].done, t1, sleepers);
      }
      if (!rc) res.Release(memory);
    }, kWavefrontShareNs);
    if (int32_t rc = failed.load()) return rc;
  }
  // Rows read their neighbours in the previous frame's level as it was: it is
  // written once all are done.
  CopyAround(lv.view, lv.prev, around);
  return 0;
}

}  // namespace

int32_t avdNL_Video(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map,
                    const AvdNLSettings* set) {
  if (!lp->previous || !lp->previous->be.block.data) return ENH_ERR_NO_PREVIOUS;
  VideoLevel lv;
  lv.view = AvdLevelView::Of(level);
  lv.prev = AvdLevelView::Of(lp->previous).MovedTo(lv.view.posX, lv.view.posY);
  const int32_t around = 8;
  if (lp->frameCounter < 1) {
    CopyAround(lv.view, lv.prev, around);
    return 0;
  }
  if (lp->coarser) lv.coarse = AvdLevelView::Of(lp->coarser);
  lv.lp = lp;
  lv.map = map;
  lv.set = set;
  lv.sgn = lv.view.kind == static_cast<uint32_t>(ELEM_I8);
  lv.s = set->size;
  lv.nb = lv.s == 4 ? 2 : 0;
  lv.q = map->q;
  lv.x0 = AvdSubBlockStart(lv.view.width, lv.s);
  lv.y0 = AvdSubBlockStart(lv.view.height, lv.s);
  lv.cols = lv.view.width > lv.x0 ? (lv.view.width - lv.x0 + lv.s - 1) / lv.s : 0;
  lv.rows = lv.view.height > lv.y0 ? (lv.view.height - lv.y0 + lv.s - 1) / lv.s : 0;
  return FilterRows(memory, lv, around);
}
