#include "FrameJudge.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "EnhanceResult.h"
#include "JudgeRowKernels.h"
#include "MMem.h"
#include "WorkerPool.h"

struct AfjJudge {
  uint8_t unused[8];  // only a non-null handle is needed
};

namespace {

// A row is torn when its mean second difference reaches 15 and at least half
// of its samples reach 16 (counted by the row kernels).
constexpr uint64_t kMeanLimit = 15;

}  // namespace

extern "C" {

int32_t AFJ_FrameJudge_Init(void* memory, AFJ_HANDLE* out) {
  if (!out) return ENH_ERR_ARGUMENT;
  void* block = MMemAlloc(memory, sizeof(AfjJudge));
  if (!block) return ENH_ERR_MEMORY;
  std::memset(block, 0, sizeof(AfjJudge));
  *out = static_cast<AFJ_HANDLE>(block);
  return ENH_OK;
}

int32_t AFJ_FrameJudge_Uninit(void* memory, AFJ_HANDLE handle) {
  if (handle) MMemFree(memory, handle);
  return ENH_OK;
}

int32_t AFJ_JudgeFrame(void* memory, AFJ_HANDLE handle, const AfjImage* image,
                       const AfjBand* band, int32_t* verdict) {
  if (!handle || !image || !band || !verdict) return ENH_ERR_ARGUMENT;
  if (image->format != AFJ_FMT_IMAGE && image->format != AFJ_FMT_PLANES) return ENH_ERR_ARGUMENT;
  const int32_t width = image->width;
  const int32_t height = image->height;
  const int32_t pitch = image->pitch[0];
  const uint8_t* luma = image->plane[0];
  if (!luma || width < 1 || height < 0 || pitch < width) return ENH_ERR_ARGUMENT;

  const int64_t centre = band->centre, half = band->halfHeight;
  const int64_t top = std::max<int64_t>(centre - half, 1);
  const int64_t bottom = centre + half < height ? centre + half : height - 1;

  // A row whose mean reaches the limit is bad when half its samples are
  // strong; the verdict does not depend on the order the rows are visited in,
  // so each row is judged as it is measured, in strips, and the first bad row
  // found ends every strip.
  const double halfWidth = width * 0.5;
  std::atomic<bool> bad{false};
  if (bottom > top) {
    enh::ParallelRows(static_cast<int32_t>(bottom - top), 64, 1, [&](int32_t r0, int32_t r1) {
      for (int64_t y = top + r0; y < top + r1 && !bad.load(std::memory_order_relaxed); ++y) {
        const uint8_t* row = luma + y * static_cast<int64_t>(pitch);
        const afj::RowStats stats = afj::JudgeRow(row - pitch, row, row + pitch, width);
        if (stats.sum / static_cast<uint64_t>(width) >= kMeanLimit && stats.strong >= halfWidth)
          bad.store(true, std::memory_order_relaxed);
      }
    });
  }
  const int32_t result = bad.load() ? AFJ_FRAME_BAD : AFJ_FRAME_GOOD;
  *verdict = result;
  return ENH_OK;
}

}  // extern "C"
