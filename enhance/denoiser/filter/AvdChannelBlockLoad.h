#pragma once
// Reading a whole channel block, edges included, from a picture.

#include <cstdint>

#include "pyramid/AvdChannelBlock.h"

// The part of the block that lies inside the picture is copied in (as the
// inner-area copy does, with the same step and offset); the rest is
// mirror-filled. No status.
void avdCB_LoadBlock(AvdChannelBlock* cb, uint8_t* image, int32_t imagePitch, uint32_t format, int32_t step,
                     int32_t offset);
