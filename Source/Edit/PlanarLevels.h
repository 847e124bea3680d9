#pragma once
// The editor's brightness and contrast on 4:2:0 pictures in video range, made
// as the 32-bit path makes them (each pixel to R, G and B, the level table on
// each channel, back to 4:2:0) without converting every pixel. Where the
// level table is a straight line on all three channels of a pixel, luma
// follows that line and chroma (a difference of two channels) grows with its
// slope: two byte tables do it. Where a channel would clip (a saturated
// colour, near-white paper made brighter) the tables would keep the tint the
// clipping takes away, so those 2 x 2 blocks are made the long way.
#include <array>
#include <cstdint>

struct PlanarLevels {
  std::array<uint8_t, 256> luma{};
  std::array<uint8_t, 256> chroma{};
  bool lumaChanges = false;    // false: the picture stays as it is
  bool chromaChanges = false;  // false: chroma stays as it is where nothing clips (brightness alone)

  // The level table as a line, in 1/32 levels: a channel clamped into
  // [lineLow, lineHigh] (where the line stays in 0..255) becomes lineBase
  // plus its distance from lineLow, shifted left by lineShift, times
  // lineFactor (Q15).
  int16_t lineLow = 0, lineHigh = 0, lineBase = 0, lineShift = 0, lineFactor = 0;
  // Where no channel clips, in 1/32 luma steps from luma 16: a block whose
  // channels all lie in [clipLow, clipHigh] is left to the tables.
  int16_t clipLow = 0, clipHigh = 0;
};

// False when the level table is no straight line (contrast 128: every
// channel becomes black or white on its own), which only the 32-bit path
// can do.
bool MakePlanarLevels(int32_t brightness, int32_t contrast, PlanarLevels* out);

// Adjusts a 4:2:0 picture in place (planes Y, Cb, Cr; chroma of
// (width+1)/2 x (height+1)/2). Runs on the calling thread.
void ApplyPlanarLevels(const PlanarLevels& levels, uint8_t* const planes[3], const int32_t rowBytes[3], int32_t width,
                       int32_t height);
