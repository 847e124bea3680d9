#include "AdlRetinexApply.h"

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

void ApplyBlockPair(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                    int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                    const int16_t* dB, const ApplyConsts& k) {
  switch (ActiveKernelForm()) {
    case KernelForm::AVX2:
      ApplyBlockPairAVX2(src0, src1, dst0, dst1, groups, sA, sB, dA, dB, k);
      return;
    case KernelForm::SSE2:
      ApplyBlockPairSSE2(src0, src1, dst0, dst1, groups, sA, sB, dA, dB, k);
      return;
    case KernelForm::Scalar:
      break;
  }
  ApplyBlockPairScalar(src0, src1, dst0, dst1, 0, groups, sA, sB, dA, dB, k);
}

void ApplyBlockPairSSE2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k) {
  ApplyBlockPairScalar(src0, src1, dst0, dst1, 0, groups, sA, sB, dA, dB, k);
}

void ApplyPixelRow(const uint8_t* src, uint8_t* dst, int32_t groups, const int16_t* s,
                   const int16_t* d, const ApplyConsts& k) {
  const int lo = k.lumaOffset;
  const int co = 1 - lo;
  const bool yuy2 = lo == 0;
  for (int32_t g = 0; g < groups; ++g) {
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

}  // namespace adl
