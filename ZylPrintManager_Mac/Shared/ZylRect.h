#pragma once
// Rectangle helpers in the manner of the Win32 rectangle functions, shared
// by the print layout control and the print manager library. SRect32 keeps
// left and top inside, right and bottom outside.
#include <cstdint>

#include "qel/QelTypes.h"

// The platform's 16-bit rectangle and point (field order top, left, bottom,
// right and v, h), as the preview's drawing code exchanges them.
struct MacRect16 {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
struct MacPoint16 {
  int16_t v;
  int16_t h;
};

int Zyl_IsRectEmpty(const SRect32* rect);
void Zyl_SetRect(SRect32* rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
void Zyl_SetRectEmpty(SRect32* rect);
void Zyl_CopyRect(SRect32* destination, const SRect32* source);
// Field by field: two empty rectangles with other values are not equal.
int Zyl_EqualRect(const SRect32* a, const SRect32* b);
void Zyl_OffsetRect(SRect32* rect, int32_t dx, int32_t dy);
// Grows each side outwards (negative values shrink).
void Zyl_InflateRect(SRect32* rect, int32_t dx, int32_t dy);
// Moves each side inwards.
void Zyl_InsetRect(SRect32* rect, int32_t dx, int32_t dy);
int Zyl_PtInRect(const SRect32* rect, POINT point);
// Bounding box of both; empty rectangles count like any other.
void Zyl_UnionRect(SRect32* destination, const SRect32* a, const SRect32* b);
// 1 with the common part in destination (which may be null); 0 when they
// do not overlap (destination then all zeros) or an input is null
// (destination untouched).
int Zyl_IntersectRect(SRect32* destination, const SRect32* a, const SRect32* b);

int Mac_PtInRect(const SRect32* rect, MacPoint16 point);
// Values outside 16 bits keep their low 16 bits.
void Mac_Rect32ToRect(const SRect32* rect, MacRect16* out);
void Mac_RectToRect32(const MacRect16* rect, SRect32* out);
