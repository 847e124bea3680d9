#pragma once
// The editor's brightness and contrast on 4:2:0 pictures in video range, as
// two byte tables: one for luma, one for both chroma planes. They give what
// the 32-bit path gives (each picture to R, G and B, the level table on each
// channel, back to 4:2:0) for every grey, and for every colour that the level
// table does not clip: that table is a straight line, so luma follows it and
// chroma (a difference of two channels) grows with its slope.
#include <array>
#include <cstdint>

struct PlanarLevels {
  std::array<uint8_t, 256> luma{};
  std::array<uint8_t, 256> chroma{};
  bool lumaChanges = false;    // false: luma stays as it is
  bool chromaChanges = false;  // false: chroma stays as it is (brightness alone)
};

// False when the level table is no straight line (contrast 128: every
// channel becomes black or white on its own), which only the 32-bit path
// can do.
bool MakePlanarLevels(int32_t brightness, int32_t contrast, PlanarLevels* out);
