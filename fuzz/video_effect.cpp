// The frame effect chain with frames of any size and row length, on an
// object made for another (or the same) size.
// Input: frame (FuzzFrames.h; plane 0 holds the pixels, pitch[0] is the
// row length, format is the depth), then int32 object width and height,
// a flag byte (bit 0 judge, 1 denoise, 2 dynamic light) and int32 denoise
// and light levels.
#include <cstdint>

#include "FuzzFrames.h"
#include "VideoRealEffect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::Frame frame;
  if (!frame.Read(in)) return 0;
  const int32_t width = in.Take<int32_t>(), height = in.Take<int32_t>();
  const uint8_t flags = in.Take<uint8_t>();
  const int32_t denoise = in.Take<int32_t>(), light = in.Take<int32_t>();
  // The object's buffers follow its size: kept to what a camera gives.
  if (int64_t(width) * height > (int64_t(1) << 22)) return 0;
  CVideoRealEffect effect(width, height);
  effect.EnableFrameJudge(flags & 1);
  effect.EnableDenoise(flags & 2);
  effect.EnableDelight(flags & 4);
  effect.SetDenoiseLevel(denoise);
  effect.SetDelightLevel(light);
  for (int i = 0; i < 3; ++i) {
    effect.DoEffect(frame.plane[0], frame.width, frame.height, frame.format, frame.pitch[0]);
    frame.Step(5);
  }
  return 0;
}
