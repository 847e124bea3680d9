#pragma once
// Public interface of the video denoiser: one handle per video stream, frames
// denoised in place (input and output may be the same descriptor). Results are
// 0 or the negative codes of EnhanceResult.h. Memory handles are passed through
// to the memory functions; this system always passes null.

#include <cstdint>

// Format codes of the external image descriptor.
enum AvdFormatCode : int32_t {
  AVD_FMT_BGR24 = 1,       // B G R, 3 bytes a pixel
  AVD_FMT_UYVY = 2,        // packed 4:2:2, U Y0 V Y1
  AVD_FMT_YUV444 = 4,      // Y U V, 3 bytes a pixel
  AVD_FMT_YUV444_16 = 6,   // three channels of 16-bit samples
  AVD_FMT_YUV_CHUNKY = 7,  // a 3-byte chunky layout of its own
  AVD_FMT_NV12 = 8,        // Y plane plus one interleaved U V plane, 4:2:0
  AVD_FMT_YUV422P = 9,     // three planes, 4:2:2
  AVD_FMT_YUV420P = 10,    // three planes, 4:2:0
  AVD_FMT_YUYV = 12,       // packed 4:2:2, Y0 U Y1 V
  AVD_FMT_Y8U4V4 = 13,     // packed 4:2:2, 8 Y then 4 U then 4 V
};

// External image descriptor. Packed formats use pitch[0] (bytes) and
// plane[0]; planar formats up to four pitches (bytes) and plane addresses.
struct AVD_IMAGE {
  int32_t width = 0;
  int32_t height = 0;
  int32_t format = 0;  // AvdFormatCode
  int32_t pitch[4] = {0, 0, 0, 0};
  uint8_t* plane[4] = {nullptr, nullptr, nullptr, nullptr};
};

// Progress callback: percent so far; answer non-zero to stop.
typedef int32_t (*AVD_PROGRESS)(int32_t percent, int32_t reserved, void* param);

struct AvdDenoiser;
typedef AvdDenoiser* AVD_HANDLE;

struct AVD_VERSION {
  int32_t major;
  int32_t minor;
  int32_t build;
  int32_t revision;
  const char* version;
  const char* date;
  const char* notice;
};

// Denoiser types used by the frame effect chain.
enum : int32_t { AVD_TYPE_VIDEO_LUMA = 17, AVD_TYPE_DEFAULT = 18 };

// `which` of AVD_SetTunerLevel.
enum : int32_t { AVD_TUNE_SHARP = 0, AVD_TUNE_NOISE = 1, AVD_TUNE_DENOISE = 2 };

extern "C" {

// Creates a handle with the default type (18) and levels; -201 when out is
// null or memory is short.
int32_t AVD_CreateHandle(void* memory, AVD_HANDLE* out);

// Frees the handle and everything it keeps; null does nothing.
void AVD_ReleaseHandle(AVD_HANDLE handle);

// Denoises one frame from in into out (same size and format; may be the same
// descriptor). A frame the denoiser cannot take is left untouched with an
// error result.
int32_t AVD_Denoise(AVD_HANDLE handle, const AVD_IMAGE* in, AVD_IMAGE* out,
                    AVD_PROGRESS callback, void* param);

// Stores the type and returns the old one; -1 for a null handle.
int32_t AVD_SetDenoiserType(AVD_HANDLE handle, int32_t type);

// which 0 sharpen, 1 noise, 2 denoise level; chroma non-zero for the chroma
// field. Returns the old level, -1 for a null handle, 0 for another which.
int32_t AVD_SetTunerLevel(AVD_HANDLE handle, int32_t level, int32_t chroma, int32_t which);

const AVD_VERSION* AVD_GetVersion();

// Allocates an image of the given format code; pitches in bytes.
int32_t AVD_CreateImgData(void* memory, AVD_IMAGE* out, int32_t format, int32_t width,
                          int32_t height);
int32_t AVD_ReleaseImgData(void* memory, AVD_IMAGE* image);

// Pixel-format conversion between two external descriptors.
int32_t AVD_ImgFmtTrans(const AVD_IMAGE* src, AVD_IMAGE* dst);

}  // extern "C"
