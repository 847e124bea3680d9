#pragma once
// The forms behind the block kernel entries: one table of functions per form.
// Entries check their arguments once and call the active table; the forms
// themselves trust their arguments.

#include <cstdint>

namespace avd_block {

struct Table {
  void (*meanVarU8)(const uint8_t* b, int32_t pitch, int32_t* sum, int32_t* var);
  void (*meanVarI8)(const int8_t* b, int32_t pitch, int32_t* sum, int32_t* var);
  void (*meanVarU16)(const uint16_t* b, int32_t pitch, int32_t* sum, int32_t* var);
  void (*meanVarI16)(const int16_t* b, int32_t pitch, int32_t* sum, int32_t* var);
  // n = 8 or 4; 0 < k <= 254 (k = 0 handled by the caller as h = 0).
  void (*setMeanU8)(uint8_t* b, int32_t pitch, int32_t mean, int32_t h, int32_t n);
  void (*setMeanI8)(int8_t* b, int32_t pitch, int32_t mean, int32_t h, int32_t n);
  // k = 0 writes the interpolation; otherwise the truncated blend.
  void (*expandU8)(const uint8_t* p, int32_t pp, uint8_t* b, int32_t pitch, int32_t k);
  void (*mmseU8)(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, uint8_t* d, int32_t dp,
                 int32_t wa, int32_t wb);
  void (*mmseI8)(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int8_t* d, int32_t dp,
                 int32_t wa, int32_t wb);
  void (*copy88)(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp);
  void (*copyU16U8)(uint8_t* d, int32_t dp, const uint16_t* s, int32_t sp, int32_t w, int32_t h);
  // Raw sums S of |a - b|.
  int32_t (*sadU8)(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp);
  int32_t (*sadI8)(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp);
  // Quadrant sums: top-left, top-right, bottom-left, bottom-right.
  void (*quadU8)(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, int32_t q[4]);
  void (*quadI8)(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int32_t q[4]);
  // Window of distances D.
  void (*windowU8)(const uint8_t* blk, const uint8_t* ref, int32_t pitch, int32_t w, int32_t h, int32_t* out);
  void (*windowI8)(const int8_t* blk, const int8_t* ref, int32_t pitch, int32_t w, int32_t h, int32_t* out);
  void (*ows8U8U32)(uint32_t* acc, const uint8_t* s, int32_t pitch, int32_t weight);
  void (*ows4U8U32)(uint32_t* acc, const uint8_t* s, int32_t pitch, int32_t weight);
  void (*ows8U8U16)(uint16_t* acc, const uint8_t* s, int32_t pitch, int32_t weight);
  void (*ows8I8I32)(int32_t* acc, const int8_t* s, int32_t pitch, int32_t weight);
  void (*ows4I8I32)(int32_t* acc, const int8_t* s, int32_t pitch, int32_t weight);
  void (*ows8I8I16)(int16_t* acc, const int8_t* s, int32_t pitch, int32_t weight);
  void (*ows4U16U32)(uint32_t* acc, const uint16_t* s, int32_t pitch, int32_t weight);
  void (*wsumU8)(uint32_t* acc, int32_t n, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h);
  void (*wsumI8)(int32_t* acc, int32_t n, const int8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h);
  // r = 1 / weightTotal and k = blend / 256 in single precision.
  void (*fromSumU8U32)(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint32_t* acc, float r, float k);
  void (*fromSumU8U16)(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint16_t* acc, float r, float k);
  void (*fromSumI8I32)(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int32_t* acc, float r, float k);
  void (*fromSumI8I16)(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int16_t* acc, float r, float k);
};

const Table& ScalarTable();
const Table& Sse2Table();
// The SSE2 table with the AVX2 forms put in where they pay.
const Table& Avx2Table();
// The table of ActiveKernelForm().
const Table& ActiveTable();

namespace avx2 {
void windowU8(const uint8_t* blk, const uint8_t* ref, int32_t pitch, int32_t w, int32_t h, int32_t* out);
void windowI8(const int8_t* blk, const int8_t* ref, int32_t pitch, int32_t w, int32_t h, int32_t* out);
void wsumU8(uint32_t* acc, int32_t n, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h);
void wsumI8(int32_t* acc, int32_t n, const int8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h);
}  // namespace avx2

// Float-to-integer step shared by the forms: round to nearest even as the
// vector conversion does (out-of-range and NaN give INT32_MIN), then saturate
// to 16 bits.
int32_t RoundToI16(float v);

}  // namespace avd_block
