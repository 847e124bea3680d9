// Row conversions between the camera's 32-bit pixels and the library's
// B, G, R rows: every preview frame and photo passes one.
#include <immintrin.h>

#include "img/Operations.h"

namespace img {

namespace {

void ArgbToBgrScalar(const uint8_t* s, uint8_t* d, int32_t n) {
  for (int32_t x = 0; x < n; ++x, s += 4, d += 3) {
    d[0] = s[3], d[1] = s[2], d[2] = s[1];
  }
}

// Four pixels a step through one shuffle; the 16-byte store overlaps the
// next step's first bytes, so the last steps are left to the scalar form.
__attribute__((target("ssse3"))) void ArgbToBgrSsse3(const uint8_t* s, uint8_t* d, int32_t n) {
  const __m128i order = _mm_setr_epi8(3, 2, 1, 7, 6, 5, 11, 10, 9, 15, 14, 13, -1, -1, -1, -1);
  int32_t x = 0;
  for (; x + 6 <= n; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * x), _mm_shuffle_epi8(v, order));
  }
  ArgbToBgrScalar(s + 4 * x, d + 3 * x, n - x);
}

}  // namespace

void ArgbRowToBgr(const uint8_t* argb, uint8_t* bgr, int32_t width) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  if (width <= 0) return;
  if (ssse3) ArgbToBgrSsse3(argb, bgr, width);
  else ArgbToBgrScalar(argb, bgr, width);
}

}  // namespace img
