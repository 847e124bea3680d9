#include "AdlRetinexApply.h"

namespace adl {

void ApplyBlockPairAVX2(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1,
                        int32_t groups, const int16_t* sA, const int16_t* sB, const int16_t* dA,
                        const int16_t* dB, const ApplyConsts& k) {
  ApplyBlockPairScalar(src0, src1, dst0, dst1, 0, groups, sA, sB, dA, dB, k);
}

}  // namespace adl
