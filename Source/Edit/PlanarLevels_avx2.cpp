// The AVX2 form of the row pair: sixteen blocks (32 columns) a step, tested
// at once. A step where none clips goes through the tables; one where any
// does is made the long way, all sixteen, and blended in over the tables'
// bytes where they would be wrong.
#include <immintrin.h>

#include "PlanarLevelsRows.h"
#include "img/Operations.h"

namespace planarlevels {
namespace {

inline __m256i Set(int16_t v) { return _mm256_set1_epi16(v); }
inline __m256i Mul(__m256i a, int16_t b) { return _mm256_mulhrs_epi16(a, _mm256_set1_epi16(b)); }

struct Line {
  __m256i low, high, base, factor;
  __m128i shift;
  explicit Line(const PlanarLevels& l)
      : low(Set(l.lineLow)), high(Set(l.lineHigh)), base(Set(l.lineBase)), factor(Set(l.lineFactor)),
        shift(_mm_cvtsi32_si128(l.lineShift)) {}
  __m256i operator()(__m256i x) const {
    x = _mm256_sub_epi16(_mm256_min_epi16(_mm256_max_epi16(x, low), high), low);
    return _mm256_add_epi16(base, _mm256_mulhrs_epi16(_mm256_sll_epi16(x, shift), factor));
  }
};

// (sum + add + 16) >> 5 of three products: a byte in each 16-bit lane.
inline __m256i Mix(__m256i r, __m256i g, __m256i b, int16_t kr, int16_t kg, int16_t kb, int16_t add) {
  const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(Mul(r, kr), Mul(g, kg)), Mul(b, kb));
  return _mm256_srai_epi16(_mm256_add_epi16(sum, Set(int16_t(add * 32 + 16))), 5);
}

// Sixteen 16-bit lanes (0..255) as sixteen bytes in order.
inline __m128i Bytes(__m256i v16) {
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(v16, v16), 0x08));
}

}  // namespace

void RowPairAVX2(const PlanarLevels& l, const RowPair& p, int32_t width) {
  const __m256i low8 = Set(0xFF), c16 = Set(16), c128 = Set(128);
  const __m256i clipLow = Set(l.clipLow), clipHigh = Set(l.clipHigh);
  const Line line(l);
  int32_t c = 0;
  for (; c + 16 <= width / 2; c += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.y0 + 2 * c));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.y1 + 2 * c));
    // Lane k of each: block k's even and odd column of each row.
    const __m256i px[4] = {_mm256_and_si256(a, low8), _mm256_srli_epi16(a, 8), _mm256_and_si256(b, low8),
                           _mm256_srli_epi16(b, 8)};
    const __m256i u = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p.u + c))), c128);
    const __m256i v = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p.v + c))), c128);
    const __m256i tu = _mm256_slli_epi16(u, 6), tv = _mm256_slli_epi16(v, 6);
    const __m256i r = Mul(tv, kTestR), bb = Mul(tu, kTestB);
    const __m256i g = _mm256_sub_epi16(_mm256_setzero_si256(), _mm256_add_epi16(Mul(tu, kTestGU), Mul(tv, kTestGV)));
    const __m256i lo = _mm256_min_epi16(_mm256_min_epi16(r, g), bb), hi = _mm256_max_epi16(_mm256_max_epi16(r, g), bb);
    const __m256i yMin = _mm256_min_epi16(_mm256_min_epi16(px[0], px[1]), _mm256_min_epi16(px[2], px[3]));
    const __m256i yMax = _mm256_max_epi16(_mm256_max_epi16(px[0], px[1]), _mm256_max_epi16(px[2], px[3]));
    const __m256i below = _mm256_add_epi16(_mm256_slli_epi16(_mm256_sub_epi16(yMin, c16), 5), lo);
    const __m256i above = _mm256_add_epi16(_mm256_slli_epi16(_mm256_sub_epi16(yMax, c16), 5), hi);
    const __m256i clips = _mm256_or_si256(_mm256_cmpgt_epi16(clipLow, below), _mm256_cmpgt_epi16(above, clipHigh));
    uint8_t* const rows[2] = {p.y0 + 2 * c, p.y1 + 2 * c};
    const auto tables = [&] {
      img::TableBytes(rows[0], rows[0], 32, l.luma.data());
      img::TableBytes(rows[1], rows[1], 32, l.luma.data());
      if (!l.chromaChanges) return;
      img::TableBytes(p.u + c, p.u + c, 16, l.chroma.data());
      img::TableBytes(p.v + c, p.v + c, 16, l.chroma.data());
    };
    if (_mm256_testz_si256(clips, clips)) {
      tables();
      continue;
    }

    const __m256i du = _mm256_slli_epi16(u, 7), dv = _mm256_slli_epi16(v, 7);
    const __m256i cr = Mul(dv, kRV), cg = _mm256_add_epi16(Mul(du, kGU), Mul(dv, kGV)), cb = Mul(du, kBU);
    __m256i sr = _mm256_setzero_si256(), sg = sr, sb = sr, outY[4];
    for (int i = 0; i < 4; ++i) {
      const __m256i yf = Mul(_mm256_slli_epi16(_mm256_sub_epi16(px[i], c16), 7), kY);
      const __m256i rr = line(_mm256_add_epi16(yf, cr)), gg = line(_mm256_add_epi16(yf, cg)),
                    bl = line(_mm256_add_epi16(yf, cb));
      outY[i] = Mix(_mm256_slli_epi16(rr, 2), _mm256_slli_epi16(gg, 2), _mm256_slli_epi16(bl, 2), kLumaR, kLumaG,
                    kLumaB, 16);
      sr = _mm256_add_epi16(sr, rr), sg = _mm256_add_epi16(sg, gg), sb = _mm256_add_epi16(sb, bl);
    }
    __m256i made[2];
    for (int row = 0; row < 2; ++row)
      made[row] = _mm256_or_si256(outY[2 * row], _mm256_slli_epi16(outY[2 * row + 1], 8));
    const __m128i madeU = Bytes(Mix(sr, sg, sb, kCbR, kCbG, kCbB, 128));
    const __m128i madeV = Bytes(Mix(sr, sg, sb, kCrR, kCrG, kCrB, 128));
    __m128i* atU = reinterpret_cast<__m128i*>(p.u + c);
    __m128i* atV = reinterpret_cast<__m128i*>(p.v + c);
    if (_mm256_testc_si256(clips, _mm256_set1_epi8(-1))) {  // every block clips
      for (int row = 0; row < 2; ++row) _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows[row]), made[row]);
      _mm_storeu_si128(atU, madeU);
      _mm_storeu_si128(atV, madeV);
      continue;
    }
    tables();
    for (int row = 0; row < 2; ++row) {
      __m256i* at = reinterpret_cast<__m256i*>(rows[row]);
      _mm256_storeu_si256(at, _mm256_blendv_epi8(_mm256_loadu_si256(at), made[row], clips));
    }
    const __m128i keep = Bytes(_mm256_and_si256(clips, low8));
    _mm_storeu_si128(atU, _mm_blendv_epi8(_mm_loadu_si128(atU), madeU, keep));
    _mm_storeu_si128(atV, _mm_blendv_epi8(_mm_loadu_si128(atV), madeV, keep));
  }
  RowPairScalar(l, p, width, c);
}

}  // namespace planarlevels
