// Integral images of 8-bit blocks: 16-bit wrapping sums, 32-bit sums of squares.
#include <emmintrin.h>

#include <cstring>

#include "AvdSupport.h"
#include "EnhanceResult.h"
#include "KernelForm.h"

namespace {

template <bool Signed>
inline int32_t Sample(const uint8_t* p) {
  return Signed ? static_cast<int32_t>(static_cast<int8_t>(*p)) : static_cast<int32_t>(*p);
}

template <bool Signed>
void IntegralScalar(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                    int32_t width, int32_t height) {
  std::memset(sums, 0, sizeof(uint16_t) * static_cast<size_t>(stride));
  if (squares) std::memset(squares, 0, sizeof(uint32_t) * static_cast<size_t>(stride));
  for (int32_t y = 0; y < height; ++y, src += pitch) {
    const uint16_t* above = sums + static_cast<ptrdiff_t>(y) * stride;
    uint16_t* row = sums + static_cast<ptrdiff_t>(y + 1) * stride;
    uint16_t run = 0;
    row[0] = 0;
    for (int32_t x = 0; x < width; ++x) {
      run = static_cast<uint16_t>(run + static_cast<uint16_t>(Sample<Signed>(src + x)));
      row[x + 1] = static_cast<uint16_t>(run + above[x + 1]);
    }
    if (!squares) continue;
    const uint32_t* aboveQ = squares + static_cast<ptrdiff_t>(y) * stride;
    uint32_t* rowQ = squares + static_cast<ptrdiff_t>(y + 1) * stride;
    uint32_t runQ = 0;
    rowQ[0] = 0;
    for (int32_t x = 0; x < width; ++x) {
      int32_t v = Sample<Signed>(src + x);
      runQ += static_cast<uint32_t>(v * v);
      rowQ[x + 1] = runQ + aboveQ[x + 1];
    }
  }
}

// Prefix sum of eight 16-bit lanes.
inline __m128i Prefix16(__m128i v) {
  v = _mm_add_epi16(v, _mm_slli_si128(v, 2));
  v = _mm_add_epi16(v, _mm_slli_si128(v, 4));
  return _mm_add_epi16(v, _mm_slli_si128(v, 8));
}

inline __m128i Prefix32(__m128i v) {
  v = _mm_add_epi32(v, _mm_slli_si128(v, 4));
  return _mm_add_epi32(v, _mm_slli_si128(v, 8));
}

template <bool Signed>
void IntegralSse2(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                  int32_t width, int32_t height) {
  std::memset(sums, 0, sizeof(uint16_t) * static_cast<size_t>(stride));
  if (squares) std::memset(squares, 0, sizeof(uint32_t) * static_cast<size_t>(stride));
  const __m128i zero = _mm_setzero_si128();
  for (int32_t y = 0; y < height; ++y, src += pitch) {
    const uint16_t* above = sums + static_cast<ptrdiff_t>(y) * stride;
    uint16_t* row = sums + static_cast<ptrdiff_t>(y + 1) * stride;
    const uint32_t* aboveQ = squares ? squares + static_cast<ptrdiff_t>(y) * stride : nullptr;
    uint32_t* rowQ = squares ? squares + static_cast<ptrdiff_t>(y + 1) * stride : nullptr;
    row[0] = 0;
    if (rowQ) rowQ[0] = 0;
    __m128i run = _mm_setzero_si128();   // running sum broadcast in every lane
    __m128i runQ = _mm_setzero_si128();  // running square sum, every lane
    int32_t x = 0;
    for (; x + 8 <= width; x += 8) {
      __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + x));
      __m128i v = Signed ? _mm_srai_epi16(_mm_unpacklo_epi8(b, b), 8) : _mm_unpacklo_epi8(b, zero);
      __m128i p = _mm_add_epi16(Prefix16(v), run);
      __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + x + 1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x + 1), _mm_add_epi16(p, up));
      run = _mm_shufflehi_epi16(p, 0xFF);
      run = _mm_unpackhi_epi64(run, run);
      if (rowQ) {
        __m128i sq = _mm_mullo_epi16(v, v);  // at most 65025: exact as unsigned 16-bit
        __m128i lo = Prefix32(_mm_unpacklo_epi16(sq, zero));
        __m128i hi = Prefix32(_mm_unpackhi_epi16(sq, zero));
        lo = _mm_add_epi32(lo, runQ);
        hi = _mm_add_epi32(hi, _mm_shuffle_epi32(lo, 0xFF));
        runQ = _mm_shuffle_epi32(hi, 0xFF);
        __m128i upLo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(aboveQ + x + 1));
        __m128i upHi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(aboveQ + x + 5));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rowQ + x + 1), _mm_add_epi32(lo, upLo));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rowQ + x + 5), _mm_add_epi32(hi, upHi));
      }
    }
    uint16_t r = static_cast<uint16_t>(_mm_cvtsi128_si32(run));
    uint32_t rq = static_cast<uint32_t>(_mm_cvtsi128_si32(runQ));
    for (; x < width; ++x) {
      int32_t v = Sample<Signed>(src + x);
      r = static_cast<uint16_t>(r + static_cast<uint16_t>(v));
      row[x + 1] = static_cast<uint16_t>(r + above[x + 1]);
      if (rowQ) {
        rq += static_cast<uint32_t>(v * v);
        rowQ[x + 1] = rq + aboveQ[x + 1];
      }
    }
  }
}

}  // namespace

void Integral_U8_SSE(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                     int32_t width, int32_t height) {
  if (ActiveKernelForm() == KernelForm::Scalar)
    IntegralScalar<false>(src, pitch, sums, squares, stride, width, height);
  else
    IntegralSse2<false>(src, pitch, sums, squares, stride, width, height);
}

void Integral_I8_SSE(const uint8_t* src, int32_t pitch, uint16_t* sums, uint32_t* squares, int32_t stride,
                     int32_t width, int32_t height) {
  if (ActiveKernelForm() == KernelForm::Scalar)
    IntegralScalar<true>(src, pitch, sums, squares, stride, width, height);
  else
    IntegralSse2<true>(src, pitch, sums, squares, stride, width, height);
}

int32_t avdIntegral(const uint8_t* src, int32_t pitch, uint32_t kind, uint16_t* sums, uint32_t* squares,
                    int32_t stride, int32_t width, int32_t height) {
  if (kind != ELEM_U8 && kind != ELEM_I8) return ENH_OK;
  if (!src || !sums || width < 0 || height < 0 || stride < width + 1 || (height > 1 && pitch < width))
    return ENH_ERR_ARGUMENT;
  if (kind == ELEM_U8)
    Integral_U8_SSE(src, pitch, sums, squares, stride, width, height);
  else
    Integral_I8_SSE(src, pitch, sums, squares, stride, width, height);
  return ENH_OK;
}
