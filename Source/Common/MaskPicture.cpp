#include "MaskPicture.h"

#include <filesystem>

#include "img/ImageFile.h"

namespace {

bool IsDark(uint8_t b, uint8_t g, uint8_t r) { return 299u * r + 587u * g + 114u * b < 128000u; }

}  // namespace

GWorldPtr ReadFileToGWorld(const std::string& utf8Path) {
  if (utf8Path.empty()) return nullptr;
  img::ImageInfo info;
  if (img::ReadImageInfo(utf8Path, info) != img::Status::kOk || info.width <= 0 || info.height <= 0 ||
      info.width > kMaskPictureMaxSide || info.height > kMaskPictureMaxSide) {
    return nullptr;
  }
  img::Decoded picture;
  if (img::DecodeFile(utf8Path, {}, picture) != img::Status::kOk) return nullptr;
  const img::Bitmap& px = picture.pixels;
  GWorldPtr world = plat::NewOffscreen(px.width(), px.height(), plat::kOffscreenMono);
  if (!world) return nullptr;
  const bool hasAlpha = !picture.alpha.empty();
  for (int32_t y = 0; y < px.height(); ++y) {
    const uint8_t* row = px.row(y);
    const uint8_t* alpha = hasAlpha ? picture.alpha.row(y) : nullptr;
    uint8_t* out = world->pixels + size_t(y) * size_t(world->rowBytes);
    for (int32_t x = 0; x < px.width(); ++x) {
      const uint8_t* p = row + 3 * x;  // B, G, R
      bool black = IsDark(p[0], p[1], p[2]) && (!alpha || alpha[x] >= 128);
      if (black) out[x >> 3] |= uint8_t(0x80u >> (x & 7));
    }
  }
  return world;
}

GWorldPtr ReadFileToGWorldByQT(const FSSpec* file) {
  if (!file) return nullptr;
  char path[4096];
  if (!Mac_GetPathByFile(file, path, sizeof path)) return nullptr;
  return ReadFileToGWorld(path);
}

std::optional<ORVRegion> BitMapToRegion(const plat::Offscreen* world) {
  if (!world || world->depth != plat::kOffscreenMono || world->width <= 0 || world->height <= 0) return std::nullopt;
  ORVRegion region;
  region.bounds = SRect32{0, 0, world->width, world->height};
  // One rectangle per run of set bits on each row; rows with the same runs
  // as the row above extend its rectangles.
  std::vector<std::pair<int32_t, int32_t>> runs, previous;
  std::vector<size_t> open;
  for (int32_t y = 0; y < world->height; ++y) {
    const uint8_t* row = world->pixels + size_t(y) * size_t(world->rowBytes);
    runs.clear();
    int32_t start = -1;
    for (int32_t x = 0; x <= world->width; ++x) {
      bool set = x < world->width && (row[x >> 3] & (0x80u >> (x & 7)));
      if (set && start < 0) start = x;
      if (!set && start >= 0) {
        runs.emplace_back(start, x);
        start = -1;
      }
    }
    if (!runs.empty() && runs == previous && !open.empty() && region.rects[open.front()].bottom == y) {
      for (size_t i : open) region.rects[i].bottom = y + 1;
      continue;
    }
    open.clear();
    for (const auto& r : runs) {
      open.push_back(region.rects.size());
      region.rects.push_back(SRect32{r.first, y, r.second, y + 1});
    }
    previous = runs;
  }
  return region;
}
