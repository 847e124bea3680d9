#include "PreviewSurface.h"

#include <emmintrin.h>
#include <tmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "KernelForm.h"
#include "PreviewSurfaceKernels.h"

namespace {

using preview_kernels::Reordered;

// The AVX2 forms where the kernels run in that form (tests force the others).
inline bool Avx2() { return ActiveKernelForm() == KernelForm::AVX2; }

__attribute__((target("ssse3"))) inline __m128i ReorderSsse3(__m128i v) {
  return _mm_shuffle_epi8(v, _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
}

inline __m128i ReorderSse2(__m128i v) {
  const __m128i outer = _mm_or_si128(_mm_slli_epi32(v, 24), _mm_srli_epi32(v, 24));
  const __m128i inner = _mm_or_si128(_mm_and_si128(_mm_slli_epi32(v, 8), _mm_set1_epi32(0x00FF0000)),
                                     _mm_and_si128(_mm_srli_epi32(v, 8), _mm_set1_epi32(0x0000FF00)));
  return _mm_or_si128(outer, inner);
}

// Asked while statics are made: the processor's model may not be read yet.
const bool g_ssse3 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}();

template <bool kSsse3>
__attribute__((target("ssse3"))) inline __m128i Reorder(__m128i v) {
  if constexpr (kSsse3) return ReorderSsse3(v);
  else return ReorderSse2(v);
}

template <bool kSsse3>
__attribute__((target("ssse3"))) void ReorderRowWith(const uint8_t* from, uint8_t* to, int32_t pixels) {
  int32_t x = 0;
  for (; x + 4 <= pixels; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * size_t(x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * size_t(x)), Reorder<kSsse3>(v));
  }
  for (; x < pixels; ++x) {
    uint32_t v;
    std::memcpy(&v, from + 4 * size_t(x), 4);
    v = Reordered(v);
    std::memcpy(to + 4 * size_t(x), &v, 4);
  }
}

void ReorderRow(const uint8_t* from, uint8_t* to, int32_t pixels) {
  if (g_ssse3) ReorderRowWith<true>(from, to, pixels);
  else ReorderRowWith<false>(from, to, pixels);
}

// Half the size each way: each output pixel the mean of a 2 x 2 block,
// rounded as the bilinear blend at weight 128 rounds (rows first, then the
// pair), which is what the general path computes there.
template <bool kSsse3>
__attribute__((target("ssse3"))) void HalveRowWith(const uint8_t* a, const uint8_t* b, uint32_t* out, int32_t pixels) {
  int32_t u = 0;
  for (; u + 4 <= pixels; u += 4) {
    const __m128i r0 = _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8 * size_t(u))),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8 * size_t(u))));
    const __m128i r1 = _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8 * size_t(u) + 16)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8 * size_t(u) + 16)));
    // Even pixels (0, 2 of each) and odd ones (1, 3), four of each.
    const __m128i even = _mm_unpacklo_epi64(_mm_shuffle_epi32(r0, 0x08), _mm_shuffle_epi32(r1, 0x08));
    const __m128i odd = _mm_unpacklo_epi64(_mm_shuffle_epi32(r0, 0x0D), _mm_shuffle_epi32(r1, 0x0D));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + u), Reorder<kSsse3>(_mm_avg_epu8(even, odd)));
  }
  preview_kernels::HalveTail(a, b, out, u, pixels);
}

void HalveRow(const uint8_t* a, const uint8_t* b, uint32_t* out, int32_t pixels) {
  if (Avx2()) preview_avx2::HalveRow(a, b, out, pixels);
  else if (g_ssse3) HalveRowWith<true>(a, b, out, pixels);
  else HalveRowWith<false>(a, b, out, pixels);
}

// out = a + (b - a) * weight / 256 per byte, rounded.
void BlendRows(const uint8_t* a, const uint8_t* b, uint8_t* out, size_t bytes, uint16_t weight) {
  if (weight == 0) {
    std::memcpy(out, a, bytes);
    return;
  }
  if (weight == 128) {
    // (a * 128 + b * 128 + 128) >> 8 is the rounded mean.
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                       _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))));
    for (; i < bytes; ++i) out[i] = uint8_t((a[i] + b[i] + 1) >> 1);
    return;
  }
  if (Avx2()) return preview_avx2::BlendRows(a, b, out, bytes, weight);
  const __m128i wa = _mm_set1_epi16(int16_t(256 - weight)), wb = _mm_set1_epi16(int16_t(weight));
  const __m128i half = _mm_set1_epi16(128), zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    // At most 255 * 256 + 128: the sums fit 16 bits.
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), wa),
                                    _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), wb)),
                      half),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), wa),
                                    _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), wb)),
                      half),
        8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
  }
  for (; i < bytes; ++i) out[i] = uint8_t((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
}

// Each output pixel from the row's pixels x0 and x0 + 1 (8 bytes read at
// once), weighted by its table entry (the left pixel's weight and the right
// one's, four times over), into cairo's order.
inline __m128i SamplePixel(const uint8_t* row, int32_t x0, const uint16_t* weights) {
  const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * size_t(x0)));
  // Each byte of the left pixel beside the same byte of the right one.
  const __m128i side = _mm_unpacklo_epi8(_mm_unpacklo_epi8(pair, _mm_srli_si128(pair, 4)), _mm_setzero_si128());
  return _mm_madd_epi16(side, _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
}

template <bool kSsse3>
__attribute__((target("ssse3"))) void SampleRowWith(const uint8_t* row, const int32_t* x0, const uint16_t* weights,
                                                    uint32_t* out, int32_t pixels) {
  const __m128i half = _mm_set1_epi32(128);
  int32_t u = 0;
  for (; u + 4 <= pixels; u += 4) {
    const __m128i p0 = _mm_srli_epi32(_mm_add_epi32(SamplePixel(row, x0[u], weights + 8 * size_t(u)), half), 8);
    const __m128i p1 =
        _mm_srli_epi32(_mm_add_epi32(SamplePixel(row, x0[u + 1], weights + 8 * size_t(u + 1)), half), 8);
    const __m128i p2 =
        _mm_srli_epi32(_mm_add_epi32(SamplePixel(row, x0[u + 2], weights + 8 * size_t(u + 2)), half), 8);
    const __m128i p3 =
        _mm_srli_epi32(_mm_add_epi32(SamplePixel(row, x0[u + 3], weights + 8 * size_t(u + 3)), half), 8);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + u), Reorder<kSsse3>(bytes));
  }
  preview_kernels::SampleTail(row, x0, weights, out, u, pixels);
}

void SampleRow(const uint8_t* row, const int32_t* x0, const uint16_t* weights, uint32_t* out, int32_t pixels) {
  if (Avx2()) preview_avx2::SampleRow(row, x0, weights, out, pixels);
  else if (g_ssse3) SampleRowWith<true>(row, x0, weights, out, pixels);
  else SampleRowWith<false>(row, x0, weights, out, pixels);
}

// Where `count` output pixels sample `source` input pixels, enlarged `zoom`
// times about the centre, as cairo's bilinear filter samples them: the
// output pixel's centre mapped into the input, less half a pixel, clamped
// to the edge pixels.
void Samples(int32_t source, int32_t count, double zoom, std::vector<int32_t>& first, std::vector<uint16_t>& weight) {
  first.resize(size_t(count));
  weight.resize(size_t(count));
  const double scale = double(source) / (double(count) * zoom), offset = (zoom - 1) * 0.5 * count;
  for (int32_t i = 0; i < count; ++i) {
    const double at = std::clamp((i + 0.5 + offset) * scale - 0.5, 0.0, double(source - 1));
    int32_t whole = int32_t(std::floor(at));
    int32_t w = int32_t(std::lround((at - whole) * 256));
    if (w == 256) ++whole, w = 0;
    first[size_t(i)] = std::min(whole, source - 1);
    weight[size_t(i)] = uint16_t(w);
  }
}

}  // namespace

CPreviewSurface::~CPreviewSurface() {
  if (m_surface) cairo_surface_destroy(m_surface);
}

bool CPreviewSurface::Matches(const plat::Offscreen* world, int32_t width, int32_t height, double zoom) const {
  return m_surface && world && world->width == m_sourceWidth && world->height == m_sourceHeight &&
         cairo_image_surface_get_width(m_surface) == width && cairo_image_surface_get_height(m_surface) == height &&
         std::max(zoom, 1.0) == m_zoom;
}

void CPreviewSurface::Plan(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height, double zoom) {
  m_sourceWidth = sourceWidth;
  m_sourceHeight = sourceHeight;
  m_zoom = zoom;
  m_identity = sourceWidth == width && sourceHeight == height && zoom == 1.0;
  m_half = sourceWidth == 2 * width && sourceHeight == 2 * height && zoom == 1.0;
  Samples(sourceWidth, width, zoom, m_x0, m_fx);
  Samples(sourceHeight, height, zoom, m_y0, m_fy);
  // The pair's weights laid out for SampleRow: 256 - w for the left pixel,
  // w for the right one, once for each of the four bytes.
  m_wx.resize(8 * size_t(width));
  for (size_t u = 0; u < size_t(width); ++u)
    for (size_t k = 0; k < 4; ++k) {
      m_wx[8 * u + 2 * k] = uint16_t(256 - m_fx[u]);
      m_wx[8 * u + 2 * k + 1] = m_fx[u];
    }
  m_row.assign(4 * (size_t(sourceWidth) + 1), 0);
}

bool CPreviewSurface::Update(const plat::Offscreen* world, int32_t width, int32_t height, double zoom) {
  if (!world || !world->pixels || world->width <= 0 || world->height <= 0 || width <= 0 || height <= 0) return false;
  zoom = std::max(zoom, 1.0);
  if (!m_surface || cairo_image_surface_get_width(m_surface) != width ||
      cairo_image_surface_get_height(m_surface) != height) {
    if (m_surface) cairo_surface_destroy(m_surface);
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    m_sourceWidth = 0;
  }
  if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) return false;
  if (world->width != m_sourceWidth || world->height != m_sourceHeight || zoom != m_zoom)
    Plan(world->width, world->height, width, height, zoom);
  cairo_surface_flush(m_surface);
  uint8_t* out = cairo_image_surface_get_data(m_surface);
  const size_t stride = size_t(cairo_image_surface_get_stride(m_surface));
  if (!out) return false;
  const size_t rowBytes = size_t(world->rowBytes);
  if (m_identity) {
    for (int32_t y = 0; y < height; ++y) ReorderRow(world->pixels + size_t(y) * rowBytes, out + size_t(y) * stride, width);
  } else if (m_half) {
    for (int32_t v = 0; v < height; ++v)
      HalveRow(world->pixels + size_t(2 * v) * rowBytes, world->pixels + size_t(2 * v + 1) * rowBytes,
               reinterpret_cast<uint32_t*>(out + size_t(v) * stride), width);
  } else {
    // Only the columns the samples reach are blended; the spare pixel
    // repeats the last, so that the right neighbour of the edge exists.
    const int32_t first = m_x0.front(), last = std::min(m_x0.back() + 1, m_sourceWidth - 1);
    const size_t bytes = 4 * size_t(last - first + 1);
    for (int32_t v = 0; v < height; ++v) {
      const int32_t y0 = m_y0[size_t(v)], y1 = std::min(y0 + 1, m_sourceHeight - 1);
      const uint8_t* a = world->pixels + size_t(y0) * rowBytes + 4 * size_t(first);
      const uint8_t* b = world->pixels + size_t(y1) * rowBytes + 4 * size_t(first);
      BlendRows(a, b, m_row.data() + 4 * size_t(first), bytes, m_fy[size_t(v)]);
      std::memcpy(m_row.data() + 4 * size_t(m_sourceWidth), m_row.data() + 4 * size_t(m_sourceWidth - 1), 4);
      SampleRow(m_row.data(), m_x0.data(), m_wx.data(), reinterpret_cast<uint32_t*>(out + size_t(v) * stride), width);
    }
  }
  cairo_surface_mark_dirty(m_surface);
  return true;
}

void CPreviewSurface::Paint(cairo_t* cr, const SRect32& r) const {
  const double w = r.right - r.left, h = r.bottom - r.top;
  if (!m_surface || w <= 0 || h <= 0) return;
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(cairo_get_target(cr), &sx, &sy);
  const int32_t sw = cairo_image_surface_get_width(m_surface), sh = cairo_image_surface_get_height(m_surface);
  cairo_save(cr);
  cairo_rectangle(cr, r.left, r.top, w, h);
  cairo_clip(cr);
  if (sw == int32_t(std::lround(w * sx)) && sh == int32_t(std::lround(h * sy))) {
    // Made for this size in the target's pixels: a copy.
    cairo_surface_set_device_scale(m_surface, sx, sy);
    cairo_set_source_surface(cr, m_surface, r.left, r.top);
  } else {
    cairo_surface_set_device_scale(m_surface, 1, 1);
    cairo_translate(cr, r.left, r.top);
    cairo_scale(cr, w / sw, h / sh);
    cairo_set_source_surface(cr, m_surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  }
  cairo_paint(cr);
  cairo_restore(cr);
}
