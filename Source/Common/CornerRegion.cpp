// Corner masks read from BMP files, and window shapes cut from them.
#include "CornerRegion.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "MaskPicture.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace {

using Run = std::pair<int32_t, int32_t>;  // [begin, end) on one row
using Runs = std::vector<Run>;

// Masks are a few dozen pixels; a side past this is not a corner of any
// window, and is refused rather than turned into a shape on every request.
constexpr int32_t kMaxMaskSide = 1024;
constexpr uintmax_t kMaxMaskFileBytes = 8u << 20;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool IsDark(uint8_t b, uint8_t g, uint8_t r) { return 299u * r + 587u * g + 114u * b < 128000u; }

// Rows of runs (top row first, at y0) into rectangles: consecutive rows with
// the same runs become one rectangle per run.
void AppendBand(std::vector<SRect32>& out, std::vector<size_t>& open, Runs& openRuns, const Runs& runs,
                int32_t top, int32_t bottom) {
  if (!runs.empty() && runs == openRuns && !open.empty() && out[open.front()].bottom == top) {
    for (size_t i : open) out[i].bottom = bottom;
    return;
  }
  open.clear();
  for (const Run& r : runs) {
    open.push_back(out.size());
    out.push_back(SRect32{r.first, top, r.second, bottom});
  }
  openRuns = runs;
}

}  // namespace

bool ORVRegion::Contains(POINT p) const {
  for (const SRect32& r : rects) {
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return true;
  }
  return false;
}

int64_t ORVRegion::Area() const {
  int64_t a = 0;
  for (const SRect32& r : rects) a += int64_t(r.right - r.left) * (r.bottom - r.top);
  return a;
}

void ORVRegion::Offset(int32_t dx, int32_t dy) {
  auto move = [dx, dy](SRect32& r) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  };
  move(bounds);
  for (SRect32& r : rects) move(r);
}

std::optional<ORVRegion> RegionFromBmpBytes(const uint8_t* data, size_t size) {
  if (!data || size < 14 + 40 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const uint32_t offBits = U32(data + 10);
  const uint8_t* info = data + 14;
  const uint32_t infoSize = U32(info);
  if (infoSize < 40 || infoSize > size - 14) return std::nullopt;
  const int32_t width = int32_t(U32(info + 4));
  const int32_t rawHeight = int32_t(U32(info + 8));
  const uint16_t planes = U16(info + 12);
  const uint16_t bpp = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  uint32_t colorsUsed = U32(info + 32);
  if (planes != 1 || compression != 0) return std::nullopt;
  if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32) return std::nullopt;
  if (width <= 0 || width > kMaxMaskSide || rawHeight == 0 || rawHeight < -kMaxMaskSide ||
      rawHeight > kMaxMaskSide) {
    return std::nullopt;
  }
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;

  // Palette of the indexed depths.
  std::vector<bool> darkEntry;
  if (bpp <= 8) {
    const uint32_t maxColors = 1u << bpp;
    if (colorsUsed == 0) colorsUsed = maxColors;
    if (colorsUsed > maxColors) return std::nullopt;
    const uint64_t paletteAt = 14ull + infoSize;
    if (paletteAt + 4ull * colorsUsed > size) return std::nullopt;
    darkEntry.assign(maxColors, false);  // indices past the palette count as white
    for (uint32_t i = 0; i < colorsUsed; ++i) {
      const uint8_t* e = data + paletteAt + 4 * i;
      darkEntry[i] = IsDark(e[0], e[1], e[2]);
    }
  }

  const uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
  if (offBits > size || stride * uint64_t(height) > size - offBits) return std::nullopt;

  ORVRegion region;
  region.bounds = SRect32{0, 0, width, height};
  std::vector<size_t> open;
  Runs openRuns;
  Runs runs;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t fileRow = topDown ? y : height - 1 - y;
    const uint8_t* row = data + offBits + stride * uint64_t(fileRow);
    runs.clear();
    int32_t start = -1;
    for (int32_t x = 0; x <= width; ++x) {
      bool dark = false;
      if (x < width) {
        switch (bpp) {
          case 1:
            dark = darkEntry[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
          case 8:
            dark = darkEntry[row[x]];
            break;
          case 24:
            dark = IsDark(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            break;
          default:
            dark = IsDark(row[4 * x], row[4 * x + 1], row[4 * x + 2]);
            break;
        }
      }
      if (dark && start < 0) start = x;
      if (!dark && start >= 0) {
        runs.emplace_back(start, x);
        start = -1;
      }
    }
    AppendBand(region.rects, open, openRuns, runs, y, y + 1);
  }
  return region;
}

std::optional<ORVRegion> CreateRgnFromFile(const std::u16string& path) {
  if (path.empty()) return std::nullopt;
  std::ifstream in(QelToUTF8(path), std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  if (length <= 0 || uintmax_t(length) > kMaxMaskFileBytes) return std::nullopt;
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) return std::nullopt;
  auto region = RegionFromBmpBytes(bytes.data(), bytes.size());
  if (!region && (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')) {
    // Not a BMP: any small picture the imaging library reads serves.
    GWorldPtr world = ReadFileToGWorld(QelToUTF8(path));
    region = BitMapToRegion(world);
    plat::DisposeOffscreen(world);
  }
  if (!region) std::fprintf(stderr, "corner mask %s is not a picture this program reads\n", QelToUTF8(path).c_str());
  return region;
}

// A sweep from top to bottom: each cut enters the set of active runs at its
// top and leaves at its bottom, and each band between two such edges is the
// bounds' row minus the union of the active runs. The cost follows the
// number of cuts (times the few active in a band), so a mask's many small
// rows are cheap.
std::vector<SRect32> SubtractRects(const SRect32& bounds, const std::vector<SRect32>& cuts) {
  std::vector<SRect32> out;
  if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) return out;
  struct Edge {
    int32_t y;
    bool enters;
    Run run;
  };
  std::vector<Edge> edges;
  edges.reserve(2 * cuts.size());
  for (const SRect32& c : cuts) {
    const int32_t l = std::max(c.left, bounds.left), r = std::min(c.right, bounds.right);
    const int32_t t = std::max(c.top, bounds.top), b = std::min(c.bottom, bounds.bottom);
    if (l >= r || t >= b) continue;
    edges.push_back(Edge{t, true, Run{l, r}});
    edges.push_back(Edge{b, false, Run{l, r}});
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y < b.y; });

  std::map<Run, int> active;  // runs of the cuts crossing the band, with how many cuts give each
  std::vector<size_t> open;
  Runs openRuns;
  Runs runs;
  size_t next = 0;
  int32_t top = bounds.top;
  while (top < bounds.bottom) {
    for (; next < edges.size() && edges[next].y <= top; ++next) {
      const Edge& e = edges[next];
      if (e.enters) {
        ++active[e.run];
      } else if (auto it = active.find(e.run); it != active.end() && --it->second == 0) {
        active.erase(it);
      }
    }
    const int32_t bottom = next < edges.size() ? std::min(edges[next].y, bounds.bottom) : bounds.bottom;
    runs.clear();
    int32_t x = bounds.left;
    for (const auto& [run, count] : active) {  // ordered by left edge
      if (run.first > x) runs.emplace_back(x, run.first);
      x = std::max(x, run.second);
    }
    if (x < bounds.right) runs.emplace_back(x, bounds.right);
    AppendBand(out, open, openRuns, runs, top, bottom);
    top = bottom;
  }
  return out;
}

ORVRegion ComplementInBounds(const ORVRegion& region) {
  ORVRegion out;
  out.bounds = region.bounds;
  out.rects = SubtractRects(region.bounds, region.rects);
  return out;
}

ORVRegion CornerCut(const ORVRegion& mask, CornerMaskSense sense) {
  const SRect32& b = mask.bounds;
  const int32_t height = std::max(0, b.bottom - b.top);
  // Per row: the leftmost black run and the rightmost one.
  struct Row {
    int32_t firstLeft = INT32_MAX, firstRight = 0, lastLeft = 0, lastRight = INT32_MIN;
  };
  std::vector<Row> rows(static_cast<size_t>(height));
  for (const SRect32& r : mask.rects) {
    for (int32_t y = std::max(r.top, b.top); y < std::min(r.bottom, b.bottom); ++y) {
      Row& row = rows[size_t(y - b.top)];
      if (r.left < row.firstLeft) row.firstLeft = r.left, row.firstRight = r.right;
      if (r.right > row.lastRight) row.lastRight = r.right, row.lastLeft = r.left;
    }
  }
  ORVRegion out;
  out.bounds = b;
  std::vector<size_t> open;
  Runs openRuns, runs;
  for (int32_t i = 0; i < height; ++i) {
    const Row& row = rows[size_t(i)];
    const bool black = row.firstLeft != INT32_MAX;
    int32_t lo = 0, hi = 0;
    if (sense == CornerMaskSense::kBlackIsCut) {
      if (black) lo = row.firstLeft, hi = row.lastRight;
    } else {
      // The first and the last pixel that is not black (runs are maximal,
      // so one follows a run that starts at the edge).
      lo = black && row.firstLeft == b.left ? row.firstRight : b.left;
      hi = black && row.lastRight == b.right ? row.lastLeft : b.right;
    }
    runs.clear();
    if (lo < hi) runs.emplace_back(lo, hi);
    AppendBand(out.rects, open, openRuns, runs, b.top + i, b.top + i + 1);
  }
  return out;
}

ORVRegion PlaceAtCorner(const ORVRegion& region, int corner, int32_t width, int32_t height) {
  ORVRegion out = region;
  const int32_t w = region.bounds.right - region.bounds.left;
  const int32_t h = region.bounds.bottom - region.bounds.top;
  const int32_t x = (corner == 1 || corner == 2) ? width - w : 0;
  const int32_t y = (corner == 2 || corner == 3) ? height - h : 0;
  out.Offset(x - region.bounds.left, y - region.bounds.top);
  return out;
}

std::vector<SRect32> CornerWindowShape(const CornerMaskTable& table, int32_t width, int32_t height,
                                       CornerMaskSense sense) {
  std::vector<SRect32> cuts;
  for (int corner = 0; corner < 4; ++corner) {
    auto mask = CreateRgnFromFile(table.path[size_t(corner)]);
    if (!mask) continue;
    ORVRegion placed = PlaceAtCorner(CornerCut(*mask, sense), corner, width, height);
    cuts.insert(cuts.end(), placed.rects.begin(), placed.rects.end());
  }
  return SubtractRects(SRect32{0, 0, width, height}, cuts);
}

namespace CornerMessageBoxDef {

intptr_t myWindowDef(int16_t, WindowRef window, int16_t message, intptr_t parameter) {
  switch (message) {
    case 7:  // features
      if (parameter) *reinterpret_cast<uint32_t*>(parameter) = 0x40000016u;
      return 1;
    case 1:  // hit test: all content
      return 1;
    case 8: {  // region
      auto* request = reinterpret_cast<CornerRegionRequest*>(parameter);
      if (!request || !request->region || (request->regionCode != 32 && request->regionCode != 33)) return 0;
      CQelWindow* w = CQelWindow::FetchQelWindow(window);
      if (!w) return 0;
      SRect32 b;
      w->GetWindowRect(&b);
      const int32_t width = b.right - b.left, height = b.bottom - b.top;
      if (auto* table = static_cast<CornerMaskTable*>(w->GetProperty(kCornerPropCreator, kCornerPropTag))) {
        *request->region = CornerWindowShape(*table, width, height);
      } else {
        *request->region = SubtractRects(SRect32{0, 0, width, height}, {});
      }
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace CornerMessageBoxDef
