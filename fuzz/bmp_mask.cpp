// Corner masks (BMP files in module and program bundles) and the window
// shapes cut from them.
#include <cstdint>

#include "CornerRegion.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The window's size from the last two bytes (a BMP ignores what follows its pixels).
  const int32_t width = size >= 2 ? int32_t(data[size - 1]) * 8 - 8 : 0;
  const int32_t height = size >= 2 ? int32_t(data[size - 2]) * 8 - 8 : 0;
  auto mask = RegionFromBmpBytes(data, size);
  if (!mask) return 0;
  const SRect32& b = mask->bounds;
  const int64_t all = int64_t(b.right - b.left) * (b.bottom - b.top);
  ORVRegion rest = ComplementInBounds(*mask);
  if (mask->Area() + rest.Area() != all) fuzz::Fail("a mask and its complement do not tile its bounds");
  std::vector<SRect32> cuts;
  for (int corner = 0; corner < 4; ++corner) {
    ORVRegion placed = PlaceAtCorner(corner % 2 ? rest : *mask, corner, width, height);
    cuts.insert(cuts.end(), placed.rects.begin(), placed.rects.end());
  }
  std::vector<SRect32> shape = SubtractRects(SRect32{0, 0, width, height}, cuts);
  int64_t area = 0;
  for (const SRect32& r : shape) {
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height || r.left >= r.right || r.top >= r.bottom)
      fuzz::Fail("a shape rectangle leaves the window or is empty");
    area += int64_t(r.right - r.left) * (r.bottom - r.top);
  }
  if (area > int64_t(std::max(width, 0)) * std::max(height, 0)) fuzz::Fail("a shape overlaps itself");
  return 0;
}
