#pragma once
// Bad-frame judge: looks at the luma of one frame and says whether rows of it
// are torn or garbled. Keeps no state between frames. Results are 0 or the
// negative codes of EnhanceResult.h.

#include <cstdint>

enum AfjFormat : int32_t {
  AFJ_FMT_IMAGE = 1,   // one image: pitch[0] and plane[0]
  AFJ_FMT_PLANES = 2,  // separate planes: the luma plane is plane[0]
};

// Only the first (luma) plane is read, one byte a sample.
struct AfjImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t format = 0;
  int32_t pitch[4] = {0, 0, 0, 0};
  const uint8_t* plane[4] = {nullptr, nullptr, nullptr, nullptr};
};

// Rows judged: max(centre - halfHeight, 1) up to, not including,
// centre + halfHeight (held below height - 1 ... height - 1).
struct AfjBand {
  int32_t centre = 0;
  int32_t halfHeight = 0;
};

enum : int32_t { AFJ_FRAME_BAD = 0, AFJ_FRAME_GOOD = 1 };

struct AfjJudge;
typedef AfjJudge* AFJ_HANDLE;

extern "C" {

// 0, or -201 when the handle cannot be allocated (out then not written); -2
// for a null out.
int32_t AFJ_FrameJudge_Init(void* memory, AFJ_HANDLE* out);
// Frees the handle; null does nothing. 0.
int32_t AFJ_FrameJudge_Uninit(void* memory, AFJ_HANDLE handle);
// 0 with *verdict written (1 good, 0 bad); -2 for a null handle, image, band
// or verdict, a format other than 1 or 2, a missing plane, a width below 1 or
// a pitch narrower than the width (verdict then not written).
int32_t AFJ_JudgeFrame(void* memory, AFJ_HANDLE handle, const AfjImage* image,
                       const AfjBand* band, int32_t* verdict);

}  // extern "C"
