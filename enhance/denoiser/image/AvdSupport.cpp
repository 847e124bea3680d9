#include "AvdSupport.h"

#include <emmintrin.h>

#include <cstring>

#include "EnhanceResult.h"
#include "ExactTable.h"
#include "KernelForm.h"
#include "WorkerPool.h"

void* MMemCpy_SSE2(void* dst, const void* src, size_t bytes) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  for (; bytes >= 64; bytes -= 64, d += 64, s += 64) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
    __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 48), e);
  }
  if (bytes >= 32) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), b);
    bytes -= 32, d += 32, s += 32;
  }
  if (bytes >= 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
    bytes -= 16, d += 16, s += 16;
  }
  MMemCpy(d, s, bytes);
  return dst;
}

void* MemSetZero_SSE2(void* p, size_t bytes) {
  auto* d = static_cast<uint8_t*>(p);
  const __m128i z = _mm_setzero_si128();
  const bool aligned = (reinterpret_cast<uintptr_t>(d) & 15) == 0;
  for (; bytes >= 128; bytes -= 128, d += 128) {
    for (int i = 0; i < 128; i += 16) {
      if (aligned)
        _mm_store_si128(reinterpret_cast<__m128i*>(d + i), z);
      else
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), z);
    }
  }
  for (; bytes >= 16; bytes -= 16, d += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(d), z);
  MMemSet(d, 0, bytes);
  return d + bytes;
}

void CpyImgMem_SSE2(void* dst, int32_t dstPitch, const void* src, int32_t srcPitch, int32_t rowBytes,
                    int32_t rows) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  // The filters copy 4 x 4 and 8 x 8 blocks by the thousand: rows of 4 and 8
  // bytes in one move each, when the two rectangles' spans do not overlap
  // (an overlapping copy keeps its byte-by-byte order below).
  if ((rowBytes == 8 || rowBytes == 4) && rows > 0 && dstPitch > 0 && srcPitch > 0) {
    const uintptr_t d0 = reinterpret_cast<uintptr_t>(d), s0 = reinterpret_cast<uintptr_t>(s);
    const uintptr_t d1 = d0 + static_cast<uintptr_t>(dstPitch) * (rows - 1) + rowBytes;
    const uintptr_t s1 = s0 + static_cast<uintptr_t>(srcPitch) * (rows - 1) + rowBytes;
    if (d1 <= s0 || s1 <= d0) {
      if (rowBytes == 8) {
        for (int32_t r = 0; r < rows; ++r, d += dstPitch, s += srcPitch) std::memcpy(d, s, 8);
      } else {
        for (int32_t r = 0; r < rows; ++r, d += dstPitch, s += srcPitch) std::memcpy(d, s, 4);
      }
      return;
    }
  }
  for (int32_t r = 0; r < rows; ++r, d += dstPitch, s += srcPitch) MMemCpy_SSE2(d, s, static_cast<size_t>(rowBytes));
}

void* avdJMemCpy(void* dst, const void* src, size_t bytes) {
  if (!dst || !src || dst == src) return dst;
  if (ActiveKernelForm() == KernelForm::Scalar) return MMemCpy(dst, src, bytes);
  return MMemCpy_SSE2(dst, src, bytes);
}

void* avdJMemSetZero(void* p, size_t bytes) {
  if (!p) return p;
  if (ActiveKernelForm() == KernelForm::Scalar) {
    MMemSet(p, 0, bytes);
    return static_cast<uint8_t*>(p) + bytes;
  }
  return MemSetZero_SSE2(p, bytes);
}

void avdJImgMemCpy(void* dst, int32_t dstPitch, const void* src, int32_t srcPitch, int32_t rowBytes,
                   int32_t rows) {
  if (!dst || !src || dst == src || rowBytes <= 0 || rows <= 0) return;
  // Rows that overlap the next row of either side would copy outside the rectangle.
  if (rows > 1 && (dstPitch < rowBytes || srcPitch < rowBytes)) return;
  if (ActiveKernelForm() == KernelForm::Scalar) {
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    for (int32_t r = 0; r < rows; ++r, d += dstPitch, s += srcPitch) MMemCpy(d, s, static_cast<size_t>(rowBytes));
    return;
  }
  CpyImgMem_SSE2(dst, dstPitch, src, srcPitch, rowBytes, rows);
}

void DoWork_Parallel(AvdWorkFunc work, void** args, int32_t count) {
  if (!work || !args) return;
  enh::ParallelFor(count, [work, args](int32_t i) { work(args[i]); });
}

namespace {
// round(16 exp(-k / 16)), k = 0..63.
constexpr auto kNLWeights = JoinRows<uint8_t, 16, 4>({
    {16, 15, 14, 13, 12, 12, 11, 10, 10, 9, 9, 8, 8, 7, 7, 6},
    {6, 6, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 3, 3, 2, 2},
    {2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
});
}  // namespace

int32_t avdCreateNLTable(MHandle hMem, AvdNLTable* table) {
  if (!table) return ENH_ERR_ARGUMENT;
  auto* t = static_cast<uint8_t*>(avdJMemAlloc_Aligned(hMem, kNLWeights.size(), 16));
  if (!t) return ENH_ERR_MEMORY;
  std::memcpy(t, kNLWeights.data(), kNLWeights.size());
  table->table = t;
  table->count = 64;
  return ENH_OK;
}

void avdReleaseNLTable(MHandle hMem, AvdNLTable* table) {
  if (!table || !table->table) return;
  avdJMemFree_Aligned(hMem, table->table);
  table->table = nullptr;
  table->count = 0;
}
