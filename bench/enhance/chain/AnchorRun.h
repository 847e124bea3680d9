#pragma once
// The chain and the denoiser side by side with FFmpeg's hqdn3d called in this
// process on the same frames, and the chain on several threads side by side
// with itself on one: wall time and the CPU time of every thread per frame,
// each as a ratio to its anchor, measured in turns so that both sides of a
// ratio see the same load.

#include <string>
#include <vector>

// sizes as "WxH"; rounds: turns of `frames` frames per figure (median kept).
void PrintAnchored(const std::vector<std::string>& sizes, int frames, int rounds);
