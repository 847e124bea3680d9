// The filters' use of the noise profile: band values for the noise maps, and
// the re-estimation after a scene change, which refits the handle's stored
// profile one channel level at a time from the blocks of successive frames.

#include "filter/AvdProfileAccess.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "AlignedMemory.h"
#include "noise/AvdLVTable.h"
#include "noise/AvdNoiseFit.h"
#include "noise/AvdNoiseProfile.h"

namespace {

constexpr int32_t kLumBits = 8, kVarBits = 6;
constexpr size_t kCounterBytes = sizeof(uint16_t) << (kLumBits + kVarBits);  // 32768

AvdLVLevel* WorkTable(MHandle memory, AvdPreFrameState* pre) {
  if (pre->work) return pre->work;
  void* raw = MMemAlloc(memory, sizeof(AvdLVLevel));
  if (!raw) return nullptr;
  AvdLVLevel* work = new (raw) AvdLVLevel();
  work->counters = static_cast<uint16_t*>(avdJMemAlloc_Aligned(memory, kCounterBytes, 16));
  if (!work->counters) {
    MMemFree(memory, raw);
    return nullptr;
  }
  work->lumBits = kLumBits;
  work->varBits = kVarBits;
  pre->work = work;
  return work;
}

int32_t SumOf(const uint8_t* values) {
  int32_t s = 0;
  for (int i = 0; i < 256; ++i) s += values[i];
  return s;
}

// Level grid of channel p to the coarsest luma grid.
void Shifts(uint32_t sub, int32_t p, int32_t lumaDepth, int32_t l, int32_t* xs, int32_t* ys) {
  const int32_t base = lumaDepth - 1 - l;
  *xs = *ys = base;
  if (p > 0 && sub == AVD_SUB_420) *xs = *ys = base - 1;
  if (p > 0 && sub == AVD_SUB_422) *xs = base - 1;
  *xs = std::max(*xs, 0);
  *ys = std::max(*ys, 0);
}

}  // namespace

int32_t avdRefitFactor(int32_t before, int32_t after) {
  if (before < 1) return 256;
  return after / before >= 6 ? 256 : 256 * after / before;
}

const uint8_t* avdFltProfileBands(const AvdNoiseProfile* profile, int32_t channel, int32_t level, int32_t* q) {
  *q = 0;
  if (!profile) return nullptr;
  AvdNoiseProfile* p = const_cast<AvdNoiseProfile*>(profile);
  const AvdNoiseLevelEntry* entry = avdNoiseLevel(p, channel, level);
  if (!entry || entry->bandBits != 8) return nullptr;
  *q = entry->levelIndex;
  return avdNoiseValues(profile, channel, level);
}

void avdFltReleaseWork(MHandle memory, AvdPreFrameState* state) {
  if (!state || !state->work) return;
  avdJMemFree_Aligned(memory, state->work->counters);
  MMemFree(memory, state->work);
  state->work = nullptr;
}

int32_t avdFltReestimate(AvdBlockContext* ctx) {
  AvdFltParam* param = ctx->param;
  AvdPreFrameState* pre = param->preFrame;
  if (!pre || pre->reestCounter < 0) return 0;
  const int32_t c = pre->reestCounter, n = std::max(pre->count, 1), worker = ctx->worker;
  const int32_t Dl = ctx->lumaDepth, Dc = ctx->chromaDepth;
  AvdImgPyramid& ipb = ctx->pyramid;
  if (ipb.count < 1 || Dl < 1) return 0;
  const AvdChannelBlock* luminance = &ipb.pyramids[0].levels[Dl - 1];
  const uint32_t sub = AvdFmtSubsampling(param->format);
  for (int32_t p = 0; p < ipb.count; ++p) {
    const AvdPyramid& pb = ipb.pyramids[p];
    const int32_t depth = std::min(p == 0 ? Dl : Dc, pb.levelCount);
    for (int32_t l = depth - 1; l >= 0; --l) {
      const int32_t slot = p == 0 ? (n + 1) * l : (n + 1) * (Dl + Dc * (p - 1) + l);
      if (c == slot + worker) {
        AvdLVLevel* work = WorkTable(ctx->memory, pre);
        if (!work) return ENH_ERR_MEMORY;
        if (worker == 0) {
          std::memset(work->counters, 0, kCounterBytes);
          work->levelIndex = l;
        }
        const AvdChannelBlock* detail = l == pb.levelCount - 1 ? &pb.levels[l] : &pb.details[l];
        int32_t xs, ys;
        Shifts(sub, p, Dl, l, &xs, &ys);
        int32_t rc = avdEstLVTableFromBlock(ctx->memory, work, detail, luminance, xs, ys);
        if (rc) return rc;
      }
      if (c == slot + n && worker == 0 && pre->work && param->stored) {
        AvdNoiseProfile* stored = param->stored;
        AvdNoiseLevelEntry* entry = avdNoiseLevel(stored, p, l);
        uint8_t* values = avdNoiseValues(stored, p, l);
        if (!entry || !values || entry->bandBits != 8) continue;
        // A large picture takes luma level 1 as the reference of the others.
        const AvdChannelBlock& prevLevel0 = pre->pyramids[0].pyramids[0].levels[0];
        const int32_t reference = int64_t{prevLevel0.picWidth} * prevLevel0.picHeight > 307199 ? 1 : 0;
        const uint8_t* refValues = (p == 0 && l <= reference) ? nullptr : avdNoiseValues(stored, 0, reference);
        const AvdChannelBlock& here = pb.levels[l];
        const int32_t pixels = here.picWidth * here.picHeight;
        const int32_t before = (p == 0 && l == 0) ? SumOf(values) : 0;
        avdNoiseConfigFromLVTable(entry, values, pixels, pre->work, refValues);
        if (p == 0 && l == 0 && before >= 1) {
          const int32_t f = avdRefitFactor(before, SumOf(values));
          const int32_t luma[4] = {256, f, f, f}, chroma[4] = {f, f, f, f};
          avdTuneNoiseConfig(stored, luma, chroma);
        }
      }
    }
  }
  return 0;
}
