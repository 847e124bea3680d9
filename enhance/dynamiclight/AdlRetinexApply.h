#pragma once
// Per-pixel gain stage of the retinex kernels for packed 4:2:2 frames: one
// look-up of the gain per block, then luma and chroma scaled by it. Scalar,
// SSE2 and AVX2 forms give the same bytes; ApplyBlockPair dispatches on the
// active kernel form.

#include <cstdint>

namespace adl {

struct ApplyConsts {
  int32_t offsetK;          // log offset of the brightness target
  const int16_t* gain;      // gain table centre, index -32768..32767
  const int32_t* curve;     // tone curve, Q14
  int32_t chroma;           // chroma gain in 1/32
  const int16_t* logTable;
  const int16_t* divTable;
  int32_t lumaOffset;       // 0 for YUY2 (Y0 U Y1 V), 1 for UYVY (U Y0 V Y1)
  // Per luma byte: the log in the low 16 bits, the curve in the high 16 bits
  // (one look-up for both); null where the caller has not built it.
  const int32_t* logCurve = nullptr;
};

// Fills logCurve[256] from the log table and the curve of k.
void BuildLogCurve(const ApplyConsts& k, int32_t logCurve[256]);

// One gain per 2 x 2 block: groups `groups` of rows src0/src1, written to
// dst0/dst1 (may be the sources). s = (sA + sB) >> 1 and d = (dA + dB) >> 1 per
// group.
void ApplyBlockPair(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                    int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                    const int16_t* dB, const ApplyConsts& k);

// One gain per luma byte (2 x 2 cells, no interpolation): s and d per group.
void ApplyPixelRow(const uint8_t* src, uint8_t* dst, int32_t groups, const int16_t* s,
                   const int16_t* d, const ApplyConsts& k);

// The forms, for tests and the dispatcher. The AVX2 block form needs logCurve
// and gathers its gains (one spare entry after the gain table); the AVX2 pixel
// form is the SSE2 one.
void ApplyPixelRowScalar(const uint8_t* src, uint8_t* dst, int32_t begin, int32_t groups,
                         const int16_t* s, const int16_t* d, const ApplyConsts& k);
void ApplyPixelRowSSE2(const uint8_t* src, uint8_t* dst, int32_t groups, const int16_t* s,
                       const int16_t* d, const ApplyConsts& k);
void ApplyBlockPairScalar(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0,
                          uint8_t* dst1, int32_t begin, int32_t groups, const int16_t* sA,
                          const int16_t* sB, const int16_t* dA, const int16_t* dB,
                          const ApplyConsts& k);
void ApplyBlockPairSSE2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k);
void ApplyBlockPairAVX2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k);

inline int32_t ClampGainIndex(int32_t index) {
  return index < -32768 ? -32768 : (index > 32767 ? 32767 : index);
}

inline uint8_t ClampByte(int32_t v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace adl
