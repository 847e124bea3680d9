#pragma once
// How many different colours a PNG holds: a screenshot of a real window has
// many, a blank or failed one a handful.
#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <set>

namespace testpng {

inline size_t DistinctColours(const std::filesystem::path& png) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  std::set<uint32_t> colours;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    const int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < width; ++x) colours.insert(row[x]);
    }
  }
  cairo_surface_destroy(s);
  return colours.size();
}

}  // namespace testpng
