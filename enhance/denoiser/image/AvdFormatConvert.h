#pragma once
// Conversions between BGR24 and the denoiser's other pixel formats, full-range
// BT.601 in 15-bit fixed point. Packed pictures use pitch[0] and buffer;
// planar ones their planes and pitches (all in bytes: every format here has
// 8-bit samples).

#include <cstdint>

#include "AvdImageRecord.h"

// 0, -101 for a pair it does not convert, -1 for missing planes, -2 for sizes
// or pitches that do not fit the rows.
int32_t avdImgFmtTrans(const AvdImageRecord* src, AvdImageRecord* dst);

void avdBGRIMG2YUV(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdYUVIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2RGB(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdRGBIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2Y(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2YUYV(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdYUYVIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2UYVY(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdUYVYIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2Y8U4V4(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height);
void avdY8U4V4IMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height);
void avdBGRIMG2YYUV(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdYYUVIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height);
void avdBGRIMG2Y1VY0U(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height);
void avdY1VY0UIMG2BGR(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                      int32_t height);
// Planar forms: planes and pitches of Y, U, V (YUV420LP / VU: Y and the pair plane).
void avdBGRIMG2YUV422Planar(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[3], const int32_t pitches[3],
                            int32_t width, int32_t height);
void avdYUV422PlanarIMG2BGR(const uint8_t* const planes[3], const int32_t pitches[3], uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height);
void avdBGRIMG2YUV420Planar(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[3], const int32_t pitches[3],
                            int32_t width, int32_t height);
void avdYUV420PlanarIMG2BGR(const uint8_t* const planes[3], const int32_t pitches[3], uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height);
void avdBGRIMG2YUV420LP(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[2], const int32_t pitches[2],
                        int32_t width, int32_t height);
void avdYUV420LPIMG2BGR(const uint8_t* const planes[2], const int32_t pitches[2], uint8_t* dst, int32_t dstPitch,
                        int32_t width, int32_t height);
void avdBGRIMG2YUV420VU(const uint8_t* src, int32_t srcPitch, uint8_t* const planes[2], const int32_t pitches[2],
                        int32_t width, int32_t height);
void avdYUV420VUIMG2BGR(const uint8_t* const planes[2], const int32_t pitches[2], uint8_t* dst, int32_t dstPitch,
                        int32_t width, int32_t height);
