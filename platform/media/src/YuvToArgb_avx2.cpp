// The AVX2 form of the YUV rows, built with -mavx2 and called only where the
// processor has it. Same bytes as the scalar form: every step is exact integer
// arithmetic in 16-bit lanes, the 32-bit sums split into upper halves and the
// carries of their lower ones.
#include <immintrin.h>

#include "YuvToArgb.h"

namespace media::yuv_avx2 {

namespace {

// x * gain >> 16 for chroma samples x (0..255) in 16-bit lanes.
inline __m256i Scaled(__m256i x, YuvCoefficients::Part g) {
  return _mm256_add_epi16(_mm256_mullo_epi16(x, _mm256_set1_epi16(g.whole)),
                          _mm256_mulhi_epu16(x, _mm256_set1_epi16(int16_t(g.fraction))));
}

// Where a 16-bit value a exceeds b as unsigned: all ones, else zero; both
// given with their top bit flipped, as signed comparison needs.
inline __m256i Above(__m256i aFlipped, __m256i bFlipped) { return _mm256_cmpgt_epi16(aFlipped, bFlipped); }

// A channel's term for the luma index m (luma base plus chroma offset):
// T = m * gain + round, kept as its upper half and, for the luma's carry,
// the complement of its lower half (top bit flipped). Each doubled into the
// two pixels the chroma sample serves, in the luma's order.
inline void Term(const YuvCoefficients& k, __m256i m, int16_t* out) {
  const __m256i d = _mm256_set1_epi16(k.gainFraction), flip = _mm256_set1_epi16(int16_t(0x8000));
  // m * gain = m * 65536 + m * fraction: its upper half mh, lower ml.
  const __m256i mh = _mm256_mulhi_epi16(m, d), ml = _mm256_mullo_epi16(m, d);
  const __m256i roundLow = _mm256_set1_epi16(int16_t(k.roundLow));
  // ml + roundLow carries where ml > ~roundLow.
  const __m256i carry = Above(_mm256_xor_si256(ml, flip), _mm256_set1_epi16(int16_t(uint16_t(~k.roundLow) ^ 0x8000)));
  const __m256i high =
      _mm256_sub_epi16(_mm256_add_epi16(_mm256_add_epi16(m, mh), _mm256_set1_epi16(k.roundHigh)), carry);
  const __m256i low = _mm256_add_epi16(ml, roundLow);
  const __m256i lowKey = _mm256_xor_si256(low, _mm256_set1_epi16(0x7FFF));  // ~low, top bit flipped
  // Chroma 0..7 | 8..15 doubled: pixels 0..7 | 16..23, then 8..15 | 24..31.
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi16(high, high));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), _mm256_unpackhi_epi16(high, high));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_unpacklo_epi16(lowKey, lowKey));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 48), _mm256_unpackhi_epi16(lowKey, lowKey));
}

inline __m256i Load(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// One channel of 16 pixels: (Y * gain + T) >> 16 = Y + Yh + Th + carry of
// (Yl + Tl), unclipped.
inline __m256i Channel(__m256i base, __m256i lowFlipped, const int16_t* high, const int16_t* lowKey) {
  return _mm256_sub_epi16(_mm256_add_epi16(base, Load(high)), Above(lowFlipped, Load(lowKey)));
}

}  // namespace

void ChromaTerms(const YuvCoefficients& k, const uint8_t* u, const uint8_t* v, int32_t blocks, int16_t* terms) {
  for (int32_t b = 0; b < blocks; ++b, terms += 192) {
    const __m256i U = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u + 16 * size_t(b))));
    const __m256i V = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 16 * size_t(b))));
    Term(k, _mm256_add_epi16(Scaled(V, k.redV), _mm256_set1_epi16(k.redOffset)), terms);
    Term(k,
         _mm256_add_epi16(_mm256_add_epi16(Scaled(U, k.greenU16), Scaled(V, k.greenV16)),
                          _mm256_set1_epi16(k.greenOffset)),
         terms + 64);
    Term(k, _mm256_add_epi16(Scaled(U, k.blueU), _mm256_set1_epi16(k.blueOffset)), terms + 128);
  }
}

void LumaRow(const YuvCoefficients& k, const uint8_t* y, const int16_t* terms, int32_t blocks, uint8_t* out) {
  const __m256i d = _mm256_set1_epi16(k.gainFraction), flip = _mm256_set1_epi16(int16_t(0x8000));
  const __m256i zero = _mm256_setzero_si256(), alpha = _mm256_set1_epi8(int8_t(0xFF));
  for (int32_t b = 0; b < blocks; ++b, terms += 192, out += 128) {
    const __m256i luma = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y + 32 * size_t(b)));
    // Pixels 0..7 | 16..23 (a) and 8..15 | 24..31 (b), as the terms are laid
    // out; the upper and lower halves of Y * fraction.
    const __m256i ya = _mm256_unpacklo_epi8(luma, zero), yb = _mm256_unpackhi_epi8(luma, zero);
    const __m256i baseA = _mm256_add_epi16(ya, _mm256_mulhi_epu16(ya, d));
    const __m256i baseB = _mm256_add_epi16(yb, _mm256_mulhi_epu16(yb, d));
    const __m256i lowA = _mm256_xor_si256(_mm256_mullo_epi16(ya, d), flip);
    const __m256i lowB = _mm256_xor_si256(_mm256_mullo_epi16(yb, d), flip);
    // Each channel clipped to bytes, pixels 0..31 in order.
    auto channel = [&](const int16_t* t) {
      return _mm256_packus_epi16(Channel(baseA, lowA, t, t + 32), Channel(baseB, lowB, t + 16, t + 48));
    };
    const __m256i r = channel(terms), g = channel(terms + 64), bl = channel(terms + 128);
    // A, R, G, B: pairs A R and G B, then the pixels 0..3 | 16..19 and so on.
    const __m256i arLo = _mm256_unpacklo_epi8(alpha, r), arHi = _mm256_unpackhi_epi8(alpha, r);
    const __m256i gbLo = _mm256_unpacklo_epi8(g, bl), gbHi = _mm256_unpackhi_epi8(g, bl);
    const __m256i p0 = _mm256_unpacklo_epi16(arLo, gbLo), p1 = _mm256_unpackhi_epi16(arLo, gbLo);
    const __m256i p2 = _mm256_unpacklo_epi16(arHi, gbHi), p3 = _mm256_unpackhi_epi16(arHi, gbHi);
    __m256i* o = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(o, _mm256_permute2x128_si256(p0, p1, 0x20));
    _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(p2, p3, 0x20));
    _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(p0, p1, 0x31));
    _mm256_storeu_si256(o + 3, _mm256_permute2x128_si256(p2, p3, 0x31));
  }
}

}  // namespace media::yuv_avx2
