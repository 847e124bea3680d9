// SSE2 forms of the pyramid kernels.
#include <emmintrin.h>

#include "PyramidKernelForms.h"

namespace {

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i Load8(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline void Store8(uint8_t* p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }

const __m128i kLowBytes = _mm_set1_epi16(0x00FF);
const __m128i kSignFlip = _mm_set1_epi8(static_cast<char>(0x80));

// Even bytes of a and b packed into one vector.
inline __m128i EvenBytes(__m128i a, __m128i b) {
  return _mm_packus_epi16(_mm_and_si128(a, kLowBytes), _mm_and_si128(b, kLowBytes));
}
inline __m128i OddBytes(__m128i a, __m128i b) { return _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8)); }

}  // namespace

namespace avd_sse2 {

void SplitYC1YC2(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,
                 int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    uint8_t* ur = c1 + static_cast<ptrdiff_t>(r) * c1Pitch;
    uint8_t* vr = c2 + static_cast<ptrdiff_t>(r) * c2Pitch;
    int32_t i = 0;
    for (; i + 16 <= pairs; i += 16) {
      __m128i a = Load(p + 4 * i), b = Load(p + 4 * i + 16), c = Load(p + 4 * i + 32), d = Load(p + 4 * i + 48);
      Store(yr + 2 * i, EvenBytes(a, b));
      Store(yr + 2 * i + 16, EvenBytes(c, d));
      __m128i ch0 = OddBytes(a, b), ch1 = OddBytes(c, d);  // C1 C2 C1 C2 ...
      Store(ur + i, EvenBytes(ch0, ch1));
      Store(vr + i, OddBytes(ch0, ch1));
    }
    avd_scalar::SplitYC1YC2(p + 4 * i, packedPitch, yr + 2 * i, yPitch, ur + i, c1Pitch, vr + i, c2Pitch,
                            pairs - i, 1);
  }
}

void MergeYC1YC2(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, const uint8_t* c1,
                 int32_t c1Pitch, const uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    const uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    const uint8_t* ur = c1 + static_cast<ptrdiff_t>(r) * c1Pitch;
    const uint8_t* vr = c2 + static_cast<ptrdiff_t>(r) * c2Pitch;
    int32_t i = 0;
    for (; i + 16 <= pairs; i += 16) {
      __m128i u = Load(ur + i), v = Load(vr + i);
      __m128i cLo = _mm_unpacklo_epi8(u, v), cHi = _mm_unpackhi_epi8(u, v);
      __m128i y0 = Load(yr + 2 * i), y1 = Load(yr + 2 * i + 16);
      Store(p + 4 * i, _mm_unpacklo_epi8(y0, cLo));
      Store(p + 4 * i + 16, _mm_unpackhi_epi8(y0, cLo));
      Store(p + 4 * i + 32, _mm_unpacklo_epi8(y1, cHi));
      Store(p + 4 * i + 48, _mm_unpackhi_epi8(y1, cHi));
    }
    avd_scalar::MergeYC1YC2(p + 4 * i, packedPitch, yr + 2 * i, yPitch, ur + i, c1Pitch, vr + i, c2Pitch,
                            pairs - i, 1);
  }
}

void SplitLuma(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) Store(yr + x, EvenBytes(Load(p + 2 * x), Load(p + 2 * x + 16)));
    avd_scalar::SplitLuma(p + 2 * x, packedPitch, yr + x, yPitch, width - x, 1);
  }
}

void MergeLuma(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    const uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
      __m128i yy = Load(yr + x), zero = _mm_setzero_si128();
      __m128i a = Load(p + 2 * x), b = Load(p + 2 * x + 16);
      Store(p + 2 * x, _mm_or_si128(_mm_and_si128(a, high), _mm_unpacklo_epi8(yy, zero)));
      Store(p + 2 * x + 16, _mm_or_si128(_mm_and_si128(b, high), _mm_unpackhi_epi8(yy, zero)));
    }
    avd_scalar::MergeLuma(p + 2 * x, packedPitch, yr + x, yPitch, width - x, 1);
  }
}

int32_t AbsSum(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height) {
  uint32_t sum = 0;
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* row = plane + static_cast<ptrdiff_t>(r) * pitch;
    __m128i acc = _mm_setzero_si128();
    int32_t x = 0;
    for (; x + 16 <= width; x += 16)
      acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_xor_si128(Load(row + x), kSignFlip), kSignFlip));
    acc = _mm_add_epi64(acc, _mm_unpackhi_epi64(acc, acc));
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(acc));
    sum += static_cast<uint32_t>(avd_scalar::AbsSum(row + x, pitch, width - x, 1));
  }
  return static_cast<int32_t>(sum);
}

void MultiConst(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                int32_t height, int32_t f, int32_t s) {
  const __m128i vf = _mm_set1_epi16(static_cast<short>(f));
  const __m128i round = _mm_set1_epi16(static_cast<short>(128 >> s));
  const __m128i shift = _mm_cvtsi32_si128(8 - s);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = src + static_cast<ptrdiff_t>(r) * srcPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
      __m128i v = Load(in + x);
      __m128i lo = _mm_srai_epi16(_mm_unpacklo_epi8(v, v), 8);
      __m128i hi = _mm_srai_epi16(_mm_unpackhi_epi8(v, v), 8);
      lo = _mm_sra_epi16(_mm_adds_epi16(_mm_mullo_epi16(lo, vf), round), shift);
      hi = _mm_sra_epi16(_mm_adds_epi16(_mm_mullo_epi16(hi, vf), round), shift);
      Store(out + x, _mm_packs_epi16(lo, hi));
    }
    avd_scalar::MultiConst(in + x, srcPitch, out + x, dstPitch, width - x, 1, f, s);
  }
}

void Subtract(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
              int32_t dstPitch, int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* ar = a + static_cast<ptrdiff_t>(r) * aPitch;
    const uint8_t* br = b + static_cast<ptrdiff_t>(r) * bPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 16 <= width; x += 16)
      Store(out + x, _mm_subs_epi8(_mm_xor_si128(Load(ar + x), kSignFlip), _mm_xor_si128(Load(br + x), kSignFlip)));
    avd_scalar::Subtract(ar + x, aPitch, br + x, bPitch, out + x, dstPitch, width - x, 1);
  }
}

void Add(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst, int32_t dstPitch,
         int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* ar = a + static_cast<ptrdiff_t>(r) * aPitch;
    const uint8_t* dr = d + static_cast<ptrdiff_t>(r) * dPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 16 <= width; x += 16)
      Store(out + x,
            _mm_xor_si128(_mm_adds_epi8(_mm_xor_si128(Load(ar + x), kSignFlip), Load(dr + x)), kSignFlip));
    avd_scalar::Add(ar + x, aPitch, dr + x, dPitch, out + x, dstPitch, width - x, 1);
  }
}

namespace {
// Horizontal [1 2 1] at the even columns 2x .. 2x + 14 of one fine row, as
// eight 16-bit sums; reads columns 2x - 1 .. 2x + 15.
inline __m128i HorizontalRow(const uint8_t* at) {
  __m128i v = Load(at);
  __m128i even = _mm_and_si128(v, kLowBytes);
  __m128i odd = _mm_srli_epi16(v, 8);
  __m128i left = _mm_insert_epi16(_mm_slli_si128(odd, 2), at[-1], 0);
  return _mm_add_epi16(_mm_add_epi16(left, odd), _mm_add_epi16(even, even));
}
}  // namespace

void ReduceInterior(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows, uint8_t* coarsePos,
                    int32_t coarsePitch) {
  const __m128i eight = _mm_set1_epi16(8);
  for (int32_t x = 0; x + 8 <= width; x += 8) {
    const uint8_t* col = finePos + 2 * x;
    __m128i above = HorizontalRow(col - finePitch);  // carried fine row 2y - 1
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* mid = col + static_cast<ptrdiff_t>(2 * y) * finePitch;
      __m128i h1 = HorizontalRow(mid);
      __m128i h2 = HorizontalRow(mid + finePitch);
      __m128i sum = _mm_add_epi16(_mm_add_epi16(above, h2), _mm_add_epi16(h1, h1));
      sum = _mm_srli_epi16(_mm_add_epi16(sum, eight), 4);
      Store8(coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch + x, _mm_packus_epi16(sum, sum));
      above = h2;
    }
  }
}

namespace {

// Expanded coarse row for 32 fine columns from 16 coarse samples c and their
// right neighbours n: c0 avg(c0,c1) c1 avg(c1,c2) ...
inline void ExpandRow16(__m128i c, __m128i n, __m128i* lo, __m128i* hi) {
  __m128i a = _mm_avg_epu8(c, n);
  *lo = _mm_unpacklo_epi8(c, a);
  *hi = _mm_unpackhi_epi8(c, a);
}

inline __m128i Analyse(__m128i l, __m128i e) {
  return _mm_subs_epi8(_mm_xor_si128(l, kSignFlip), _mm_xor_si128(e, kSignFlip));
}
inline __m128i Synthesise(__m128i d, __m128i e) {
  return _mm_xor_si128(_mm_adds_epi8(_mm_xor_si128(e, kSignFlip), d), kSignFlip);
}

template <bool IsAnalysis>
void InPlace(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
             int32_t coarsePitch) {
  auto op = [](__m128i v, __m128i e) { return IsAnalysis ? Analyse(v, e) : Synthesise(v, e); };
  for (int32_t y = 0; y < pairs; ++y) {
    const uint8_t* c0 = coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch;
    const uint8_t* c1 = c0 + coarsePitch;
    uint8_t* even = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    uint8_t* odd = even + finePitch;
    int32_t X = 0;
    for (; X + 32 <= width; X += 32) {
      int32_t i = X >> 1;
      __m128i e0lo, e0hi, e2lo, e2hi;
      ExpandRow16(Load(c0 + i), Load(c0 + i + 1), &e0lo, &e0hi);
      ExpandRow16(Load(c1 + i), Load(c1 + i + 1), &e2lo, &e2hi);
      Store(even + X, op(Load(even + X), e0lo));
      Store(even + X + 16, op(Load(even + X + 16), e0hi));
      Store(odd + X, op(Load(odd + X), _mm_avg_epu8(e0lo, e2lo)));
      Store(odd + X + 16, op(Load(odd + X + 16), _mm_avg_epu8(e0hi, e2hi)));
    }
    if (X + 16 <= width) {
      int32_t i = X >> 1;
      __m128i a = Load8(c0 + i), b = Load8(c1 + i);
      __m128i e0 = _mm_unpacklo_epi8(a, _mm_avg_epu8(a, Load8(c0 + i + 1)));
      __m128i e2 = _mm_unpacklo_epi8(b, _mm_avg_epu8(b, Load8(c1 + i + 1)));
      Store(even + X, op(Load(even + X), e0));
      Store(odd + X, op(Load(odd + X), _mm_avg_epu8(e0, e2)));
    }
  }
}

}  // namespace

void AnalysisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
                      int32_t coarsePitch) {
  InPlace<true>(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
}

void SynthesisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,
                       const uint8_t* coarsePos, int32_t coarsePitch) {
  InPlace<false>(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
}

void ExpandInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
                    int32_t coarsePitch) {
  const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
  for (int32_t y = 0; y < pairs; ++y) {
    const uint8_t* c0 = coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch;
    const uint8_t* c1 = c0 + coarsePitch;
    uint8_t* even = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    uint8_t* odd = even + finePitch;
    for (int32_t X = 0; X + 16 <= width; X += 16) {
      int32_t i = X >> 1;
      __m128i a = Load8(c0 + i), an = Load8(c0 + i + 1), b = Load8(c1 + i), bn = Load8(c1 + i + 1);
      __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(an, zero)),
                                  _mm_add_epi16(_mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(bn, zero)));
      __m128i diag = _mm_srli_epi16(_mm_add_epi16(sum, two), 2);
      Store(even + X, _mm_unpacklo_epi8(a, _mm_avg_epu8(a, an)));
      Store(odd + X, _mm_unpacklo_epi8(_mm_avg_epu8(a, b), _mm_packus_epi16(diag, diag)));
    }
  }
}

void ExpandLine(const uint8_t* src, uint8_t* dst, int32_t n) {
  int32_t x = 0;
  for (; x + 16 <= n; x += 16) {
    __m128i c = Load(src + x);
    __m128i a = _mm_avg_epu8(c, Load(src + x + 1));
    Store(dst + 2 * x, _mm_unpacklo_epi8(c, a));
    Store(dst + 2 * x + 16, _mm_unpackhi_epi8(c, a));
  }
  avd_scalar::ExpandLine(src + x, dst + 2 * x, n - x);
}

void InsertExpand(uint8_t* row, int32_t length, int32_t pitch) {
  int32_t i = 0;
  for (; i + 16 <= length; i += 16) Store(row + i, _mm_avg_epu8(Load(row + i - pitch), Load(row + i + pitch)));
  avd_scalar::InsertExpand(row + i, length - i, pitch);
}

}  // namespace avd_sse2
