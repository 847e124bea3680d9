#pragma once
// Filtering of one pyramid level of a block: the per-level parameters, the
// dispatch on the level's filter code and the spatial and temporal filters.

#include <cstdint>

#include "filter/AvdFilter.h"

// Per-level filter parameters.
struct AvdFltLevelParam {
  int32_t keep = 0;     // weight of the unfiltered samples in 1/256 (256: unchanged)
  int32_t pyramid = 0;  // 0 luma, else chroma
  int32_t level = 0;
  int32_t code = 0;     // filter code byte of the level
  const AvdChannelBlock* coarser = nullptr;   // next coarser level, or none
  const AvdBlockEdge* curvature = nullptr;    // the worker's curvature map, or none
  int32_t frameCounter = 0;
  int32_t reserved = 0;
  AvdChannelBlock* previous = nullptr;  // co-located level of the previous frame
};

// Settings a filter code gives a level.
struct AvdNLSettings {
  int32_t size = 8;       // sub-block size s
  int32_t radius = 0;     // search radius r
  int32_t extension = 0;  // extension steps m
  int32_t prefilter = 0;  // flat-block factor (0: no flat-block test)
  int32_t strength = 0;   // non-local-means strength g
  int32_t temporalWeight = 0;
  uint32_t limit = 0x7FFFFFFF;
};

void _GetFltParam(AvdBlockContext* ctx, int32_t pyramid, int32_t level, bool detail, AvdFltLevelParam* out);
void _GetSpatialParams(const AvdFltLevelParam* lp, int32_t q, AvdNLSettings* out);
void _GetVNLparams(const AvdFltLevelParam* lp, int32_t q, AvdNLSettings* out);

// Filters the level in place; 0, -801 for an unknown family, -1301 for a
// temporal code without a previous-frame level, -201 without memory.
int32_t avdFlt_Block(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map);
int32_t avdFLT_NL(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map,
                  const AvdNLSettings* set);
int32_t avdNL_Video(MHandle memory, AvdChannelBlock* level, const AvdFltLevelParam* lp, const AvdNoiseMap* map,
                    const AvdNLSettings* set);

// Candidate list of the non-local-means search: offset pairs (dx, dy) and distances.
struct AvdNLCandidates {
  int32_t (*offsets)[2];
  int32_t* distances;
  int32_t count;
};
void _UpdateNLSQ(int32_t rowOffset, int32_t columnOffset, int32_t distance, AvdNLCandidates* list);

// The extension walk from a ring point: appends three candidates a step.
// `measure` gives the distance at an offset.
template <typename Measure>
void avdNL_Extend(AvdNLCandidates* list, int32_t startDx, int32_t startDy, int32_t steps, Measure measure) {
  int32_t dx = startDx, dy = startDy;
  for (int32_t k = 0; k < steps; ++k) {
    if (dx) dx += dx > 0 ? 1 : -1;
    if (dy) dy += dy > 0 ? 1 : -1;
    const int32_t d0 = measure(dx, dy);
    int32_t n1x, n1y, n2x, n2y;
    const int32_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (ay < ax) {
      n1x = dx, n1y = dy - 1, n2x = dx, n2y = dy + 1;
    } else if (ay > ax) {
      n1x = dx - 1, n1y = dy, n2x = dx + 1, n2y = dy;
    } else {
      n1x = dx >= 0 ? dx - 1 : dx + 1, n1y = dy;
      n2x = dx, n2y = dy >= 0 ? dy - 1 : dy + 1;
    }
    const int32_t d1 = measure(n1x, n1y), d2 = measure(n2x, n2y);
    _UpdateNLSQ(dy, dx, d0, list);
    _UpdateNLSQ(n1y, n1x, d1, list);
    _UpdateNLSQ(n2y, n2x, d2, list);
    int32_t bx = dx, by = dy, bd = d0;
    if (d1 < bd) bx = n1x, by = n1y, bd = d1;
    if (d2 < bd) bx = n2x, by = n2y, bd = d2;
    dx = bx, dy = by;
  }
}
