#pragma once
// Frames for the enhancement entry points, described by the input itself:
//   int32 width, int32 height, int32 format, int32 pitch[4],
//   uint8 planes present (bit i: plane i given), uint32 fill seed
// (32 bytes, little-endian). Every plane given is exactly pitch x height
// bytes (nothing at all for a pitch or height of 0 or less), so a read past
// what the description allows is caught by the address sanitizer, whatever
// the sizes, pitches and format claim.
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"

namespace fuzz {

// Larger frames are not made (the input is skipped).
inline constexpr int64_t kMaxFrameBytes = 4 << 20;

struct Frame {
  int32_t width = 0, height = 0, format = 0;
  int32_t pitch[4] = {0, 0, 0, 0};
  std::unique_ptr<uint8_t[]> planes[4];
  uint8_t* plane[4] = {nullptr, nullptr, nullptr, nullptr};

  // false when the description asks for more memory than a test frame gets.
  bool Read(Input& in) {
    width = in.Take<int32_t>();
    height = in.Take<int32_t>();
    format = in.Take<int32_t>();
    for (int32_t& p : pitch) p = in.Take<int32_t>();
    const uint8_t present = in.Take<uint8_t>();
    uint32_t seed = in.Take<uint32_t>();
    int64_t total = 0;
    for (int i = 0; i < 4; ++i) {
      if (!(present & (1 << i))) continue;
      const int64_t bytes = pitch[i] > 0 && height > 0 ? int64_t(pitch[i]) * height : 0;
      total += bytes;
      if (total > kMaxFrameBytes) return false;
      planes[i].reset(new uint8_t[size_t(bytes)]);
      plane[i] = planes[i].get();
      for (int64_t b = 0; b < bytes; ++b) {
        seed = seed * 1664525u + 1013904223u;
        plane[i][b] = uint8_t(seed >> 24);
      }
    }
    return true;
  }

  // Moves every sample a little, as the next frame of a stream would.
  void Step(uint8_t by) {
    for (int i = 0; i < 4; ++i) {
      const int64_t bytes = plane[i] && pitch[i] > 0 && height > 0 ? int64_t(pitch[i]) * height : 0;
      for (int64_t b = 0; b < bytes; ++b) plane[i][b] = uint8_t(plane[i][b] + by);
    }
  }
};

}  // namespace fuzz
