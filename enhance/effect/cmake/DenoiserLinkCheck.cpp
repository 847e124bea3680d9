// Links only when the denoiser's interface is complete.
#include "driver/AvdDenoiser.h"

int main() {
  AVD_HANDLE handle = nullptr;
  if (AVD_CreateHandle(nullptr, &handle) != 0) return 1;
  AVD_SetDenoiserType(handle, AVD_TYPE_VIDEO_LUMA);
  AVD_SetTunerLevel(handle, 0, 1, AVD_TUNE_SHARP);
  AVD_IMAGE image;
  AVD_Denoise(handle, &image, &image, nullptr, nullptr);
  AVD_ReleaseHandle(handle);
  return 0;
}
