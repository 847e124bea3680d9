// AVX2 forms of the colour conversions. Until wider forms pay for themselves
// the SSE2 rows serve.
#include "ColorConvert.h"

namespace colorconvert {

void ToYUY2RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs) { ToYUY2RowSSE2(dst, src, pairs); }
void ToRGB32RowAVX2(uint8_t* dst, const uint8_t* src, int32_t pairs) { ToRGB32RowSSE2(dst, src, pairs); }
void ToPlanesRowAVX2(uint8_t* y, uint8_t* u, uint8_t* v, const uint8_t* src, int32_t width) {
  ToPlanesRowSSE2(y, u, v, src, width);
}

}  // namespace colorconvert
