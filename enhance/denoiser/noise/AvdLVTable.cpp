#include "AvdLVTable.h"

#include <algorithm>
#include <cstring>

#include "EnhanceResult.h"
#include "image/AvdImageRecord.h"
#include "image/AvdSupport.h"

int32_t avdCreateMultiLVTable(AvdLVTableSet* set, MHandle hMem, int32_t channels, int32_t lumaLevels,
                              int32_t chromaLevels, int32_t lumBits, int32_t varBits) {
  if (!set || channels < 1 || channels > 3 || lumBits < 1 || varBits < 1 || lumBits + varBits > 20)
    return ENH_ERR_ARGUMENT;
  set->channels = static_cast<AvdLVChannel*>(MMemAlloc(hMem, sizeof(AvdLVChannel) * channels));
  if (!set->channels) return ENH_ERR_MEMORY;
  for (int32_t c = 0; c < channels; ++c) set->channels[c] = AvdLVChannel{};
  set->count = channels;
  const size_t perLevel = size_t{1} << (lumBits + varBits);
  for (int32_t c = 0; c < channels; ++c) {
    const int32_t levels = c == 0 ? lumaLevels : chromaLevels;
    if (levels < 1) continue;
    auto* entries = static_cast<AvdLVLevel*>(MMemAlloc(hMem, sizeof(AvdLVLevel) * levels));
    if (!entries) return ENH_ERR_MEMORY;
    auto* counters = static_cast<uint16_t*>(MMemAlloc(hMem, perLevel * levels * sizeof(uint16_t)));
    if (!counters) {
      MMemFree(hMem, entries);
      return ENH_ERR_MEMORY;
    }
    std::memset(counters, 0, perLevel * levels * sizeof(uint16_t));
    for (int32_t k = 0; k < levels; ++k) entries[k] = AvdLVLevel{counters + perLevel * k, lumBits, varBits, k};
    set->channels[c].levels = entries;
    set->channels[c].count = levels;
  }
  return ENH_OK;
}

void avdReleaseMultiLVTable(MHandle hMem, AvdLVTableSet* set) {
  if (!set || !set->channels) return;
  for (int32_t c = 0; c < set->count; ++c) {
    AvdLVChannel& ch = set->channels[c];
    if (ch.levels) {
      MMemFree(hMem, ch.levels[0].counters);
      MMemFree(hMem, ch.levels);
    }
  }
  MMemFree(hMem, set->channels);
  set->channels = nullptr;
  set->count = 0;
}

int32_t avdEstLVTableFromBlock(MHandle hMem, AvdLVLevel* level, const AvdChannelBlock* detail,
                               const AvdChannelBlock* luminance, int32_t xShift, int32_t yShift) {
  if (!level || !level->counters || !detail || !luminance || !detail->be.block.data || !luminance->be.block.data)
    return ENH_ERR_MISSING;
  if (xShift < 0 || yShift < 0 || xShift > 15 || yShift > 15) return ENH_ERR_ARGUMENT;
  const AvdBlock& d = detail->be.block;
  if (AvdKindBytes(d.kind) != 1) return ENH_ERR_ELEMENT_KIND;
  const int32_t lm = std::max(4, detail->be.left), tm = std::max(4, detail->be.top);
  const int32_t rm = std::max(4, detail->be.right), bm = std::max(4, detail->be.bottom);
  const int32_t W = d.width - lm - rm, H = d.height - tm - bm;
  if (W <= 0 || H <= 0) return ENH_OK;
  // The statistics read 4 samples around the region; a block too small for
  // its margins has none.
  if (lm < 4 || tm < 4 || lm + W + 4 > d.width || tm + H + 4 > d.height) return ENH_OK;
  const int32_t stride = (W + 24) & ~15;
  const size_t rows = static_cast<size_t>(H) + 9;
  auto* work = static_cast<uint8_t*>(MMemAlloc(hMem, static_cast<size_t>(6 * H + 54) * stride));
  if (!work) return ENH_ERR_MEMORY;
  auto* sums = reinterpret_cast<uint16_t*>(work);
  auto* squares = reinterpret_cast<uint32_t*>(work + rows * stride * sizeof(uint16_t));
  const uint8_t* start = d.data + static_cast<ptrdiff_t>(tm - 4) * d.pitch + (lm - 4);
  const bool isSigned = (d.kind & AVD_SIGNED_BIT) != 0;
  avdIntegral(start, d.pitch, isSigned ? ELEM_I8 : ELEM_U8, sums, squares, stride, W + 8, H + 8);

  const int32_t shift = 12 - level->levelIndex + (isSigned ? 0 : 3);
  const int32_t varCount = 1 << level->varBits;
  const int32_t lumShift = 8 * AvdKindBytes(luminance->be.block.kind) - level->lumBits;
  const AvdBlock& lb = luminance->be.block;
  // Luminance origin: its valid origin moved back by the detail's borders.
  const int32_t lx0 = luminance->be.left - (detail->be.left >> xShift);
  const int32_t ly0 = luminance->be.top - (detail->be.top >> yShift);
  for (int32_t j = 0; j < H; ++j) {
    const uint16_t* s0 = sums + static_cast<size_t>(j) * stride;
    const uint16_t* s8 = s0 + static_cast<size_t>(8) * stride;
    const uint32_t* q0 = squares + static_cast<size_t>(j) * stride;
    const uint32_t* q8 = q0 + static_cast<size_t>(8) * stride;
    const int32_t y = tm + j;
    const int32_t ly = ly0 + (y >> yShift);
    if (ly < 0 || ly >= lb.height) continue;
    const uint8_t* lrow = lb.data + static_cast<ptrdiff_t>(ly) * lb.pitch;
    for (int32_t i = 0; i < W; ++i) {
      const int32_t S = static_cast<int16_t>(static_cast<uint16_t>(s8[i + 8] - s0[i + 8] - s8[i] + s0[i]));
      const uint32_t Q = q8[i + 8] - q0[i + 8] - q8[i] + q0[i];
      const int64_t var = 64 * static_cast<int64_t>(Q) - static_cast<int64_t>(S) * S;
      const int64_t index = shift >= 0 ? var >> shift : var << -shift;
      if (index < 0 || index >= varCount) continue;
      const int32_t lx = lx0 + ((lm + i) >> xShift);
      if (lx < 0 || lx >= lb.width) continue;
      const int32_t lum = lrow[lx] >> (lumShift > 0 ? lumShift : 0);
      uint16_t& counter = level->counters[(static_cast<size_t>(lum) << level->varBits) + index];
      counter = static_cast<uint16_t>(counter + 1);
    }
  }
  MMemFree(hMem, work);
  return ENH_OK;
}
