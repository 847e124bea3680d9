// Scalar forms of the block kernels: the reference the vector forms match.

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "block/BlockKernelForms.h"

namespace avd_block {

int32_t RoundToI16(float v) {
  int32_t i;
  if (v >= -2147483648.0f && v < 2147483648.0f)
    i = static_cast<int32_t>(std::nearbyint(v));
  else
    i = INT32_MIN;
  if (i > 32767) return 32767;
  if (i < -32768) return -32768;
  return i;
}

namespace {

inline uint8_t SatU8(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
inline int8_t SatI8(int32_t v) { return static_cast<int8_t>(v < -128 ? -128 : (v > 127 ? 127 : v)); }

template <typename T>
void MeanVar8(const T* b, int32_t pitch, int32_t* sum, int32_t* var) {
  int32_t s = 0, q = 0;
  for (int r = 0; r < 8; ++r, b += pitch)
    for (int c = 0; c < 8; ++c) {
      s += b[c];
      q += b[c] * b[c];
    }
  *sum = s;
  *var = q * 64 - s * s;
}

void MeanVarU8(const uint8_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar8(b, p, s, v); }
void MeanVarI8(const int8_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar8(b, p, s, v); }

template <typename T>
void MeanVar16(const T* b, int32_t pitch, int32_t* sum, int32_t* var) {
  int32_t s = 0, ts = 0, tq = 0;
  for (int r = 0; r < 8; ++r, b += pitch)
    for (int c = 0; c < 8; ++c) {
      int32_t x = b[c];
      int32_t t = x >> 8;  // logical for unsigned (x >= 0), arithmetic for signed
      s += x;
      ts += t;
      tq += t * t;
    }
  *sum = s;
  *var = tq * 64 - ts * ts;
}

void MeanVarU16(const uint16_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar16(b, p, s, v); }
void MeanVarI16(const int16_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar16(b, p, s, v); }

void SetMeanU8(uint8_t* b, int32_t pitch, int32_t m, int32_t h, int32_t n) {
  for (int r = 0; r < n; ++r, b += pitch)
    for (int c = 0; c < n; ++c) b[c] = SatU8((m * 128 + 64 + (b[c] - m) * h) >> 7);
}

void SetMeanI8(int8_t* b, int32_t pitch, int32_t m, int32_t h, int32_t n) {
  for (int r = 0; r < n; ++r, b += pitch)
    for (int c = 0; c < n; ++c) b[c] = SatI8((m * 128 + 64 + (b[c] - m) * h) >> 7);
}

void ExpandU8(const uint8_t* p, int32_t pp, uint8_t* b, int32_t pitch, int32_t k) {
  uint8_t in[8][8];
  for (int y = 0; y < 4; ++y) {
    const uint8_t* r0 = p + y * pp;
    const uint8_t* r1 = r0 + pp;
    int v[5];
    for (int x = 0; x < 5; ++x) v[x] = (r0[x] + r1[x] + 1) >> 1;
    for (int x = 0; x < 4; ++x) {
      in[2 * y][2 * x] = r0[x];
      in[2 * y][2 * x + 1] = static_cast<uint8_t>((r0[x] + r0[x + 1] + 1) >> 1);
      in[2 * y + 1][2 * x] = static_cast<uint8_t>(v[x]);
      in[2 * y + 1][2 * x + 1] = static_cast<uint8_t>((v[x] + v[x + 1] + 1) >> 1);
    }
  }
  for (int r = 0; r < 8; ++r, b += pitch)
    for (int c = 0; c < 8; ++c)
      b[c] = k == 0 ? in[r][c] : static_cast<uint8_t>((b[c] * k + in[r][c] * (256 - k)) >> 8);
}

void MmseU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, uint8_t* d, int32_t dp, int32_t wa,
            int32_t wb) {
  for (int r = 0; r < 8; ++r, a += ap, b += bp, d += dp)
    for (int c = 0; c < 8; ++c) d[c] = SatU8((a[c] * wa + b[c] * wb + 128) >> 8);
}

void MmseI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int8_t* d, int32_t dp, int32_t wa,
            int32_t wb) {
  for (int r = 0; r < 8; ++r, a += ap, b += bp, d += dp)
    for (int c = 0; c < 8; ++c) d[c] = SatI8((a[c] * wa + b[c] * wb + 128) >> 8);
}

void Copy88(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp) {
  uint8_t t[8][8];
  for (int r = 0; r < 8; ++r) std::memcpy(t[r], s + r * sp, 8);
  for (int r = 0; r < 8; ++r) std::memcpy(d + r * dp, t[r], 8);
}

void CopyU16U8(uint8_t* d, int32_t dp, const uint16_t* s, int32_t sp, int32_t w, int32_t h) {
  for (int r = 0; r < h; ++r, d += dp, s += sp)
    for (int c = 0; c < w; ++c) d[c] = static_cast<uint8_t>(s[c] >> 8);
}

template <typename T>
int32_t Sad8(const T* a, int32_t ap, const T* b, int32_t bp) {
  int32_t s = 0;
  for (int r = 0; r < 8; ++r, a += ap, b += bp)
    for (int c = 0; c < 8; ++c) s += std::abs(a[c] - b[c]);
  return s;
}

int32_t SadU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp) { return Sad8(a, ap, b, bp); }
int32_t SadI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp) { return Sad8(a, ap, b, bp); }

template <typename T>
void Quad8(const T* a, int32_t ap, const T* b, int32_t bp, int32_t q[4]) {
  q[0] = q[1] = q[2] = q[3] = 0;
  for (int r = 0; r < 8; ++r, a += ap, b += bp)
    for (int c = 0; c < 8; ++c) q[(r >> 2) * 2 + (c >> 2)] += std::abs(a[c] - b[c]);
}

void QuadU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, int32_t q[4]) { Quad8(a, ap, b, bp, q); }
void QuadI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int32_t q[4]) { Quad8(a, ap, b, bp, q); }

template <typename T>
void Window(const T* blk, const T* ref, int32_t pitch, int32_t w, int32_t h, int32_t* out) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int32_t s = Sad8(blk, pitch, ref + j * pitch + i, pitch);
      out[j * w + i] = (s * s) >> 6;
    }
}

void WindowU8(const uint8_t* blk, const uint8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window(blk, ref, p, w, h, out);
}
void WindowI8(const int8_t* blk, const int8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window(blk, ref, p, w, h, out);
}

// Counter += low 16 bits of sample * weight, zero-extended (unsigned) or
// sign-extended (signed); 32-bit counters wrap as unsigned.
void Ows8U8U32(uint32_t* acc, const uint8_t* s, int32_t pitch, int32_t weight) {
  const uint16_t wt = static_cast<uint16_t>(weight);
  for (int r = 0; r < 8; ++r, s += pitch)
    for (int c = 0; c < 8; ++c) acc[r * 8 + c] += static_cast<uint16_t>(s[c] * wt);
}
void Ows4U8U32(uint32_t* acc, const uint8_t* s, int32_t pitch, int32_t weight) {
  const uint16_t wt = static_cast<uint16_t>(weight);
  for (int r = 0; r < 4; ++r, s += pitch)
    for (int c = 0; c < 4; ++c) acc[r * 4 + c] += static_cast<uint16_t>(s[c] * wt);
}
void Ows8U8U16(uint16_t* acc, const uint8_t* s, int32_t pitch, int32_t weight) {
  const uint16_t wt = static_cast<uint16_t>(weight);
  for (int r = 0; r < 8; ++r, s += pitch)
    for (int c = 0; c < 8; ++c) acc[r * 8 + c] = static_cast<uint16_t>(acc[r * 8 + c] + s[c] * wt);
}
inline uint32_t SignedProduct(int8_t s, int16_t wt) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(s * wt)));
}
void Ows8I8I32(int32_t* acc, const int8_t* s, int32_t pitch, int32_t weight) {
  const int16_t wt = static_cast<int16_t>(weight);
  uint32_t* a = reinterpret_cast<uint32_t*>(acc);
  for (int r = 0; r < 8; ++r, s += pitch)
    for (int c = 0; c < 8; ++c) a[r * 8 + c] += SignedProduct(s[c], wt);
}
void Ows4I8I32(int32_t* acc, const int8_t* s, int32_t pitch, int32_t weight) {
  const int16_t wt = static_cast<int16_t>(weight);
  uint32_t* a = reinterpret_cast<uint32_t*>(acc);
  for (int r = 0; r < 4; ++r, s += pitch)
    for (int c = 0; c < 4; ++c) a[r * 4 + c] += SignedProduct(s[c], wt);
}
void Ows8I8I16(int16_t* acc, const int8_t* s, int32_t pitch, int32_t weight) {
  const int16_t wt = static_cast<int16_t>(weight);
  uint16_t* a = reinterpret_cast<uint16_t*>(acc);
  for (int r = 0; r < 8; ++r, s += pitch)
    for (int c = 0; c < 8; ++c) a[r * 8 + c] = static_cast<uint16_t>(a[r * 8 + c] + SignedProduct(s[c], wt));
}
void Ows4U16U32(uint32_t* acc, const uint16_t* s, int32_t pitch, int32_t weight) {
  const int32_t w2 = static_cast<int16_t>(static_cast<uint16_t>(2 * weight));
  for (int r = 0; r < 4; ++r, s += pitch)
    for (int c = 0; c < 4; ++c) acc[r * 4 + c] += static_cast<uint32_t>((s[c] >> 1) * w2);
}

// Weighted sum of the blocks around a window: one accumulation per non-zero weight.
template <typename Acc, typename Sample, void (*Ows8)(Acc*, const Sample*, int32_t, int32_t),
          void (*Ows4)(Acc*, const Sample*, int32_t, int32_t)>
void Wsum(Acc* acc, int32_t n, const Sample* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  std::memset(acc, 0, static_cast<size_t>(n) * n * 4);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int32_t weight = wt[j * w + i];
      if (!weight) continue;
      if (n == 8)
        Ows8(acc, s + j * pitch + i, pitch, weight);
      else
        Ows4(acc, s + j * pitch + i, pitch, weight);
    }
}

void WsumU8(uint32_t* acc, int32_t n, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  Wsum<uint32_t, uint8_t, Ows8U8U32, Ows4U8U32>(acc, n, s, pitch, wt, w, h);
}

void WsumI8(int32_t* acc, int32_t n, const int8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  Wsum<int32_t, int8_t, Ows8I8I32, Ows4I8I32>(acc, n, s, pitch, wt, w, h);
}

// Counters are taken as signed 32-bit values, as the vector conversion does.
template <typename D, typename C>
void FromSum(D* d, int32_t dp, const D* s, int32_t sp, const C* acc, float r, float k, int32_t lo, int32_t hi) {
  for (int y = 0; y < 8; ++y, d += dp, s += sp)
    for (int x = 0; x < 8; ++x) {
      float m = static_cast<float>(static_cast<int32_t>(acc[y * 8 + x])) * r;
      float diff = static_cast<float>(s[x]) - m;
      float v = m + diff * k;
      int32_t i = RoundToI16(v);
      d[x] = static_cast<D>(i < lo ? lo : (i > hi ? hi : i));
    }
}

void FromSumU8U32(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint32_t* acc, float r, float k) {
  FromSum(d, dp, s, sp, acc, r, k, 0, 255);
}
void FromSumU8U16(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint16_t* acc, float r, float k) {
  FromSum(d, dp, s, sp, acc, r, k, 0, 255);
}
void FromSumI8I32(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int32_t* acc, float r, float k) {
  FromSum(d, dp, s, sp, acc, r, k, -128, 127);
}
void FromSumI8I16(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int16_t* acc, float r, float k) {
  FromSum(d, dp, s, sp, acc, r, k, -128, 127);
}

const Table kScalar = {
    MeanVarU8,    MeanVarI8,    MeanVarU16,   MeanVarI16,   SetMeanU8,    SetMeanI8,  ExpandU8,
    MmseU8,       MmseI8,       Copy88,       CopyU16U8,    SadU8,        SadI8,      QuadU8,
    QuadI8,       WindowU8,     WindowI8,     Ows8U8U32,    Ows4U8U32,    Ows8U8U16,  Ows8I8I32,
    Ows4I8I32,    Ows8I8I16,    Ows4U16U32,   WsumU8,       WsumI8,       FromSumU8U32, FromSumU8U16,
    FromSumI8I32, FromSumI8I16,
};

}  // namespace

const Table& ScalarTable() { return kScalar; }

}  // namespace avd_block
