#pragma once
// Sample blocks with edges and a position in a picture: the unit every pyramid
// level, detail plane and filter works on.

#include <cstddef>
#include <cstdint>

#include "MMem.h"

// A buffer of samples: 16-byte aligned, pitch in samples = width rounded up to 16.
struct AvdBlock {
  uint8_t* data = nullptr;
  uint32_t kind = 0;  // 0x10 unsigned 8-bit, 0x110 signed 8-bit, 0x20 16-bit
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  size_t capacity = 0;  // bytes allocated here; 0 for samples borrowed from another block
};

// A block whose inner area is surrounded by edges of the given widths.
struct AvdBlockEdge {
  AvdBlock block;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A block-edge record placed in a picture: (x, y) is the inner area's top-left
// corner in picture coordinates; picWidth x picHeight the picture's extent.
struct AvdChannelBlock {
  AvdBlockEdge be;
  int32_t x = 0, y = 0;
  int32_t picWidth = 0, picHeight = 0;
};

int32_t AvdKindBytes(uint32_t kind);

// Allocates width x height samples when data is still null; -201 when out of
// memory, -2 for bad sizes.
int32_t avdBlock_Create(MHandle hMem, AvdBlock* block, uint32_t kind, int32_t width, int32_t height);
void avdBlock_Release(MHandle hMem, AvdBlock* block);

// edges: {left, top, right, bottom} or null for none. The block gets the inner
// size plus the edges; a block that already has samples keeps them and its pitch.
int32_t avdBE_Create(MHandle hMem, AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                     const int32_t* edges);
int32_t avdBE_Init_Ex(MHandle hMem, AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                      const int32_t* edges);
int32_t avdBE_Init(AvdBlockEdge* be, uint32_t kind, int32_t innerWidth, int32_t innerHeight, const int32_t* edges);
// The inner area as a block of its own (borrows the samples).
AvdBlock avdBE_ValidBlock(const AvdBlockEdge* be);

int32_t avdCB_Create(MHandle hMem, AvdChannelBlock* cb, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                     const int32_t* edges, int32_t picWidth, int32_t picHeight);
int32_t avdCB_Init_Ex(MHandle hMem, AvdChannelBlock* cb, uint32_t kind, int32_t innerWidth, int32_t innerHeight,
                      const int32_t* edges, int32_t picWidth, int32_t picHeight);
void avdCB_Release(MHandle hMem, AvdChannelBlock* cb);
// Moves the position by (dx, dy) and the left and top edges with it.
void avdCB_OffSetValidRect(AvdChannelBlock* cb, int32_t dx, int32_t dy);
// Copies the inner area between block and picture (direction 1: picture to
// block, 0: back). step 1 copies rows; other steps go through avdAccessChannel.
// Only the part inside the picture is copied.
int32_t avdCB_UpdateValid(AvdChannelBlock* cb, int32_t direction, uint8_t* image, int32_t imagePitch,
                          uint32_t format, int32_t step, int32_t offset);
// Takes as valid the part of the block inside the picture (enlarged by the
// extras) and mirror-fills the rest.
void avdCB_AutoMirrorFill(AvdChannelBlock* cb, int32_t extraWidth, int32_t extraHeight);

// Mirrors the samples round the valid rectangle [l, r) x [t, b) of a width x
// height 8-bit block without repeating the edge sample; at most the valid
// width (height) on each side.
void avdMirrorFill(uint8_t* data, int32_t pitch, int32_t width, int32_t height, int32_t l, int32_t t, int32_t r,
                   int32_t b);
