#include "media/ClockStamp.h"

#include <cstring>

namespace media {
namespace {

uint64_t Bits(ClockStamp s) { return uint64_t(s.clockMs) | (uint64_t(s.frame) << 32); }

}  // namespace

void DrawClockStamp(Frame& frame, ClockStamp stamp) {
  const int32_t side = ClockStampSquare(frame.width);
  if (side <= 0 || frame.height < side * 3) return;
  const uint64_t bits = Bits(stamp);
  // A white band with one black or white square per bit, bit 0 first.
  for (int32_t y = 0; y < side * 3; ++y) {
    uint8_t* row = frame.Row(y);
    for (int32_t x = 0; x < frame.width; ++x) {
      const int32_t bit = x / side - 2;
      const bool inside = y >= side && y < side * 2 && bit >= 0 && bit < kClockStampBits;
      const uint8_t v = inside && ((bits >> bit) & 1) == 0 ? 0 : 255;
      std::memset(row + x * 4, v, 4);
    }
  }
}

bool ReadClockStamp(int32_t width, int32_t height, const std::function<int(int32_t, int32_t)>& brightness,
                    ClockStamp* stamp) {
  const int32_t side = ClockStampSquare(width);
  if (side <= 0 || height < side * 3 || !stamp) return false;
  uint64_t bits = 0;
  for (int bit = 0; bit < kClockStampBits; ++bit) {
    const int32_t x = (bit + 2) * side + side / 2;
    if (brightness(x, side + side / 2) >= 128) bits |= uint64_t(1) << bit;
  }
  stamp->clockMs = uint32_t(bits);
  stamp->frame = uint16_t(bits >> 32);
  return true;
}

}  // namespace media
