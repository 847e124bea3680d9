// AVX2 form of the block stage: eight groups a step.
// Each 128-bit lane scales the bytes of four groups as the SSE2 form does.
#include <immintrin.h>

#include "AdlRetinexApply.h"

namespace adl {
namespace {

// Luma by gy and chroma about 128 by gc, each the high half of a 16-bit
// product, for the 32 bytes (eight groups) of one row.
inline __m256i ScalePacked(__m256i in, __m256i gy, __m256i gc, int lo) {
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  const __m256i k128 = _mm256_set1_epi16(128);
  const __m256i even = _mm256_and_si256(in, lowByte);
  const __m256i odd = _mm256_srli_epi16(in, 8);
  const __m256i y = lo == 0 ? even : odd;
  const __m256i c = lo == 0 ? odd : even;
  const __m256i ny = _mm256_mulhi_epu16(_mm256_slli_epi16(y, 8), gy);
  const __m256i nc =
      _mm256_add_epi16(_mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(c, k128), 8), gc), k128);
  const __m256i yb = _mm256_packus_epi16(ny, ny);
  const __m256i cb = _mm256_packus_epi16(nc, nc);
  return lo == 0 ? _mm256_unpacklo_epi8(yb, cb) : _mm256_unpacklo_epi8(cb, yb);
}

// Sign-extended low halves of eight 32-bit lanes.
inline __m256i Low16(__m256i v) { return _mm256_srai_epi32(_mm256_slli_epi32(v, 16), 16); }

// (a + b) >> 1 of eight 16-bit map entries, as 32-bit lanes.
inline __m256i Mean(const int16_t* a, const int16_t* b) {
  const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
  const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
  return _mm256_cvtepi16_epi32(_mm_srai_epi16(_mm_add_epi16(va, vb), 1));
}

}  // namespace

void ApplyBlockPairAVX2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const __m256i offsetK = _mm256_set1_epi32(k.offsetK);
  const __m256i chroma = _mm256_set1_epi32(k.chroma);
  const __m256i minIndex = _mm256_set1_epi32(-32768), maxIndex = _mm256_set1_epi32(32767);
  const int32_t* logCurve = k.logCurve;
  const int* gainTable = reinterpret_cast<const int*>(k.gain);
  int32_t g = 0;
  for (; g + 8 <= groups; g += 8) {
    const __m256i in0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src0 + 4 * g));
    const __m256i in1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src1 + 4 * g));
    // The luma and divisor look-ups come from small tables that stay in the
    // first-level cache: plain loads beat gathers there (two gathers in a row
    // cost this loop a third of its time); only the gain table is gathered.
    alignas(32) int32_t lcs[8], divs[8];
    for (int i = 0; i < 8; ++i) {
      lcs[i] = logCurve[src0[4 * (g + i) + lo]];
      divs[i] = k.divTable[((dA[g + i] + dB[g + i]) >> 1) >> 1];
    }
    const __m256i lc = _mm256_load_si256(reinterpret_cast<const __m256i*>(lcs));
    const __m256i l = Low16(lc);
    const __m256i curve = _mm256_srai_epi32(lc, 16);
    const __m256i s = Mean(sA + g, sB + g);
    const __m256i div = _mm256_load_si256(reinterpret_cast<const __m256i*>(divs));
    __m256i index = _mm256_srai_epi32(_mm256_mullo_epi32(div, _mm256_sub_epi32(l, s)), 10);
    index = _mm256_srai_epi32(_mm256_add_epi32(_mm256_sub_epi32(index, l), offsetK), 1);
    index = _mm256_min_epi32(_mm256_max_epi32(index, minIndex), maxIndex);
    const __m256i gain = Low16(_mm256_i32gather_epi32(gainTable, index, 2));
    const __m256i gy = _mm256_srai_epi32(_mm256_mullo_epi32(gain, curve), 14);
    const __m256i gc = _mm256_srai_epi32(_mm256_mullo_epi32(chroma, gain), 5);
    // Both 16-bit halves of a group's lane carry its gain: one per byte pair.
    const __m256i gy2 = _mm256_or_si256(_mm256_and_si256(gy, _mm256_set1_epi32(0xFFFF)), _mm256_slli_epi32(gy, 16));
    const __m256i gc2 = _mm256_or_si256(_mm256_and_si256(gc, _mm256_set1_epi32(0xFFFF)), _mm256_slli_epi32(gc, 16));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst0 + 4 * g), ScalePacked(in0, gy2, gc2, lo));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst1 + 4 * g), ScalePacked(in1, gy2, gc2, lo));
  }
  ApplyBlockPairSSE2(src0 + 4 * g, src1 + 4 * g, dst0 + 4 * g, dst1 + 4 * g, groups - g, sA + g, sB + g, dA + g,
                     dB + g, k);
}

}  // namespace adl
