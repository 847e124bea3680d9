#include "AdlStretch.h"

#include <emmintrin.h>

#include <cstring>

#include "KernelForm.h"

namespace adl {

void CountLuma(const PackedLuma& f, int32_t r0, int32_t r1, uint32_t counts[256]) {
  // Four running tables, so neighbouring equal bytes do not wait on each other.
  uint32_t t[4][256];
  std::memset(t, 0, sizeof t);
  const int32_t quads = f.width / 4, rest = f.width % 4;
  for (int32_t r = r0; r < r1; ++r) {
    const uint8_t* p = f.pixels + static_cast<intptr_t>(r) * f.pitch + f.lumaOffset;
    for (int32_t i = 0; i < quads; ++i, p += 8) {
      ++t[0][p[0]];
      ++t[1][p[2]];
      ++t[2][p[4]];
      ++t[3][p[6]];
    }
    for (int32_t i = 0; i < rest; ++i) ++t[0][p[2 * i]];
  }
  for (int b = 0; b < 256; ++b) counts[b] += t[0][b] + t[1][b] + t[2][b] + t[3][b];
}

void CountAtMostRowScalar(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                          uint64_t atMost[kAtMostCount], uint8_t* max) {
  const uint8_t* p = row + lumaOffset;
  uint8_t top = *max;
  for (int32_t x = 0; x < width; ++x) {
    const int32_t y = p[2 * x];
    for (int32_t i = 0; i < kAtMostCount; ++i) atMost[i] += y <= base + i;
    if (y > top) top = static_cast<uint8_t>(y);
  }
  *max = top;
}

// Sixteen pixels a step: the luma bytes packed into one vector, then for each
// value a compare whose all-ones bytes count down byte counters (-1 a hit),
// summed into the totals before they can wrap.
void CountAtMostRowSSE2(const uint8_t* row, int32_t width, int32_t lumaOffset, int32_t base,
                        uint64_t atMost[kAtMostCount], uint8_t* max) {
  const __m128i lowByte = _mm_set1_epi16(0xFF);
  const __m128i zero = _mm_setzero_si128();
  __m128i value[kAtMostCount];
  for (int32_t i = 0; i < kAtMostCount; ++i) value[i] = _mm_set1_epi8(static_cast<char>(base + i));
  __m128i top = _mm_set1_epi8(static_cast<char>(*max));
  int32_t x = 0;
  while (x + 16 <= width) {
    __m128i hits[kAtMostCount];
    for (int32_t i = 0; i < kAtMostCount; ++i) hits[i] = zero;
    // At most 255 steps before the byte counters are emptied.
    for (int32_t step = 0; step < 255 && x + 16 <= width; ++step, x += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * x));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * x + 16));
      const __m128i y = lumaOffset == 0 ? _mm_packus_epi16(_mm_and_si128(a, lowByte), _mm_and_si128(b, lowByte))
                                        : _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
      top = _mm_max_epu8(top, y);
      for (int32_t i = 0; i < kAtMostCount; ++i)
        hits[i] = _mm_sub_epi8(hits[i], _mm_cmpeq_epi8(_mm_min_epu8(y, value[i]), y));
    }
    for (int32_t i = 0; i < kAtMostCount; ++i) {
      const __m128i sums = _mm_sad_epu8(hits[i], zero);
      atMost[i] += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint64_t>(_mm_extract_epi16(sums, 4));
    }
  }
  alignas(16) uint8_t lanes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), top);
  for (uint8_t v : lanes)
    if (v > *max) *max = v;
  CountAtMostRowScalar(row + 2 * x, width - x, lumaOffset, base, atMost, max);
}

void CountAtMost(const PackedLuma& f, int32_t r0, int32_t r1, int32_t base, LumaAtMost* out) {
  void (*row)(const uint8_t*, int32_t, int32_t, int32_t, uint64_t*, uint8_t*) = CountAtMostRowScalar;
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2: row = CountAtMostRowAVX2; break;
    case KernelForm::SSE2: row = CountAtMostRowSSE2; break;
    case KernelForm::Scalar: break;
  }
  for (int32_t r = r0; r < r1; ++r)
    row(f.pixels + static_cast<intptr_t>(r) * f.pitch, f.width, f.lumaOffset, base, out->atMost, &out->max);
}

void StretchRowScalar(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m) {
  uint8_t* p = row + lumaOffset;
  for (int32_t x = 0; x < width; ++x) p[2 * x] = m.Map(p[2 * x]);
}

// Eight pixels (16 bytes) a step. The product (Y - low) * scale needs up to
// 27 bits: scale splits into 16384 * hi + lo, and one multiply-add of the
// pairs (d, d * hi) and (lo, 16384) gives it exactly in 32 bits.
void StretchRowSSE2(uint8_t* row, int32_t width, int32_t lumaOffset, const StretchMap& m) {
  const __m128i lowByte = _mm_set1_epi16(0xFF);
  const __m128i low = _mm_set1_epi16(static_cast<int16_t>(m.low));
  const __m128i hi = _mm_set1_epi16(static_cast<int16_t>(m.scale >> 14));
  const __m128i factors = _mm_set1_epi32((16384 << 16) | (m.scale & 16383));
  const __m128i round = _mm_set1_epi32(8192);
  const __m128i newLow = _mm_set1_epi16(static_cast<int16_t>(m.newLow));
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    uint8_t* p = row + 2 * x;
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i y = lumaOffset == 0 ? _mm_and_si128(in, lowByte) : _mm_srli_epi16(in, 8);
    const __m128i c = lumaOffset == 0 ? _mm_andnot_si128(lowByte, in) : _mm_and_si128(in, lowByte);
    const __m128i d = _mm_sub_epi16(y, low);
    const __m128i dh = _mm_mullo_epi16(d, hi);
    const __m128i lo32 = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(d, dh), factors), round), 14);
    const __m128i hi32 = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(d, dh), factors), round), 14);
    // Saturating to 16 bits and then to 0..255 clamps like the scalar form.
    __m128i v = _mm_adds_epi16(_mm_packs_epi32(lo32, hi32), newLow);
    v = _mm_packus_epi16(v, v);
    v = _mm_unpacklo_epi8(v, _mm_setzero_si128());
    const __m128i out = lumaOffset == 0 ? _mm_or_si128(v, c) : _mm_or_si128(_mm_slli_epi16(v, 8), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
  }
  StretchRowScalar(row + 2 * x, width - x, lumaOffset, m);
}

void StretchLuma(const PackedLuma& f, int32_t r0, int32_t r1, const StretchMap& m) {
  void (*row)(uint8_t*, int32_t, int32_t, const StretchMap&) = StretchRowScalar;
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2: row = StretchRowAVX2; break;
    case KernelForm::SSE2: row = StretchRowSSE2; break;
    case KernelForm::Scalar: break;
  }
  for (int32_t r = r0; r < r1; ++r) row(f.pixels + static_cast<intptr_t>(r) * f.pitch, f.width, f.lumaOffset, m);
}

}  // namespace adl
