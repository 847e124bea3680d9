#pragma once
// Laplacian pyramid of one block for every channel of a picture: levels (level
// 0 full resolution, each next one half of it) and one signed detail block per
// level but the last. Created once per block size, placed on each block,
// loaded from the picture, analysed, worked on, synthesised, stored, released.

#include <cstdint>

#include "AvdChannelBlock.h"
#include "image/AvdImageRecord.h"

struct AvdPyramid {
  int32_t levelCount = 0;
  AvdChannelBlock* levels = nullptr;   // levelCount blocks
  AvdChannelBlock* details = nullptr;  // levelCount - 1 blocks, directly behind the levels
};

// Pyramid 0 is luma; the others (when chroma levels >= 1) are the chroma ones.
struct AvdImgPyramid {
  int32_t count = 0;
  AvdPyramid* pyramids = nullptr;
};

// blockSize {width, height}, border and detailBorder {left, top, right,
// bottom}; each may be null. inPlace: details share their level's samples.
// Returns 0 or the first error; what was built stays for avdIPB_Release.
int32_t avdIPB_Create(MHandle hMem, AvdImgPyramid* ipb, uint32_t format, int32_t width, int32_t height,
                      const int32_t* blockSize, const int32_t* border, const int32_t* detailBorder,
                      int32_t lumaLevels, int32_t chromaLevels, int32_t inPlace);
int32_t avdIPB_CreateFrame(MHandle hMem, AvdImgPyramid* ipb, int32_t count);
int32_t avdPB_CreateFrame(MHandle hMem, AvdPyramid* pb, int32_t levelCount);
int32_t avdPB_Create(MHandle hMem, AvdPyramid* pb, uint32_t kind, int32_t picWidth, int32_t picHeight,
                     const int32_t* blockSize, const int32_t* border, const int32_t* detailBorder,
                     int32_t levelCount, int32_t inPlace);

// Places every pyramid on the block whose valid area starts at luma (x, y).
int32_t avdIPB_SetPosEx(AvdImgPyramid* ipb, int32_t x, int32_t y, int32_t validWidth, int32_t validHeight,
                        int32_t picWidth, int32_t picHeight);
void avdPB_SetPosEx(AvdPyramid* pb, int32_t x, int32_t y, int32_t validWidth, int32_t validHeight,
                    int32_t picWidth, int32_t picHeight);
void avdIPB_SetPos(AvdImgPyramid* ipb, int32_t x, int32_t y);
void avdPB_SetPos(AvdPyramid* pb, int32_t x, int32_t y);

// direction 1 loads the level-0 blocks from the picture (and mirror-fills
// their borders), 0 stores their valid areas back.
void avdIPB_UpdateBlock(AvdImgPyramid* ipb, const AvdImageRecord* img, int32_t direction);

int32_t avdIPB_Analysis(MHandle hMem, AvdImgPyramid* ipb);
int32_t avdPB_Analysis(MHandle hMem, AvdPyramid* pb);
// Rebuilds one level from its detail block and the next coarser level.
int32_t avdCB_Synthesis(MHandle hMem, AvdChannelBlock* image, const AvdChannelBlock* detail,
                        const AvdChannelBlock* coarse);
int32_t avdPB_Synthesis(MHandle hMem, AvdPyramid* pb);

void avdIPB_Release(MHandle hMem, AvdImgPyramid* ipb);
void avdPB_Release(MHandle hMem, AvdPyramid* pb);
void avdIPB_ReleaseFrame(MHandle hMem, AvdImgPyramid* ipb);
void avdPB_ReleaseFrame(MHandle hMem, AvdPyramid* pb);

// Generic strided copy between picture rows (sample offset + x * step) and a
// block (column x); pitches in samples, 8- or 16-bit samples by the kind
// (-701 otherwise). direction 1 picture to block, 0 back.
int32_t avdAccessChannel(uint8_t* picture, int32_t picturePitch, uint8_t* block, int32_t blockPitch,
                         int32_t width, int32_t height, int32_t step, int32_t offset, uint32_t kind,
                         int32_t direction);
