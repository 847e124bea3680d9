// Loading the level-0 blocks of an image pyramid from a picture in any of the
// supported layouts, and storing them back.
#include <algorithm>
#include <cstring>

#include "AvdPyramid.h"
#include "EnhanceResult.h"
#include "WorkerPool.h"
#include "PyramidKernels.h"
#include "image/AvdImage.h"

int32_t avdAccessChannel(uint8_t* picture, int32_t picturePitch, uint8_t* block, int32_t blockPitch,
                         int32_t width, int32_t height, int32_t step, int32_t offset, uint32_t kind,
                         int32_t direction) {
  const int32_t e = static_cast<int32_t>((kind >> 4) & 0xf);
  if (e != 1 && e != 2) return ENH_ERR_ELEMENT_KIND;
  if (!picture || !block || width <= 0 || height <= 0 || step < 1 || offset < 0) return ENH_OK;
  if (height > 1 && (blockPitch < width || picturePitch < offset + (width - 1) * step + 1)) return ENH_ERR_ARGUMENT;
  if (e == 1 && step == 2 && offset == 0) {
    enh::ParallelRows(height, 32, 1, [&](int32_t r0, int32_t r1) {
      avdAccessLuminChannel_YC1YC2_SSE2(picture + static_cast<ptrdiff_t>(r0) * picturePitch, picturePitch,
                                        block + static_cast<ptrdiff_t>(r0) * blockPitch, blockPitch, width, r1 - r0,
                                        direction);
    });
    return ENH_OK;
  }
  for (int32_t y = 0; y < height; ++y) {
    if (e == 1) {
      uint8_t* p = picture + static_cast<ptrdiff_t>(y) * picturePitch + offset;
      uint8_t* b = block + static_cast<ptrdiff_t>(y) * blockPitch;
      if (step == 1)
        direction ? std::memcpy(b, p, width) : std::memcpy(p, b, width);
      else if (direction)
        for (int32_t x = 0; x < width; ++x) b[x] = p[static_cast<ptrdiff_t>(x) * step];
      else
        for (int32_t x = 0; x < width; ++x) p[static_cast<ptrdiff_t>(x) * step] = b[x];
    } else {
      auto* p = reinterpret_cast<uint16_t*>(picture) + static_cast<ptrdiff_t>(y) * picturePitch + offset;
      auto* b = reinterpret_cast<uint16_t*>(block) + static_cast<ptrdiff_t>(y) * blockPitch;
      for (int32_t x = 0; x < width; ++x) {
        if (direction)
          std::memcpy(b + x, p + static_cast<ptrdiff_t>(x) * step, 2);
        else
          std::memcpy(p + static_cast<ptrdiff_t>(x) * step, b + x, 2);
      }
    }
  }
  return ENH_OK;
}

namespace {

// Where one channel's samples lie in the picture: sample x of row y is at
// base + y * pitch + Index(x) (in samples of the element size).
struct ChannelSource {
  uint8_t* base = nullptr;
  int32_t pitch = 0;  // samples
  int32_t width = 0, height = 0;
  int32_t step = 1, offset = 0;
  // Layouts without a uniform stride: byte index of sample x within its row.
  ptrdiff_t (*index)(int32_t x) = nullptr;
};

ptrdiff_t Y8C44Luma(int32_t x) { return 16 * (x / 8) + x % 8; }
ptrdiff_t Y8C44C1(int32_t i) { return 16 * (i / 4) + 8 + i % 4; }
ptrdiff_t Y8C44C2(int32_t i) { return 16 * (i / 4) + 12 + i % 4; }
ptrdiff_t Y2C11Luma(int32_t x) { return 4 * (x / 2) + x % 2; }
ptrdiff_t Y1VY0ULuma(int32_t x) { return 4 * (x / 2) + (x % 2 ? 0 : 2); }

// The region of block b to read from or write to the picture, in block and
// picture coordinates.
struct Region {
  int32_t bx, by;  // block sample
  int32_t px, py;  // picture sample
  int32_t w, h;
};

// Loading: the whole block wherever the picture lies under it.
Region LoadRegion(const AvdChannelBlock& b, const ChannelSource& src) {
  const int32_t ox = b.x - b.be.left, oy = b.y - b.be.top;
  const int32_t picW = std::min(src.width, b.picWidth > 0 ? b.picWidth : src.width);
  const int32_t picH = std::min(src.height, b.picHeight > 0 ? b.picHeight : src.height);
  Region r;
  r.px = std::max(0, ox);
  r.py = std::max(0, oy);
  r.bx = r.px - ox;
  r.by = r.py - oy;
  r.w = std::min(ox + b.be.block.width, picW) - r.px;
  r.h = std::min(oy + b.be.block.height, picH) - r.py;
  return r;
}

// Storing: the valid area, clipped to the picture.
Region StoreRegion(const AvdChannelBlock& b, const ChannelSource& src) {
  Region r;
  r.px = b.x;
  r.py = b.y;
  r.bx = b.be.left;
  r.by = b.be.top;
  const int32_t picW = std::min(src.width, b.picWidth > 0 ? b.picWidth : src.width);
  const int32_t picH = std::min(src.height, b.picHeight > 0 ? b.picHeight : src.height);
  r.w = std::min(b.be.block.width - b.be.left - b.be.right, picW - b.x);
  r.h = std::min(b.be.block.height - b.be.top - b.be.bottom, picH - b.y);
  if (r.px < 0 || r.py < 0) r.w = r.h = 0;
  return r;
}

// After loading: everything of the block outside the picture is mirrored
// from inside it.
void MirrorAfterLoad(AvdChannelBlock& b, const Region& r) {
  const int32_t ox = b.x - b.be.left, oy = b.y - b.be.top;
  if (AvdKindBytes(b.be.block.kind) == 1 && r.w > 0 && r.h > 0)
    avdMirrorFill(b.be.block.data, b.be.block.pitch, b.be.block.width, b.be.block.height, r.px - ox, r.py - oy,
                  r.px - ox + r.w, r.py - oy + r.h);
}

uint8_t* BlockAt(const AvdChannelBlock& b, const Region& r) {
  return b.be.block.data + static_cast<ptrdiff_t>(r.by) * b.be.block.pitch + r.bx;
}

// Y0 C1 Y1 C2 rows whose luma region is exactly twice the chroma regions go
// through the vector split in one pass; anything else channel by channel.
bool TransferYC1YC2(AvdChannelBlock* blocks[3], const ChannelSource src[3], int32_t direction) {
  Region r[3];
  for (int c = 0; c < 3; ++c) {
    if (AvdKindBytes(blocks[c]->be.block.kind) != 1) return false;
    r[c] = direction ? LoadRegion(*blocks[c], src[c]) : StoreRegion(*blocks[c], src[c]);
  }
  const bool aligned = r[0].px % 2 == 0 && r[0].w % 2 == 0 && r[0].w > 0 && r[0].h > 0;
  for (int c = 1; c < 3; ++c)
    if (!aligned || r[c].px * 2 != r[0].px || r[c].w * 2 != r[0].w || r[c].py != r[0].py || r[c].h != r[0].h)
      return false;
  uint8_t* row = src[0].base + static_cast<ptrdiff_t>(r[0].py) * src[0].pitch + 2 * static_cast<ptrdiff_t>(r[0].px);
  avdAccessChannel_YC1YC2_SSE2(row, src[0].pitch, BlockAt(*blocks[0], r[0]), blocks[0]->be.block.pitch,
                               BlockAt(*blocks[1], r[1]), blocks[1]->be.block.pitch, BlockAt(*blocks[2], r[2]),
                               blocks[2]->be.block.pitch, r[0].w, r[0].h, direction);
  if (direction)
    for (int c = 0; c < 3; ++c) MirrorAfterLoad(*blocks[c], r[c]);
  return true;
}

void Transfer(AvdChannelBlock& b, const ChannelSource& src, int32_t direction) {
  if (!src.base || !b.be.block.data) return;
  const Region r = direction ? LoadRegion(b, src) : StoreRegion(b, src);
  if (r.w > 0 && r.h > 0) {
    const int32_t e = AvdKindBytes(b.be.block.kind);
    uint8_t* blockAt = b.be.block.data + (static_cast<ptrdiff_t>(r.by) * b.be.block.pitch + r.bx) * e;
    if (src.index) {
      for (int32_t y = 0; y < r.h; ++y) {
        uint8_t* row = src.base + static_cast<ptrdiff_t>(r.py + y) * src.pitch;
        uint8_t* brow = blockAt + static_cast<ptrdiff_t>(y) * b.be.block.pitch;
        for (int32_t x = 0; x < r.w; ++x) {
          uint8_t& p = row[src.index(r.px + x)];
          direction ? (brow[x] = p) : (p = brow[x]);
        }
      }
    } else {
      uint8_t* picAt = src.base + (static_cast<ptrdiff_t>(r.py) * src.pitch + static_cast<ptrdiff_t>(r.px) * src.step) * e;
      avdAccessChannel(picAt, src.pitch, blockAt, b.be.block.pitch, r.w, r.h, src.step, src.offset,
                       b.be.block.kind, direction);
    }
  }
  if (direction) MirrorAfterLoad(b, r);
}

// Luma of packed R G B (or B G R) pixels.
void TransferRgbLuma(AvdChannelBlock& b, const AvdImageRecord& img, bool bgr, int32_t direction) {
  ChannelSource src;
  src.base = img.buffer ? img.buffer : img.plane[0];
  src.width = img.width;
  src.height = img.height;
  if (!src.base || !b.be.block.data) return;
  const Region r = direction ? LoadRegion(b, src) : StoreRegion(b, src);
  const int ri = bgr ? 2 : 0, bi = bgr ? 0 : 2;
  for (int32_t y = 0; y < r.h; ++y) {
    uint8_t* row = src.base + static_cast<ptrdiff_t>(r.py + y) * img.pitch[0];
    uint8_t* brow = b.be.block.data + static_cast<ptrdiff_t>(r.by + y) * b.be.block.pitch + r.bx;
    for (int32_t x = 0; x < r.w; ++x) {
      uint8_t* px = row + 3 * static_cast<ptrdiff_t>(r.px + x);
      const int32_t luma = (9798 * px[ri] + 19235 * px[1] + 3736 * px[bi] + 16384) >> 15;
      if (direction) {
        brow[x] = static_cast<uint8_t>(luma);
      } else {
        const int32_t delta = brow[x] - luma;
        for (int k = 0; k < 3; ++k) px[k] = static_cast<uint8_t>(std::clamp(px[k] + delta, 0, 255));
      }
    }
  }
  if (direction && r.w > 0 && r.h > 0) {
    const int32_t ox = b.x - b.be.left, oy = b.y - b.be.top;
    avdMirrorFill(b.be.block.data, b.be.block.pitch, b.be.block.width, b.be.block.height, r.px - ox, r.py - oy,
                  r.px - ox + r.w, r.py - oy + r.h);
  }
}

ChannelSource Packed(const AvdImageRecord& img, int32_t width, int32_t step, int32_t offset,
                     ptrdiff_t (*index)(int32_t) = nullptr) {
  ChannelSource s;
  s.base = img.buffer ? img.buffer : img.plane[0];
  s.pitch = img.pitch[0];
  s.width = width;
  s.height = img.height;
  s.step = step;
  s.offset = offset;
  s.index = index;
  return s;
}

ChannelSource Plane(const AvdImageRecord& img, int32_t k, int32_t width, int32_t height, int32_t step = 1,
                    int32_t offset = 0) {
  ChannelSource s;
  s.base = img.plane[k];
  s.pitch = img.pitch[k];
  s.width = width;
  s.height = height;
  s.step = step;
  s.offset = offset;
  return s;
}

void UpdateLuma(AvdImgPyramid* ipb, const AvdImageRecord& img, int32_t direction) {
  AvdChannelBlock& b = ipb->pyramids[0].levels[0];
  const uint32_t f = img.format, cls = AvdFmtClass(f);
  const int32_t pairsWidth = img.width & ~1, eightsWidth = img.width & ~7;
  if (AvdFmtPlanar(f)) {
    AvdImageRecord split = img;
    if (avdImgChunky2Plannar(&split) != ENH_OK) return;
    return Transfer(b, Plane(split, 0, img.width, img.height), direction);
  }
  if (f == AVD_IMG_RGB) return TransferRgbLuma(b, img, false, direction);
  if (f == AVD_IMG_BGR) return TransferRgbLuma(b, img, true, direction);
  switch (cls) {
    case AVD_CLASS_C1YC2Y: return Transfer(b, Packed(img, pairsWidth, 2, 1), direction);
    case AVD_CLASS_YC1YC2: return Transfer(b, Packed(img, pairsWidth, 2, 0), direction);
    case AVD_CLASS_FULL:
      if (AvdFmtChannels(f) == 3) Transfer(b, Packed(img, img.width, 3, 0), direction);
      return;
    case AVD_CLASS_Y1VY0U: return Transfer(b, Packed(img, pairsWidth, 1, 0, Y1VY0ULuma), direction);
    case AVD_CLASS_Y8C44: return Transfer(b, Packed(img, eightsWidth, 1, 0, Y8C44Luma), direction);
    case AVD_CLASS_Y2C11: return Transfer(b, Packed(img, pairsWidth, 1, 0, Y2C11Luma), direction);
    default: return;
  }
}

void UpdateColour(AvdImgPyramid* ipb, const AvdImageRecord& img, int32_t direction) {
  for (int32_t c = 0; c < ipb->count; ++c)
    if (!ipb->pyramids[c].levels || !ipb->pyramids[c].levels[0].be.block.data) return;
  AvdImageRecord pic = img;
  if (avdImgChunky2Plannar(&pic) != ENH_OK) return;
  const uint32_t f = pic.format, cls = AvdFmtClass(f);
  ChannelSource src[3];
  const int32_t w = pic.width, h = pic.height, half = w / 2;
  if (AvdFmtPlanar(f)) {
    if (cls == AVD_CLASS_420_C1C2 || cls == AVD_CLASS_420_C2C1) {
      src[0] = Plane(pic, 0, w, h);
      src[1] = Plane(pic, 1, half, h / 2, 2, 0);
      src[2] = Plane(pic, 1, half, h / 2, 2, 1);
    } else {
      const int32_t cw = (cls == AVD_CLASS_YC1YC2 || cls == AVD_CLASS_420) ? half : w;
      const int32_t ch = cls == AVD_CLASS_420 ? h / 2 : h;
      src[0] = Plane(pic, 0, w, h);
      src[1] = Plane(pic, 1, cw, ch);
      src[2] = Plane(pic, 2, cw, ch);
    }
  } else {
    switch (cls) {
      case AVD_CLASS_FULL:
        // Only the plain Y C1 C2 layout with unsigned 8-bit blocks; R G B,
        // B G R and 16-bit pictures are left alone.
        if (f != AVD_IMG_YUV || ipb->pyramids[0].levels[0].be.block.kind != ELEM_U8) return;
        for (int k = 0; k < 3; ++k) src[k] = Packed(pic, w, 3, k);
        break;
      case AVD_CLASS_YC1YC2:
        src[0] = Packed(pic, 2 * half, 2, 0), src[1] = Packed(pic, half, 4, 1), src[2] = Packed(pic, half, 4, 3);
        break;
      case AVD_CLASS_C1YC2Y:
        src[0] = Packed(pic, 2 * half, 2, 1), src[1] = Packed(pic, half, 4, 0), src[2] = Packed(pic, half, 4, 2);
        break;
      case AVD_CLASS_Y8C44: {
        const int32_t eights = w & ~7;
        src[0] = Packed(pic, eights, 1, 0, Y8C44Luma);
        src[1] = Packed(pic, eights / 2, 1, 0, Y8C44C1);
        src[2] = Packed(pic, eights / 2, 1, 0, Y8C44C2);
        break;
      }
      default:
        return;
    }
  }
  if (!AvdFmtPlanar(f) && cls == AVD_CLASS_YC1YC2 && ipb->count == 3) {
    AvdChannelBlock* blocks[3] = {&ipb->pyramids[0].levels[0], &ipb->pyramids[1].levels[0],
                                  &ipb->pyramids[2].levels[0]};
    if (TransferYC1YC2(blocks, src, direction)) return;
  }
  for (int32_t c = 0; c < ipb->count && c < 3; ++c) Transfer(ipb->pyramids[c].levels[0], src[c], direction);
}

}  // namespace

void avdIPB_UpdateBlock(AvdImgPyramid* ipb, const AvdImageRecord* img, int32_t direction) {
  if (!ipb || !img || ipb->count < 1 || !ipb->pyramids) return;
  const int32_t channels = AvdFmtChannels(img->format);
  if (ipb->count == channels && channels > 1) return UpdateColour(ipb, *img, direction);
  if (!ipb->pyramids[0].levels || !ipb->pyramids[0].levels[0].be.block.data) return;
  UpdateLuma(ipb, *img, direction);
}
