// One frame through the denoiser: parameter record from the handle's levels
// and type, pyramid depths from the frame size, the previous-frame state and
// noise profile kept between frames, then the filtering core.

#include <algorithm>
#include <cstring>
#include <iterator>

#include "driver/AvdDenoiserHandle.h"
#include "driver/AvdNoiseProfileUse.h"
#include "image/AvdImage.h"
#include "image/AvdSupport.h"

namespace {

struct TypeRow {
  int32_t type;
  uint32_t luma, chroma;
};
// Filter codes by type, level 0 in the low byte.
constexpr TypeRow kTypes[] = {
    {0, 0x10101010, 0x10151515},  {1, 0x10151515, 0x10151517},  {2, 0x10151517, 0x10171717},
    {3, 0x10171717, 0x10171717},  {4, 0x20202222, 0x20202222},  {5, 0x21222223, 0x21222223},
    {6, 0x21222226, 0x21222226},  {7, 0x21222226, 0x00000000},  {16, 0x30333333, 0x31333333},
    {17, 0x30333337, 0x31333337}, {18, 0x31333737, 0x31333737}, {19, 0x00373737, 0x00373737},
};
static_assert(std::size(kTypes) == 12, "one row for each type that has filter codes");

// Levels go 0..100; the tuning calls store whatever they are given, so a
// level plus its offset is held to ten times that range before it is scaled
// (no strength can overflow, here or in the filters that multiply by it).
constexpr int64_t kLevelBound = 1000;

int32_t Level(int32_t level, int32_t offset) {
  return int32_t(std::clamp<int64_t>(int64_t(level) + offset, -kLevelBound, kLevelBound));
}

int32_t NoiseTerm(int32_t level, int32_t offset) {
  const int32_t n = std::max(0, Level(level, offset));
  return n * n * 256 / 2500;
}

void BuildParam(const AvdDenoiser* h, AvdFltParam* p) {
  for (int k = 0; k < 4; ++k) {
    p->lumaNoise[k] = NoiseTerm(h->luma.noise, h->luma.noiseOffset[k]);
    p->lumaDenoise[k] = Level(h->luma.denoise, h->luma.denoiseOffset[k]) * 256 / 100;
    p->lumaSharpen[k] = 256 + Level(h->luma.sharpen, h->luma.sharpenOffset[k]) * 256 / 100;
    p->chromaNoise[k] = NoiseTerm(h->chroma.noise, h->chroma.noiseOffset[k]);
    p->chromaDenoise[k] = Level(h->chroma.denoise, h->chroma.denoiseOffset[k]) * 256 / 100;
    p->chromaSharpen[k] = 256 + Level(h->chroma.sharpen, h->chroma.sharpenOffset[k]) * 256 / 100;
  }
}

// Codes and the sharpen overrides of the handle's type.
void ApplyType(AvdDenoiser* h, AvdFltParam* p) {
  p->lumaCodes = p->chromaCodes = 0;
  for (const TypeRow& row : kTypes)
    if (row.type == h->type) {
      p->lumaCodes = row.luma;
      p->chromaCodes = row.chroma;
    }
  switch (h->type) {
    case 6:
    case 17:
      p->lumaSharpen[0] = p->chromaSharpen[0] = 256;
      break;
    case 7:
      p->lumaSharpen[0] = 256;
      h->chroma.noise = h->chroma.denoise = 0;
      break;
    case 18:
      for (int k = 0; k < 2; ++k) p->lumaSharpen[k] = p->chromaSharpen[k] = 256;
      break;
    case 19:
      for (int k = 0; k < 3; ++k) p->lumaSharpen[k] = p->chromaSharpen[k] = 256;
      break;
    default:
      break;
  }
}

// A descriptor whose rows can hold its width; the denoiser reads and writes
// nothing else.
bool Addressable(const AvdImageRecord& img) {
  if (img.width <= 0 || img.height <= 0) return false;
  const int32_t bytes = AvdFmtBytes(img.format);
  if (AvdFmtPlanar(img.format)) {
    if (!img.plane[0] || img.pitch[0] < img.width) return false;
    return true;
  }
  const int32_t perPixel = AvdPackedBytesPerPixel(img.format);
  return img.buffer && perPixel > 0 && static_cast<int64_t>(img.pitch[0]) * bytes >= int64_t{img.width} * perPixel;
}

struct FrameBuffers {
  MHandle memory;
  AvdNoiseProfile* copy = nullptr;
  AvdBlockEdge* edges = nullptr;
  ~FrameBuffers() {
    avdJMemFree_Aligned(memory, copy);
    if (edges) {
      avdBlock_Release(memory, &edges->block);
      MMemFree(memory, edges);
    }
  }
};

}  // namespace

int32_t LI_LumaDepth(int32_t width, int32_t height) {
  const int64_t pixels = int64_t{width} * height;
  return pixels < 76801 ? 2 : (pixels < 307200 ? 3 : 4);
}

uint32_t LI_FoldCodes(uint32_t codes, int32_t depth) {
  const uint32_t top = codes >> 24;
  const int32_t count = std::min(4 - depth, 3);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t byte = 2 - i;
    codes = (codes & ~(0xffu << (8 * byte))) | (top << (8 * byte));
  }
  return codes;
}

int32_t LI_Denoise(AVD_HANDLE h, const AVD_IMAGE* inExt, AVD_IMAGE* outExt, AVD_PROGRESS callback, void* cbParam) {
  if (!h || !inExt || !outExt) return ENH_ERR_ARGUMENT;
  if (inExt->width != outExt->width || inExt->height != outExt->height || inExt->format != outExt->format)
    return ENH_ERR_ARGUMENT;
  AvdImageRecord in, out;
  LI_TransToInterior(inExt, &in);
  LI_TransToInterior(outExt, &out);
  if (!in.format) return ENH_ERR_FORMAT;
  int32_t rc = avdImgChunky2Plannar(&in);
  if (!rc) rc = avdImgChunky2Plannar(&out);
  if (rc) return rc;
  if (!Addressable(in) || !Addressable(out)) return ENH_ERR_ARGUMENT;

  const uint32_t format = in.format;
  const uint32_t sub = AvdFmtSubsampling(format);
  int32_t width = in.width, height = in.height;
  const bool samePixels = in.buffer == out.buffer && in.plane[0] == out.plane[0];
  if (sub == AVD_SUB_420) {
    width &= ~1;
    height &= ~1;
  } else if (sub == AVD_SUB_422) {
    width &= ~1;
  }
  // Too small for the pyramid's borders: left untouched.
  if (width < kAvdMinFrameSide || height < kAvdMinFrameSide) return ENH_ERR_ARGUMENT;
  // A separate output gets the whole input first, so an odd last column or
  // row that the subsampling leaves out of the work still arrives.
  if (!samePixels && (width != in.width || height != in.height)) {
    rc = avdImgCpy(&in, &out);
    if (rc) return rc;
  }
  in.width = out.width = width;
  in.height = out.height = height;

  AvdFltParam param;
  BuildParam(h, &param);
  ApplyType(h, &param);
  const int32_t channels = AvdFmtChannels(format);
  const int32_t lumaDepth = LI_LumaDepth(width, height);
  int32_t chromaDepth = lumaDepth - (sub ? 1 : 0);
  if (h->chroma.denoise == 0 || h->chroma.noise == 0 || channels < 2) chromaDepth = 0;
  param.lumaDepth = lumaDepth;
  param.chromaDepth = chromaDepth;
  param.lumaCodes = LI_FoldCodes(param.lumaCodes, lumaDepth);
  param.chromaCodes = LI_FoldCodes(param.chromaCodes, chromaDepth);

  FrameBuffers buffers{h->memory};
  buffers.copy = static_cast<AvdNoiseProfile*>(avdJMemAlloc_Aligned(h->memory, kAvdProfileBytes, 16));
  if (!buffers.copy) return ENH_ERR_MEMORY;

  // The state follows the rounded size, so odd widths keep it between frames.
  AvdPreFrameState& pre = h->preFrame;
  if (h->lastWidth != width || h->lastHeight != height || h->lastFormat != format || pre.frameCounter < 0) {
    h->lastWidth = width;
    h->lastHeight = height;
    h->lastFormat = format;
    avdReleasePreFrameExif(h->memory, &pre);
    rc = avdCreatePreFrameExif(h->memory, &pre, width, height, format, param.lumaCodes, param.chromaCodes,
                               lumaDepth, chromaDepth);
    if (rc) {
      avdReleasePreFrameExif(h->memory, &pre);
      h->lastWidth = h->lastHeight = 0;
      return rc;
    }
    h->profileMeasured = false;
    h->unmeasuredFrames = 0;
  }
  ++pre.frameCounter;
  if (pre.reestCounter >= -1) {
    ++pre.reestCounter;
    const int32_t n = pre.count;
    if (pre.reestCounter == (n + 1) * lumaDepth + (n + 1) * chromaDepth * (channels - 1))
      pre.reestCounter = kAvdReestIdle;
  }

  if (!h->profile) {
    h->profile = static_cast<AvdNoiseProfile*>(avdJMemAlloc_Aligned(h->memory, kAvdProfileBytes, 16));
    if (!h->profile) return ENH_ERR_MEMORY;
    avdJMemSetZero(h->profile, kAvdProfileBytes);
  }
  bool measure = pre.frameCounter < 1;
  if (!h->profileMeasured) {
    const int32_t n = h->unmeasuredFrames++;
    measure = measure || n < kAvdMeasureEachFrames || n % kAvdMeasureEvery == 0;
  }
  if (measure) {
    rc = avdDrvEstimateProfile(h->memory, h->profile, &in, lumaDepth, chromaDepth);
    if (rc) return rc;
    h->profileMeasured = avdDrvProfileHasNoise(h->profile);
  }
  h->inUse = h->profile;
  std::memcpy(buffers.copy, h->profile, kAvdProfileBytes);
  avdDrvTuneProfile(buffers.copy, param.lumaNoise, param.chromaNoise, param.lumaSharpen, param.chromaSharpen);
  param.preFrame = &pre;
  param.stored = h->profile;
  param.format = format;

  int32_t stepW = 0, stepH = 0;
  avdFlt_AutoBlockStep(width, height, 1, lumaDepth, chromaDepth, param.lumaCodes, param.chromaCodes, format, &stepW,
                       &stepH);
  const int32_t unit = 1 << (lumaDepth - 1);
  buffers.edges = static_cast<AvdBlockEdge*>(MMemAlloc(h->memory, sizeof(AvdBlockEdge)));
  if (!buffers.edges) return ENH_ERR_MEMORY;
  new (buffers.edges) AvdBlockEdge();
  // Sized by the coarsest level's rounded-up extent plus its borders.
  param.edgeWidth = (stepW + unit - 1) / unit + 16;
  param.edgeHeight = (stepH + unit - 1) / unit + 16;
  rc = avdBE_Create(h->memory, buffers.edges, ELEM_U8, param.edgeWidth, param.edgeHeight, nullptr);
  if (rc) return rc;
  param.edgeBuffers = buffers.edges;
  param.workers = 1;

  if (chromaDepth == 0 && channels > 1) {
    rc = avdImgCpy(&in, &out);
    if (rc) return rc;
  }
  return avdPyramid_Filter(h->memory, &in, &out, buffers.copy, &param,
                           reinterpret_cast<AvdProgressFunc>(callback), cbParam);
}
