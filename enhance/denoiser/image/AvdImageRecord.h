#pragma once
// The denoiser core's image descriptor and the format word that tells every
// routine how the samples of a picture lie in memory.
//
// Format word: bits 0-3 channels (1 or 3), 4-7 bytes a sample, 8 signed, 4-11
// element kind (0x10 unsigned 8-bit, 0x110 signed 8-bit, 0x20 16-bit), 12-15
// further element flags, 20-23 component order of packed 3-byte pixels, 24-27
// layout, 28 planar, 29-31 chroma subsampling (0x20000000 4:2:2, 0x40000000
// 4:2:0). The layout class is the word masked with 0xef000000.

#include <cstdint>

#include "EnhanceResult.h"

enum AvdImgFormat : uint32_t {
  AVD_IMG_YUV = 0x13,             // packed Y C1 C2, three bytes a pixel
  AVD_IMG_YUV_ALT = 0x200013,     // the same, other component order tag
  AVD_IMG_RGB = 0x400013,         // packed R G B
  AVD_IMG_BGR = 0x500013,         // packed B G R
  AVD_IMG_PACKED3 = 0x600013,     // packed three bytes (pixel writing only)
  AVD_IMG_YUV16 = 0x2023,         // packed three 16-bit samples
  AVD_IMG_YUYV = 0x20000013,      // Y0 C1 Y1 C2
  AVD_IMG_UYVY = 0x21000013,      // C1 Y0 C2 Y1
  AVD_IMG_Y8U4V4 = 0x22000013,    // 8 Y, 4 C1, 4 C2 for 8 pixels
  AVD_IMG_YYUV = 0x23000013,      // Y0 Y1 C1 C2
  AVD_IMG_Y1VY0U = 0x24000013,    // Y1 C2 Y0 C1
  AVD_IMG_GREY = 0x10000011,      // one grey plane
  AVD_IMG_YUV444P = 0x10000013,   // three full planes
  AVD_IMG_YUV422P = 0x30000013,   // planar 4:2:2
  AVD_IMG_YUV420P = 0x50000013,   // planar 4:2:0
  AVD_IMG_YUV420LP = 0x51000013,  // luma plane + interleaved C1 C2 at half height
  AVD_IMG_YUV420VU = 0x52800013,  // the same with C2 before C1
};

// Layout classes (format & 0xef000000).
enum AvdImgClass : uint32_t {
  AVD_CLASS_FULL = 0,
  AVD_CLASS_TWO_BYTE = 0x01000000,
  AVD_CLASS_YC1YC2 = 0x20000000,
  AVD_CLASS_C1YC2Y = 0x21000000,
  AVD_CLASS_Y8C44 = 0x22000000,
  AVD_CLASS_Y2C11 = 0x23000000,
  AVD_CLASS_Y1VY0U = 0x24000000,
  AVD_CLASS_420 = 0x40000000,
  AVD_CLASS_420_C1C2 = 0x41000000,
  AVD_CLASS_420_C2C1 = 0x42000000,
};

enum : uint32_t {
  AVD_KIND_MASK = 0xff0,       // element kind
  AVD_ELEMENT_MASK = 0xfff0,   // element kind with its further flags
  AVD_SIGNED_BIT = 0x100,
  AVD_KIND_16 = 0x20,
  AVD_PLANAR_BIT = 0x10000000,
  AVD_CLASS_MASK = 0xef000000,
  AVD_SUBSAMPLING_MASK = 0xe0000000,
  AVD_SUB_422 = 0x20000000,
  AVD_SUB_420 = 0x40000000,
};

inline int32_t AvdFmtChannels(uint32_t f) { return static_cast<int32_t>(f & 0xf); }
inline int32_t AvdFmtBytes(uint32_t f) { return static_cast<int32_t>((f >> 4) & 0xf); }
inline uint32_t AvdFmtKind(uint32_t f) { return f & AVD_KIND_MASK; }
inline bool AvdFmtPlanar(uint32_t f) { return (f & AVD_PLANAR_BIT) != 0; }
inline uint32_t AvdFmtClass(uint32_t f) { return f & AVD_CLASS_MASK; }
inline uint32_t AvdFmtSubsampling(uint32_t f) { return f & AVD_SUBSAMPLING_MASK; }

// Internal image descriptor. Two forms: single buffer (buffer set, plane[0]
// null, pitch[0] the row length) and plane form (plane addresses and one pitch
// per plane). Pitches count samples; a byte offset is pitch x bytes a sample.
// A descriptor made by avdImgCreate owns its buffer; others borrow memory.
struct AvdImageRecord {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t format = 0;
  int32_t pitch[4] = {0, 0, 0, 0};
  uint8_t* buffer = nullptr;
  uint8_t* plane[4] = {nullptr, nullptr, nullptr, nullptr};
};

struct AvdRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
