#pragma once
// The stand-in camera's stamp: the capture clock (milliseconds, the low 32
// bits of ClockUs() / 1000) and the frame number (low 16 bits) as a row of
// black and white squares along the top of the picture, large enough to
// survive a movie encoder, so a recording can be checked frame by frame.
#include <cstdint>
#include <functional>

#include "media/Frame.h"

namespace media {

struct ClockStamp {
  uint32_t clockMs = 0;
  uint16_t frame = 0;
};

constexpr int kClockStampBits = 48;

// The side of one square for a picture `width` wide (0: too small).
inline int32_t ClockStampSquare(int32_t width) { return width / (kClockStampBits + 4); }

void DrawClockStamp(Frame& frame, ClockStamp stamp);
// Reads a stamp back; `brightness(x, y)` gives 0..255. False when the
// picture is too small for one.
bool ReadClockStamp(int32_t width, int32_t height, const std::function<int(int32_t, int32_t)>& brightness,
                    ClockStamp* stamp);

}  // namespace media
