#pragma once
// A decoded picture: 32-bit pixels A, R, G, B in memory (byte 0 alpha, then
// red, green, blue), rows rowBytes apart.
#include <chrono>
#include <cstdint>
#include <vector>

namespace media {

// The clock pictures and sound are taken on: the monotonic clock, in
// microseconds, so that frames and sound blocks can be set side by side.
inline int64_t ClockUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const Size&) const = default;
};

// A 4:2:0 picture in the caller's memory: planes Y, Cb and Cr, the chroma
// ones half as wide and half as high (rounded up), 8 bits in video range.
struct Yuv420View {
  uint8_t* planes[3] = {};
  int32_t rowBytes[3] = {};
  Size size;
};

struct Frame {
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowBytes = 0;
  std::vector<uint8_t> pixels;  // height * rowBytes bytes
  int64_t index = 0;            // running number since the capture started
  int64_t timeUs = 0;           // capture time since the start, microseconds
  int64_t clockUs = 0;          // capture time on the capture clock (ClockUs)

  uint8_t* Row(int32_t y) { return pixels.data() + size_t(y) * size_t(rowBytes); }
  const uint8_t* Row(int32_t y) const { return pixels.data() + size_t(y) * size_t(rowBytes); }
  // Sizes the buffer for width x height (rows 16-byte multiples); keeps memory.
  void Resize(int32_t w, int32_t h) {
    width = w;
    height = h;
    rowBytes = (w * 4 + 15) / 16 * 16;
    pixels.resize(size_t(rowBytes) * size_t(h));
  }
};

}  // namespace media
