#pragma once
// The denoiser handle and the inner layer (LI_) between the public AVD_
// interface and the filtering core.

#include <array>
#include <cstdint>

#include "ExactTable.h"
#include "driver/AvdDenoiser.h"
#include "filter/AvdFilter.h"
#include "image/AvdImageRecord.h"

struct AvdLevelSet {
  int32_t noise = 50;
  int32_t denoise = 100;
  int32_t sharpen = 50;
  // Per pyramid level, 0 to 3.
  std::array<int32_t, 4> noiseOffset = ExactTable<int32_t, 4>({0, 0, 0, 0});
  std::array<int32_t, 4> denoiseOffset = ExactTable<int32_t, 4>({0, 0, 0, 0});
  std::array<int32_t, 4> sharpenOffset = ExactTable<int32_t, 4>({0, 0, 0, -50});
};

struct AvdDenoiser {
  MHandle memory = nullptr;
  int32_t reserved = 0;
  AvdNoiseProfile* profile = nullptr;  // 4096-byte profile, allocated on demand
  void* estTables = nullptr;           // tables of the block-wise noise estimation
  int32_t type = 18;
  AvdLevelSet luma;
  AvdLevelSet chroma;
  int32_t lastWidth = 0, lastHeight = 0;
  uint32_t lastFormat = 0;
  AvdPreFrameState preFrame;
  AvdNoiseProfile* inUse = nullptr;
  // The profile holds measured noise; a black or flat frame measures none and
  // the next frames are measured again: each of the first few (a camera's
  // dark start), then every few, as a clean picture may stay clean and a
  // measurement costs about as much as the filtering.
  bool profileMeasured = false;
  int32_t unmeasuredFrames = 0;  // frames since the state began without noise measured
};

constexpr int32_t kAvdMeasureEachFrames = 8;
constexpr int32_t kAvdMeasureEvery = 30;

constexpr size_t kAvdProfileBytes = 4096;

// Internal format word of an external format code; 0 when not supported.
uint32_t LI_FormatWord(int32_t code);
int32_t LI_FormatCode(uint32_t word);
int32_t LI_TransToInterior(const AVD_IMAGE* ext, AvdImageRecord* in);
int32_t LI_TransToExterior(const AvdImageRecord* in, AVD_IMAGE* ext);

int32_t LI_CreateDnoiserHandle(MHandle memory, AVD_HANDLE* out);
void LI_ReleaseDenoiserHandle(AVD_HANDLE handle);
int32_t LI_Denoise(AVD_HANDLE handle, const AVD_IMAGE* in, AVD_IMAGE* out, AVD_PROGRESS callback, void* param);
int32_t LI_SetDenoiserType(AVD_HANDLE handle, int32_t type);
int32_t LI_SetSharpLevel(AVD_HANDLE handle, int32_t level, int32_t chroma);
int32_t LI_SetNoiseLevel(AVD_HANDLE handle, int32_t level, int32_t chroma);
int32_t LI_SetDenoiseLevel(AVD_HANDLE handle, int32_t level, int32_t chroma);
int32_t LI_InchingSharpLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level);
int32_t LI_InchingNoiseLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level);
int32_t LI_InchingDenoiseLevel(AVD_HANDLE handle, int32_t value, int32_t chroma, int32_t level);
int32_t LI_CreateImgData(MHandle memory, AVD_IMAGE* out, int32_t code, int32_t width, int32_t height);
int32_t LI_ReleaseImgData(MHandle memory, AVD_IMAGE* image);
int32_t LI_ImgFmtTrans(const AVD_IMAGE* src, AVD_IMAGE* dst);
int32_t LI_ImgCpy(const AVD_IMAGE* src, AVD_IMAGE* dst);
int32_t LI_ImgOffSet(AVD_IMAGE* image, int32_t x, int32_t y);

// The handle's noise profile: measured from one picture, block by block
// (start, blocks, end: fitted for a 640 x 480 picture), copied in from a
// 4096-byte blob, or read back.
int32_t LI_NoiseConfigFromImage(AVD_HANDLE handle, const AVD_IMAGE* image);
int32_t LI_StartNoiseEst(AVD_HANDLE handle);
int32_t LI_EstOneBlock(AVD_HANDLE handle, const AVD_IMAGE* image, int32_t originX, int32_t originY,
                       const AvdRect* block);
int32_t LI_EndNoiseEst(AVD_HANDLE handle);
int32_t LI_NoiseConfigFromMemory(AVD_HANDLE handle, const void* blob);
AvdNoiseProfile* LI_AccessNoiseConfig(AVD_HANDLE handle);
// There is no built-in default profile: lays one out and answers -1.
int32_t LI_LoadNormalNoiseConfig(AVD_HANDLE handle);

// Previous-frame state of a frame size and format.
int32_t avdCreatePreFrameExif(MHandle memory, AvdPreFrameState* state, int32_t width, int32_t height,
                              uint32_t format, uint32_t lumaCodes, uint32_t chromaCodes, int32_t lumaDepth,
                              int32_t chromaDepth);
void avdReleasePreFrameExif(MHandle memory, AvdPreFrameState* state);

// Pyramid depths of a frame size (luma; chroma before the level switches).
int32_t LI_LumaDepth(int32_t width, int32_t height);
// Copies the level-3 code into the levels a shallower pyramid has not got.
uint32_t LI_FoldCodes(uint32_t codes, int32_t depth);
