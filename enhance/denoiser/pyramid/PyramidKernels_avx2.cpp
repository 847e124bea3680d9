// AVX2 forms of the pyramid kernels where the wider registers pay; the rest
// and every row tail go to the SSE2 forms, which give the same bytes.
#include <immintrin.h>

#include "PyramidKernelForms.h"

namespace {

inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

inline __m256i SignFlip() { return _mm256_set1_epi8(static_cast<char>(0x80)); }

}  // namespace

namespace avd_avx2 {

void SplitYC1YC2(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,
                 int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  avd_sse2::SplitYC1YC2(packed, packedPitch, y, yPitch, c1, c1Pitch, c2, c2Pitch, pairs, height);
}

void MergeYC1YC2(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, const uint8_t* c1,
                 int32_t c1Pitch, const uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  avd_sse2::MergeYC1YC2(packed, packedPitch, y, yPitch, c1, c1Pitch, c2, c2Pitch, pairs, height);
}

// 32 luma bytes a step; the packs work per 128-bit lane, so the quarters are
// put back in order after them (and before the unpacks on the way back).
void SplitLuma(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  const __m256i lowByte = _mm256_set1_epi16(0xFF);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32) {
      const __m256i bytes = _mm256_packus_epi16(_mm256_and_si256(Load(p + 2 * x), lowByte),
                                                _mm256_and_si256(Load(p + 2 * x + 32), lowByte));
      Store(yr + x, _mm256_permute4x64_epi64(bytes, 0xD8));
    }
    avd_sse2::SplitLuma(p + 2 * x, packedPitch, yr + x, yPitch, width - x, 1);
  }
}

void MergeLuma(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  const __m256i high = _mm256_set1_epi16(static_cast<short>(0xFF00));
  const __m256i zero = _mm256_setzero_si256();
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    const uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32) {
      const __m256i yy = _mm256_permute4x64_epi64(Load(yr + x), 0xD8);
      Store(p + 2 * x, _mm256_or_si256(_mm256_and_si256(Load(p + 2 * x), high), _mm256_unpacklo_epi8(yy, zero)));
      Store(p + 2 * x + 32,
            _mm256_or_si256(_mm256_and_si256(Load(p + 2 * x + 32), high), _mm256_unpackhi_epi8(yy, zero)));
    }
    avd_sse2::MergeLuma(p + 2 * x, packedPitch, yr + x, yPitch, width - x, 1);
  }
}

int32_t AbsSum(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height) {
  const __m256i flip = SignFlip();
  uint32_t sum = 0;
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* row = plane + static_cast<ptrdiff_t>(r) * pitch;
    __m256i acc = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 32 <= width; x += 32)
      acc = _mm256_add_epi64(acc, _mm256_sad_epu8(_mm256_xor_si256(Load(row + x), flip), flip));
    __m128i s = _mm_add_epi64(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    s = _mm_add_epi64(s, _mm_unpackhi_epi64(s, s));
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(s));
    sum += static_cast<uint32_t>(avd_sse2::AbsSum(row + x, pitch, width - x, 1));
  }
  return static_cast<int32_t>(sum);
}

void MultiConst(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                int32_t height, int32_t f, int32_t s) {
  const __m256i vf = _mm256_set1_epi16(static_cast<short>(f));
  const __m256i round = _mm256_set1_epi16(static_cast<short>(128 >> s));
  const __m128i shift = _mm_cvtsi32_si128(8 - s);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = src + static_cast<ptrdiff_t>(r) * srcPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32) {
      __m256i lo = _mm256_cvtepi8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x)));
      __m256i hi = _mm256_cvtepi8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x + 16)));
      lo = _mm256_sra_epi16(_mm256_adds_epi16(_mm256_mullo_epi16(lo, vf), round), shift);
      hi = _mm256_sra_epi16(_mm256_adds_epi16(_mm256_mullo_epi16(hi, vf), round), shift);
      Store(out + x, _mm256_permute4x64_epi64(_mm256_packs_epi16(lo, hi), 0xD8));
    }
    avd_sse2::MultiConst(in + x, srcPitch, out + x, dstPitch, width - x, 1, f, s);
  }
}

void Subtract(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
              int32_t dstPitch, int32_t width, int32_t height) {
  const __m256i flip = SignFlip();
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* ar = a + static_cast<ptrdiff_t>(r) * aPitch;
    const uint8_t* br = b + static_cast<ptrdiff_t>(r) * bPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32)
      Store(out + x, _mm256_subs_epi8(_mm256_xor_si256(Load(ar + x), flip), _mm256_xor_si256(Load(br + x), flip)));
    avd_sse2::Subtract(ar + x, aPitch, br + x, bPitch, out + x, dstPitch, width - x, 1);
  }
}

void Add(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst, int32_t dstPitch,
         int32_t width, int32_t height) {
  const __m256i flip = SignFlip();
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* ar = a + static_cast<ptrdiff_t>(r) * aPitch;
    const uint8_t* dr = d + static_cast<ptrdiff_t>(r) * dPitch;
    uint8_t* out = dst + static_cast<ptrdiff_t>(r) * dstPitch;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32)
      Store(out + x, _mm256_xor_si256(_mm256_adds_epi8(_mm256_xor_si256(Load(ar + x), flip), Load(dr + x)), flip));
    avd_sse2::Add(ar + x, aPitch, dr + x, dPitch, out + x, dstPitch, width - x, 1);
  }
}

void ReduceInterior(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows, uint8_t* coarsePos,
                    int32_t coarsePitch) {
  // [1 2 1] on byte pairs: (s[2x-1], s[2x]) weighted (1, 2) plus (s[2x], s[2x+1])
  // weighted (0, 1); reads fine columns 2x - 1 .. 2x + 31 exactly.
  const __m256i w12 = _mm256_set1_epi16(0x0201);
  const __m256i w01 = _mm256_set1_epi16(0x0100);
  const __m256i eight = _mm256_set1_epi16(8);
  auto horizontal = [&](const uint8_t* at) {
    return _mm256_add_epi16(_mm256_maddubs_epi16(Load(at - 1), w12), _mm256_maddubs_epi16(Load(at), w01));
  };
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const uint8_t* col = finePos + 2 * x;
    __m256i above = horizontal(col - finePitch);
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* mid = col + static_cast<ptrdiff_t>(2 * y) * finePitch;
      __m256i h1 = horizontal(mid);
      __m256i h2 = horizontal(mid + finePitch);
      __m256i sum = _mm256_add_epi16(_mm256_add_epi16(above, h2), _mm256_add_epi16(h1, h1));
      sum = _mm256_srli_epi16(_mm256_add_epi16(sum, eight), 4);
      __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0xD8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch + x),
                       _mm256_castsi256_si128(packed));
      above = h2;
    }
  }
  if (x + 8 <= width)
    avd_sse2::ReduceInterior(finePos + 2 * x, finePitch, width - x, rows, coarsePos + x, coarsePitch);
}

namespace {

template <bool IsAnalysis>
void InPlace(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
             int32_t coarsePitch) {
  const __m256i flip = SignFlip();
  auto op = [&](__m256i v, __m256i e) {
    return IsAnalysis ? _mm256_subs_epi8(_mm256_xor_si256(v, flip), _mm256_xor_si256(e, flip))
                      : _mm256_xor_si256(_mm256_adds_epi8(_mm256_xor_si256(e, flip), v), flip);
  };
  // 32 coarse samples to 64 fine columns, in fine order.
  auto expand = [](const uint8_t* c, __m256i* first, __m256i* second) {
    __m256i s = Load(c), a = _mm256_avg_epu8(s, Load(c + 1));
    __m256i lo = _mm256_unpacklo_epi8(s, a), hi = _mm256_unpackhi_epi8(s, a);
    *first = _mm256_permute2x128_si256(lo, hi, 0x20);
    *second = _mm256_permute2x128_si256(lo, hi, 0x31);
  };
  int32_t X = 0;
  int32_t vectorWidth = width & ~63;
  for (int32_t y = 0; y < pairs && vectorWidth; ++y) {
    const uint8_t* c0 = coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch;
    const uint8_t* c1 = c0 + coarsePitch;
    uint8_t* even = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    uint8_t* odd = even + finePitch;
    for (X = 0; X < vectorWidth; X += 64) {
      __m256i e0a, e0b, e2a, e2b;
      expand(c0 + (X >> 1), &e0a, &e0b);
      expand(c1 + (X >> 1), &e2a, &e2b);
      Store(even + X, op(Load(even + X), e0a));
      Store(even + X + 32, op(Load(even + X + 32), e0b));
      Store(odd + X, op(Load(odd + X), _mm256_avg_epu8(e0a, e2a)));
      Store(odd + X + 32, op(Load(odd + X + 32), _mm256_avg_epu8(e0b, e2b)));
    }
  }
  if (vectorWidth < width) {
    if (IsAnalysis)
      avd_sse2::AnalysisInterior(finePos + vectorWidth, finePitch, width - vectorWidth, pairs,
                                 coarsePos + (vectorWidth >> 1), coarsePitch);
    else
      avd_sse2::SynthesisInterior(finePos + vectorWidth, finePitch, width - vectorWidth, pairs,
                                  coarsePos + (vectorWidth >> 1), coarsePitch);
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
  avd_sse2::ExpandInterior(finePos, finePitch, width, pairs, coarsePos, coarsePitch);
}

void ExpandLine(const uint8_t* src, uint8_t* dst, int32_t n) { avd_sse2::ExpandLine(src, dst, n); }

void InsertExpand(uint8_t* row, int32_t length, int32_t pitch) {
  int32_t i = 0;
  for (; i + 32 <= length; i += 32) Store(row + i, _mm256_avg_epu8(Load(row + i - pitch), Load(row + i + pitch)));
  avd_sse2::InsertExpand(row + i, length - i, pitch);
}

}  // namespace avd_avx2
