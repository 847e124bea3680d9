#include "AdlRetinexApply.h"

namespace adl {

// The stage is bound by its four table look-ups a block, which AVX2 gathers
// cannot take from 16-bit tables without reading past their ends; the SSE2
// form serves.
void ApplyBlockPairAVX2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k) {
  ApplyBlockPairSSE2(src0, src1, dst0, dst1, groups, sA, sB, dA, dB, k);
}

}  // namespace adl
