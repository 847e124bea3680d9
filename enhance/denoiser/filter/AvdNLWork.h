#pragma once
// Work area of the non-local-means filters: the search area of one sub-block,
// copied so every candidate and the window kernels read inside one buffer.

#include <cstdint>
#include <new>

#include "EnhanceResult.h"
#include "filter/AvdLevelView.h"
#include "image/AvdSupport.h"

// The square of radius 3 and three extension steps at most.
constexpr int32_t kAvdMaxCandidates = 49 + 3 * 3;

struct AvdNLWork {
  static constexpr int32_t kPitch = 48;
  static constexpr int32_t kRows = 32;
  uint8_t area[kPitch * kRows];
  int32_t size = 8, radius = 0, reach = 0, reach4 = 0, nbOffset = 0;
  uint32_t kind = ELEM_U8;

  // Copies the search area of the sub-block at (x, y) of size s with radius r
  // and m extension steps; false when it does not lie inside the level block.
  bool Load(const AvdLevelView& view, int32_t x, int32_t y, int32_t s, int32_t r, int32_t m);
  const uint8_t* Neighbourhood() const { return area + reach * kPitch + reach4; }
  const uint8_t* SubBlock() const { return Neighbourhood() + nbOffset * kPitch + nbOffset; }
  int32_t Distance(int32_t dx, int32_t dy) const;
};

// The work area and weight table of one filtered level.
struct AvdNLResources {
  AvdNLWork* work = nullptr;
  AvdNLTable table;
  int32_t Create(MHandle memory) {
    work = static_cast<AvdNLWork*>(avdJMemAlloc_Aligned(memory, sizeof(AvdNLWork), 16));
    if (!work) return ENH_ERR_MEMORY;
    new (work) AvdNLWork();
    avdJMemSetZero(work->area, sizeof work->area);
    if (avdCreateNLTable(memory, &table) != 0) {
      Release(memory);
      return ENH_ERR_MEMORY;
    }
    return 0;
  }
  void Release(MHandle memory) {
    avdJMemFree_Aligned(memory, work);
    work = nullptr;
    avdReleaseNLTable(memory, &table);
  }
};

bool avdPreFilter(const AvdLevelView& view, const AvdLevelView* coarse, int32_t x, int32_t y, int32_t s,
                  int32_t noise, int32_t q, int32_t factor, int32_t keep);
void avdNL_OneBlock(AvdNLWork& work, uint8_t* dst, int32_t dstPitch, int32_t extension, int32_t noise,
                    int32_t strength, int32_t keep, const uint8_t* table);
