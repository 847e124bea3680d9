#include "AvdPyramid.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "EnhanceResult.h"
#include "image/AvdImgArith.h"
#include "image/AvdResample.h"

namespace {

template <typename T>
T* AllocZeroed(MHandle hMem, int32_t count) {
  auto* p = static_cast<T*>(MMemAlloc(hMem, sizeof(T) * static_cast<size_t>(count)));
  if (!p) return nullptr;
  for (int32_t i = 0; i < count; ++i) new (p + i) T{};
  return p;
}

int32_t OriginX(const AvdChannelBlock& b) { return b.x - b.be.left; }
int32_t OriginY(const AvdChannelBlock& b) { return b.y - b.be.top; }

uint8_t* ValidOrigin(const AvdChannelBlock& b) {
  return b.be.block.data ? b.be.block.data + static_cast<ptrdiff_t>(b.be.top) * b.be.block.pitch + b.be.left
                         : nullptr;
}

bool SharesMemory(const AvdChannelBlock& level, const AvdChannelBlock& detail) {
  return detail.be.block.data && ValidOrigin(level) == ValidOrigin(detail);
}

// Region of a fine block rebuilt from (or decomposed against) its coarser
// level: fine-level coordinates counted from twice the coarse block's origin.
struct FineRegion {
  int32_t px, py;          // the counting point, in fine picture coordinates
  int32_t x0, x1, y0, y1;  // range counted from it
};

FineRegion DetailRegion(const AvdChannelBlock& fine, const AvdChannelBlock& target, const AvdChannelBlock& coarse) {
  FineRegion r;
  r.px = 2 * OriginX(coarse);
  r.py = 2 * OriginY(coarse);
  const int32_t tx = OriginX(target), ty = OriginY(target);
  r.x0 = std::max(0, std::max(0, tx) - r.px);
  r.y0 = std::max(0, std::max(0, ty) - r.py);
  r.x1 = std::min(2 * coarse.be.block.width, std::min(tx + target.be.block.width, fine.picWidth) - r.px);
  r.y1 = std::min(2 * coarse.be.block.height, std::min(ty + target.be.block.height, fine.picHeight) - r.py);
  // Never beyond the fine blocks themselves.
  for (const AvdChannelBlock* b : {&fine, &target}) {
    r.x0 = std::max(r.x0, OriginX(*b) - r.px);
    r.y0 = std::max(r.y0, OriginY(*b) - r.py);
    r.x1 = std::min(r.x1, OriginX(*b) + b->be.block.width - r.px);
    r.y1 = std::min(r.y1, OriginY(*b) + b->be.block.height - r.py);
  }
  return r;
}

// Address of fine picture sample (px + x, py + y) inside block b.
uint8_t* At(const AvdChannelBlock& b, int32_t X, int32_t Y) {
  return b.be.block.data + static_cast<ptrdiff_t>(Y - OriginY(b)) * b.be.block.pitch + (X - OriginX(b));
}

enum class Upsample { Analysis, Synthesis };

// In-place analysis or synthesis of `fine` over the region, against `coarse`.
int32_t InPlace(Upsample what, MHandle hMem, const AvdChannelBlock& fine, const FineRegion& r,
                const AvdChannelBlock& coarse) {
  if (r.x1 <= r.x0 || r.y1 <= r.y0) return ENH_OK;
  // Start the kernel at an even column and row so the coarse grid keeps its parity.
  const int32_t ex = r.x0 & ~1, ey = r.y0 & ~1;
  uint8_t* f = At(fine, r.px + ex, r.py + ey);
  const uint8_t* c = coarse.be.block.data + static_cast<ptrdiff_t>(ey / 2) * coarse.be.block.pitch + ex / 2;
  const int32_t cw = coarse.be.block.width - ex / 2, ch = coarse.be.block.height - ey / 2;
  const uint32_t kind = coarse.be.block.kind & 0xff0;
  if (what == Upsample::Analysis)
    return avdAnalysisBlock(hMem, f, fine.be.block.pitch, r.x0 - ex, r.x1 - ex, r.y0 - ey, r.y1 - ey, c,
                            coarse.be.block.pitch, cw, ch, kind);
  return avdSynthesisBlock(hMem, f, fine.be.block.pitch, r.x0 - ex, r.x1 - ex, r.y0 - ey, r.y1 - ey, c,
                           coarse.be.block.pitch, cw, ch, kind);
}

int32_t ExpandInto(const AvdChannelBlock& target, const FineRegion& r, const AvdChannelBlock& coarse) {
  if (r.x1 <= r.x0 || r.y1 <= r.y0) return ENH_OK;
  const int32_t ex = r.x0 & ~1, ey = r.y0 & ~1;
  uint8_t* t = At(target, r.px + ex, r.py + ey);
  const uint8_t* c = coarse.be.block.data + static_cast<ptrdiff_t>(ey / 2) * coarse.be.block.pitch + ex / 2;
  return avdExpandBlock(t, target.be.block.pitch, r.x0 - ex, r.x1 - ex, r.y0 - ey, r.y1 - ey, c,
                        coarse.be.block.pitch, coarse.be.block.width - ex / 2, coarse.be.block.height - ey / 2,
                        ELEM_U8);
}

int32_t SynthesisEx(MHandle hMem, AvdChannelBlock* image, const AvdChannelBlock* detail,
                    const AvdChannelBlock* coarse) {
  if (!image || !detail || !coarse || !image->be.block.data || !detail->be.block.data || !coarse->be.block.data)
    return ENH_ERR_MISSING;
  FineRegion r = DetailRegion(*image, *detail, *coarse);
  int32_t res = ENH_OK;
  if (SharesMemory(*image, *detail)) {
    res = InPlace(Upsample::Synthesis, hMem, *image, r, *coarse);
  } else if (r.x1 > r.x0 && r.y1 > r.y0) {
    res = ExpandInto(*image, r, *coarse);
    if (res == ENH_OK) {
      uint8_t* t = At(*image, r.px + r.x0, r.py + r.y0);
      const uint8_t* d = At(*detail, r.px + r.x0, r.py + r.y0);
      res = avdImgAdd(t, image->be.block.pitch, image->be.block.kind, d, detail->be.block.pitch,
                      detail->be.block.kind, t, image->be.block.pitch, image->be.block.kind, r.x1 - r.x0,
                      r.y1 - r.y0);
    }
  }
  if (res == ENH_OK) avdCB_AutoMirrorFill(image, 0, 0);
  return res;
}

void MaxEdges(const int32_t* a, const int32_t* b, int32_t* out) {
  for (int k = 0; k < 4; ++k) out[k] = std::max(a[k], b[k]);
}

}  // namespace

int32_t avdIPB_CreateFrame(MHandle hMem, AvdImgPyramid* ipb, int32_t count) {
  if (!ipb || count < 1) return ENH_ERR_ARGUMENT;
  if (ipb->pyramids) return ENH_OK;
  ipb->pyramids = AllocZeroed<AvdPyramid>(hMem, count);
  if (!ipb->pyramids) return ENH_ERR_MEMORY;
  ipb->count = count;
  return ENH_OK;
}

int32_t avdPB_CreateFrame(MHandle hMem, AvdPyramid* pb, int32_t levelCount) {
  if (!pb) return ENH_ERR_ARGUMENT;
  if (pb->levels || levelCount < 1) return ENH_OK;
  AvdChannelBlock* blocks = AllocZeroed<AvdChannelBlock>(hMem, 2 * levelCount - 1);
  if (!blocks) return ENH_ERR_MEMORY;
  pb->levels = blocks;
  pb->details = levelCount > 1 ? blocks + levelCount : nullptr;
  pb->levelCount = levelCount;
  return ENH_OK;
}

int32_t avdPB_Create(MHandle hMem, AvdPyramid* pb, uint32_t kind, int32_t picWidth, int32_t picHeight,
                     const int32_t* blockSize, const int32_t* border, const int32_t* detailBorder,
                     int32_t levelCount, int32_t inPlace) {
  if (!pb) return ENH_ERR_ARGUMENT;
  if (levelCount < 1) return ENH_OK;
  if (picWidth <= 0 || picHeight <= 0) return ENH_ERR_ARGUMENT;
  if (int32_t r = avdPB_CreateFrame(hMem, pb, levelCount)) return r;
  if (pb->levelCount < levelCount) return ENH_ERR_ARGUMENT;
  int32_t bw = blockSize ? blockSize[0] : picWidth, bh = blockSize ? blockSize[1] : picHeight;
  int32_t pw = picWidth, ph = picHeight;
  int32_t run[4] = {0, 0, 0, 0}, det[4] = {0, 0, 0, 0};
  if (border) std::copy(border, border + 4, run);
  if (detailBorder) std::copy(detailBorder, detailBorder + 4, det);
  for (int32_t i = 0; i + 1 < levelCount; ++i) {
    int32_t used[4];
    MaxEdges(run, det, used);
    AvdChannelBlock& level = pb->levels[i];
    if (int32_t r = avdCB_Create(hMem, &level, kind, bw, bh, used, pw, ph)) return r;
    AvdChannelBlock& detail = pb->details[i];
    if (inPlace && !detail.be.block.data) {
      detail.be.block.data = ValidOrigin(level) - static_cast<ptrdiff_t>(det[1]) * level.be.block.pitch - det[0];
      detail.be.block.pitch = level.be.block.pitch;
      detail.be.block.capacity = 0;
    }
    if (int32_t r = avdCB_Init_Ex(hMem, &detail, kind | AVD_SIGNED_BIT, bw, bh, det, pw, ph)) return r;
    run[0] = used[0] / 2;
    run[1] = used[1] / 2;
    run[2] = (used[2] + 1) / 2;
    run[3] = (used[3] + 1) / 2;
    bw = (bw + 1) >> 1;
    bh = (bh + 1) >> 1;
    pw = (pw + 1) >> 1;
    ph = (ph + 1) >> 1;
  }
  int32_t used[4];
  MaxEdges(run, det, used);
  return avdCB_Create(hMem, &pb->levels[levelCount - 1], kind, bw, bh, used, pw, ph);
}

int32_t avdIPB_Create(MHandle hMem, AvdImgPyramid* ipb, uint32_t format, int32_t width, int32_t height,
                      const int32_t* blockSize, const int32_t* border, const int32_t* detailBorder,
                      int32_t lumaLevels, int32_t chromaLevels, int32_t inPlace) {
  if (!ipb) return ENH_ERR_ARGUMENT;
  const int32_t count = chromaLevels < 1 ? 1 : std::max(1, AvdFmtChannels(format));
  if (int32_t r = avdIPB_CreateFrame(hMem, ipb, count)) return r;
  for (int32_t c = 0; c < ipb->count; ++c)
    if (int32_t r = avdPB_CreateFrame(hMem, &ipb->pyramids[c], c == 0 ? lumaLevels : chromaLevels)) return r;
  if (!ipb->pyramids[0].levels) return ENH_OK;
  const uint32_t kind = format & AVD_ELEMENT_MASK;
  if (int32_t r = avdPB_Create(hMem, &ipb->pyramids[0], kind, width, height, blockSize, border, detailBorder,
                               lumaLevels, inPlace))
    return r;
  const uint32_t sub = AvdFmtSubsampling(format);
  int32_t size[2] = {blockSize ? blockSize[0] : width, blockSize ? blockSize[1] : height};
  int32_t edges[4] = {0, 0, 0, 0};
  if (border) std::copy(border, border + 4, edges);
  int32_t cw = width, ch = height;
  if (sub == AVD_SUB_422 || sub == AVD_SUB_420) {
    size[0] = (size[0] + 1) / 2, cw = (cw + 1) / 2, edges[0] /= 2, edges[2] = (edges[2] + 1) / 2;
  }
  if (sub == AVD_SUB_420) {
    size[1] = (size[1] + 1) / 2, ch = (ch + 1) / 2, edges[1] /= 2, edges[3] = (edges[3] + 1) / 2;
  }
  for (int32_t c = 1; c < ipb->count; ++c)
    if (int32_t r = avdPB_Create(hMem, &ipb->pyramids[c], kind, cw, ch, size, edges, detailBorder, chromaLevels,
                                 inPlace))
      return r;
  return ENH_OK;
}

namespace {
bool PlaceBlock(AvdChannelBlock& b, int32_t x, int32_t y, int32_t vw, int32_t vh, int32_t pw, int32_t ph) {
  AvdBlockEdge& be = b.be;
  const int32_t w = vw + be.left + be.right - std::max(0, x + vw - pw);
  const int32_t h = vh + be.top + be.bottom - std::max(0, y + vh - ph);
  // The new size must fit the samples the block has.
  if (w < 0 || h < 0 || w > be.block.pitch) return false;
  if (be.block.capacity && static_cast<size_t>(be.block.pitch) * h * AvdKindBytes(be.block.kind) > be.block.capacity)
    return false;
  b.x = x;
  b.y = y;
  be.block.width = w;
  be.block.height = h;
  b.picWidth = pw;
  b.picHeight = ph;
  return true;
}
}  // namespace

void avdPB_SetPosEx(AvdPyramid* pb, int32_t x, int32_t y, int32_t validWidth, int32_t validHeight, int32_t picWidth,
                    int32_t picHeight) {
  if (!pb || !pb->levels) return;
  for (int32_t i = 0; i < pb->levelCount; ++i) {
    PlaceBlock(pb->levels[i], x >> i, y >> i, validWidth, validHeight, picWidth, picHeight);
    if (i + 1 < pb->levelCount && pb->details)
      PlaceBlock(pb->details[i], x >> i, y >> i, validWidth, validHeight, picWidth, picHeight);
    validWidth >>= 1;
    validHeight >>= 1;
    picWidth = (picWidth + 1) >> 1;
    picHeight = (picHeight + 1) >> 1;
  }
}

int32_t avdIPB_SetPosEx(AvdImgPyramid* ipb, int32_t x, int32_t y, int32_t validWidth, int32_t validHeight,
                        int32_t picWidth, int32_t picHeight) {
  if (!ipb || !ipb->pyramids || !ipb->pyramids[0].levels) return ENH_ERR_MISSING;
  const AvdChannelBlock& luma = ipb->pyramids[0].levels[0];
  for (int32_t c = 0; c < ipb->count; ++c) {
    AvdPyramid& pb = ipb->pyramids[c];
    if (!pb.levels) continue;
    const int32_t rx = std::max(1, luma.picWidth / std::max(1, pb.levels[0].picWidth));
    const int32_t ry = std::max(1, luma.picHeight / std::max(1, pb.levels[0].picHeight));
    avdPB_SetPosEx(&pb, x / rx, y / ry, validWidth / rx, validHeight / ry, (picWidth + rx - 1) / rx,
                   (picHeight + ry - 1) / ry);
  }
  return 1;
}

void avdPB_SetPos(AvdPyramid* pb, int32_t x, int32_t y) {
  if (!pb || !pb->levels) return;
  auto place = [](AvdChannelBlock& b, int32_t bx, int32_t by) {
    b.x = bx;
    b.y = by;
    const int32_t overW = bx - b.be.left + b.be.block.width - b.be.right - b.picWidth;
    const int32_t overH = by - b.be.top + b.be.block.height - b.be.bottom - b.picHeight;
    if (overW > 0) b.be.block.width -= std::min(overW, b.be.block.width);
    if (overH > 0) b.be.block.height -= std::min(overH, b.be.block.height);
  };
  for (int32_t i = 0; i < pb->levelCount; ++i) {
    place(pb->levels[i], x >> i, y >> i);
    if (i + 1 < pb->levelCount && pb->details) place(pb->details[i], x >> i, y >> i);
  }
}

void avdIPB_SetPos(AvdImgPyramid* ipb, int32_t x, int32_t y) {
  if (!ipb || !ipb->pyramids || !ipb->pyramids[0].levels) return;
  const AvdChannelBlock& luma = ipb->pyramids[0].levels[0];
  for (int32_t c = 0; c < ipb->count; ++c) {
    AvdPyramid& pb = ipb->pyramids[c];
    if (!pb.levels) continue;
    const bool halfW = 2 * pb.levels[0].picWidth <= luma.picWidth + 1 && c > 0;
    const bool halfH = 2 * pb.levels[0].picHeight <= luma.picHeight + 1 && c > 0;
    avdPB_SetPos(&pb, halfW ? x / 2 : x, halfH ? y / 2 : y);
  }
}

int32_t avdPB_Analysis(MHandle hMem, AvdPyramid* pb) {
  if (!pb || !pb->levels) return ENH_ERR_MISSING;
  if (pb->levelCount < 2) return ENH_OK;
  for (int32_t i = 0; i + 1 < pb->levelCount; ++i) {
    AvdChannelBlock& fine = pb->levels[i];
    AvdChannelBlock& coarse = pb->levels[i + 1];
    AvdChannelBlock& detail = pb->details[i];
    if (!fine.be.block.data || !coarse.be.block.data || !detail.be.block.data) return ENH_ERR_MISSING;
    // 1. Reduce into the whole coarser block wherever the fine one can supply it.
    const int32_t fox = OriginX(fine), foy = OriginY(fine);
    const int32_t hx = fox / 2, hy = foy / 2;
    const int32_t cox = OriginX(coarse), coy = OriginY(coarse);
    int32_t x0 = std::max(0, std::max(0, cox) - hx), y0 = std::max(0, std::max(0, coy) - hy);
    int32_t x1 = std::min(coarse.picWidth, cox + coarse.be.block.width) - hx;
    int32_t y1 = std::min(coarse.picHeight, coy + coarse.be.block.height) - hy;
    if (2 * x1 > fine.be.block.width) x1 = (fine.be.block.width + 1) / 2;
    if (2 * y1 > fine.be.block.height) y1 = (fine.be.block.height + 1) / 2;
    // Stay inside the coarse block.
    x0 = std::max(x0, cox - hx);
    y0 = std::max(y0, coy - hy);
    x1 = std::min(x1, cox + coarse.be.block.width - hx);
    y1 = std::min(y1, coy + coarse.be.block.height - hy);
    if (x1 > x0 && y1 > y0) {
      uint8_t* dst = coarse.be.block.data + static_cast<ptrdiff_t>(hy - coy + y0) * coarse.be.block.pitch +
                     (hx - cox + x0);
      // The destination pointer is at (x0, y0); the kernel addresses from the origin.
      int32_t r = avdReduceBlock(hMem, fine.be.block.data, fine.be.block.pitch, fine.be.block.width,
                                 fine.be.block.height, x0, x1, y0, y1,
                                 dst - static_cast<ptrdiff_t>(y0) * coarse.be.block.pitch - x0,
                                 coarse.be.block.pitch, fine.be.block.kind);
      if (r) return r;
    }
    avdCB_AutoMirrorFill(&coarse, 0, 0);
    // 2. Details of level i against the expanded coarser level.
    const FineRegion r = DetailRegion(fine, detail, coarse);
    int32_t res = ENH_OK;
    if (SharesMemory(fine, detail)) {
      res = InPlace(Upsample::Analysis, hMem, fine, r, coarse);
    } else if (r.x1 > r.x0 && r.y1 > r.y0) {
      res = ExpandInto(detail, r, coarse);
      if (res == ENH_OK) {
        uint8_t* d = At(detail, r.px + r.x0, r.py + r.y0);
        const uint8_t* l = At(fine, r.px + r.x0, r.py + r.y0);
        res = avdImgSubtract(l, fine.be.block.pitch, fine.be.block.kind, d, detail.be.block.pitch,
                             fine.be.block.kind, d, detail.be.block.pitch, detail.be.block.kind, r.x1 - r.x0,
                             r.y1 - r.y0);
      }
    }
    if (res) return res;
    // 3. Complete the detail's border.
    avdCB_AutoMirrorFill(&detail, 0, 0);
  }
  return ENH_OK;
}

int32_t avdIPB_Analysis(MHandle hMem, AvdImgPyramid* ipb) {
  if (!ipb || !ipb->pyramids) return ENH_ERR_MISSING;
  for (int32_t c = 0; c < ipb->count; ++c)
    if (int32_t r = avdPB_Analysis(hMem, &ipb->pyramids[c])) return r;
  return ENH_OK;
}

int32_t avdCB_Synthesis(MHandle hMem, AvdChannelBlock* image, const AvdChannelBlock* detail,
                        const AvdChannelBlock* coarse) {
  return SynthesisEx(hMem, image, detail, coarse);
}

int32_t avdPB_Synthesis(MHandle hMem, AvdPyramid* pb) {
  if (!pb || !pb->levels) return ENH_ERR_MISSING;
  for (int32_t i = pb->levelCount - 2; i >= 0; --i)
    if (int32_t r = SynthesisEx(hMem, &pb->levels[i], &pb->details[i], &pb->levels[i + 1])) return r;
  return ENH_OK;
}

void avdPB_ReleaseFrame(MHandle hMem, AvdPyramid* pb) {
  if (!pb) return;
  if (pb->levels) MMemFree(hMem, pb->levels);
  pb->levels = nullptr;
  pb->details = nullptr;
  pb->levelCount = 0;
}

void avdPB_Release(MHandle hMem, AvdPyramid* pb) {
  if (!pb || !pb->levels) return;
  for (int32_t i = 0; i + 1 < pb->levelCount; ++i) {
    const bool shared = SharesMemory(pb->levels[i], pb->details[i]) || pb->details[i].be.block.capacity == 0;
    if (!shared) avdCB_Release(hMem, &pb->details[i]);
    avdCB_Release(hMem, &pb->levels[i]);
  }
  avdCB_Release(hMem, &pb->levels[pb->levelCount - 1]);
  avdPB_ReleaseFrame(hMem, pb);
}

void avdIPB_ReleaseFrame(MHandle hMem, AvdImgPyramid* ipb) {
  if (!ipb) return;
  if (ipb->pyramids) {
    for (int32_t c = 0; c < ipb->count; ++c) avdPB_ReleaseFrame(hMem, &ipb->pyramids[c]);
    MMemFree(hMem, ipb->pyramids);
  }
  ipb->pyramids = nullptr;
  ipb->count = 0;
}

void avdIPB_Release(MHandle hMem, AvdImgPyramid* ipb) {
  if (!ipb) return;
  if (ipb->pyramids)
    for (int32_t c = 0; c < ipb->count; ++c) avdPB_Release(hMem, &ipb->pyramids[c]);
  avdIPB_ReleaseFrame(hMem, ipb);
}
