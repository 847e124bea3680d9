#pragma once
// Device-independent bitmaps (a 40-byte header followed by bottom-up pixel
// rows padded to 4 bytes, one allocation) and their conversions to and from
// toolkit layers and pictures, and the thumbnails of image files.
#include <cstdint>

#include "PubImage.h"

#pragma pack(push, 2)
struct tagBITMAPINFOHEADER {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(tagBITMAPINFOHEADER) == 40, "the stored DIB header is 40 bytes");

// Row length of a DIB: ((width x bits + 31) / 32) x 4; 0 when it overflows.
size_t DIBStride(int32_t width, int32_t bitCount);
// A new white DIB; null for a bad size, a size over the pixel budget or no memory.
unsigned char* DIBNew(int width, int height, int bitCount, int resolution);
void DIBDelete(unsigned char* dib);
// Header size + image size (what a DIB occupies when stored).
size_t DIBByteLength(const unsigned char* dib);
void DibFlipY(unsigned char* dib);

PubImage::QelLayer* Dib2Layer(tagBITMAPINFOHEADER* dib);
PubImage::QelLayer* Dib2Layer(unsigned char* dib);
unsigned char* Layer2Dib(PubImage::QelLayer* layer);
PubImage::QelPicture* Layer2Pic(PubImage::QelLayer* layer);
PubImage::QelPicture* Dib2Pict(tagBITMAPINFOHEADER* dib);
PubImage::QelPicture* Dib2Pict(unsigned char* dib);
unsigned char* Pict2Dib(PubImage::QelPicture* picture);
unsigned char* DibResample(unsigned char* dib, int width, int height);

// A 24-bit DIB of the picture fitted into width x height (small pictures are
// enlarged; the DIB has the fitted size), or null.
unsigned char* DibGetFromImageFile(const char16_t* path, int width, int height);
// The same of a movie's first frame; null for a file that is no movie, has
// no pictures or lasts less than one time unit.
unsigned char* DibGetFromVideoFile(const char16_t* path, int width, int height);
