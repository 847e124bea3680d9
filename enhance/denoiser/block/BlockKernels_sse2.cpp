// SSE2 forms of the block kernels. Rows are loaded 8 (or 4) bytes at a time,
// so nothing outside the stated rows and columns is read.

#include <emmintrin.h>

#include <cstring>

#include "block/BlockKernelForms.h"

namespace avd_block {
namespace {

inline __m128i Load8(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline void Store8(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
inline __m128i Load4(const void* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(v);
}
inline void Store4(void* p, __m128i v) {
  int32_t x = _mm_cvtsi128_si32(v);
  std::memcpy(p, &x, 4);
}
inline __m128i WidenU8(__m128i v) { return _mm_unpacklo_epi8(v, _mm_setzero_si128()); }
inline __m128i WidenI8(__m128i v) { return _mm_srai_epi16(_mm_unpacklo_epi8(v, v), 8); }
inline int32_t HSum32(__m128i v) {
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(v);
}
inline int32_t HSum16(__m128i v) { return HSum32(_mm_madd_epi16(v, _mm_set1_epi16(1))); }
inline int32_t Sad64(__m128i v) { return _mm_cvtsi128_si32(v) + _mm_cvtsi128_si32(_mm_srli_si128(v, 8)); }

template <bool Signed>
void MeanVar8(const void* block, int32_t pitch, int32_t* sum, int32_t* var) {
  const uint8_t* b = static_cast<const uint8_t*>(block);
  __m128i s = _mm_setzero_si128(), q = _mm_setzero_si128();
  for (int r = 0; r < 8; ++r, b += pitch) {
    __m128i x = Signed ? WidenI8(Load8(b)) : WidenU8(Load8(b));
    s = _mm_add_epi16(s, x);
    q = _mm_add_epi32(q, _mm_madd_epi16(x, x));
  }
  int32_t S = HSum16(s);
  *sum = S;
  *var = (HSum32(q) << 6) - S * S;
}

void MeanVarU8(const uint8_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar8<false>(b, p, s, v); }
void MeanVarI8(const int8_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar8<true>(b, p, s, v); }

template <bool Signed>
void MeanVar16(const void* block, int32_t pitch, int32_t* sum, int32_t* var) {
  const uint16_t* b = static_cast<const uint16_t*>(block);
  const __m128i zero = _mm_setzero_si128();
  __m128i s = zero, ts = zero, tq = zero;
  for (int r = 0; r < 8; ++r, b += pitch) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    __m128i lo, hi, t;
    if (Signed) {
      lo = _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16);
      hi = _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
      t = _mm_srai_epi16(x, 8);
    } else {
      lo = _mm_unpacklo_epi16(x, zero);
      hi = _mm_unpackhi_epi16(x, zero);
      t = _mm_srli_epi16(x, 8);
    }
    s = _mm_add_epi32(s, _mm_add_epi32(lo, hi));
    ts = _mm_add_epi16(ts, t);
    tq = _mm_add_epi32(tq, _mm_madd_epi16(t, t));
  }
  int32_t T = HSum16(ts);
  *sum = HSum32(s);
  *var = (HSum32(tq) << 6) - T * T;
}

void MeanVarU16(const uint16_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar16<false>(b, p, s, v); }
void MeanVarI16(const int16_t* b, int32_t p, int32_t* s, int32_t* v) { MeanVar16<true>(b, p, s, v); }

template <bool Signed>
void SetMean(void* block, int32_t pitch, int32_t m, int32_t h, int32_t n) {
  uint8_t* b = static_cast<uint8_t*>(block);
  const __m128i mv = _mm_set1_epi16(static_cast<int16_t>(m));
  const __m128i hv = _mm_set1_epi16(static_cast<int16_t>(h));
  const __m128i base = _mm_set1_epi16(static_cast<int16_t>(m * 128 + 64));
  for (int r = 0; r < n; ++r, b += pitch) {
    __m128i raw = n == 8 ? Load8(b) : Load4(b);
    __m128i s = Signed ? WidenI8(raw) : WidenU8(raw);
    __m128i t = _mm_add_epi16(base, _mm_mullo_epi16(_mm_sub_epi16(s, mv), hv));
    __m128i o = Signed ? _mm_packs_epi16(_mm_srai_epi16(t, 7), t) : _mm_packus_epi16(_mm_srli_epi16(t, 7), t);
    if (n == 8)
      Store8(b, o);
    else
      Store4(b, o);
  }
}

void SetMeanU8(uint8_t* b, int32_t p, int32_t m, int32_t h, int32_t n) { SetMean<false>(b, p, m, h, n); }
void SetMeanI8(int8_t* b, int32_t p, int32_t m, int32_t h, int32_t n) { SetMean<true>(b, p, m, h, n); }

// Five parent samples of one row as 16-bit lanes 0..4.
inline __m128i ParentRow(const uint8_t* p) {
  __m128i v = _mm_insert_epi16(Load4(p), p[4], 2);
  return WidenU8(v);
}

void ExpandU8(const uint8_t* p, int32_t pp, uint8_t* b, int32_t pitch, int32_t k) {
  const __m128i kv = _mm_set1_epi16(static_cast<int16_t>(k));
  const __m128i ik = _mm_set1_epi16(static_cast<int16_t>(256 - k));
  __m128i a = ParentRow(p);
  for (int y = 0; y < 4; ++y) {
    __m128i c = ParentRow(p + (y + 1) * pp);
    __m128i even = _mm_unpacklo_epi16(a, _mm_avg_epu16(a, _mm_srli_si128(a, 2)));
    __m128i v = _mm_avg_epu16(a, c);
    __m128i odd = _mm_unpacklo_epi16(v, _mm_avg_epu16(v, _mm_srli_si128(v, 2)));
    __m128i rows[2] = {even, odd};
    for (int h = 0; h < 2; ++h) {
      uint8_t* row = b + (2 * y + h) * pitch;
      __m128i in = rows[h];
      if (k != 0) {
        __m128i s = WidenU8(Load8(row));
        in = _mm_srli_epi16(_mm_adds_epu16(_mm_mullo_epi16(s, kv), _mm_mullo_epi16(in, ik)), 8);
      }
      Store8(row, _mm_packus_epi16(in, in));
    }
    a = c;
  }
}

template <bool Signed>
void Mmse(const void* av, int32_t ap, const void* bv, int32_t bp, void* dv, int32_t dp, int32_t wa, int32_t wb) {
  const uint8_t* a = static_cast<const uint8_t*>(av);
  const uint8_t* b = static_cast<const uint8_t*>(bv);
  uint8_t* d = static_cast<uint8_t*>(dv);
  const __m128i wav = _mm_set1_epi16(static_cast<int16_t>(wa));
  const __m128i wbv = _mm_set1_epi16(static_cast<int16_t>(wb));
  const __m128i half = _mm_set1_epi16(128);
  for (int r = 0; r < 8; r += 2) {
    __m128i a0 = Load8(a + r * ap), a1 = Load8(a + (r + 1) * ap);
    __m128i b0 = Load8(b + r * bp), b1 = Load8(b + (r + 1) * bp);
    __m128i o0, o1;
    if (Signed) {
      o0 = _mm_adds_epi16(_mm_adds_epi16(_mm_mullo_epi16(WidenI8(a0), wav), _mm_mullo_epi16(WidenI8(b0), wbv)), half);
      o1 = _mm_adds_epi16(_mm_adds_epi16(_mm_mullo_epi16(WidenI8(a1), wav), _mm_mullo_epi16(WidenI8(b1), wbv)), half);
      __m128i o = _mm_packs_epi16(_mm_srai_epi16(o0, 8), _mm_srai_epi16(o1, 8));
      Store8(d + r * dp, o);
      Store8(d + (r + 1) * dp, _mm_srli_si128(o, 8));
    } else {
      o0 = _mm_adds_epu16(_mm_adds_epu16(_mm_mullo_epi16(WidenU8(a0), wav), _mm_mullo_epi16(WidenU8(b0), wbv)), half);
      o1 = _mm_adds_epu16(_mm_adds_epu16(_mm_mullo_epi16(WidenU8(a1), wav), _mm_mullo_epi16(WidenU8(b1), wbv)), half);
      __m128i o = _mm_packus_epi16(_mm_srli_epi16(o0, 8), _mm_srli_epi16(o1, 8));
      Store8(d + r * dp, o);
      Store8(d + (r + 1) * dp, _mm_srli_si128(o, 8));
    }
  }
}

void MmseU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, uint8_t* d, int32_t dp, int32_t wa,
            int32_t wb) {
  Mmse<false>(a, ap, b, bp, d, dp, wa, wb);
}
void MmseI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int8_t* d, int32_t dp, int32_t wa,
            int32_t wb) {
  Mmse<true>(a, ap, b, bp, d, dp, wa, wb);
}

void Copy88(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp) {
  __m128i r0 = Load8(s), r1 = Load8(s + sp), r2 = Load8(s + 2 * sp), r3 = Load8(s + 3 * sp);
  __m128i r4 = Load8(s + 4 * sp), r5 = Load8(s + 5 * sp), r6 = Load8(s + 6 * sp), r7 = Load8(s + 7 * sp);
  Store8(d, r0);
  Store8(d + dp, r1);
  Store8(d + 2 * dp, r2);
  Store8(d + 3 * dp, r3);
  Store8(d + 4 * dp, r4);
  Store8(d + 5 * dp, r5);
  Store8(d + 6 * dp, r6);
  Store8(d + 7 * dp, r7);
}

void CopyU16U8(uint8_t* d, int32_t dp, const uint16_t* s, int32_t sp, int32_t w, int32_t h) {
  for (int r = 0; r < h; ++r, d += dp, s += sp) {
    int c = 0;
    for (; c + 16 <= w; c += 16) {
      __m128i lo = _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c)), 8);
      __m128i hi = _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c + 8)), 8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + c), _mm_packus_epi16(lo, hi));
    }
    for (; c < w; ++c) d[c] = static_cast<uint8_t>(s[c] >> 8);
  }
}

// Two rows of 8 samples in one vector; signed samples are moved to unsigned
// by flipping the top bit, which keeps every difference.
template <bool Signed>
inline __m128i Pair(const uint8_t* p, int32_t pitch) {
  __m128i v = _mm_unpacklo_epi64(Load8(p), Load8(p + pitch));
  return Signed ? _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80))) : v;
}

template <bool Signed>
int32_t Sad8(const void* av, int32_t ap, const void* bv, int32_t bp) {
  const uint8_t* a = static_cast<const uint8_t*>(av);
  const uint8_t* b = static_cast<const uint8_t*>(bv);
  __m128i s = _mm_setzero_si128();
  for (int r = 0; r < 8; r += 2)
    s = _mm_add_epi64(s, _mm_sad_epu8(Pair<Signed>(a + r * ap, ap), Pair<Signed>(b + r * bp, bp)));
  return Sad64(s);
}

int32_t SadU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp) { return Sad8<false>(a, ap, b, bp); }
int32_t SadI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp) { return Sad8<true>(a, ap, b, bp); }

template <bool Signed>
void Quad8(const void* av, int32_t ap, const void* bv, int32_t bp, int32_t q[4]) {
  const uint8_t* a = static_cast<const uint8_t*>(av);
  const uint8_t* b = static_cast<const uint8_t*>(bv);
  const __m128i left = _mm_set_epi32(0, -1, 0, -1);
  const __m128i zero = _mm_setzero_si128();
  for (int half = 0; half < 2; ++half) {
    __m128i l = zero, rr = zero;
    for (int r = half * 4; r < half * 4 + 4; r += 2) {
      __m128i x = Pair<Signed>(a + r * ap, ap), y = Pair<Signed>(b + r * bp, bp);
      __m128i d = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
      l = _mm_add_epi64(l, _mm_sad_epu8(_mm_and_si128(d, left), zero));
      rr = _mm_add_epi64(rr, _mm_sad_epu8(_mm_andnot_si128(left, d), zero));
    }
    q[half * 2] = Sad64(l);
    q[half * 2 + 1] = Sad64(rr);
  }
}

void QuadU8(const uint8_t* a, int32_t ap, const uint8_t* b, int32_t bp, int32_t q[4]) { Quad8<false>(a, ap, b, bp, q); }
void QuadI8(const int8_t* a, int32_t ap, const int8_t* b, int32_t bp, int32_t q[4]) { Quad8<true>(a, ap, b, bp, q); }

// The block's rows stay in registers; each displacement loads its 8 rows.
template <bool Signed>
void Window(const void* blk, const void* refv, int32_t pitch, int32_t w, int32_t h, int32_t* out) {
  const uint8_t* b = static_cast<const uint8_t*>(blk);
  const uint8_t* ref = static_cast<const uint8_t*>(refv);
  const __m128i b0 = Pair<Signed>(b, pitch), b1 = Pair<Signed>(b + 2 * pitch, pitch);
  const __m128i b2 = Pair<Signed>(b + 4 * pitch, pitch), b3 = Pair<Signed>(b + 6 * pitch, pitch);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const uint8_t* c = ref + j * pitch + i;
      __m128i s = _mm_sad_epu8(b0, Pair<Signed>(c, pitch));
      s = _mm_add_epi64(s, _mm_sad_epu8(b1, Pair<Signed>(c + 2 * pitch, pitch)));
      s = _mm_add_epi64(s, _mm_sad_epu8(b2, Pair<Signed>(c + 4 * pitch, pitch)));
      s = _mm_add_epi64(s, _mm_sad_epu8(b3, Pair<Signed>(c + 6 * pitch, pitch)));
      int32_t S = Sad64(s);
      out[j * w + i] = (S * S) >> 6;
    }
}

void WindowU8(const uint8_t* blk, const uint8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window<false>(blk, ref, p, w, h, out);
}
void WindowI8(const int8_t* blk, const int8_t* ref, int32_t p, int32_t w, int32_t h, int32_t* out) {
  Window<true>(blk, ref, p, w, h, out);
}

// Products of one row of samples with the weight, low 16 bits.
template <bool Signed>
inline __m128i Products(const uint8_t* s, __m128i wv, bool four) {
  __m128i raw = four ? Load4(s) : Load8(s);
  return _mm_mullo_epi16(Signed ? WidenI8(raw) : WidenU8(raw), wv);
}

template <bool Signed>
inline void Add32(uint8_t* acc, __m128i p, bool four) {
  __m128i lo = Signed ? _mm_srai_epi32(_mm_unpacklo_epi16(p, p), 16) : _mm_unpacklo_epi16(p, _mm_setzero_si128());
  __m128i* a = reinterpret_cast<__m128i*>(acc);
  _mm_storeu_si128(a, _mm_add_epi32(_mm_loadu_si128(a), lo));
  if (four) return;
  __m128i hi = Signed ? _mm_srai_epi32(_mm_unpackhi_epi16(p, p), 16) : _mm_unpackhi_epi16(p, _mm_setzero_si128());
  _mm_storeu_si128(a + 1, _mm_add_epi32(_mm_loadu_si128(a + 1), hi));
}

template <bool Signed, int N>
void Ows32(void* accv, const void* sv, int32_t pitch, int32_t weight) {
  uint8_t* acc = static_cast<uint8_t*>(accv);
  const uint8_t* s = static_cast<const uint8_t*>(sv);
  const __m128i wv = _mm_set1_epi16(static_cast<int16_t>(weight));
  for (int r = 0; r < N; ++r) Add32<Signed>(acc + r * N * 4, Products<Signed>(s + r * pitch, wv, N == 4), N == 4);
}

template <bool Signed>
void Ows16(void* accv, const void* sv, int32_t pitch, int32_t weight) {
  __m128i* acc = static_cast<__m128i*>(accv);
  const uint8_t* s = static_cast<const uint8_t*>(sv);
  const __m128i wv = _mm_set1_epi16(static_cast<int16_t>(weight));
  for (int r = 0; r < 8; ++r)
    _mm_storeu_si128(acc + r, _mm_add_epi16(_mm_loadu_si128(acc + r), Products<Signed>(s + r * pitch, wv, false)));
}

void Ows8U8U32(uint32_t* acc, const uint8_t* s, int32_t p, int32_t w) { Ows32<false, 8>(acc, s, p, w); }
void Ows4U8U32(uint32_t* acc, const uint8_t* s, int32_t p, int32_t w) { Ows32<false, 4>(acc, s, p, w); }
void Ows8U8U16(uint16_t* acc, const uint8_t* s, int32_t p, int32_t w) { Ows16<false>(acc, s, p, w); }
void Ows8I8I32(int32_t* acc, const int8_t* s, int32_t p, int32_t w) { Ows32<true, 8>(acc, s, p, w); }
void Ows4I8I32(int32_t* acc, const int8_t* s, int32_t p, int32_t w) { Ows32<true, 4>(acc, s, p, w); }
void Ows8I8I16(int16_t* acc, const int8_t* s, int32_t p, int32_t w) { Ows16<true>(acc, s, p, w); }

void Ows4U16U32(uint32_t* acc, const uint16_t* s, int32_t pitch, int32_t weight) {
  const __m128i wv = _mm_set1_epi32(static_cast<uint16_t>(2 * weight));
  for (int r = 0; r < 4; ++r, s += pitch) {
    __m128i x = _mm_srli_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)), 1);
    __m128i p = _mm_madd_epi16(_mm_unpacklo_epi16(x, _mm_setzero_si128()), wv);
    __m128i* a = reinterpret_cast<__m128i*>(acc + r * 4);
    _mm_storeu_si128(a, _mm_add_epi32(_mm_loadu_si128(a), p));
  }
}

// 8x8 window sum: 16-bit partial sums of up to 16 candidates, then widened
// into the 32-bit counters (exact for weights of at most 16).
template <bool Signed>
void Wsum8(void* accv, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  __m128i* acc = static_cast<__m128i*>(accv);
  const __m128i zero = _mm_setzero_si128();
  __m128i c[16];
  for (int t = 0; t < 16; ++t) c[t] = zero;
  __m128i part[8];
  for (int t = 0; t < 8; ++t) part[t] = zero;
  int pending = 0;
  auto flush = [&] {
    for (int r = 0; r < 8; ++r) {
      __m128i p = part[r];
      __m128i lo = Signed ? _mm_srai_epi32(_mm_unpacklo_epi16(p, p), 16) : _mm_unpacklo_epi16(p, zero);
      __m128i hi = Signed ? _mm_srai_epi32(_mm_unpackhi_epi16(p, p), 16) : _mm_unpackhi_epi16(p, zero);
      c[2 * r] = _mm_add_epi32(c[2 * r], lo);
      c[2 * r + 1] = _mm_add_epi32(c[2 * r + 1], hi);
      part[r] = zero;
    }
    pending = 0;
  };
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int32_t weight = wt[j * w + i];
      if (!weight) continue;
      const __m128i wv = _mm_set1_epi16(static_cast<int16_t>(weight));
      const uint8_t* src = s + j * pitch + i;
      for (int r = 0; r < 8; ++r) part[r] = _mm_add_epi16(part[r], Products<Signed>(src + r * pitch, wv, false));
      if (++pending == 16) flush();
    }
  if (pending) flush();
  for (int t = 0; t < 16; ++t) _mm_storeu_si128(acc + t, c[t]);
}

void WsumU8(uint32_t* acc, int32_t n, const uint8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  if (n == 8) return Wsum8<false>(acc, s, pitch, wt, w, h);
  std::memset(acc, 0, 64);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (wt[j * w + i]) Ows4U8U32(acc, s + j * pitch + i, pitch, wt[j * w + i]);
}

void WsumI8(int32_t* acc, int32_t n, const int8_t* s, int32_t pitch, const int32_t* wt, int32_t w, int32_t h) {
  if (n == 8) return Wsum8<true>(acc, reinterpret_cast<const uint8_t*>(s), pitch, wt, w, h);
  std::memset(acc, 0, 64);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (wt[j * w + i]) Ows4I8I32(acc, s + j * pitch + i, pitch, wt[j * w + i]);
}

// Counters as 32-bit lanes: 0 = unsigned 16, 1 = signed 16, 2 = 32-bit.
template <int Kind>
inline void Counters(const void* acc, int row, __m128i* lo, __m128i* hi) {
  if (Kind == 2) {
    const __m128i* a = static_cast<const __m128i*>(acc) + row * 2;
    *lo = _mm_loadu_si128(a);
    *hi = _mm_loadu_si128(a + 1);
  } else {
    __m128i v = _mm_loadu_si128(static_cast<const __m128i*>(acc) + row);
    if (Kind == 1) {
      *lo = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
      *hi = _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16);
    } else {
      *lo = _mm_unpacklo_epi16(v, _mm_setzero_si128());
      *hi = _mm_unpackhi_epi16(v, _mm_setzero_si128());
    }
  }
}

template <bool Signed, int Kind>
void FromSum(void* dv, int32_t dp, const void* sv, int32_t sp, const void* acc, float r, float k) {
  uint8_t* d = static_cast<uint8_t*>(dv);
  const uint8_t* s = static_cast<const uint8_t*>(sv);
  const __m128 rv = _mm_set1_ps(r), kv = _mm_set1_ps(k);
  for (int y = 0; y < 8; ++y) {
    __m128i c0, c1;
    Counters<Kind>(acc, y, &c0, &c1);
    __m128i x = Signed ? WidenI8(Load8(s + y * sp)) : WidenU8(Load8(s + y * sp));
    __m128i x0 = _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16), x1 = _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
    __m128 m0 = _mm_mul_ps(_mm_cvtepi32_ps(c0), rv), m1 = _mm_mul_ps(_mm_cvtepi32_ps(c1), rv);
    __m128 v0 = _mm_add_ps(m0, _mm_mul_ps(_mm_sub_ps(_mm_cvtepi32_ps(x0), m0), kv));
    __m128 v1 = _mm_add_ps(m1, _mm_mul_ps(_mm_sub_ps(_mm_cvtepi32_ps(x1), m1), kv));
    __m128i o = _mm_packs_epi32(_mm_cvtps_epi32(v0), _mm_cvtps_epi32(v1));
    o = Signed ? _mm_packs_epi16(o, o) : _mm_packus_epi16(o, o);
    Store8(d + y * dp, o);
  }
}

void FromSumU8U32(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint32_t* acc, float r, float k) {
  FromSum<false, 2>(d, dp, s, sp, acc, r, k);
}
void FromSumU8U16(uint8_t* d, int32_t dp, const uint8_t* s, int32_t sp, const uint16_t* acc, float r, float k) {
  FromSum<false, 0>(d, dp, s, sp, acc, r, k);
}
void FromSumI8I32(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int32_t* acc, float r, float k) {
  FromSum<true, 2>(d, dp, s, sp, acc, r, k);
}
void FromSumI8I16(int8_t* d, int32_t dp, const int8_t* s, int32_t sp, const int16_t* acc, float r, float k) {
  FromSum<true, 1>(d, dp, s, sp, acc, r, k);
}

const Table kSse2 = {
    MeanVarU8,    MeanVarI8,    MeanVarU16,   MeanVarI16,   SetMeanU8,    SetMeanI8,  ExpandU8,
    MmseU8,       MmseI8,       Copy88,       CopyU16U8,    SadU8,        SadI8,      QuadU8,
    QuadI8,       WindowU8,     WindowI8,     Ows8U8U32,    Ows4U8U32,    Ows8U8U16,  Ows8I8I32,
    Ows4I8I32,    Ows8I8I16,    Ows4U16U32,   WsumU8,       WsumI8,       FromSumU8U32, FromSumU8U16,
    FromSumI8I32, FromSumI8I16,
};

}  // namespace

const Table& Sse2Table() { return kSse2; }

}  // namespace avd_block
