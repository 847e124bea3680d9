#include "AdlRetinex.h"

#include <algorithm>

#include "AdlPyramid.h"
#include "AdlRetinexApply.h"
#include "AdlTables.h"

namespace adl {
namespace {

struct MapSize {
  int32_t rows, cols;
  int64_t cells, scratch, lines;
};

MapSize SizeOf(int32_t width, int32_t height, int32_t level) {
  const int32_t f = 1 << level;
  MapSize m;
  m.cols = (width + f - 1) / f;
  m.rows = (height + f - 1) / f;
  m.cells = static_cast<int64_t>(m.rows) * m.cols;
  m.scratch = m.cells > 2047 ? m.cells / 2 : 1024;
  m.lines = level == 1 ? 0 : (level == 2 ? 8 : 24) * static_cast<int64_t>(m.cols);
  return m;
}

}  // namespace

int64_t RetinexWorkWords(int32_t width, int32_t height, int32_t level) {
  const MapSize m = SizeOf(width, height, level);
  return m.scratch + 2 * m.cells + m.lines;
}

int32_t RetinexEnhancePacked(const uint8_t* src, int32_t height, int32_t width, int32_t pitch,
                             uint8_t* dst, const AdlSceneRecord& scene, const int16_t* gainCentre,
                             int16_t* work, int64_t workBytes, int32_t level, int32_t lumaOffset) {
  const MapSize m = SizeOf(width, height, level);
  if (!work || workBytes / 2 < m.scratch + 2 * m.cells + m.lines) return 4;
  int16_t* scratch = work;
  int16_t* mapS = work + m.scratch;
  int16_t* mapD = mapS + m.cells;
  int16_t* lines = mapD + m.cells;

  const int16_t* logTable = LogTable();
  const int32_t logMean = scene.logMean;
  const int32_t targetIndex = std::min((scene.target + 50) / 100, 255);
  const int32_t offsetK = logMean + ((logTable[std::max(targetIndex, 0)] - logMean + 1024) >> 1);

  if (PyramidFilterLuma(src, height, width, pitch, lumaOffset, 2, mapS, mapD, m.rows, m.cols,
                        scratch, m.scratch, scene.decay, level) != 0)
    return 4;
  if (PyramidFilter(mapD, m.rows, m.cols, mapD, 90, 65, scratch, m.scratch) != 0) return 4;

  const ApplyConsts k{offsetK, gainCentre, scene.curve, scene.chroma, logTable, DivTable(), lumaOffset};
  const int32_t groups = width / 2;
  auto srcRow = [&](int32_t r) { return src + static_cast<intptr_t>(r) * pitch; };
  auto dstRow = [&](int32_t r) { return dst + static_cast<intptr_t>(r) * pitch; };
  auto mapRow = [&](const int16_t* map, int32_t r) {
    return map + static_cast<intptr_t>(std::min(r, m.rows - 1)) * m.cols;
  };

  if (level == 1) {
    for (int32_t r = 0; r < height; ++r)
      ApplyPixelRow(srcRow(r), dstRow(r), groups, mapRow(mapS, r / 2), mapRow(mapD, r / 2), k);
    return 0;
  }

  auto pair = [&](int32_t r, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                  const int16_t* dB) {
    if (r + 1 >= height) return;
    ApplyBlockPair(srcRow(r), srcRow(r + 1), dstRow(r), dstRow(r + 1), groups, sA, sB, dA, dB, k);
  };

  if (level == 2) {
    const int32_t n = 2 * m.cols;
    int16_t* s0 = lines;
    int16_t* d0 = lines + n;
    int16_t* s1 = lines + 2 * n;
    int16_t* d1 = lines + 3 * n;
    UpSample4x4(mapRow(mapS, 0), m.cols, s0);
    UpSample4x4(mapRow(mapD, 0), m.cols, d0);
    int32_t kk = 0;
    for (; 4 * kk + 7 < height; ++kk) {
      UpSample4x4(mapRow(mapS, kk + 1), m.cols, s1);
      UpSample4x4(mapRow(mapD, kk + 1), m.cols, d1);
      pair(4 * kk, s0, s0, d0, d0);
      pair(4 * kk + 2, s0, s1, d0, d1);
      std::swap(s0, s1);
      std::swap(d0, d1);
    }
    for (int32_t r = 4 * kk; r < height; r += 2) pair(r, s0, s0, d0, d0);
    return 0;
  }

  const int32_t n = 4 * m.cols;
  int16_t* s0 = lines;
  int16_t* s1 = lines + n;
  int16_t* sm = lines + 2 * n;
  int16_t* d0 = lines + 3 * n;
  int16_t* d1 = lines + 4 * n;
  int16_t* dm = lines + 5 * n;
  UpSample8x8(mapRow(mapS, 0), m.cols, s0);
  UpSample8x8(mapRow(mapD, 0), m.cols, d0);
  int32_t kk = 0;
  for (; 8 * kk + 15 < height; ++kk) {
    UpSample8x8(mapRow(mapS, kk + 1), m.cols, s1);
    UpSample8x8(mapRow(mapD, kk + 1), m.cols, d1);
    for (int32_t j = 0; j < n; ++j) {
      sm[j] = static_cast<int16_t>((s0[j] + s1[j]) >> 1);
      dm[j] = static_cast<int16_t>((d0[j] + d1[j]) >> 1);
    }
    pair(8 * kk, s0, s0, d0, d0);
    pair(8 * kk + 2, s0, sm, d0, dm);
    pair(8 * kk + 4, sm, sm, dm, dm);
    pair(8 * kk + 6, s1, sm, d1, dm);
    std::swap(s0, s1);
    std::swap(d0, d1);
  }
  for (int32_t r = 8 * kk; r < height; r += 2) pair(r, s0, s0, d0, d0);
  return 0;
}

}  // namespace adl
