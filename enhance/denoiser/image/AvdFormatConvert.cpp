#include "AvdFormatConvert.h"

#include <algorithm>
#include <cstring>

#include "AvdImage.h"

namespace {

inline uint8_t Clamp(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

inline int32_t Luma(int32_t r, int32_t g, int32_t b) { return (9798 * r + 19235 * g + 3736 * b + 16384) >> 15; }
inline int32_t LumaQ(int32_t r, int32_t g, int32_t b) { return (9798 * r + 19235 * g + 3736 * b) >> 8; }
// Scaled chroma differences before the final rounding.
inline int32_t UTerm(const uint8_t* bgr) { return (4623 * (128 * bgr[0] - LumaQ(bgr[2], bgr[1], bgr[0]))) >> 5; }
inline int32_t VTerm(const uint8_t* bgr) { return (5843 * (128 * bgr[2] - LumaQ(bgr[2], bgr[1], bgr[0]))) >> 5; }
inline uint8_t UByte(const uint8_t* bgr) { return Clamp(((UTerm(bgr) + 16384) >> 15) + 128); }
inline uint8_t VByte(const uint8_t* bgr) { return Clamp(((VTerm(bgr) + 16384) >> 15) + 128); }
inline uint8_t YByte(const uint8_t* bgr) { return static_cast<uint8_t>(Luma(bgr[2], bgr[1], bgr[0])); }

inline void ToBgr(int32_t y, int32_t u, int32_t v, uint8_t* bgr) {
  u -= 128;
  v -= 128;
  bgr[2] = Clamp((32768 * y + 45941 * v + 16384) >> 15);
  bgr[1] = Clamp((32768 * y - 11277 * u - 23401 * v + 16384) >> 15);
  bgr[0] = Clamp((32768 * y + 58065 * u + 16384) >> 15);
}

// Byte positions of Y0, U, Y1, V in a 4-byte group of two pixels.
struct PairLayout {
  int y0, u, y1, v;
};
constexpr PairLayout kYUYV{0, 1, 2, 3}, kUYVY{1, 0, 3, 2}, kYYUV{0, 2, 1, 3}, kY1VY0U{2, 3, 0, 1};

void BgrToPairs(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height,
                PairLayout l) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t i = 0; i < width / 2; ++i, s += 6, d += 4) {
      d[l.y0] = YByte(s);
      d[l.y1] = YByte(s + 3);
      d[l.u] = static_cast<uint8_t>((UByte(s) + UByte(s + 3) + 1) >> 1);
      d[l.v] = static_cast<uint8_t>((VByte(s) + VByte(s + 3) + 1) >> 1);
    }
  }
}

// Backward from the last pair of the last row, so the BGR result may start
// at the packed source's address.
void PairsToBgr(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height,
                PairLayout l) {
  const int32_t pairs = width / 2;
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t i = pairs - 1; i >= 0; --i) {
      const uint8_t* g = s + 4 * i;
      const int32_t y0 = g[l.y0], y1 = g[l.y1], u = g[l.u], v = g[l.v];
      ToBgr(y1, u, v, d + 6 * i + 3);
      ToBgr(y0, u, v, d + 6 * i);
    }
  }
}

template <typename F>
void ForEachPixel(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height,
                  int32_t srcStep, int32_t dstStep, F f) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t x = 0; x < width; ++x) f(s + static_cast<ptrdiff_t>(x) * srcStep, d + static_cast<ptrdiff_t>(x) * dstStep);
  }
}

// Chroma of a 2 x 2 block, averaged before clamping (the semi-planar forms).
void BlockChroma(const uint8_t* s, int32_t srcPitch, uint8_t* u, uint8_t* v) {
  const uint8_t* px[4] = {s, s + 3, s + srcPitch, s + srcPitch + 3};
  int32_t su = 0, sv = 0;
  for (const uint8_t* p : px) su += UTerm(p), sv += VTerm(p);
  *u = Clamp(((su + 65536) >> 17) + 128);
  *v = Clamp(((sv + 65536) >> 17) + 128);
}

void BgrTo420SemiPlanar(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[2], const int32_t pitches[2],
                        int32_t width, int32_t height, bool vFirst) {
  for (int32_t y = 0; y + 1 < height; y += 2) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* y0 = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    uint8_t* y1 = y0 + pitches[0];
    uint8_t* c = planes[1] + static_cast<ptrdiff_t>(y / 2) * pitches[1];
    for (int32_t x = 0; x + 1 < width; x += 2) {
      const uint8_t* p = s + 3 * x;
      y0[x] = YByte(p), y0[x + 1] = YByte(p + 3);
      y1[x] = YByte(p + srcPitch), y1[x + 1] = YByte(p + srcPitch + 3);
      uint8_t u, v;
      BlockChroma(p, srcPitch, &u, &v);
      c[x] = vFirst ? v : u;
      c[x + 1] = vFirst ? u : v;
    }
  }
}

void SemiPlanar420ToBgr(const uint8_t* const planes[2], const int32_t pitches[2], uint8_t* dst, int32_t dstPitch,
                        int32_t width, int32_t height, bool vFirst) {
  for (int32_t y = 0; y + 1 < height; y += 2) {
    const uint8_t* y0 = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    const uint8_t* y1 = y0 + pitches[0];
    const uint8_t* c = planes[1] + static_cast<ptrdiff_t>(y / 2) * pitches[1];
    uint8_t* d0 = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    uint8_t* d1 = d0 + dstPitch;
    for (int32_t x = 0; x + 1 < width; x += 2) {
      const int32_t u = vFirst ? c[x + 1] : c[x], v = vFirst ? c[x] : c[x + 1];
      ToBgr(y0[x], u, v, d0 + 3 * x);
      ToBgr(y0[x + 1], u, v, d0 + 3 * x + 3);
      ToBgr(y1[x], u, v, d1 + 3 * x);
      ToBgr(y1[x + 1], u, v, d1 + 3 * x + 3);
    }
  }
}

}  // namespace

void avdBGRIMG2YUV(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height) {
  ForEachPixel(src, srcPitch, dst, dstPitch, width, height, 3, 3, [](const uint8_t* s, uint8_t* d) {
    const uint8_t y = YByte(s), u = UByte(s), v = VByte(s);
    d[0] = y, d[1] = u, d[2] = v;
  });
}

void avdYUVIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height) {
  ForEachPixel(src, srcPitch, dst, dstPitch, width, height, 3, 3,
               [](const uint8_t* s, uint8_t* d) { ToBgr(s[0], s[1], s[2], d); });
}

void avdBGRIMG2RGB(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height) {
  ForEachPixel(src, srcPitch, dst, dstPitch, width, height, 3, 3, [](const uint8_t* s, uint8_t* d) {
    const uint8_t b = s[0], g = s[1], r = s[2];
    d[0] = r, d[1] = g, d[2] = b;
  });
}

void avdRGBIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height) {
  avdBGRIMG2RGB(src, srcPitch, dst, dstPitch, width, height);
}

void avdBGRIMG2Y(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height) {
  ForEachPixel(src, srcPitch, dst, dstPitch, width, height, 3, 1, [](const uint8_t* s, uint8_t* d) { *d = YByte(s); });
}

void avdBGRIMG2YUYV(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { BgrToPairs(s, sp, d, dp, w, h, kYUYV); }
void avdYUYVIMG2BGR(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { PairsToBgr(s, sp, d, dp, w, h, kYUYV); }
void avdBGRIMG2UYVY(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { BgrToPairs(s, sp, d, dp, w, h, kUYVY); }
void avdUYVYIMG2BGR(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { PairsToBgr(s, sp, d, dp, w, h, kUYVY); }
void avdBGRIMG2YYUV(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { BgrToPairs(s, sp, d, dp, w, h, kYYUV); }
void avdYYUVIMG2BGR(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { PairsToBgr(s, sp, d, dp, w, h, kYYUV); }
void avdBGRIMG2Y1VY0U(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { BgrToPairs(s, sp, d, dp, w, h, kY1VY0U); }
void avdY1VY0UIMG2BGR(const uint8_t* s, int32_t sp, uint8_t* d, int32_t dp, int32_t w, int32_t h) { PairsToBgr(s, sp, d, dp, w, h, kY1VY0U); }

void avdBGRIMG2Y8U4V4(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t g = 0; g + 8 <= width; g += 8, s += 24, d += 16) {
      for (int k = 0; k < 8; ++k) d[k] = YByte(s + 3 * k);
      for (int k = 0; k < 4; ++k) {
        const uint8_t* p = s + 6 * k;
        d[8 + k] = Clamp(((UTerm(p) + UTerm(p + 3) + 32768) >> 16) + 128);
        d[12 + k] = Clamp(((VTerm(p) + VTerm(p + 3) + 32768) >> 16) + 128);
      }
    }
  }
}

void avdY8U4V4IMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t g = 0; g + 8 <= width; g += 8, s += 16, d += 24)
      for (int k = 0; k < 8; ++k) ToBgr(s[k], s[8 + k / 2], s[12 + k / 2], d + 3 * k);
  }
}

void avdBGRIMG2YUV422Planar(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[3], const int32_t pitches[3],
                            int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* py = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    uint8_t* pu = planes[1] + static_cast<ptrdiff_t>(y) * pitches[1];
    uint8_t* pv = planes[2] + static_cast<ptrdiff_t>(y) * pitches[2];
    for (int32_t i = 0; i < width / 2; ++i, s += 6) {
      py[2 * i] = YByte(s);
      py[2 * i + 1] = YByte(s + 3);
      pu[i] = static_cast<uint8_t>((UByte(s) + UByte(s + 3) + 1) >> 1);
      pv[i] = static_cast<uint8_t>((VByte(s) + VByte(s + 3) + 1) >> 1);
    }
  }
}

void avdYUV422PlanarIMG2BGR(const uint8_t* const planes[3], const int32_t pitches[3], uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* py = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    const uint8_t* pu = planes[1] + static_cast<ptrdiff_t>(y) * pitches[1];
    const uint8_t* pv = planes[2] + static_cast<ptrdiff_t>(y) * pitches[2];
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    for (int32_t i = 0; i < width / 2; ++i) {
      ToBgr(py[2 * i], pu[i], pv[i], d + 6 * i);
      ToBgr(py[2 * i + 1], pu[i], pv[i], d + 6 * i + 3);
    }
  }
}

void avdBGRIMG2YUV420Planar(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[3], const int32_t pitches[3],
                            int32_t width, int32_t height) {
  for (int32_t y = 0; y + 1 < height; y += 2) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
    uint8_t* y0 = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    uint8_t* y1 = y0 + pitches[0];
    uint8_t* pu = planes[1] + static_cast<ptrdiff_t>(y / 2) * pitches[1];
    uint8_t* pv = planes[2] + static_cast<ptrdiff_t>(y / 2) * pitches[2];
    for (int32_t x = 0; x + 1 < width; x += 2) {
      const uint8_t* px[4] = {s + 3 * x, s + 3 * x + 3, s + srcPitch + 3 * x, s + srcPitch + 3 * x + 3};
      y0[x] = YByte(px[0]), y0[x + 1] = YByte(px[1]), y1[x] = YByte(px[2]), y1[x + 1] = YByte(px[3]);
      int32_t su = 2, sv = 2;
      for (const uint8_t* p : px) su += UByte(p), sv += VByte(p);
      pu[x / 2] = static_cast<uint8_t>(su >> 2);
      pv[x / 2] = static_cast<uint8_t>(sv >> 2);
    }
  }
}

void avdYUV420PlanarIMG2BGR(const uint8_t* const planes[3], const int32_t pitches[3], uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height) {
  for (int32_t y = 0; y + 1 < height; y += 2) {
    const uint8_t* y0 = planes[0] + static_cast<ptrdiff_t>(y) * pitches[0];
    const uint8_t* y1 = y0 + pitches[0];
    const uint8_t* pu = planes[1] + static_cast<ptrdiff_t>(y / 2) * pitches[1];
    const uint8_t* pv = planes[2] + static_cast<ptrdiff_t>(y / 2) * pitches[2];
    uint8_t* d0 = dst + static_cast<ptrdiff_t>(y) * dstPitch;
    uint8_t* d1 = d0 + dstPitch;
    for (int32_t x = 0; x + 1 < width; x += 2) {
      const int32_t u = pu[x / 2], v = pv[x / 2];
      ToBgr(y0[x], u, v, d0 + 3 * x);
      ToBgr(y0[x + 1], u, v, d0 + 3 * x + 3);
      ToBgr(y1[x], u, v, d1 + 3 * x);
      ToBgr(y1[x + 1], u, v, d1 + 3 * x + 3);
    }
  }
}

void avdBGRIMG2YUV420LP(const uint8_t* s, int32_t sp, uint8_t* const p[2], const int32_t pp[2], int32_t w, int32_t h) {
  BgrTo420SemiPlanar(s, sp, p, pp, w, h, false);
}
void avdYUV420LPIMG2BGR(const uint8_t* const p[2], const int32_t pp[2], uint8_t* d, int32_t dp, int32_t w, int32_t h) {
  SemiPlanar420ToBgr(p, pp, d, dp, w, h, false);
}
void avdBGRIMG2YUV420VU(const uint8_t* s, int32_t sp, uint8_t* const p[2], const int32_t pp[2], int32_t w, int32_t h) {
  BgrTo420SemiPlanar(s, sp, p, pp, w, h, true);
}
void avdYUV420VUIMG2BGR(const uint8_t* const p[2], const int32_t pp[2], uint8_t* d, int32_t dp, int32_t w, int32_t h) {
  SemiPlanar420ToBgr(p, pp, d, dp, w, h, true);
}

namespace {

// Bytes of one row of a packed format, 0 for formats converted through planes.
int32_t PackedRowBytes(uint32_t format, int32_t width) {
  switch (format) {
    case AVD_IMG_BGR: case AVD_IMG_RGB: case AVD_IMG_YUV: return 3 * width;
    case AVD_IMG_GREY: return width;
    case AVD_IMG_YUYV: case AVD_IMG_UYVY: case AVD_IMG_YYUV: case AVD_IMG_Y1VY0U: return 4 * (width / 2);
    case AVD_IMG_Y8U4V4: return 16 * (width / 8);
    default: return 0;
  }
}

bool IsPlanarFormat(uint32_t f) {
  return f == AVD_IMG_YUV422P || f == AVD_IMG_YUV420P || f == AVD_IMG_YUV420LP || f == AVD_IMG_YUV420VU;
}

// Planes and their row bytes of a planar picture; -1 when a plane is missing,
// -2 when a pitch is below its row.
int32_t CheckPlanes(const AvdImageRecord& img) {
  const bool semi = img.format == AVD_IMG_YUV420LP || img.format == AVD_IMG_YUV420VU;
  const int32_t planes = semi ? 2 : 3;
  const int32_t rows[3] = {img.width, semi ? 2 * (img.width / 2) : img.width / 2, img.width / 2};
  for (int32_t k = 0; k < planes; ++k)
    if (!img.plane[k]) return ENH_ERR_MISSING;
  for (int32_t k = 0; k < planes; ++k)
    if (img.height > 1 && img.pitch[k] < rows[k]) return ENH_ERR_ARGUMENT;
  return ENH_OK;
}

uint8_t* Base(const AvdImageRecord& img) { return img.buffer ? img.buffer : img.plane[0]; }

int32_t CheckPacked(const AvdImageRecord& img) {
  if (!Base(img)) return ENH_ERR_MISSING;
  if (img.height > 1 && img.pitch[0] < PackedRowBytes(img.format, img.width)) return ENH_ERR_ARGUMENT;
  return ENH_OK;
}

bool Converts(uint32_t f) { return f == AVD_IMG_GREY || IsPlanarFormat(f) || PackedRowBytes(f, 8) > 0; }

}  // namespace

int32_t avdImgFmtTrans(const AvdImageRecord* source, AvdImageRecord* destination) {
  if (!source || !destination) return ENH_ERR_ARGUMENT;
  AvdImageRecord s = *source, d = *destination;
  if (int32_t r = avdImgChunky2Plannar(&s)) return r;
  if (int32_t r = avdImgChunky2Plannar(&d)) return r;
  if (s.width != d.width || s.height != d.height || s.width <= 0 || s.height <= 0) return ENH_ERR_ARGUMENT;
  if (s.format == d.format) return avdImgCpy(&s, &d);
  uint32_t other;
  if (s.format == AVD_IMG_BGR) {
    other = d.format;
    if (other == AVD_IMG_BGR || !Converts(other)) return ENH_ERR_FORMAT;
  } else if (d.format == AVD_IMG_BGR) {
    other = s.format;
    if (other == AVD_IMG_GREY || !Converts(other)) return ENH_ERR_FORMAT;
  } else {
    return ENH_ERR_FORMAT;
  }
  const bool toBgr = d.format == AVD_IMG_BGR;
  const AvdImageRecord& bgr = toBgr ? d : s;
  const AvdImageRecord& oth = toBgr ? s : d;
  if (int32_t r = CheckPacked(bgr)) return r;
  if (int32_t r = IsPlanarFormat(other) ? CheckPlanes(oth) : CheckPacked(oth)) return r;
  const int32_t w = s.width, h = s.height;
  const uint8_t* const srcPlanes[3] = {s.plane[0], s.plane[1], s.plane[2]};
  uint8_t* const dstPlanes[3] = {d.plane[0], d.plane[1], d.plane[2]};
  using Packed = void (*)(const uint8_t*, int32_t, uint8_t*, int32_t, int32_t, int32_t);
  Packed packed = nullptr;
  switch (other) {
    case AVD_IMG_YUV: packed = toBgr ? avdYUVIMG2BGR : avdBGRIMG2YUV; break;
    case AVD_IMG_RGB: packed = toBgr ? avdRGBIMG2BGR : avdBGRIMG2RGB; break;
    case AVD_IMG_GREY: packed = avdBGRIMG2Y; break;
    case AVD_IMG_YUYV: packed = toBgr ? avdYUYVIMG2BGR : avdBGRIMG2YUYV; break;
    case AVD_IMG_UYVY: packed = toBgr ? avdUYVYIMG2BGR : avdBGRIMG2UYVY; break;
    case AVD_IMG_Y8U4V4: packed = toBgr ? avdY8U4V4IMG2BGR : avdBGRIMG2Y8U4V4; break;
    case AVD_IMG_YYUV: packed = toBgr ? avdYYUVIMG2BGR : avdBGRIMG2YYUV; break;
    case AVD_IMG_Y1VY0U: packed = toBgr ? avdY1VY0UIMG2BGR : avdBGRIMG2Y1VY0U; break;
    case AVD_IMG_YUV422P:
      toBgr ? avdYUV422PlanarIMG2BGR(srcPlanes, s.pitch, Base(d), d.pitch[0], w, h)
            : avdBGRIMG2YUV422Planar(Base(s), s.pitch[0], dstPlanes, d.pitch, w, h);
      return ENH_OK;
    case AVD_IMG_YUV420P:
      toBgr ? avdYUV420PlanarIMG2BGR(srcPlanes, s.pitch, Base(d), d.pitch[0], w, h)
            : avdBGRIMG2YUV420Planar(Base(s), s.pitch[0], dstPlanes, d.pitch, w, h);
      return ENH_OK;
    case AVD_IMG_YUV420LP:
      toBgr ? avdYUV420LPIMG2BGR(srcPlanes, s.pitch, Base(d), d.pitch[0], w, h)
            : avdBGRIMG2YUV420LP(Base(s), s.pitch[0], dstPlanes, d.pitch, w, h);
      return ENH_OK;
    case AVD_IMG_YUV420VU:
      toBgr ? avdYUV420VUIMG2BGR(srcPlanes, s.pitch, Base(d), d.pitch[0], w, h)
            : avdBGRIMG2YUV420VU(Base(s), s.pitch[0], dstPlanes, d.pitch, w, h);
      return ENH_OK;
    default:
      return ENH_ERR_FORMAT;
  }
  packed(Base(s), s.pitch[0], Base(d), d.pitch[0], w, h);
  return ENH_OK;
}
