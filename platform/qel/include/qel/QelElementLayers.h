#pragma once
// The picture layer of an element (element methods 22 and 23, layer-set
// interface 13, layer interface 5): every element has one layer set with one
// layer, whose bitmap the painter draws scaled into the element's bounds
// (over its background and image, under its children). A layer takes its
// pixels as 24-bit B, G, R rows (a negative row step for bottom-up rows)
// and a blending value.
#include <cstdint>

#include "qel/QelElement.h"

// Layer interface method 8: property 115 sets the bitmap (data: the pixel
// record below; flag 1 gives the bitmap an 8-bit mask of its size, 255
// opaque), 107 the blending (value 0..255: 0 not blended, the layer opaque;
// 76 lets 30 % of what is behind show through; 255 blends it away).
struct QelLayerProperty {
  uint32_t cbSize;
  uint32_t property;
  intptr_t value;
  const void* data;
};
struct QelLayerPixels {
  uint32_t cbSize;
  uint32_t flag;       // 0 colour, 1 the colour's mask
  int32_t width;
  int32_t height;
  int32_t rowBytes;    // negative: rows from the last upwards
  int32_t bitCount;    // 24 (a mask: 8)
  const void* bits;    // the first row given (the last one of a bottom-up bitmap)
};

namespace qel {

inline constexpr uint32_t kLayerBitmap = 115;
inline constexpr uint32_t kLayerBlend = 107;

class QEL_API ElementLayer : public Object {
 public:
  ElementLayer();
  // Copies the pixels; false for a record it cannot take (the layer is
  // left as it was).
  bool SetPixels(const QelLayerPixels& pixels);
  // The colour's mask (flag 1): the bitmap keeps its colours with that
  // alpha. False without a bitmap of the mask's size.
  bool SetMask(const QelLayerPixels& mask);
  void Clear();
  void SetBlend(int32_t value);
  // The bitmap (cairo RGB24) or null; drawn with Alpha().
  cairo_surface_t* Surface() const { return surface_; }
  double Alpha() const { return 1.0 - blend_ / 255.0; }
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;

 protected:
  ~ElementLayer() override;

 private:
  cairo_surface_t* surface_ = nullptr;
  int32_t blend_ = 0;
  Element* owner_ = nullptr;
  friend class ElementLayers;
};

// One layer set of one layer, owned by its element.
class QEL_API ElementLayers : public Object {
 public:
  explicit ElementLayers(Element* owner);
  ElementLayer* Layer() const { return layer_; }
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;
  // Draws the layer's bitmap scaled into r.
  void Paint(cairo_t* cr, const SRect32& r) const;

 protected:
  ~ElementLayers() override;

 private:
  ElementLayer* layer_;
};

}  // namespace qel
