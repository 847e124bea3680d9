// The bad-frame judge with frames of any size, pitch and format and any band.
// Input: frame (FuzzFrames.h), then int32 band centre and half height.
#include <cstdint>

#include "FrameJudge.h"
#include "FuzzFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::Frame frame;
  if (!frame.Read(in)) return 0;
  AfjBand band;
  band.centre = in.Take<int32_t>();
  band.halfHeight = in.Take<int32_t>();
  AfjImage image;
  image.width = frame.width;
  image.height = frame.height;
  image.format = frame.format;
  for (int i = 0; i < 4; ++i) {
    image.pitch[i] = frame.pitch[i];
    image.plane[i] = frame.plane[i];
  }
  AFJ_HANDLE judge = nullptr;
  if (AFJ_FrameJudge_Init(nullptr, &judge) != 0) return 0;
  int32_t verdict = -1;
  if (AFJ_JudgeFrame(nullptr, judge, &image, &band, &verdict) == 0 && verdict != AFJ_FRAME_BAD &&
      verdict != AFJ_FRAME_GOOD)
    fuzz::Fail("the judge answered without a verdict");
  AFJ_FrameJudge_Uninit(nullptr, judge);
  return 0;
}
