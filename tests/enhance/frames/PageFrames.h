#pragma once
// Generated camera frames of a document page: paper lit from one side, lines
// of text and sensor noise. The same seed gives the same frames on every run;
// benchmarks and tests share them so figures and digests speak of one input.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct PageFrame {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  std::vector<uint8_t> argb;  // A, R, G, B bytes
};

// One page seen with the camera moved by (dx, dy) pixels, with Gaussian noise
// of the given deviation on every pixel (0: the clean page).
PageFrame RenderPage(int width, int height, int dx, int dy, float noise, std::mt19937& rng);

// The benchmark's frames: noise 4, the camera drifting a pixel or two.
std::vector<PageFrame> MakePageFrames(int width, int height, int count);

// Writes the frames as raw video: <dir>/page_WxH.argb (A,R,G,B) and
// <dir>/page_WxH.yuv422p (planar 4:2:2 of the chain's YUY2 conversion).
// Returns false with a message on failure.
bool WriteRawFrames(const std::vector<PageFrame>& frames, const std::string& dir,
                    std::string* error);

// FNV-1a over bytes, chained through `hash`.
uint64_t HashBytes(const uint8_t* bytes, size_t count, uint64_t hash = 1469598103934665603ull);
