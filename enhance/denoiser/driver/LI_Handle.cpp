// Denoiser handles: creation with the default type and levels, the level
// setters, release, and the public AVD_ entry points.

#include <new>

#include "driver/AvdDenoiserHandle.h"
#include "image/AvdSupport.h"

namespace {

const AVD_VERSION g_version = {1, 3, 2, 1, "Video denoise - 1.3.2.1", "02/05/2009",
                               "Block-wise pyramid video denoiser"};

AvdLevelSet* Levels(AVD_HANDLE h, int32_t chroma) { return chroma ? &h->chroma : &h->luma; }

}  // namespace

int32_t LI_CreateDnoiserHandle(MHandle memory, AVD_HANDLE* out) {
  if (!out) return ENH_ERR_MEMORY;
  void* raw = avdJMemAlloc_Aligned(memory, sizeof(AvdDenoiser), 16);
  if (!raw) return ENH_ERR_MEMORY;
  avdJMemSetZero(raw, sizeof(AvdDenoiser));
  AvdDenoiser* h = new (raw) AvdDenoiser();
  h->memory = memory;
  h->type = 0;
  LI_SetDenoiserType(h, 18);  // a new type: the first frame rebuilds the state
  *out = h;
  return 0;
}

void LI_ReleaseDenoiserHandle(AVD_HANDLE handle) {
  if (!handle) return;
  MHandle memory = handle->memory;
  avdJMemFree_Aligned(memory, handle->profile);
  avdReleasePreFrameExif(memory, &handle->preFrame);
  handle->~AvdDenoiser();
  avdJMemFree_Aligned(memory, handle);
}

int32_t LI_SetDenoiserType(AVD_HANDLE handle, int32_t type) {
  if (!handle) return -1;
  const int32_t old = handle->type;
  handle->type = type;
  if (type != old) handle->preFrame.frameCounter = -1;
  return old;
}

namespace {
// Stores one level and answers the old one. Switching chroma noise or
// denoising on restarts the previous-frame state, so a stale chroma frame is
// never blended in.
int32_t SetLevel(AVD_HANDLE handle, int32_t level, int32_t chroma, int32_t AvdLevelSet::*field, bool restarts) {
  if (!handle) return -1;
  AvdLevelSet* s = Levels(handle, chroma);
  const int32_t old = s->*field;
  s->*field = level;
  if (restarts && chroma && old == 0 && level > 0) handle->preFrame.frameCounter = -1;
  return old;
}
}  // namespace

int32_t LI_SetSharpLevel(AVD_HANDLE handle, int32_t level, int32_t chroma) {
  return SetLevel(handle, level, chroma, &AvdLevelSet::sharpen, false);
}

int32_t LI_SetNoiseLevel(AVD_HANDLE handle, int32_t level, int32_t chroma) {
  return SetLevel(handle, level, chroma, &AvdLevelSet::noise, true);
}

int32_t LI_SetDenoiseLevel(AVD_HANDLE handle, int32_t level, int32_t chroma) {
  return SetLevel(handle, level, chroma, &AvdLevelSet::denoise, true);
}

namespace {
int32_t InchField(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level, std::array<int32_t, 4> AvdLevelSet::*field) {
  if (!handle || level < 0 || level > 3) return -1;
  int32_t* slot = &(Levels(handle, chroma)->*field)[static_cast<size_t>(level)];
  const int32_t old = *slot;
  *slot = value;
  return old;
}
}  // namespace

int32_t LI_InchingSharpLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level) {
  return InchField(handle, value, chroma, level, &AvdLevelSet::sharpenOffset);
}
int32_t LI_InchingNoiseLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level) {
  return InchField(handle, value, chroma, level, &AvdLevelSet::noiseOffset);
}
int32_t LI_InchingDenoiseLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level) {
  return InchField(handle, value, chroma, level, &AvdLevelSet::denoiseOffset);
}

extern "C" {

int32_t AVD_CreateHandle(void* memory, AVD_HANDLE* out) { return LI_CreateDnoiserHandle(memory, out); }

void AVD_ReleaseHandle(AVD_HANDLE handle) { LI_ReleaseDenoiserHandle(handle); }

int32_t AVD_Denoise(AVD_HANDLE handle, const AVD_IMAGE* in, AVD_IMAGE* out, AVD_PROGRESS callback, void* param) {
  return LI_Denoise(handle, in, out, callback, param);
}

int32_t AVD_SetDenoiserType(AVD_HANDLE handle, int32_t type) { return LI_SetDenoiserType(handle, type); }

int32_t AVD_SetTunerLevel(AVD_HANDLE handle, int32_t level, int32_t chroma, int32_t which) {
  switch (which) {
    case AVD_TUNE_SHARP: return LI_SetSharpLevel(handle, level, chroma);
    case AVD_TUNE_NOISE: return LI_SetNoiseLevel(handle, level, chroma);
    case AVD_TUNE_DENOISE: return LI_SetDenoiseLevel(handle, level, chroma);
    default: return 0;
  }
}

const AVD_VERSION* AVD_GetVersion() { return &g_version; }

int32_t AVD_CreateImgData(void* memory, AVD_IMAGE* out, int32_t format, int32_t width, int32_t height) {
  return LI_CreateImgData(memory, out, format, width, height);
}

int32_t AVD_ReleaseImgData(void* memory, AVD_IMAGE* image) { return LI_ReleaseImgData(memory, image); }

}  // extern "C"
