#include "AdlRetinexApply.h"

#include <emmintrin.h>

#include "KernelForm.h"

namespace adl {

void ApplyBlockPairScalar(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0,
                          uint8_t* dst1, int32_t begin, int32_t groups, const int16_t* sA,
                          const int16_t* sB, const int16_t* dA, const int16_t* dB,
                          const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const int co = 1 - lo;
  for (int32_t g = begin; g < groups; ++g) {
    const int32_t s = (sA[g] + sB[g]) >> 1;
    const int32_t d = (dA[g] + dB[g]) >> 1;
    const uint8_t* a = src0 + 4 * g;
    const uint8_t* b = src1 + 4 * g;
    const int32_t y0 = a[lo];
    const int32_t l = k.logTable[y0];
    const int32_t index = ClampGainIndex((((k.divTable[d >> 1] * (l - s)) >> 10) - l + k.offsetK) >> 1);
    const int32_t gain = k.gain[index];
    const int32_t gy = (gain * k.curve[y0]) >> 14;
    const int32_t gc = (k.chroma * gain) >> 5;
    const uint8_t a0 = a[lo], a1 = a[lo + 2], ac0 = a[co], ac1 = a[co + 2];
    const uint8_t b0 = b[lo], b1 = b[lo + 2], bc0 = b[co], bc1 = b[co + 2];
    uint8_t* p = dst0 + 4 * g;
    uint8_t* q = dst1 + 4 * g;
    p[lo] = ClampByte((a0 * gy) >> 8);
    p[lo + 2] = ClampByte((a1 * gy) >> 8);
    p[co] = ClampByte((((ac0 - 128) * gc) >> 8) + 128);
    p[co + 2] = ClampByte((((ac1 - 128) * gc) >> 8) + 128);
    q[lo] = ClampByte((b0 * gy) >> 8);
    q[lo + 2] = ClampByte((b1 * gy) >> 8);
    q[co] = ClampByte((((bc0 - 128) * gc) >> 8) + 128);
    q[co + 2] = ClampByte((((bc1 - 128) * gc) >> 8) + 128);
  }
}

void BuildLogCurve(const ApplyConsts& k, int32_t logCurve[256]) {
  for (int32_t y = 0; y < 256; ++y)
    logCurve[y] = static_cast<int32_t>((static_cast<uint32_t>(k.curve[y]) << 16) | static_cast<uint16_t>(k.logTable[y]));
}

void ApplyBlockPair(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                    int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                    const int16_t* dB, const ApplyConsts& k) {
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2:
      if (k.logCurve) {
        ApplyBlockPairAVX2(src0, src1, dst0, dst1, groups, sA, sB, dA, dB, k);
        return;
      }
      [[fallthrough]];
    case KernelForm::SSE2:
      ApplyBlockPairSSE2(src0, src1, dst0, dst1, groups, sA, sB, dA, dB, k);
      return;
    case KernelForm::Scalar:
      break;
  }
  ApplyBlockPairScalar(src0, src1, dst0, dst1, 0, groups, sA, sB, dA, dB, k);
}

namespace {

// Scales 8 pixels of packed 4:2:2 (16 bytes): luma by gy, chroma about 128 by
// gc, each as the high half of a 16-bit product. lo = 0: luma in the even bytes.
inline __m128i ScalePacked(__m128i in, __m128i gy, __m128i gc, int lo) {
  const __m128i lowByte = _mm_set1_epi16(0xFF);
  const __m128i k128 = _mm_set1_epi16(128);
  const __m128i even = _mm_and_si128(in, lowByte);
  const __m128i odd = _mm_srli_epi16(in, 8);
  const __m128i y = lo == 0 ? even : odd;
  const __m128i c = lo == 0 ? odd : even;
  const __m128i ny = _mm_mulhi_epu16(_mm_slli_epi16(y, 8), gy);
  const __m128i nc = _mm_add_epi16(_mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(c, k128), 8), gc), k128);
  const __m128i yb = _mm_packus_epi16(ny, ny);
  const __m128i cb = _mm_packus_epi16(nc, nc);
  return lo == 0 ? _mm_unpacklo_epi8(yb, cb) : _mm_unpacklo_epi8(cb, yb);
}

}  // namespace

void ApplyBlockPairSSE2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const __m128i offsetK = _mm_set1_epi32(k.offsetK);
  const __m128i chroma = _mm_set1_epi16(static_cast<int16_t>(k.chroma));
  alignas(16) int16_t logs[8], curves[8], divs[8], gains[8];
  alignas(16) int16_t halfD[8], index[8];
  int32_t g = 0;
  for (; g + 8 <= groups; g += 8) {
    // Table look-ups have no vector form in SSE2: gather them one by one.
    for (int i = 0; i < 8; ++i) {
      const uint8_t y0 = src0[4 * (g + i) + lo];
      logs[i] = k.logTable[y0];
      curves[i] = static_cast<int16_t>(k.curve[y0]);
    }
    const __m128i s = _mm_srai_epi16(_mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sA + g)),
                                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(sB + g))), 1);
    const __m128i d = _mm_srai_epi16(_mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dA + g)),
                                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(dB + g))), 1);
    _mm_store_si128(reinterpret_cast<__m128i*>(halfD), _mm_srai_epi16(d, 1));
    for (int i = 0; i < 8; ++i) divs[i] = k.divTable[halfD[i]];
    const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(logs));
    const __m128i div = _mm_load_si128(reinterpret_cast<const __m128i*>(divs));
    const __m128i ls = _mm_sub_epi16(l, s);
    // div * (l - s) in 32 bits, then the index; packs clamps it to the table.
    const __m128i pl = _mm_mullo_epi16(div, ls), ph = _mm_mulhi_epi16(div, ls);
    __m128i idx[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i prod = h ? _mm_unpackhi_epi16(pl, ph) : _mm_unpacklo_epi16(pl, ph);
      const __m128i l32 = _mm_srai_epi32(h ? _mm_unpackhi_epi16(l, l) : _mm_unpacklo_epi16(l, l), 16);
      idx[h] = _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(_mm_srai_epi32(prod, 10), l32), offsetK), 1);
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_packs_epi32(idx[0], idx[1]));
    for (int i = 0; i < 8; ++i) gains[i] = k.gain[index[i]];
    const __m128i gain = _mm_load_si128(reinterpret_cast<const __m128i*>(gains));
    const __m128i curve = _mm_load_si128(reinterpret_cast<const __m128i*>(curves));
    // gy = (gain * curve) >> 14, gc = (chroma * gain) >> 5, both in 32 bits.
    const __m128i cl = _mm_mullo_epi16(gain, curve), chh = _mm_mulhi_epi16(gain, curve);
    const __m128i gy = _mm_packs_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(cl, chh), 14),
                                       _mm_srai_epi32(_mm_unpackhi_epi16(cl, chh), 14));
    const __m128i ql = _mm_mullo_epi16(gain, chroma), qh = _mm_mulhi_epi16(gain, chroma);
    const __m128i gc = _mm_packs_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(ql, qh), 5),
                                       _mm_srai_epi32(_mm_unpackhi_epi16(ql, qh), 5));
    for (int h = 0; h < 2; ++h) {
      // Four groups: each gain serves the two luma and two chroma bytes of a group.
      const __m128i gy2 = h ? _mm_unpackhi_epi16(gy, gy) : _mm_unpacklo_epi16(gy, gy);
      const __m128i gc2 = h ? _mm_unpackhi_epi16(gc, gc) : _mm_unpacklo_epi16(gc, gc);
      const uint8_t* rows[2] = {src0 + 4 * g + 16 * h, src1 + 4 * g + 16 * h};
      uint8_t* outs[2] = {dst0 + 4 * g + 16 * h, dst1 + 4 * g + 16 * h};
      for (int r = 0; r < 2; ++r) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(outs[r]), ScalePacked(in, gy2, gc2, lo));
      }
    }
  }
  ApplyBlockPairScalar(src0, src1, dst0, dst1, g, groups, sA, sB, dA, dB, k);
}

void ApplyPixelRowScalar(const uint8_t* src, uint8_t* dst, int32_t begin, int32_t groups,
                         const int16_t* s, const int16_t* d, const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const int co = 1 - lo;
  const bool yuy2 = lo == 0;
  for (int32_t g = begin; g < groups; ++g) {
    const uint8_t* a = src + 4 * g;
    uint8_t* p = dst + 4 * g;
    const int32_t sv = s[g];
    const int32_t div = k.divTable[d[g] >> 1];
    const uint8_t y[2] = {a[lo], a[lo + 2]};
    const uint8_t c0 = a[co], c1 = a[co + 2];
    int32_t firstGain = 0;
    for (int i = 0; i < 2; ++i) {
      const int32_t l = k.logTable[y[i]];
      // YUY2 takes 7/8 of the divisor term at this level, UYVY a half.
      const int32_t term = yuy2 ? ((((div * 7) >> 3) * (l - sv)) >> 10) : ((div * (l - sv)) >> 11);
      const int32_t gain = k.gain[ClampGainIndex((term - l + k.offsetK) >> 1)];
      if (i == 0) firstGain = gain;
      const int32_t gy = (gain * k.curve[y[i]]) >> 14;
      p[lo + 2 * i] = ClampByte((y[i] * gy) >> 8);
    }
    const int32_t gc = (k.chroma * firstGain) >> 5;
    p[co] = ClampByte((((c0 - 128) * gc) >> 8) + 128);
    p[co + 2] = ClampByte((((c1 - 128) * gc) >> 8) + 128);
  }
}

void ApplyPixelRowSSE2(const uint8_t* src, uint8_t* dst, int32_t groups, const int16_t* s,
                       const int16_t* d, const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const bool yuy2 = lo == 0;
  const int divShift = yuy2 ? 10 : 11;
  const __m128i offsetK = _mm_set1_epi32(k.offsetK);
  const __m128i chroma = _mm_set1_epi16(static_cast<int16_t>(k.chroma));
  alignas(16) int16_t logs[8], curves[8], divs[8], gains[8], index[8];
  int32_t g = 0;
  for (; g + 4 <= groups; g += 4) {
    const uint8_t* in = src + 4 * g;
    // Lanes: Y0, Y1 of each of four groups.
    for (int i = 0; i < 8; ++i) {
      const uint8_t y = in[2 * i + lo];
      logs[i] = k.logTable[y];
      curves[i] = static_cast<int16_t>(k.curve[y]);
    }
    for (int i = 0; i < 4; ++i) {
      const int32_t div = k.divTable[d[g + i] >> 1];
      // YUY2 takes 7/8 of the divisor term here, UYVY a half (the shift).
      divs[2 * i] = divs[2 * i + 1] = static_cast<int16_t>(yuy2 ? (div * 7) >> 3 : div);
    }
    const __m128i s4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + g));
    const __m128i sv = _mm_unpacklo_epi16(s4, s4);
    const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(logs));
    const __m128i div = _mm_load_si128(reinterpret_cast<const __m128i*>(divs));
    const __m128i ls = _mm_sub_epi16(l, sv);
    const __m128i pl = _mm_mullo_epi16(div, ls), ph = _mm_mulhi_epi16(div, ls);
    const __m128i shift = _mm_cvtsi32_si128(divShift);
    __m128i idx[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i prod = h ? _mm_unpackhi_epi16(pl, ph) : _mm_unpacklo_epi16(pl, ph);
      const __m128i l32 = _mm_srai_epi32(h ? _mm_unpackhi_epi16(l, l) : _mm_unpacklo_epi16(l, l), 16);
      idx[h] = _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(_mm_sra_epi32(prod, shift), l32), offsetK), 1);
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_packs_epi32(idx[0], idx[1]));
    for (int i = 0; i < 8; ++i) gains[i] = k.gain[index[i]];
    const __m128i gain = _mm_load_si128(reinterpret_cast<const __m128i*>(gains));
    const __m128i curve = _mm_load_si128(reinterpret_cast<const __m128i*>(curves));
    const __m128i cl = _mm_mullo_epi16(gain, curve), chh = _mm_mulhi_epi16(gain, curve);
    const __m128i gy = _mm_packs_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(cl, chh), 14),
                                       _mm_srai_epi32(_mm_unpackhi_epi16(cl, chh), 14));
    // U and V of a group take the chroma gain of its first luma byte.
    const __m128i first = _mm_shufflehi_epi16(_mm_shufflelo_epi16(gain, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0));
    const __m128i ql = _mm_mullo_epi16(first, chroma), qh = _mm_mulhi_epi16(first, chroma);
    const __m128i gc = _mm_packs_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(ql, qh), 5),
                                       _mm_srai_epi32(_mm_unpackhi_epi16(ql, qh), 5));
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * g), ScalePacked(bytes, gy, gc, lo));
  }
  ApplyPixelRowScalar(src, dst, g, groups, s, d, k);
}

void ApplyPixelRow(const uint8_t* src, uint8_t* dst, int32_t groups, const int16_t* s,
                   const int16_t* d, const ApplyConsts& k) {
  if (ActiveKernelForm() == KernelForm::Scalar)
    ApplyPixelRowScalar(src, dst, 0, groups, s, d, k);
  else
    ApplyPixelRowSSE2(src, dst, groups, s, d, k);
}

}  // namespace adl
