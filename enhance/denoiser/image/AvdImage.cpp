#include "AvdImage.h"

#include <cstring>

#include "AlignedMemory.h"
#include "AvdSupport.h"

namespace {

inline int32_t Align16(int32_t v) { return (v + 15) & ~15; }

bool IsInterleavedChroma(uint32_t cls) { return cls == AVD_CLASS_420_C1C2 || cls == AVD_CLASS_420_C2C1; }

bool IsPacked422(uint32_t cls) { return cls >= AVD_CLASS_YC1YC2 && cls <= AVD_CLASS_Y1VY0U; }

// Width and height of plane k (k > 0) of a planar picture; plane count in *planes.
void ChromaPlaneSize(const AvdImageRecord& img, int32_t* w, int32_t* h, int32_t* planes) {
  const uint32_t cls = AvdFmtClass(img.format);
  *planes = AvdFmtChannels(img.format);
  *w = img.width;
  *h = img.height;
  if (cls == AVD_CLASS_YC1YC2) {
    *w = img.width / 2;
  } else if (cls == AVD_CLASS_420) {
    *w = img.width / 2;
    *h = img.height / 2;
  } else if (IsInterleavedChroma(cls)) {
    *h = img.height / 2;
    *planes = 2;
  }
}

// Samples a packed row holds per pixel; 0 for a three-channel class the
// copy does not know.
int32_t PackedFactor(uint32_t format) {
  const uint32_t cls = AvdFmtClass(format);
  if (AvdFmtChannels(format) == 1) return 1;
  if (cls == AVD_CLASS_TWO_BYTE || IsPacked422(cls)) return 2;
  if (cls == AVD_CLASS_FULL && AvdFmtChannels(format) == 3) return 3;
  return 0;
}

uint8_t* PackedBase(const AvdImageRecord& img) { return img.buffer ? img.buffer : img.plane[0]; }

}  // namespace

int32_t AvdPackedBytesPerPixel(uint32_t format) { return PackedFactor(format) * AvdFmtBytes(format); }

int32_t avdImgCreate(MHandle hMem, AvdImageRecord* img, uint32_t format, int32_t width, int32_t height) {
  if (!img) return ENH_ERR_ARGUMENT;
  if (width <= 0 || height <= 0 || width > (1 << 15) || height > (1 << 15)) return ENH_ERR_ARGUMENT;
  const int32_t e = AvdFmtBytes(format) ? AvdFmtBytes(format) : 1;
  const uint32_t cls = AvdFmtClass(format);
  int64_t size = 0;
  int32_t pitch = 0;
  if (AvdFmtPlanar(format)) {
    AvdImageRecord probe;
    probe.width = width;
    probe.height = height;
    probe.format = format;
    int32_t cw, ch, planes;
    ChromaPlaneSize(probe, &cw, &ch, &planes);
    if (AvdFmtChannels(format) > 1 && cw % 4 != 0) return ENH_ERR_SUBSAMPLING;
    size = static_cast<int64_t>(height) * Align16(width);
    for (int32_t k = 1; k < planes; ++k) size += static_cast<int64_t>(ch) * Align16(cw);
    size *= e;
    pitch = width;
  } else if (cls == AVD_CLASS_TWO_BYTE) {
    pitch = Align16(2 * width);
    size = static_cast<int64_t>(pitch) * height;
  } else if (IsPacked422(cls)) {
    pitch = Align16(2 * width);
    size = static_cast<int64_t>(pitch) * height * e;
  } else if (cls == AVD_CLASS_FULL) {
    pitch = Align16(AvdFmtChannels(format) * width);
    size = static_cast<int64_t>(pitch) * height * e;
  } else {
    return ENH_ERR_FORMAT;
  }
  auto* buffer = static_cast<uint8_t*>(avdJMemAlloc_Aligned(hMem, static_cast<size_t>(size), 16));
  if (!buffer) return ENH_ERR_MEMORY;
  *img = AvdImageRecord{};
  img->width = width;
  img->height = height;
  img->format = format;
  img->pitch[0] = pitch;
  img->buffer = buffer;
  return ENH_OK;
}

int32_t avdImgRelease(MHandle hMem, AvdImageRecord* img) {
  if (!img) return ENH_ERR_ARGUMENT;
  if (img->buffer) avdJMemFree_Aligned(hMem, img->buffer);
  img->buffer = nullptr;
  return ENH_OK;
}

int32_t avdImgChunky2Plannar(AvdImageRecord* img) {
  if (!img) return ENH_ERR_ARGUMENT;
  if (!AvdFmtPlanar(img->format)) return ENH_OK;
  const uint32_t cls = AvdFmtClass(img->format);
  const int32_t channels = AvdFmtChannels(img->format);
  if (img->plane[0]) {
    if (channels == 1) img->plane[1] = img->plane[2] = nullptr;
    if (cls == AVD_CLASS_FULL || cls == AVD_CLASS_YC1YC2 || cls == AVD_CLASS_420) img->plane[3] = nullptr;
    if (IsInterleavedChroma(cls)) img->plane[2] = img->plane[3] = nullptr;
    return ENH_OK;
  }
  uint8_t* B = img->buffer;
  if (!B) return ENH_ERR_MISSING;
  const ptrdiff_t e = AvdFmtBytes(img->format) ? AvdFmtBytes(img->format) : 1;
  const ptrdiff_t w = img->width, h = img->height;
  if (channels == 1) {
    img->plane[0] = B;
    return ENH_OK;
  }
  switch (cls) {
    case AVD_CLASS_FULL:
      img->pitch[0] = img->pitch[1] = img->pitch[2] = img->width;
      img->plane[0] = B;
      img->plane[1] = B + w * h * e;
      img->plane[2] = B + 2 * w * h * e;
      return ENH_OK;
    case AVD_CLASS_YC1YC2:
    case AVD_CLASS_420:
      img->pitch[0] = img->width;
      img->pitch[1] = img->pitch[2] = img->width / 2;
      img->plane[0] = B;
      img->plane[1] = B + w * h * e;
      img->plane[2] = img->plane[1] + e * (w / 2) * (cls == AVD_CLASS_420 ? h / 2 : h);
      return ENH_OK;
    case AVD_CLASS_420_C1C2:
    case AVD_CLASS_420_C2C1:
      img->pitch[1] = img->pitch[0];
      img->plane[0] = B;
      img->plane[1] = B + static_cast<ptrdiff_t>(img->pitch[0]) * h * e;
      return ENH_OK;
    default:
      return ENH_ERR_FORMAT;
  }
}

int32_t avdImgCpy(const AvdImageRecord* src, AvdImageRecord* dst) {
  if (!src || !dst) return ENH_ERR_ARGUMENT;
  if (src == dst) return ENH_OK;
  if (src->format != dst->format) return ENH_ERR_FORMAT;
  if (src->width != dst->width || src->height != dst->height || src->width < 0 || src->height < 0)
    return ENH_ERR_ARGUMENT;
  const int32_t e = AvdFmtBytes(src->format) ? AvdFmtBytes(src->format) : 1;
  if (!AvdFmtPlanar(src->format)) {
    const int32_t f = PackedFactor(src->format);
    if (f == 0) return ENH_ERR_FORMAT;
    const int32_t rowSamples = src->width * f;
    uint8_t* s = PackedBase(*src);
    uint8_t* d = PackedBase(*dst);
    if (!s || !d) return ENH_ERR_MISSING;
    if (src->height > 1 && (src->pitch[0] < rowSamples || dst->pitch[0] < rowSamples)) return ENH_ERR_ARGUMENT;
    avdJImgMemCpy(d, dst->pitch[0] * e, s, src->pitch[0] * e, rowSamples * e, src->height);
    return ENH_OK;
  }
  AvdImageRecord s = *src, d = *dst;
  if (int32_t r = avdImgChunky2Plannar(&s)) return r;
  if (int32_t r = avdImgChunky2Plannar(&d)) return r;
  int32_t cw, ch, planes;
  ChromaPlaneSize(s, &cw, &ch, &planes);
  for (int32_t k = 0; k < planes; ++k) {
    if (!s.plane[k] || !d.plane[k]) return ENH_ERR_MISSING;
    const int32_t w = k ? cw : s.width, h = k ? ch : s.height;
    if (h > 1 && (s.pitch[k] < w || d.pitch[k] < w)) return ENH_ERR_ARGUMENT;
  }
  for (int32_t k = 0; k < planes; ++k) {
    const int32_t w = k ? cw : s.width, h = k ? ch : s.height;
    avdJImgMemCpy(d.plane[k], d.pitch[k] * e, s.plane[k], s.pitch[k] * e, w * e, h);
  }
  return ENH_OK;
}

int32_t avdImgOffset(AvdImageRecord* img, int32_t x, int32_t y) {
  if (!img) return ENH_ERR_ARGUMENT;
  if (x < 0 || y < 0 || x > img->width || y > img->height) return ENH_ERR_ARGUMENT;
  const ptrdiff_t e = AvdFmtBytes(img->format) ? AvdFmtBytes(img->format) : 1;
  if (AvdFmtPlanar(img->format)) {
    AvdImageRecord split = *img;
    if (int32_t r = avdImgChunky2Plannar(&split)) return r;
    const uint32_t cls = AvdFmtClass(split.format);
    int32_t cw, ch, planes;
    ChromaPlaneSize(split, &cw, &ch, &planes);
    for (int32_t k = 0; k < planes; ++k) {
      if (!split.plane[k]) continue;
      ptrdiff_t px = x, py = y;
      if (k > 0) {
        if (cls == AVD_CLASS_YC1YC2) px = x / 2;
        if (cls == AVD_CLASS_420) px = x / 2, py = y / 2;
        if (IsInterleavedChroma(cls)) py = y / 2, px = x & ~1;
      }
      split.plane[k] += (py * split.pitch[k] + px) * e;
    }
    *img = split;
    return ENH_OK;
  }
  int32_t f = PackedFactor(img->format);
  if (f == 0) f = 1;
  if (img->buffer) img->buffer += (static_cast<ptrdiff_t>(y) * img->pitch[0] + static_cast<ptrdiff_t>(x) * f) * e;
  return ENH_OK;
}

namespace {

// Addresses of the three samples of pixel (x, y); null where the format has none.
bool PixelAddresses(const AvdImageRecord& img, int32_t x, int32_t y, bool reading, uint8_t* at[3]) {
  at[0] = at[1] = at[2] = nullptr;
  const uint32_t f = img.format;
  if (AvdFmtPlanar(f)) {
    AvdImageRecord s = img;
    if (avdImgChunky2Plannar(&s) != ENH_OK || !s.plane[0]) return false;
    at[0] = s.plane[0] + static_cast<ptrdiff_t>(y) * s.pitch[0] + x;
    if (AvdFmtChannels(f) == 1) return true;
    const uint32_t cls = AvdFmtClass(f);
    ptrdiff_t cx = x, cy = y;
    if (cls == AVD_CLASS_YC1YC2) cx = x / 2;
    if (cls == AVD_CLASS_420) cx = x / 2, cy = y / 2;
    if (IsInterleavedChroma(cls)) {
      if (!s.plane[1]) return false;
      uint8_t* row = s.plane[1] + (y / 2) * static_cast<ptrdiff_t>(s.pitch[1]);
      const ptrdiff_t c = 2 * (x / 2);
      const bool c2First = cls == AVD_CLASS_420_C2C1;
      at[1] = row + c + (c2First ? 1 : 0);
      at[2] = row + c + (c2First ? 0 : 1);
      return true;
    }
    if (!s.plane[1] || !s.plane[2]) return false;
    at[1] = s.plane[1] + cy * s.pitch[1] + cx;
    at[2] = s.plane[2] + cy * s.pitch[2] + cx;
    return true;
  }
  uint8_t* row = PackedBase(img);
  if (!row || AvdFmtBytes(f) != 1) return false;
  row += static_cast<ptrdiff_t>(y) * img.pitch[0];
  const ptrdiff_t p = 4 * (x / 2);
  switch (AvdFmtClass(f)) {
    case AVD_CLASS_FULL:
      if (AvdFmtChannels(f) != 3) return false;
      for (int k = 0; k < 3; ++k) at[k] = row + 3 * static_cast<ptrdiff_t>(x) + k;
      return true;
    case AVD_CLASS_YC1YC2:
      at[0] = row + 2 * static_cast<ptrdiff_t>(x), at[1] = row + p + 1, at[2] = row + p + 3;
      return true;
    case AVD_CLASS_C1YC2Y:
      at[0] = row + 2 * static_cast<ptrdiff_t>(x) + 1, at[1] = row + p, at[2] = row + p + 2;
      return true;
    case AVD_CLASS_Y8C44: {
      const ptrdiff_t g = 16 * (x / 8), m = x % 8;
      at[0] = row + g + m, at[1] = row + g + 8 + m / 2, at[2] = row + g + 12 + m / 2;
      return true;
    }
    case AVD_CLASS_Y2C11:
      if (!reading) return false;
      at[0] = row + p + (x % 2), at[1] = row + p + 2, at[2] = row + p + 3;
      return true;
    case AVD_CLASS_Y1VY0U:
      if (!reading) return false;
      at[0] = row + p + ((x % 2) ? 0 : 2), at[1] = row + p + 3, at[2] = row + p + 1;
      return true;
    default:
      return false;
  }
}

bool Inside(const AvdImageRecord* img, int32_t x, int32_t y) {
  return img && x >= 0 && y >= 0 && x < img->width && y < img->height;
}

}  // namespace

int32_t avdImgSetPixel(const AvdImageRecord* img, int32_t x, int32_t y, uint32_t value) {
  if (!Inside(img, x, y)) return ENH_ERR_ARGUMENT;
  uint8_t* at[3];
  if (!PixelAddresses(*img, x, y, false, at)) return ENH_OK;
  for (int k = 0; k < 3; ++k)
    if (at[k]) *at[k] = static_cast<uint8_t>(value >> (16 - 8 * k));
  return ENH_OK;
}

uint32_t avdImgGetPixel(const AvdImageRecord* img, int32_t x, int32_t y) {
  if (!Inside(img, x, y)) return 0;
  uint8_t* at[3];
  if (!PixelAddresses(*img, x, y, true, at)) return 0;
  uint32_t v = 0;
  for (int k = 0; k < 3; ++k)
    if (at[k]) v |= static_cast<uint32_t>(*at[k]) << (16 - 8 * k);
  return v;
}

void ImgRect(AvdRect* rect, int32_t width, int32_t height) {
  if (!rect) return;
  rect->left = 0;
  rect->top = 0;
  rect->right = width;
  rect->bottom = height;
}
