#pragma once
// FFmpeg's hqdn3d denoiser called in this process through libavfilter, one
// thread, on planar 4:2:2 frames: the anchor the chain's figures are set
// against. The graph, its input frames and its output pool are made once, so
// a timed call is the filter's work on warm buffers and nothing else.

#include <cstdint>
#include <vector>

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;

class Hqdn3dAnchor {
 public:
  // frames: YUY2 pictures of width x height, `pitch` bytes a row; each is
  // turned into a planar 4:2:2 frame held for the whole run.
  Hqdn3dAnchor(int width, int height, const std::vector<std::vector<uint8_t>>& yuy2Frames, int pitch);
  ~Hqdn3dAnchor();
  Hqdn3dAnchor(const Hqdn3dAnchor&) = delete;
  Hqdn3dAnchor& operator=(const Hqdn3dAnchor&) = delete;

  bool Ok() const { return m_sink != nullptr; }
  // Filters the next input frame (they take turns); false on an FFmpeg error.
  bool Filter();

 private:
  AVFilterGraph* m_graph = nullptr;
  AVFilterContext* m_source = nullptr;
  AVFilterContext* m_sink = nullptr;
  std::vector<AVFrame*> m_inputs;
  AVFrame* m_output = nullptr;
  int64_t m_pts = 0;
};
