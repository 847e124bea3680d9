// Dynamic light with frames of any size, pitch and format, on an engine
// made for another (or the same) size and format.
// Input: source frame, target frame (FuzzFrames.h), then int32 engine
// width, height and format, a flag byte (bit 0: video call with the
// parameters that follow), and up to 19 int32 parameters.
#include <cstdint>

#include "DynamicLight.h"
#include "FuzzFrames.h"

namespace {

AdlFrameDesc Describe(const fuzz::Frame& f) {
  AdlFrameDesc d;
  d.width = f.width;
  d.height = f.height;
  d.format = f.format;
  for (int i = 0; i < 4; ++i) d.pitch[i] = f.pitch[i];
  d.pixels = f.plane[0];
  for (int i = 0; i < 3; ++i) d.plane[i] = f.plane[i + 1];
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::Frame source, target;
  if (!source.Read(in) || !target.Read(in)) return 0;
  const int32_t engineWidth = in.Take<int32_t>(), engineHeight = in.Take<int32_t>();
  const int32_t engineFormat = in.Take<int32_t>();
  const uint8_t flags = in.Take<uint8_t>();
  int32_t params[ADL_PARAM_COUNT];
  ADL_GetVideoDefaultParam(params);
  for (int32_t& p : params)
    if (in.left() >= 4) p = in.Take<int32_t>();
  // An engine's work buffers follow its size: kept to what a camera gives.
  if (int64_t(engineWidth) * engineHeight > (int64_t(1) << 22)) return 0;

  AdlEngine* engine = nullptr;
  if (ADL_InitDynamiclight(nullptr, &engine, engineWidth, engineHeight, engineFormat) != ADL_OK || !engine)
    return 0;
  AdlFrameDesc src = Describe(source), dst = Describe(target);
  ADL_ImageDynamiclight(nullptr, &src, engine, &dst);
  if (flags & 1) {
    ADL_VideoDynamiclight(nullptr, engine, &src, &dst, params);
    ADL_VideoDynamiclight(nullptr, engine, &src, &src, nullptr);
  }
  ADL_UninitDynamiclight(nullptr, &engine);
  return 0;
}
