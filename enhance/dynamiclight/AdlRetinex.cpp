#include "AdlRetinex.h"

#include <algorithm>
#include <vector>

#include "AdlPyramid.h"
#include "AdlRetinexApply.h"
#include "AdlTables.h"
#include "DynamicLight.h"
#include "WorkerPool.h"

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

namespace {

LumaLayout LayoutOf(int32_t format) {
  LumaLayout l;
  switch (format) {
    case ADL_FMT_YUY2: l.offset = 0; l.step = 2; break;
    case ADL_FMT_UYVY: l.offset = 1; l.step = 2; break;
    case ADL_FMT_YYUV: l.kind = LumaLayout::PairedYY; break;
    case ADL_FMT_Y8U4V4: l.kind = LumaLayout::Groups8; break;
    default: break;  // luma plane
  }
  return l;
}

struct BlockGain {
  int32_t gy, gc;
};

inline BlockGain GainOf(int32_t y0, int32_t s, int32_t d, const ApplyConsts& k) {
  const int32_t l = k.logTable[y0];
  const int32_t index = ClampGainIndex((((k.divTable[d >> 1] * (l - s)) >> 10) - l + k.offsetK) >> 1);
  const int32_t gain = k.gain[index];
  return {(gain * k.curve[y0]) >> 14, (k.chroma * gain) >> 5};
}

inline void ScaleLuma(const uint8_t* in, uint8_t* out, int32_t gy) { *out = ClampByte((*in * gy) >> 8); }
inline void ScaleChroma(const uint8_t* in, uint8_t* out, int32_t gc) {
  *out = ClampByte((((*in - 128) * gc) >> 8) + 128);
}

// One gain per 2 x 2 block for the formats other than YUY2 and UYVY: rows r
// and r + 1, block column j takes s = (sA + sB) >> 1, d = (dA + dB) >> 1.
void ApplyBlocksGeneric(const RetinexPicture& p, int32_t r, const int16_t* sA, const int16_t* sB,
                        const int16_t* dA, const int16_t* dB, const ApplyConsts& k) {
  const int32_t blocks = p.width / 2;
  const intptr_t r0 = static_cast<intptr_t>(r) * p.pitch[0];
  const intptr_t r1 = r0 + p.pitch[0];
  for (int32_t j = 0; j < blocks; ++j) {
    intptr_t y00 = 0, y01 = 0;  // byte offsets of the block's luma in its row
    switch (p.format) {
      case ADL_FMT_YYUV: y00 = 4 * j; y01 = y00 + 1; break;
      case ADL_FMT_Y8U4V4: y00 = (j >> 2) * 16 + 2 * (j & 3); y01 = y00 + 1; break;
      default: y00 = 2 * j; y01 = y00 + 1; break;
    }
    const BlockGain g = GainOf(p.src[0][r0 + y00], (sA[j] + sB[j]) >> 1, (dA[j] + dB[j]) >> 1, k);
    const uint8_t* s0 = p.src[0];
    uint8_t* t0 = p.dst[0];
    // Chroma bytes of the block, read before the luma of a shared row is written.
    switch (p.format) {
      case ADL_FMT_YYUV:
        for (intptr_t row : {r0, r1})
          for (intptr_t c : {4 * j + 2, 4 * j + 3}) ScaleChroma(s0 + row + c, t0 + row + c, g.gc);
        break;
      case ADL_FMT_Y8U4V4: {
        const intptr_t base = (j >> 2) * 16 + (j & 3);
        for (intptr_t row : {r0, r1})
          for (intptr_t c : {base + 8, base + 12}) ScaleChroma(s0 + row + c, t0 + row + c, g.gc);
        break;
      }
      case ADL_FMT_YUV420LP: {
        const intptr_t row = static_cast<intptr_t>(r / 2) * p.pitch[1];
        for (intptr_t c : {2 * j, 2 * j + 1}) ScaleChroma(p.src[1] + row + c, p.dst[1] + row + c, g.gc);
        break;
      }
      case ADL_FMT_YUV422LP:
        for (int32_t rr : {r, r + 1}) {
          const intptr_t row = static_cast<intptr_t>(rr) * p.pitch[1];
          for (intptr_t c : {2 * j, 2 * j + 1}) ScaleChroma(p.src[1] + row + c, p.dst[1] + row + c, g.gc);
        }
        break;
      case ADL_FMT_YUV420PLANAR: {
        const intptr_t u = static_cast<intptr_t>(r / 2) * p.pitch[1] + j;
        const intptr_t v = static_cast<intptr_t>(r / 2) * p.pitch[2] + j;
        ScaleChroma(p.src[1] + u, p.dst[1] + u, g.gc);
        ScaleChroma(p.src[2] + v, p.dst[2] + v, g.gc);
        break;
      }
      case ADL_FMT_YUV422PLANAR:
        for (int32_t rr : {r, r + 1}) {
          const intptr_t u = static_cast<intptr_t>(rr) * p.pitch[1] + j;
          const intptr_t v = static_cast<intptr_t>(rr) * p.pitch[2] + j;
          ScaleChroma(p.src[1] + u, p.dst[1] + u, g.gc);
          ScaleChroma(p.src[2] + v, p.dst[2] + v, g.gc);
        }
        break;
      default: break;
    }
    for (intptr_t row : {r0, r1}) {
      ScaleLuma(s0 + row + y00, t0 + row + y00, g.gy);
      ScaleLuma(s0 + row + y01, t0 + row + y01, g.gy);
    }
  }
}

}  // namespace

int32_t RetinexEnhance(const RetinexPicture& p, const AdlSceneRecord& scene,
                       const int16_t* gainCentre, int16_t* work, int64_t workBytes, int32_t level) {
  const int32_t width = p.width, height = p.height;
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

  if (PyramidFilterLuma(p.src[0], height, width, p.pitch[0], LayoutOf(p.format), mapS, mapD,
                        m.rows, m.cols, scratch, m.scratch, scene.decay, level) != 0)
    return 4;
  if (PyramidFilter(mapD, m.rows, m.cols, mapD, 90, 65, scratch, m.scratch) != 0) return 4;

  const bool packed422 = p.format == ADL_FMT_YUY2 || p.format == ADL_FMT_UYVY;
  const int32_t lumaOffset = p.format == ADL_FMT_UYVY ? 1 : 0;
  ApplyConsts k{offsetK, gainCentre, scene.curve, scene.chroma, logTable, DivTable(), lumaOffset};
  int32_t logCurve[256];
  BuildLogCurve(k, logCurve);
  k.logCurve = logCurve;
  const int32_t groups = width / 2;
  const int32_t pitch = p.pitch[0];
  auto srcRow = [&](int32_t r) { return p.src[0] + static_cast<intptr_t>(r) * pitch; };
  auto dstRow = [&](int32_t r) { return p.dst[0] + static_cast<intptr_t>(r) * pitch; };
  auto mapRow = [&](const int16_t* map, int32_t r) {
    return map + static_cast<intptr_t>(std::min(r, m.rows - 1)) * m.cols;
  };
  auto pair = [&](int32_t r, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                  const int16_t* dB) {
    if (r + 1 >= height) return;
    if (packed422)
      ApplyBlockPair(srcRow(r), srcRow(r + 1), dstRow(r), dstRow(r + 1), groups, sA, sB, dA, dB, k);
    else
      ApplyBlocksGeneric(p, r, sA, sB, dA, dB, k);
  };

  if (level == 1) {
    enh::ParallelRows(height, 32, 2, [&](int32_t r0, int32_t r1) {
      for (int32_t r = r0; r < r1; r += 2) {
        const int16_t* s = mapRow(mapS, r / 2);
        const int16_t* d = mapRow(mapD, r / 2);
        if (packed422) {
          // YUY2 and UYVY give every luma byte its own gain at this level.
          ApplyPixelRow(srcRow(r), dstRow(r), groups, s, d, k);
          if (r + 1 < height) ApplyPixelRow(srcRow(r + 1), dstRow(r + 1), groups, s, d, k);
        } else {
          pair(r, s, s, d, d);
        }
      }
    });
    return 0;
  }
  // Bands of f rows between two expanded map rows; strips of bands expand
  // their own lines. The rows below the last band use the last map row.
  const int32_t f = 1 << level;
  const int32_t bands = height >= 2 * f ? (height - 2 * f) / f + 1 : 0;  // while f k + 2f - 1 < height
  const int32_t n = (level == 2 ? 2 : 4) * m.cols;
  auto upSample = level == 2 ? UpSample4x4 : UpSample8x8;
  enh::ParallelRows(bands, 4, 1, [&](int32_t k0, int32_t k1) {
    std::vector<int16_t> own(static_cast<size_t>(6) * n);
    int16_t* s0 = own.data();
    int16_t* s1 = s0 + n;
    int16_t* sm = s0 + 2 * n;
    int16_t* d0 = s0 + 3 * n;
    int16_t* d1 = s0 + 4 * n;
    int16_t* dm = s0 + 5 * n;
    upSample(mapRow(mapS, k0), m.cols, s0);
    upSample(mapRow(mapD, k0), m.cols, d0);
    for (int32_t kk = k0; kk < k1; ++kk) {
      upSample(mapRow(mapS, kk + 1), m.cols, s1);
      upSample(mapRow(mapD, kk + 1), m.cols, d1);
      if (level == 2) {
        pair(4 * kk, s0, s0, d0, d0);
        pair(4 * kk + 2, s0, s1, d0, d1);
      } else {
        for (int32_t j = 0; j < n; ++j) {
          sm[j] = static_cast<int16_t>((s0[j] + s1[j]) >> 1);
          dm[j] = static_cast<int16_t>((d0[j] + d1[j]) >> 1);
        }
        pair(8 * kk, s0, s0, d0, d0);
        pair(8 * kk + 2, s0, sm, d0, dm);
        pair(8 * kk + 4, sm, sm, dm, dm);
        pair(8 * kk + 6, s1, sm, d1, dm);
      }
      std::swap(s0, s1);
      std::swap(d0, d1);
    }
  });
  int16_t* s0 = lines;
  int16_t* d0 = lines + n;
  upSample(mapRow(mapS, bands), m.cols, s0);
  upSample(mapRow(mapD, bands), m.cols, d0);
  for (int32_t r = f * bands; r < height; r += 2) pair(r, s0, s0, d0, d0);
  return 0;
}

}  // namespace adl
