#pragma once
// Whole-picture colour washes.
#include "img/Bitmap.h"

namespace img {

// Three quarters of the way to white: every byte v becomes (v + 765) / 4.
// The print preview dims the part of a panned picture outside its cell so.
IMG_API void WashTowardWhite(Bitmap& pixels);

// Every pixel set to one colour.
IMG_API void FillColour(Bitmap& pixels, uint8_t red, uint8_t green, uint8_t blue);

}  // namespace img
