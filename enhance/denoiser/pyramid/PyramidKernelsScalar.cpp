// Scalar forms of the pyramid kernels: the reference every vector form matches.
#include "PyramidKernelForms.h"

namespace avd_scalar {

void SplitYC1YC2(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, uint8_t* c1,
                 int32_t c1Pitch, uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    uint8_t* ur = c1 + static_cast<ptrdiff_t>(r) * c1Pitch;
    uint8_t* vr = c2 + static_cast<ptrdiff_t>(r) * c2Pitch;
    for (int32_t i = 0; i < pairs; ++i) {
      yr[2 * i] = p[4 * i];
      ur[i] = p[4 * i + 1];
      yr[2 * i + 1] = p[4 * i + 2];
      vr[i] = p[4 * i + 3];
    }
  }
}

void MergeYC1YC2(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, const uint8_t* c1,
                 int32_t c1Pitch, const uint8_t* c2, int32_t c2Pitch, int32_t pairs, int32_t height) {
  for (int32_t r = 0; r < height; ++r) {
    uint8_t* p = packed + static_cast<ptrdiff_t>(r) * packedPitch;
    const uint8_t* yr = y + static_cast<ptrdiff_t>(r) * yPitch;
    const uint8_t* ur = c1 + static_cast<ptrdiff_t>(r) * c1Pitch;
    const uint8_t* vr = c2 + static_cast<ptrdiff_t>(r) * c2Pitch;
    for (int32_t i = 0; i < pairs; ++i) {
      p[4 * i] = yr[2 * i];
      p[4 * i + 1] = ur[i];
      p[4 * i + 2] = yr[2 * i + 1];
      p[4 * i + 3] = vr[i];
    }
  }
}

void SplitLuma(const uint8_t* packed, int32_t packedPitch, uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x)
      y[static_cast<ptrdiff_t>(r) * yPitch + x] = packed[static_cast<ptrdiff_t>(r) * packedPitch + 2 * x];
}

void MergeLuma(uint8_t* packed, int32_t packedPitch, const uint8_t* y, int32_t yPitch, int32_t width,
               int32_t height) {
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x)
      packed[static_cast<ptrdiff_t>(r) * packedPitch + 2 * x] = y[static_cast<ptrdiff_t>(r) * yPitch + x];
}

int32_t AbsSum(const uint8_t* plane, int32_t pitch, int32_t width, int32_t height) {
  uint32_t sum = 0;
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x) {
      int32_t v = static_cast<int8_t>(plane[static_cast<ptrdiff_t>(r) * pitch + x]);
      sum += static_cast<uint32_t>(v < 0 ? -v : v);
    }
  return static_cast<int32_t>(sum);
}

void MultiConst(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                int32_t height, int32_t f, int32_t s) {
  const int32_t round = 128 >> s;
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x) {
      int32_t v = static_cast<int8_t>(src[static_cast<ptrdiff_t>(r) * srcPitch + x]);
      int32_t t = v * f + round;  // within 16 bits for f <= 256
      if (t > 32767) t = 32767;
      if (t < -32768) t = -32768;
      dst[static_cast<ptrdiff_t>(r) * dstPitch + x] = static_cast<uint8_t>(AvdClampI8(t >> (8 - s)));
    }
}

void Subtract(const uint8_t* a, int32_t aPitch, const uint8_t* b, int32_t bPitch, uint8_t* dst,
              int32_t dstPitch, int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x) {
      int32_t v = a[static_cast<ptrdiff_t>(r) * aPitch + x] - b[static_cast<ptrdiff_t>(r) * bPitch + x];
      dst[static_cast<ptrdiff_t>(r) * dstPitch + x] = static_cast<uint8_t>(AvdClampI8(v));
    }
}

void Add(const uint8_t* a, int32_t aPitch, const uint8_t* d, int32_t dPitch, uint8_t* dst, int32_t dstPitch,
         int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r)
    for (int32_t x = 0; x < width; ++x) {
      int32_t v = a[static_cast<ptrdiff_t>(r) * aPitch + x] +
                  static_cast<int8_t>(d[static_cast<ptrdiff_t>(r) * dPitch + x]);
      dst[static_cast<ptrdiff_t>(r) * dstPitch + x] = static_cast<uint8_t>(AvdClampU8(v));
    }
}

void ReduceInterior(const uint8_t* finePos, int32_t finePitch, int32_t width, int32_t rows, uint8_t* coarsePos,
                    int32_t coarsePitch) {
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* mid = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    const uint8_t* up = mid - finePitch;
    const uint8_t* down = mid + finePitch;
    for (int32_t x = 0; x < width; ++x) {
      int32_t c = 2 * x;
      int32_t h0 = up[c - 1] + 2 * up[c] + up[c + 1];
      int32_t h1 = mid[c - 1] + 2 * mid[c] + mid[c + 1];
      int32_t h2 = down[c - 1] + 2 * down[c] + down[c + 1];
      coarsePos[static_cast<ptrdiff_t>(y) * coarsePitch + x] = static_cast<uint8_t>((h0 + 2 * h1 + h2 + 8) >> 4);
    }
  }
}

namespace {

// The expanded coarse row at fine column X (rounded mean on odd columns).
inline int32_t RowPrediction(const uint8_t* c, int32_t X) {
  int32_t i = X >> 1;
  return (X & 1) ? AvdAvg(c[i], c[i + 1]) : c[i];
}

template <typename Op>
void InPlacePairs(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
                  int32_t coarsePitch, Op op) {
  for (int32_t y = 0; y < pairs; ++y) {
    const uint8_t* c0 = coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch;
    const uint8_t* c1 = c0 + coarsePitch;
    uint8_t* even = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    uint8_t* odd = even + finePitch;
    for (int32_t X = 0; X < width; ++X) {
      int32_t e0 = RowPrediction(c0, X);
      int32_t e2 = RowPrediction(c1, X);
      even[X] = op(even[X], e0);
      odd[X] = op(odd[X], AvdAvg(e0, e2));
    }
  }
}

}  // namespace

void AnalysisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
                      int32_t coarsePitch) {
  InPlacePairs(finePos, finePitch, width, pairs, coarsePos, coarsePitch,
               [](uint8_t l, int32_t e) { return static_cast<uint8_t>(AvdClampI8(l - e)); });
}

void SynthesisInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs,
                       const uint8_t* coarsePos, int32_t coarsePitch) {
  InPlacePairs(finePos, finePitch, width, pairs, coarsePos, coarsePitch,
               [](uint8_t d, int32_t e) { return static_cast<uint8_t>(AvdClampU8(static_cast<int8_t>(d) + e)); });
}

void ExpandInterior(uint8_t* finePos, int32_t finePitch, int32_t width, int32_t pairs, const uint8_t* coarsePos,
                    int32_t coarsePitch) {
  for (int32_t y = 0; y < pairs; ++y) {
    const uint8_t* c0 = coarsePos + static_cast<ptrdiff_t>(y) * coarsePitch;
    const uint8_t* c1 = c0 + coarsePitch;
    uint8_t* even = finePos + static_cast<ptrdiff_t>(2 * y) * finePitch;
    uint8_t* odd = even + finePitch;
    for (int32_t X = 0; X < width; ++X) {
      int32_t i = X >> 1;
      if (X & 1) {
        even[X] = AvdAvg(c0[i], c0[i + 1]);
        odd[X] = static_cast<uint8_t>((c0[i] + c0[i + 1] + c1[i] + c1[i + 1] + 2) >> 2);
      } else {
        even[X] = c0[i];
        odd[X] = AvdAvg(c0[i], c1[i]);
      }
    }
  }
}

void ExpandLine(const uint8_t* src, uint8_t* dst, int32_t n) {
  for (int32_t x = 0; x < n; ++x) {
    dst[2 * x] = src[x];
    dst[2 * x + 1] = AvdAvg(src[x], src[x + 1]);
  }
}

void InsertExpand(uint8_t* row, int32_t length, int32_t pitch) {
  for (int32_t i = 0; i < length; ++i) row[i] = AvdAvg(row[i - pitch], row[i + pitch]);
}

}  // namespace avd_scalar
