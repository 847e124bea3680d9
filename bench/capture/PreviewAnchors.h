#pragma once
// The two parts of the preview's CPU that are not the preview's own, run
// alone in this process so that they can be taken off the preview's total:
// the stand-in camera's source read and decoded as the camera thread does
// it, and the effect chain on the same pictures. CPU of all threads
// (getrusage), so nothing else may run meanwhile. Both take their frames at
// the camera's pace, into buffers that take turns as the camera's do, so
// that their caches are as cold as in the preview.
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

class CVideoRealEffect;

namespace bench {

class PreviewAnchors {
 public:
  // The stand-in camera's picture at width x height; the chain with the
  // given switches (judge, denoise, dynamic light) at the preview's levels.
  PreviewAnchors(int width, int height, double fps, bool judge, bool denoise, bool delight);
  ~PreviewAnchors();
  bool Ok() const { return ok_; }

  // CPU milliseconds per frame of reading and decoding `frames` frames.
  double DecodeMs(int frames);
  // CPU milliseconds per frame of the chain on `frames` pictures (made from
  // the camera's frames beforehand, outside the measured calls), spread
  // over `threads` threads as the preview's chain was (0: its own choice).
  double ChainMs(int frames, int threads);

 private:
  struct Source;
  std::unique_ptr<Source> source_;
  std::unique_ptr<CVideoRealEffect> effect_;
  std::vector<uint8_t> pictures_[3];
  int width_, height_, rowBytes_;
  std::chrono::steady_clock::duration interval_;
  bool ok_ = false;
};

}  // namespace bench
