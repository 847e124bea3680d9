#pragma once
// The recording level of a sound input, in percent of its normal level:
// the PulseAudio source's volume, kept in memory for the stand-in
// microphone (whose tone it scales).
#include "media/CaptureDevices.h"

namespace media {

// 0..150, or -1 when the input cannot be asked.
int GetSoundInputLevel(const CaptureDevice& device);
// False when the input refuses it or the level is outside 0..150.
bool SetSoundInputLevel(const CaptureDevice& device, int percent);

// The stand-in microphone's level as a factor (1.0 at 100 %).
double StandInSoundGain();

}  // namespace media
