#pragma once
// Picture operations of the photo editor, the viewer and the capture path.
// Every operation that makes a new size checks it against the limits of
// Bitmap.h and answers an empty result when refused. Large pictures are split
// over the machine's cores.
#include <array>
#include <cstddef>
#include <cstdint>

#include "img/Bitmap.h"

namespace img {

// ---- exact pixel permutations ----
// Quarter turns counter-clockwise (on a y-down raster: the top-right corner
// becomes the top-left): 90, 180, 270; other multiples of 90 are taken modulo
// 360, anything else answers an empty picture.
IMG_API Bitmap Rotate(const Bitmap& src, int32_t degrees_ccw);
IMG_API Plane Rotate(const Plane& src, int32_t degrees_ccw);
enum class FlipAxis { kLeftRight, kTopBottom };
IMG_API Bitmap Flip(const Bitmap& src, FlipAxis axis);
IMG_API Plane Flip(const Plane& src, FlipAxis axis);
// The part of `src` inside [left, right) x [top, bottom), clipped to the
// picture; empty when nothing is left.
IMG_API Bitmap Crop(const Bitmap& src, int32_t left, int32_t top, int32_t right, int32_t bottom);
IMG_API Plane Crop(const Plane& src, int32_t left, int32_t top, int32_t right, int32_t bottom);

// ---- brightness and contrast ----
// The level table shared by photo and movie edits: v = b + i; below c -> 0,
// above 255 - c -> 255, between: ((v - c) * 255 + range / 2) / range with
// range = 255 - 2c (integer division toward zero), clamped to 0..255.
IMG_API std::array<uint8_t, 256> BrightnessContrastTable(int32_t brightness, int32_t contrast);
// The table on B, G and R of every pixel (in place; copy on write).
IMG_API void ApplyBrightnessContrast(Bitmap& pixels, int32_t brightness, int32_t contrast);
// The movie helpers' form: 32-bit A, R, G, B pixels with a row stride.
// channels 1: R, G and B; 2: R only; 3: G only; other: B only. Alpha is kept.
IMG_API void ApplyBrightnessContrastArgb(uint8_t* argb, int32_t width, int32_t height,
                                         size_t row_bytes, int32_t brightness, int32_t contrast,
                                         int32_t channels);
// One row of 32-bit A, R, G, B pixels as B, G, R bytes (alpha dropped).
IMG_API void ArgbRowToBgr(const uint8_t* argb, uint8_t* bgr, int32_t width);
// Any 256-entry table on B, G and R.
IMG_API void ApplyTable(Bitmap& pixels, const std::array<uint8_t, 256>& table);
// out[i] = table[in[i]] for n bytes (in == out allowed); eight loads in
// flight per step. Inline: the planar movie levels call it on short runs.
inline void TableBytes(const uint8_t* in, uint8_t* out, size_t n, const uint8_t* table) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint8_t a = table[in[i]], b = table[in[i + 1]], c = table[in[i + 2]], d = table[in[i + 3]];
    uint8_t e = table[in[i + 4]], f = table[in[i + 5]], g = table[in[i + 6]], h = table[in[i + 7]];
    out[i] = a, out[i + 1] = b, out[i + 2] = c, out[i + 3] = d;
    out[i + 4] = e, out[i + 5] = f, out[i + 6] = g, out[i + 7] = h;
  }
  for (; i < n; ++i) out[i] = table[in[i]];
}

// ---- sharpen ----
// Unsharp mask: out = clamp(in + amount / 100 * (in - blur(in))), blur a
// Gaussian of standard deviation `radius` (three extended box passes), no
// threshold. amount 0 or radius <= 0 leaves the picture as it is.
IMG_API Bitmap UnsharpMask(const Bitmap& src, double radius, int32_t amount_percent);
IMG_API Bitmap GaussianBlur(const Bitmap& src, double radius);

// ---- auto-enhance ----
// Auto-levels: a luminance histogram (299 R + 587 G + 114 B) / 1000 with
// `cutoff_percent` of the pixels cut at each end; the darkest kept level
// becomes 0 and the brightest 255, one linear map for R, G and B.
IMG_API std::array<uint8_t, 256> AutoLevelsTable(const Bitmap& src, double cutoff_percent);
IMG_API void AutoLevels(Bitmap& pixels, double cutoff_percent = 0.5);

// ---- resampling ----
// Separable Lanczos-3 (support widened by the reduction when shrinking),
// fixed-point and deterministic.
IMG_API Bitmap Resample(const Bitmap& src, int32_t width, int32_t height);
IMG_API Plane Resample(const Plane& src, int32_t width, int32_t height);
// Resampling's AVX2 rows on (where the processor has them: the default) or
// off; both give the same pixels. Answers whether they are on now.
IMG_API bool UseAvx2Resampling(bool on);

// Size fitted into a box keeping the aspect (each side at least 1); enlarges
// small pictures too.
struct FitSize {
  int32_t width, height;
};
IMG_API FitSize FitInto(int32_t width, int32_t height, int32_t box_w, int32_t box_h);

}  // namespace img
