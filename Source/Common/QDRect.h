#pragma once
// The drawing rectangle of offscreen worlds and movie boxes, in QuickDraw's
// field order; 32-bit, left and top inside, right and bottom outside.
#include <cstdint>

struct Rect {
  int32_t top = 0;
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;
};
