#pragma once
// Denoising quality on generated document frames: the clean page, the same
// page with noise of deviation 6 on the luma, with the camera still or shaking
// by up to one pixel. Luma PSNR against the clean page, for the noisy input
// and the denoiser at several levels; the frames can be written as raw video
// so another filter's output can be scored against the same clean frames.

#include <string>

// Prints the table for frames of width x height.
void PrintQuality(int width, int height);

// Writes <dir>/quality_<still|shake>_<noisy|clean>_WxH.yuv422p.
bool WriteQualityFrames(const std::string& dir, int width, int height, std::string* error);

// Mean luma PSNR of a processed yuv422p file against a clean one (frames
// after the first three, as for ours); negative when a file cannot be read.
double RawLumaPsnr(const std::string& clean, const std::string& processed, int width, int height);
