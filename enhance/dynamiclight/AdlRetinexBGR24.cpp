// Full-resolution retinex kernel of BGR24 pictures: illumination and
// deviation at every pixel, one gain a pixel from its green byte.
#include "AdlPyramid.h"
#include "AdlRetinex.h"
#include "AdlRetinexApply.h"
#include "AdlTables.h"
#include "MMem.h"

namespace adl {

int32_t RetinexEnhanceBGR24(void* memory, const uint8_t* src, int32_t height, int32_t width,
                            int32_t pitch, uint8_t* dst, int32_t logMean,
                            const int16_t* gainCentre) {
  const int64_t n = static_cast<int64_t>(width) * height;
  const int64_t scratchWords = n > 2047 ? n / 2 : 1024;
  int16_t* work = static_cast<int16_t*>(MMemAlloc(memory, static_cast<size_t>(scratchWords + 2 * n) * 2));
  if (!work) return 4;
  int16_t* scratch = work;
  int16_t* mapL = work + scratchWords;
  int16_t* mapS = mapL + n;
  const int16_t* logTable = LogTable();
  const int16_t* sqrtTable = SqrtTable();
  const int16_t* divTable = DivTable();
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* row = src + static_cast<intptr_t>(r) * pitch;
    int16_t* l = mapL + static_cast<intptr_t>(r) * width;
    for (int32_t x = 0; x < width; ++x)
      l[x] = logTable[(32 * row[3 * x + 2] + 83 * row[3 * x + 1] + 13 * row[3 * x]) >> 7];
  }
  int32_t result = PyramidFilter(mapL, height, width, mapS, 90, 75, scratch, scratchWords);
  if (result == 0) {
    for (int64_t i = 0; i < n; ++i) mapL[i] = static_cast<int16_t>(SoftMagnitude(sqrtTable, mapL[i] - mapS[i]));
    // A map of one row or column makes no pyramid: D is then the deviation itself.
    result = PyramidFilter(mapL, height, width, mapL, 90, 75, scratch, scratchWords);
  }
  if (result != 0) {
    MMemFree(memory, work);
    return 4;
  }
  const int32_t offsetK = logMean + ((logTable[97] - logMean + 1024) >> 1);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = src + static_cast<intptr_t>(r) * pitch;
    uint8_t* out = dst + static_cast<intptr_t>(r) * pitch;
    const int16_t* s = mapS + static_cast<intptr_t>(r) * width;
    const int16_t* d = mapL + static_cast<intptr_t>(r) * width;
    for (int32_t x = 0; x < width; ++x) {
      const int32_t l = logTable[in[3 * x + 1]];
      const int32_t index = ClampGainIndex((((divTable[d[x] >> 1] * (l - s[x])) >> 10) - l + offsetK) >> 1);
      const int32_t g = gainCentre[index];
      for (int c = 0; c < 3; ++c) out[3 * x + c] = ClampByte((in[3 * x + c] * g) >> 8);
    }
  }
  MMemFree(memory, work);
  return 0;
}

}  // namespace adl
