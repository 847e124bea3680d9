#pragma once
// Generated camera frames: a document page with a gradient, lines of text and
// sensor noise, drifting a little from frame to frame. The same seed gives
// the same frames on every run.

#include <cstdint>
#include <string>
#include <vector>

struct BenchFrame {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  std::vector<uint8_t> argb;  // A, R, G, B bytes
};

std::vector<BenchFrame> MakePageFrames(int width, int height, int count);

// Writes the frames as raw video: <dir>/page_WxH.argb (A,R,G,B) and
// <dir>/page_WxH.yuv422p (planar 4:2:2 of the chain's YUY2 conversion).
// Returns false with a message on failure.
bool WriteRawFrames(const std::vector<BenchFrame>& frames, const std::string& dir,
                    std::string* error);
