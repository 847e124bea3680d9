#pragma once
// The live picture as the preview view paints it: the engine's preview
// picture (A, R, G, B bytes) converted once a frame, straight into a cairo
// surface of the view's size in cairo's own pixel order, scaled (bilinear)
// and zoomed about the centre on the way. Painting it is then a plain copy.
// Main thread only.
#include <cairo.h>

#include <cstdint>
#include <vector>

#include "os/Offscreen.h"
#include "qel/QelTypes.h"

class CPreviewSurface {
 public:
  CPreviewSurface() = default;
  ~CPreviewSurface();
  CPreviewSurface(const CPreviewSurface&) = delete;
  CPreviewSurface& operator=(const CPreviewSurface&) = delete;

  // The picture into a surface of width x height pixels showing it enlarged
  // `zoom` times (at least 1) about its centre; false without a picture or
  // an empty size.
  bool Update(const plat::Offscreen* world, int32_t width, int32_t height, double zoom);
  // Whether the surface was made for these.
  bool Matches(const plat::Offscreen* world, int32_t width, int32_t height, double zoom) const;
  // Into `r` of cr: as it is when made for r's size in the target's pixels,
  // else scaled to fit (until the next frame is converted).
  void Paint(cairo_t* cr, const SRect32& r) const;
  cairo_surface_t* Surface() const { return m_surface; }

 private:
  void Plan(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height, double zoom);

  cairo_surface_t* m_surface = nullptr;
  // Where each column and row of the surface samples the picture: the
  // left (upper) neighbour and the right (lower) one's weight out of 256.
  std::vector<int32_t> m_x0, m_y0;
  std::vector<uint16_t> m_fx, m_fy;
  std::vector<uint16_t> m_wx;  // per column: the left and the right pixel's weights, 4 times
  std::vector<uint8_t> m_row;  // one picture row blended vertically, one pixel to spare
  int32_t m_sourceWidth = 0, m_sourceHeight = 0;
  double m_zoom = 0;
  bool m_identity = false;  // same size, no zoom: a plain reorder of the bytes
  bool m_half = false;      // half the size each way, no zoom: 2 x 2 means
};
