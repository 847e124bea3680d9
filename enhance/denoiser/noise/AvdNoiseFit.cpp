#include "AvdNoiseFit.h"

#include <algorithm>
#include <cmath>

#include "ExactTable.h"

namespace {

// Expected shape of the noise over the luminance bands, sixteen bands a row.
constexpr auto kShape = JoinRows<float, 16, 16>({
    {0, 0, 1, 2, 4, 8, 16, 19, 21, 24, 26, 28, 30, 32, 34, 36},         // 0-15
    {38, 40, 42, 44, 45, 47, 48, 50, 51, 53, 54, 55, 57, 58, 59, 60},   // 16-31
    {61, 62, 63, 64, 65, 65, 66, 67, 68, 68, 69, 69, 70, 70, 71, 71},   // 32-47
    {71, 72, 72, 72, 72, 73, 73, 73, 73, 73, 73, 73, 73, 73, 73, 73},   // 48-63
    {73, 72, 72, 72, 72, 71, 71, 71, 71, 70, 70, 69, 69, 69, 68, 68},   // 64-79
    {67, 67, 66, 66, 65, 65, 64, 64, 63, 63, 62, 61, 61, 60, 60, 59},   // 80-95
    {58, 58, 57, 56, 56, 55, 54, 54, 53, 52, 52, 51, 50, 50, 49, 48},   // 96-111
    {47, 47, 46, 45, 45, 44, 43, 43, 42, 41, 40, 40, 39, 38, 38, 37},   // 112-127
    {36, 36, 35, 34, 34, 33, 32, 32, 31, 30, 30, 29, 29, 28, 27, 27},   // 128-143
    {26, 26, 25, 24, 24, 23, 23, 22, 22, 21, 21, 20, 20, 19, 19, 18},   // 144-159
    {18, 17, 17, 17, 16, 16, 15, 15, 14, 14, 14, 13, 13, 13, 12, 12},   // 160-175
    {12, 11, 11, 11, 11, 10, 10, 10, 9, 9, 9, 9, 9, 8, 8, 8},           // 176-191
    {8, 8, 7, 7, 7, 7, 7, 7, 6, 6, 6, 6, 6, 6, 6, 6},                   // 192-207
    {6, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 4, 4},                   // 208-223
    {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3},                   // 224-239
    {3, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0},                   // 240-255
});

constexpr int32_t kLargePicture = 307200;

double Det3(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

void Clear(uint8_t* values, int32_t n) { std::fill(values, values + n, uint8_t{0}); }

}  // namespace

int32_t avdNoisePeak(const uint16_t* row, int32_t n, int32_t* count) {
  auto firstMax = [&](int32_t from, int32_t to) {
    int32_t at = from;
    for (int32_t i = from + 1; i <= to && i < n; ++i)
      if (row[i] > row[at]) at = i;
    return at;
  };
  int32_t at = firstMax(0, 10);
  if (at <= 4 && row[at] != 0) {
    *count = row[at];
    return at;
  }
  for (int32_t start = 0; start <= n - 12; ++start) {
    const int32_t m = firstMax(start, start + 10);
    if (row[start + 5] == row[m] && row[m] != 0) {
      *count = row[start + 5];
      return start + 5;
    }
  }
  const int32_t last = std::max(0, n - 6);
  *count = row[last];
  return *count < 1 ? 0 : last;
}

void avdNoiseConfigFromLVTable(AvdNoiseLevelEntry* profileLevel, uint8_t* values, int32_t pixelCount,
                               const AvdLVLevel* tableLevel, const uint8_t* reference) {
  if (!profileLevel || !values || !tableLevel || !tableLevel->counters) return;
  profileLevel->levelIndex = tableLevel->levelIndex;
  const int32_t bands = std::min(1 << profileLevel->bandBits, 1 << tableLevel->lumBits);
  const int32_t nValues = 1 << profileLevel->bandBits;
  const int32_t columns = 1 << tableLevel->varBits;
  const int32_t minCount = 20 >> std::min(tableLevel->levelIndex, 31);
  // At least one sample: a tiny picture must not count as flat by default.
  const int32_t flat = std::max(1, pixelCount / 16);
  auto row = [&](int32_t b) { return tableLevel->counters + static_cast<size_t>(b) * columns; };
  auto flatBand = [&](int32_t b) { return b >= 20 && b <= 220 && row(b)[0] >= flat; };

  if (reference) {
    double num = 0, den = 0;
    for (int32_t b = 0; b < bands; ++b) {
      int32_t c;
      const int32_t v = avdNoisePeak(row(b), columns, &c);
      if (c <= minCount) continue;
      if (flatBand(b)) return Clear(values, nValues);
      const double r = reference[b];
      num += r * v * c;
      den += c * r * r;
    }
    if (num < 1e-6 || den < 1e-6) return Clear(values, nValues);
    double k = num / den;
    if (k > 5.0) k = 1.0;
    for (int32_t b = 0; b < nValues; ++b)
      values[b] = static_cast<uint8_t>(std::min(255.0, std::trunc((b < bands ? reference[b] : 0) * k)));
    return;
  }

  double st[5] = {0, 0, 0, 0, 0}, sv[3] = {0, 0, 0};
  int32_t ceiling = -1;
  for (int32_t b = 0; b < bands; ++b) {
    int32_t c;
    const int32_t v = avdNoisePeak(row(b), columns, &c);
    if (flatBand(b)) return Clear(values, nValues);
    if (c <= minCount) continue;
    ceiling = std::max(ceiling, v);
    const double w = c / 256.0, t = kShape[b];
    double bk = 1;
    for (int k = 0; k < 5; ++k, bk *= b) {
      st[k] += w * t * t * bk;
      if (k < 3) sv[k] += w * t * v * bk;
    }
  }
  const double a[3][3] = {{st[0], st[1], st[2]}, {st[1], st[2], st[3]}, {st[2], st[3], st[4]}};
  const double det = Det3(a);
  double k0 = 0, k1 = 0, k2 = 0;
  if (det >= 1e-8) {
    double m[3][3];
    double* coef[3] = {&k0, &k1, &k2};
    for (int col = 0; col < 3; ++col) {
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = j == col ? sv[i] : a[i][j];
      *coef[col] = Det3(m) / det;
    }
  }
  bool tooHigh = false;
  for (int32_t b = 0; b < nValues; ++b) {
    const double t = b < 256 ? kShape[b] : 0;
    const double v = std::trunc((k2 * b * b + k1 * b + k0) * t);
    const int32_t clamped = static_cast<int32_t>(std::clamp(v, 0.0, 255.0));
    tooHigh |= clamped > 250;
    values[b] = static_cast<uint8_t>(clamped);
  }
  if (tooHigh) return Clear(values, nValues);
  for (int32_t b = 0; b < nValues; ++b) values[b] = static_cast<uint8_t>(std::min<int32_t>(values[b], std::max(0, ceiling)));
}

void avdImgNoiseConfigFromLVTable(AvdNoiseProfile* profile, int32_t pixelCount, const AvdLVTableSet* set) {
  if (!profile || !set || !set->channels) return;
  const bool large = pixelCount >= kLargePicture;
  const int32_t refLevel = large ? 1 : 0;
  const int32_t channels = std::min(profile->channelCount, set->count);
  for (int32_t c = 0; c < channels; ++c) {
    const AvdLVChannel& tc = set->channels[c];
    const int32_t levels = std::min(avdNoiseChannel(profile, c)->levelCount, tc.count);
    for (int32_t l = 0; l < levels; ++l) {
      AvdNoiseLevelEntry* le = avdNoiseLevel(profile, c, l);
      uint8_t* values = avdNoiseValues(profile, c, l);
      const uint8_t* reference = nullptr;
      if (c != 0 || l > refLevel) {
        reference = avdNoiseValues(profile, 0, refLevel);
        // Without that luma level there is nothing to scale.
        if (!reference || avdNoiseLevel(profile, 0, refLevel)->bandBits != le->bandBits) {
          Clear(values, 1 << le->bandBits);
          continue;
        }
      }
      avdNoiseConfigFromLVTable(le, values, pixelCount >> std::min(2 * l, 31), &tc.levels[l], reference);
      const int32_t n = 1 << le->bandBits;
      int32_t top = -1;
      for (int32_t b = 0; b < n; ++b)
        if (values[b]) top = b;
      for (int32_t b = 0; b <= top; ++b)
        if (!values[b]) values[b] = 1;
    }
  }
}

void avdTrimNoiseList(uint8_t* values, int32_t count, int32_t centre, int32_t step) {
  if (!values || centre < 0 || centre >= count) return;
  for (int32_t dir : {-1, 1}) {
    int32_t last = values[centre], allowance = step;
    for (int32_t i = centre + dir; i >= 0 && i < count; i += dir) {
      if (values[i] < 255 && std::abs(values[i] - last) <= allowance) {
        last = values[i];
        allowance = step;
      } else {
        values[i] = 255;
        allowance += step;
      }
    }
  }
}

void avdFillNoiseValue(uint8_t* values, int32_t count) {
  if (!values || count <= 0) return;
  int32_t first = -1;
  for (int32_t i = 0; i < count; ++i)
    if (values[i] != 255) {
      first = i;
      break;
    }
  if (first < 0) return Clear(values, count);
  for (int32_t i = 0; i < first; ++i) values[i] = values[first];
  int32_t known = first;
  for (int32_t i = first + 1; i < count; ++i) {
    if (values[i] == 255) continue;
    const int32_t a = values[known], b = values[i], span = i - known;
    for (int32_t j = known + 1; j < i; ++j) values[j] = static_cast<uint8_t>(a + (b - a) * (j - known) / span);
    known = i;
  }
  for (int32_t i = known + 1; i < count; ++i) values[i] = values[known];
}
