#pragma once
// Window shapes with cut corners. A corner is described by a small 1-bit BMP
// mask; its black pixels make a region. The shape of a window is its
// rectangle minus the corner regions placed at their corners, kept as a list
// of disjoint rectangles in window coordinates (what a display backend hands
// to its shape call).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qel/QelCore.h"
#include "qel/QelTypes.h"

// Window property of a window with cut corners: the address of its
// CornerMaskTable.
inline constexpr uint32_t kCornerPropCreator = QelFourCC("QELA");
inline constexpr uint32_t kCornerPropTag = QelFourCC("CORW");
// Window property holding the computed shape: the address of a
// std::vector<SRect32> (window coordinates, disjoint rectangles; empty means
// no shape is asked for). The toolkit window has no shape call of its own, so
// a display backend that can shape windows reads it from here.
inline constexpr uint32_t kShapePropTag = QelFourCC("SHPE");

// Corner mask paths: top-left, top-right, bottom-right, bottom-left; an
// empty path leaves that corner square.
struct CornerMaskTable {
  std::array<std::u16string, 4> path;
};

// A region: disjoint rectangles inside `bounds`.
struct ORVRegion {
  SRect32 bounds{0, 0, 0, 0};
  std::vector<SRect32> rects;

  bool IsEmpty() const { return rects.empty(); }
  bool Contains(POINT p) const;
  int64_t Area() const;
  void Offset(int32_t dx, int32_t dy);
};

// The black pixels of an uncompressed BMP (1, 8, 24 or 32 bits a pixel;
// bottom-up or top-down, at most 1024 pixels a side). A pixel is black when
// its luminance is below half. Bounds are 0, 0, width, height. nullopt for
// anything that is not such a BMP or whose header promises more than the
// data holds.
std::optional<ORVRegion> RegionFromBmpBytes(const uint8_t* data, size_t size);

// The same from a file; nullopt when it cannot be read (a missing or empty
// file gives none, so that corner stays square).
std::optional<ORVRegion> CreateRgnFromFile(const std::u16string& path);

// bounds minus the rectangles, as disjoint rectangles (bands of rows with
// the same runs merged).
std::vector<SRect32> SubtractRects(const SRect32& bounds, const std::vector<SRect32>& cuts);

// The region's bounds minus the region: the part of a mask that is not black.
ORVRegion ComplementInBounds(const ORVRegion& region);

// Places a corner region at one corner of a width x height window: index 0
// top-left, 1 top-right (right edge on the window's right), 2 bottom-right,
// 3 bottom-left.
ORVRegion PlaceAtCorner(const ORVRegion& region, int corner, int32_t width, int32_t height);

// What a corner mask's black pixels mean. The shipped masks are drawn with
// the window's own part black (black pixels inside), so the part cut away is
// the rest of the mask's rectangle.
enum class CornerMaskSense { kBlackIsWindow, kBlackIsCut };

// The part of a corner mask cut from the window, as one run a row: from the
// row's first cut pixel to its last. A corner is an outline: holes or specks
// inside it are not kept, so a shape costs a few rectangles a mask row
// whatever the mask holds (a checkerboard would be half a million).
ORVRegion CornerCut(const ORVRegion& mask, CornerMaskSense sense);

// A window's shape: the rectangle (0, 0, width, height) minus the cut part
// (CornerCut) of each readable mask of the table, each placed at its
// corner. A mask that cannot be read leaves its corner square.
std::vector<SRect32> CornerWindowShape(const CornerMaskTable& table, int32_t width, int32_t height,
                                       CornerMaskSense sense = CornerMaskSense::kBlackIsWindow);

// What the window definition fills for message 8.
struct CornerRegionRequest {
  int16_t regionCode;              // 32 structure, 33 content; others are left alone
  std::vector<SRect32>* region;    // receives the shape
};

// The message box's window definition on this platform. Messages: 7 (get
// features) stores 0x40000016 into *(uint32_t*)parameter and answers 1;
// 1 (hit test) answers 1 (content); 8 (get region) with a
// CornerRegionRequest* for codes 32 and 33 fills the region with the
// window's rectangle (window coordinates) minus the cut parts of the corner
// masks of its 'QELA'/'CORW' property, and answers 0; everything else
// answers 0.
namespace CornerMessageBoxDef {
intptr_t myWindowDef(int16_t variant, WindowRef window, int16_t message, intptr_t parameter);
}
