// The denoiser's entry points with frames of any size, pitch and format:
// conversion between two described frames, a denoised stream of two frames,
// and images the denoiser allocates.
// Input: source frame, target frame (FuzzFrames.h), then int32 type,
// int32 level, int32 which, int32 chroma, and int32 format, width, height
// of an allocated image.
#include <cstdint>

#include "driver/AvdDenoiser.h"
#include "FuzzFrames.h"

namespace {

AVD_IMAGE Describe(const fuzz::Frame& f) {
  AVD_IMAGE d;
  d.width = f.width;
  d.height = f.height;
  d.format = f.format;
  for (int i = 0; i < 4; ++i) {
    d.pitch[i] = f.pitch[i];
    d.plane[i] = f.plane[i];
  }
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::Frame source, target;
  if (!source.Read(in) || !target.Read(in)) return 0;
  const int32_t type = in.Take<int32_t>(), level = in.Take<int32_t>();
  const int32_t which = in.Take<int32_t>(), chroma = in.Take<int32_t>();
  const int32_t imageFormat = in.Take<int32_t>();
  const int32_t imageWidth = in.Take<int32_t>(), imageHeight = in.Take<int32_t>();

  AVD_IMAGE src = Describe(source), dst = Describe(target);
  AVD_ImgFmtTrans(&src, &dst);
  AVD_ImgFmtTrans(&src, nullptr);

  AVD_HANDLE handle = nullptr;
  if (AVD_CreateHandle(nullptr, &handle) == 0 && handle) {
    AVD_SetDenoiserType(handle, type);
    AVD_SetTunerLevel(handle, level, chroma, which);
    AVD_Denoise(handle, &src, &src, nullptr, nullptr);
    source.Step(3);
    AVD_Denoise(handle, &src, &dst, nullptr, nullptr);
    AVD_ReleaseHandle(handle);
  }

  // Allocated images stay within what their own description claims.
  if (int64_t(imageWidth) * imageHeight <= (int64_t(1) << 22)) {
    AVD_IMAGE image;
    if (AVD_CreateImgData(nullptr, &image, imageFormat, imageWidth, imageHeight) == 0) {
      AVD_ImgFmtTrans(&src, &image);
      AVD_ReleaseImgData(nullptr, &image);
    }
  }
  return 0;
}
