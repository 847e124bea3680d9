#pragma once
// Dynamic light: brightens dark and back-lit pictures with a retinex method.
// Plain functions; the caller owns every record and pixel buffer. Results:
// 0 success, 2 bad argument, 4 memory exhausted (or work buffer too small),
// -99 the enhancement was off or could not be estimated (output equals input).

#include <cstdint>

enum AdlResult : int32_t {
  ADL_OK = 0,
  ADL_ERR_ARGUMENT = 2,
  ADL_ERR_MEMORY = 4,
  ADL_NOT_APPLIED = -99,
};

// Image formats (the library's own numbering).
enum AdlFormat : int32_t {
  ADL_FMT_BGR24 = 1,
  ADL_FMT_BGR_RAW = 2,
  ADL_FMT_GAIN_MAP = 3,
  ADL_FMT_UYVY = 4,
  ADL_FMT_YUY2 = 5,
  ADL_FMT_Y8U4V4 = 6,
  ADL_FMT_YUV420LP = 7,
  ADL_FMT_YUV422LP = 8,
  ADL_FMT_YUV420PLANAR = 9,
  ADL_FMT_YUV422PLANAR = 16,
  ADL_FMT_YYUV = 32,
};

// Image record. One-plane formats use pitch[0] and pixels; the plane formats
// use pitch[0..2] and plane[0..2].
struct AdlFrameDesc {
  int32_t width = 0;
  int32_t height = 0;
  int32_t format = 0;
  int32_t pitch[4] = {0, 0, 0, 0};
  uint8_t* pixels = nullptr;
  uint8_t* plane[3] = {nullptr, nullptr, nullptr};
};

// Parameter array: [0] strength (60 neutral), [1] blend decay percent,
// [2] chroma gain in 1/32, [3] unused level, [4..17] reserved, [18] video
// histogram-stretch level 0..100.
enum { ADL_PARAM_COUNT = 19, ADL_PARAM_STRETCH = 18 };

struct AdlVersion {
  int32_t major, minor, build, revision;
  const char* version;
  const char* date;
  const char* notice;
};

struct AdlEngine;  // opaque handle

extern "C" {

int32_t ADL_GetDynamiclightVersion(AdlVersion* out);
// Fills indices 0..17 with the image defaults.
int32_t ADL_GetDefaultParam(int32_t* params);
// Fills indices 0..18 with the video defaults (60, 75, 32, 128, 13 x 0, 50).
int32_t ADL_GetVideoDefaultParam(int32_t* params);

// format 4 (UYVY) or 5 (YUY2); width and height even and not negative.
int32_t ADL_InitDynamiclight(void* memory, AdlEngine** out, int32_t width, int32_t height,
                             int32_t format);
int32_t ADL_UninitDynamiclight(void* memory, AdlEngine** handle);

// The image pass; a null destination means in place. Formats 1, 4, 5, 6, 7,
// 8, 9, 16 and 32; the destination has the source's size, format and
// pitches. The 16-bit raw input (2) with its gain-map output is refused (2).
int32_t ADL_ImageDynamiclight(void* memory, const AdlFrameDesc* source, AdlEngine* handle,
                              AdlFrameDesc* destination);

// Histogram stretch of the luma, then the image pass. Packed 4:2:2 frames only
// (format 4 or 5), in place (destination null or naming the same pixels);
// params null means the video defaults.
int32_t ADL_VideoDynamiclight(void* memory, AdlEngine* handle, AdlFrameDesc* source,
                              AdlFrameDesc* destination, const int32_t* params);

}  // extern "C"
