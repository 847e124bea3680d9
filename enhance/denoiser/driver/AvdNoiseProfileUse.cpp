// The frame driver's use of the noise profile blob, and the inner layer's
// operations that set the profile from pictures or from memory.

#include "driver/AvdNoiseProfileUse.h"

#include <cstring>
#include <new>

#include "driver/AvdDenoiserHandle.h"
#include "image/AvdImage.h"
#include "image/AvdSupport.h"
#include "noise/AvdLVTable.h"
#include "noise/AvdNoiseEstimate.h"
#include "noise/AvdNoiseFit.h"
#include "noise/AvdNoiseProfile.h"

int32_t avdDrvEstimateProfile(MHandle memory, AvdNoiseProfile* profile, const AvdImageRecord* image,
                              int32_t lumaDepth, int32_t chromaDepth) {
  const int32_t params[4] = {lumaDepth, chromaDepth, 0, 1};
  return avdNS_CreateFromImage(memory, profile, kAvdProfileBytes, image, params);
}

bool avdDrvProfileHasNoise(const AvdNoiseProfile* profile) {
  return profile && avdNoiseConfigHasNoise(profile) != 0;
}

void avdDrvTuneProfile(AvdNoiseProfile* copy, const int32_t* lumaNoise, const int32_t* chromaNoise,
                       const int32_t* lumaSharpen, const int32_t* chromaSharpen) {
  if (!avdAnalyImgNoiseConfig(copy, kAvdProfileBytes)) return;
  avdTuneNoiseConfig(copy, lumaNoise, chromaNoise);
  avdTuneNoiseConfig(copy, lumaSharpen, chromaSharpen);
}

namespace {

int32_t EnsureProfile(AVD_HANDLE h) {
  if (h->profile) return 0;
  h->profile = static_cast<AvdNoiseProfile*>(avdJMemAlloc_Aligned(h->memory, kAvdProfileBytes, 16));
  if (!h->profile) return ENH_ERR_MEMORY;
  avdJMemSetZero(h->profile, kAvdProfileBytes);
  return 0;
}

int32_t ChromaLevels(const AVD_HANDLE h, uint32_t format) {
  if (h->chroma.denoise == 0 || h->chroma.noise == 0) return 0;
  return AvdFmtSubsampling(format) ? 3 : 4;
}

void ReleaseTables(AVD_HANDLE h) {
  auto* set = static_cast<AvdLVTableSet*>(h->estTables);
  if (!set) return;
  avdReleaseMultiLVTable(h->memory, set);
  MMemFree(h->memory, set);
  h->estTables = nullptr;
}

}  // namespace

int32_t LI_NoiseConfigFromImage(AVD_HANDLE h, const AVD_IMAGE* image) {
  if (!h || !image) return ENH_ERR_ARGUMENT;
  AvdImageRecord img;
  LI_TransToInterior(image, &img);
  if (!img.format) return ENH_ERR_FORMAT;
  int32_t rc = avdImgChunky2Plannar(&img);
  if (rc) return rc;
  const int32_t lumaDepth = LI_LumaDepth(img.width, img.height);
  int32_t chromaDepth = lumaDepth - (AvdFmtSubsampling(img.format) ? 1 : 0);
  if (h->chroma.denoise == 0 || h->chroma.noise == 0 || AvdFmtChannels(img.format) < 2) chromaDepth = 0;
  rc = EnsureProfile(h);
  if (rc) return rc;
  rc = avdDrvEstimateProfile(h->memory, h->profile, &img, lumaDepth, chromaDepth);
  if (!rc) h->profileMeasured = avdDrvProfileHasNoise(h->profile);
  return rc;
}

int32_t LI_StartNoiseEst(AVD_HANDLE h) {
  if (!h) return ENH_ERR_ARGUMENT;
  ReleaseTables(h);
  return 0;
}

int32_t LI_EstOneBlock(AVD_HANDLE h, const AVD_IMAGE* image, int32_t originX, int32_t originY, const AvdRect* block) {
  if (!h || !image || !block) return ENH_ERR_ARGUMENT;
  AvdImageRecord img;
  LI_TransToInterior(image, &img);
  if (!img.format) return ENH_ERR_FORMAT;
  int32_t rc = avdImgChunky2Plannar(&img);
  if (rc) return rc;
  if (!h->estTables) {
    void* raw = MMemAlloc(h->memory, sizeof(AvdLVTableSet));
    if (!raw) return ENH_ERR_MEMORY;
    auto* set = new (raw) AvdLVTableSet();
    h->estTables = set;
    rc = avdCreateMultiLVTable(set, h->memory, 3, 4, ChromaLevels(h, img.format), 8, 6);
    if (rc) {
      ReleaseTables(h);
      return rc;
    }
  }
  const AvdRect r{block->left + originX, block->top + originY, block->right + originX, block->bottom + originY};
  if (r.left < 0 || r.top < 0 || r.right > img.width || r.bottom > img.height || r.left >= r.right ||
      r.top >= r.bottom)
    return ENH_ERR_ARGUMENT;
  return avdEstMultiLVTableFromBlock(h->memory, static_cast<AvdLVTableSet*>(h->estTables), &r, &img);
}

int32_t LI_EndNoiseEst(AVD_HANDLE h) {
  if (!h || !h->estTables) return ENH_ERR_ARGUMENT;
  int32_t rc = EnsureProfile(h);
  if (rc) return rc;
  auto* set = static_cast<AvdLVTableSet*>(h->estTables);
  const int32_t chromaLevels = set->count > 1 ? set->channels[1].count : 0;
  AvdNoiseProfile* p = avdInitImgNoiseConfig(h->profile, kAvdProfileBytes, set->count, set->channels[0].count, 8,
                                             chromaLevels, 8);
  if (p) {
    avdImgNoiseConfigFromLVTable(p, 307200, set);
    h->profileMeasured = avdDrvProfileHasNoise(p);
  }
  ReleaseTables(h);
  return p ? 0 : ENH_ERR_ARGUMENT;
}

int32_t LI_NoiseConfigFromMemory(AVD_HANDLE h, const void* blob) {
  if (!h || !blob) return ENH_ERR_ARGUMENT;
  int32_t rc = EnsureProfile(h);
  if (rc) return rc;
  std::memcpy(h->profile, blob, kAvdProfileBytes);
  if (!avdAnalyImgNoiseConfig(h->profile, kAvdProfileBytes)) {
    avdJMemSetZero(h->profile, kAvdProfileBytes);
    return ENH_ERR_ARGUMENT;
  }
  h->profileMeasured = avdDrvProfileHasNoise(h->profile);
  return 0;
}

AvdNoiseProfile* LI_AccessNoiseConfig(AVD_HANDLE h) { return h ? h->profile : nullptr; }

int32_t LI_LoadNormalNoiseConfig(AVD_HANDLE h) {
  if (!h) return ENH_ERR_MISSING;
  int32_t rc = EnsureProfile(h);
  if (rc) return rc;
  avdInitImgNoiseConfig(h->profile, kAvdProfileBytes, 3, 4, 8, 4, 8);
  return avdReadDefNoiseConfig();
}
