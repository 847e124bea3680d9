#pragma once
// The preview view's picture made on the capture thread, right after the
// effect chain wrote the frame and while it is still in that core's cache,
// instead of on the main loop reading the whole frame back from memory.
// Three surfaces go round: the one on show (main thread), the newest made
// (waiting to be shown) and the one being made (capture thread). The view
// says what it needs each time it shows a frame; a frame whose picture was
// not made for that (a new size or zoom, a frame from before the view asked)
// is converted by the view itself, so what is shown is always the same.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "PreviewSurface.h"
#include "media/Frame.h"

class CPreviewPictures {
 public:
  // Main thread: the view's size in pixels and zoom, for the frames from
  // now on; asked again with every frame shown, else no longer made after a
  // second's worth of frames.
  void Ask(int32_t width, int32_t height, double zoom);
  // Capture thread, after the chain: the frame's picture, when asked for.
  void Make(const media::Frame& frame);
  // Main thread: frame `index` went on show; its picture, if made, too.
  void Show(int64_t index);
  // Main thread: the picture of the frame on show, when made from this
  // picture for these; else null.
  const CPreviewSurface* Shown(const plat::Offscreen* world, int32_t width, int32_t height, double zoom) const;
  // The capture stopped: no picture made so far counts (frame numbers
  // start again).
  void Reset();
  // CPU time the capture thread spent making pictures, in nanoseconds.
  uint64_t CpuNs() const { return m_cpuNs; }

 private:
  struct Slot {
    CPreviewSurface surface;
    int64_t index = -1;  // the frame it was made from
  };
  mutable std::mutex m_lock;  // guards the slots' roles and numbers, and the request
  Slot m_slots[3];
  int m_shown = 0, m_ready = 1, m_making = 2;
  int32_t m_width = 0, m_height = 0;
  double m_zoom = 1.0;
  int64_t m_askedAt = -1;  // the frame on show when last asked
  int64_t m_shownIndex = -1;
  std::atomic<uint64_t> m_cpuNs{0};
};
