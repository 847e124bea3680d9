#include "AdlScene.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "AdlTables.h"
#include "DynamicLight.h"
#include "KernelForm.h"
#include "MMem.h"
#include "WorkerPool.h"

namespace adl {
namespace {

// Luma of pixel x of a row, for the formats whose luma is one byte a pixel.
inline int LumaAt(const uint8_t* row, int32_t x, int32_t format) {
  switch (format) {
    case ADL_FMT_UYVY: return row[2 * x + 1];
    case ADL_FMT_YUY2: return row[2 * x];
    case ADL_FMT_YYUV: return row[(x >> 1) * 4 + (x & 1)];
    case ADL_FMT_Y8U4V4: return row[(x >> 3) * 16 + (x & 7)];
    default: return row[x];  // luma plane
  }
}

// Packed 4:2:2 rows, every step-th row, one sample per run of step pixels
// (4 or 8): the run's luma summed with sums of absolute values over its bytes,
// chroma masked off.
void FillHistogramPacked(const uint8_t* pixels, int32_t width, int32_t pitch, int32_t lumaOffset, int32_t step,
                         int32_t r0, int32_t r1, uint32_t* counts) {
  const int32_t samples = width / step, shift = step == 8 ? 3 : 2;
  const __m128i luma = lumaOffset == 0 ? _mm_set1_epi16(0x00FF) : _mm_set1_epi16(static_cast<int16_t>(0xFF00));
  const __m128i zero = _mm_setzero_si128();
  for (int32_t r = r0; r < r1; ++r) {
    const uint8_t* row = pixels + static_cast<intptr_t>(r) * step * pitch;
    int32_t s = 0;
    if (step == 4) {
      for (; s + 2 <= samples; s += 2) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 8 * s));
        const __m128i sums = _mm_sad_epu8(_mm_and_si128(v, luma), zero);
        counts[_mm_cvtsi128_si32(sums) >> 2]++;
        counts[_mm_extract_epi16(sums, 4) >> 2]++;
      }
    } else {
      for (; s < samples; ++s) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16 * s));
        const __m128i sums = _mm_sad_epu8(_mm_and_si128(v, luma), zero);
        counts[(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4)) >> 3]++;
      }
    }
    for (; s < samples; ++s) {
      const uint8_t* p = row + 2 * step * s + lumaOffset;
      int32_t sum = 0;
      for (int32_t k = 0; k < step; ++k) sum += p[2 * k];
      counts[sum >> shift]++;
    }
  }
}

// Adds one sample per run of `run` pixels of every `step`-th row.
void FillHistogram(const uint8_t* pixels, int32_t width, int32_t pitch, int32_t format, int32_t step,
                   int shift, int32_t r0, int32_t r1, uint32_t* counts) {
  const int32_t samples = width / step;
  for (int32_t r = r0; r < r1; ++r) {
    const uint8_t* row = pixels + static_cast<intptr_t>(r) * step * pitch;
    for (int32_t s = 0; s < samples; ++s) {
      const int32_t x0 = s * step;
      if (format == ADL_FMT_BGR24) {
        int32_t sb = 0, sg = 0, sr = 0;
        for (int32_t k = 0; k < step; ++k) {
          const uint8_t* p = row + 3 * (x0 + k);
          sb += p[0];
          sg += p[1];
          sr += p[2];
        }
        int32_t y = (32 * (sr >> shift) + 83 * (sg >> shift) + 13 * (sb >> shift)) >> 7;
        counts[y > 255 ? 255 : y]++;
      } else {
        int32_t sum = 0;
        for (int32_t k = 0; k < step; ++k) sum += LumaAt(row, x0 + k, format);
        counts[sum >> shift]++;
      }
    }
  }
}

}  // namespace

int32_t GetHistogramBin(const AdlHistogram& histogram, int32_t permille) {
  const uint64_t total = histogram.total;
  const uint32_t* counts = histogram.counts;
  uint64_t sum = 0;
  if (permille > 500) {
    const uint64_t target = ((1000 - permille) * total + 500) / 1000;
    for (int b = 255; b >= 0; --b) {
      sum += counts[b];
      if (sum >= target) return b;
    }
    return 0;
  }
  const uint64_t target = (static_cast<uint64_t>(permille) * total + 500) / 1000;
  for (int b = 0; b < 255; ++b) {
    sum += counts[b];
    if (sum >= target) return b;
  }
  return 255;
}

double GetSceneLuminance(void* memory, const uint8_t* pixels, int32_t width, int32_t height,
                         int32_t pitch, int32_t format, AdlSceneRecord* scene) {
  uint32_t* counts = static_cast<uint32_t*>(MMemAlloc(memory, 256 * sizeof(uint32_t)));
  if (!counts) return 0.0;
  std::memset(counts, 0, 256 * sizeof(uint32_t));

  const bool large = static_cast<int64_t>(width) * height > 4194303;
  const int32_t step = large ? 8 : 4;
  const bool packed = (format == ADL_FMT_YUY2 || format == ADL_FMT_UYVY) && ActiveKernelForm() != KernelForm::Scalar;
  // Strips of sampled rows count into tables of their own, summed after.
  const int32_t rows = height / step;
  const int32_t strips = std::max(1, std::min(enh::ParallelThreads() * 2, rows / 16));
  std::vector<std::array<uint32_t, 256>> stripCounts(strips);
  enh::ParallelFor(strips, [&](int32_t i) {
    uint32_t* c = stripCounts[i].data();
    stripCounts[i].fill(0);
    const int32_t r0 = static_cast<int32_t>(static_cast<int64_t>(rows) * i / strips);
    const int32_t r1 = static_cast<int32_t>(static_cast<int64_t>(rows) * (i + 1) / strips);
    if (packed)
      FillHistogramPacked(pixels, width, pitch, format == ADL_FMT_YUY2 ? 0 : 1, step, r0, r1, c);
    else
      FillHistogram(pixels, width, pitch, format, step, large ? 3 : 2, r0, r1, c);
  });
  for (const auto& c : stripCounts)
    for (int b = 0; b < 256; ++b) counts[b] += c[b];

  uint64_t total = 0;
  for (int b = 0; b < 256; ++b) total += counts[b];
  if (total == 0) {  // too small to sample: no defined log mean
    MMemFree(memory, counts);
    return 0.0;
  }

  const int16_t* logTable = LogTable();
  int64_t logSum = 0;
  for (int b = 0; b < 256; ++b) logSum += (static_cast<int64_t>(logTable[b]) * counts[b]) >> 10;
  const double logMean = static_cast<double>(logSum) / static_cast<double>(total);
  scene->logMean = static_cast<int32_t>(1024.0 * logMean + 0.5);

  AdlHistogram histogram{256, counts, total};
  const int32_t p99 = GetHistogramBin(histogram, 990);
  int32_t target = p99 <= 128 ? 68 * p99 : (68 - (30 * p99 - 3840) / 127) * p99;

  uint64_t darkCount = 0;
  for (int b = 0; b <= 51; ++b) darkCount += counts[b];
  const double dark = static_cast<double>(darkCount) * 100.0 / static_cast<double>(total);
  if (dark > 80.0 && p99 != 0) {
    const int32_t f = ((p99 >> 1) + target) / p99;
    target = p99 * (static_cast<int32_t>((f - 38) * (100.0 - dark) / 20.0) + 38);
  }
  scene->target = target;

  MMemFree(memory, counts);

  scene->curve = static_cast<int32_t*>(MMemAlloc(memory, 256 * sizeof(int32_t)));
  if (!scene->curve) return 0.0;
  GetWISCurve(-1.3, 1.1, scene->curve);

  int32_t percent = static_cast<int32_t>(dark + 0.5);
  if (percent < 18) percent = 18;
  if (percent > 80) percent = 80;
  return percent / 100.0;
}

void GetWISCurve(double a, double b, int32_t out[256]) {
  auto sigma = [](double t) { return 1.0 / (1.0 + std::exp(-t)); };
  const double sa = sigma(a);
  const double r = sigma(b) - sa;
  const double k = 1.0 / (b - a);
  for (int v = 6; v <= 255; ++v) {
    const double t = v / 255.0;
    const double y = (-std::log(1.0 / (r * t + sa) - 1.0) - a) * k;
    out[v] = static_cast<int32_t>(y * 16384.0 / t + 0.5);
  }
  const int32_t g = out[6];
  const int32_t even = (g + 16385) & ~1;
  out[0] = 16384;
  out[3] = (g + 16385) >> 1;
  out[1] = (out[3] + 32770) / 3;
  out[2] = (even + 16386) / 3;
  out[4] = (even + g + 2) / 3;
  out[5] = (out[3] + 2 * g + 2) / 3;
}

void GetRetinexGainLUT(int16_t* centre, int32_t size, double scene) {
  const int32_t half = size / 2;  // 32768
  const double x = 1.33 * scene;
  const int32_t gmax = static_cast<int32_t>(256.0 * std::exp(x));
  const double q0 = std::exp(8.0 / (1024.0 * std::pow(std::fabs(x) + 0.0625, 0.25)));

  centre[0] = 256;
  int32_t prevIndex = 0, prevP = 256, prevN = 256;
  for (int32_t j = 1;; ++j) {
    const int32_t i = j == 1 ? 1 : 4 * j - 3;
    if (i > half - 1) break;  // would pass the end of the table
    const double q = std::pow(q0, j);
    const double e = std::exp((1.0 - 2.0 / (q + 1.0)) * x);
    const int32_t p = static_cast<int32_t>(256.0 * e + 0.5);
    const int32_t n = static_cast<int32_t>(25.6 / e + 230.9);
    centre[i] = static_cast<int16_t>(p);
    centre[-i] = static_cast<int16_t>(n);
    if (j >= 2) {
      centre[i - 1] = static_cast<int16_t>((3 * p + prevP + 2) >> 2);
      centre[i - 2] = static_cast<int16_t>((2 * (p + prevP) + 2) >> 2);
      centre[i - 3] = static_cast<int16_t>((3 * prevP + p + 2) >> 2);
      centre[-(i - 1)] = static_cast<int16_t>((3 * n + prevN + 2) >> 2);
      centre[-(i - 2)] = static_cast<int16_t>((2 * (n + prevN) + 2) >> 2);
      centre[-(i - 3)] = static_cast<int16_t>((3 * prevN + n + 2) >> 2);
    }
    prevIndex = i;
    prevP = p;
    prevN = n;
    if (p == gmax) break;
  }
  // Past the last exact sample the gain stays at its limit on both sides.
  for (int32_t i = prevIndex + 1; i <= half - 1; ++i) {
    centre[i] = static_cast<int16_t>(prevP);
    centre[-i] = static_cast<int16_t>(prevN);
  }
  centre[-half] = centre[-(half - 1)];
}

}  // namespace adl
