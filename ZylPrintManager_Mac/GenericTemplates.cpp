// The generic templates: each generic brand's layouts laid out again as
// grids on the current paper's printable area, plus a template that fills
// the whole area, and the "Custom" brand's even grid.
#include <algorithm>
#include <cstdint>
#include <string>

#include "LabelSpec.h"
#include "ZylRect.h"
#include "qel/QelWideText.h"

namespace {

constexpr int64_t kMaxCells = 4096;

int64_t FitCount(int64_t start, int64_t size, int64_t step, int64_t end) {
  if (step <= 0 || size <= 0 || start + size > end) return 0;
  return (end - start - size) / step + 1;
}

// A new template that takes its flags, file and unit from `from`, at the
// current paper, resolution and orientation.
std::unique_ptr<tagTPLABEL> Derived(const tagTPLABEL& from, int32_t W, int32_t H, int32_t x, int32_t y,
                                    int32_t portrait) {
  auto t = std::make_unique<tagTPLABEL>();
  t->perforated = from.perforated;
  t->greetingCard = from.greetingCard;
  t->roll = from.roll;
  t->filterState = from.filterState;
  t->flagWord = from.flagWord;
  t->paperWidth = W;
  t->paperHeight = H;
  t->xres = x;
  t->yres = y;
  t->portrait = portrait;
  t->mediaType = from.mediaType;
  t->filePath = from.filePath;
  t->name = from.name;
  t->fileBaseName = from.fileBaseName;
  t->unit = from.unit;
  t->scaling = from.scaling;
  return t;
}

tagCELLINFO Cell(int64_t x, int64_t y, int64_t w, int64_t h) {
  tagCELLINFO c;
  c.x = int32_t(x);
  c.y = int32_t(y);
  c.width = int32_t(w);
  c.height = int32_t(h);
  return c;
}

}  // namespace

int CLabelSpec::ReloadGenericTemplate(int32_t W, int32_t H, int32_t x, int32_t y, const SRect32& area,
                                      int32_t portrait, int appendCount, const WCHAR* suffix) {
  if (W <= 0 || H <= 0 || x <= 0 || y <= 0 || Zyl_IsRectEmpty(&area)) return 0;
  m_generics.clear();
  const std::u16string tail = suffix ? suffix : u"";
  const int64_t areaW = int64_t(area.right) - area.left, areaH = int64_t(area.bottom) - area.top;

  for (const auto& brand : m_brands) {
    if (!brand->generic) continue;
    if (qel_wcscmpi(brand->brand.c_str(), u"Custom") == 0) {
      BuildCustom(*brand, W, H, x, y, area, portrait, suffix);
      continue;
    }
    auto made = std::make_unique<tagFILEFACTOR>();
    made->brand = brand->brand;
    made->filePath = brand->filePath;
    made->fileBaseName = brand->fileBaseName;
    made->generic = 1;
    made->order = brand->order;

    for (const auto& T : brand->templates) {
      if (T->cells.empty() || T->xres <= 0 || T->yres <= 0) continue;
      const tagCELLINFO& c = T->cells.front();
      const double sx = double(x) / T->xres, sy = double(y) / T->yres;
      const int64_t cw = ZylRound(c.width * sx), ch = ZylRound(c.height * sy);
      const int64_t rw = ZylRound(c.height * sx), rh = ZylRound(c.width * sy);
      if (cw < 1 || ch < 1) continue;
      if (!((cw <= areaW && ch <= areaH) || (rw <= areaW && rh <= areaH))) continue;
      const int64_t stepX = cw + ZylRound(x * 0.2), stepY = ch + ZylRound(y * 0.2);
      const int64_t nx = FitCount(area.left, cw, stepX, area.right), ny = FitCount(area.top, ch, stepY, area.bottom);
      const int64_t rx = FitCount(area.left, ch, stepY, area.right), ry = FitCount(area.top, cw, stepX, area.bottom);
      const int64_t upright = nx * ny, rotated = rx * ry;
      if (upright == 0 && rotated == 0) continue;

      auto t = Derived(*T, W, H, x, y, portrait);
      const bool useRotated = portrait != T->portrait ? rotated >= upright : rotated > upright;
      if (std::max(upright, rotated) > kMaxCells) continue;
      if (!useRotated) {
        for (int64_t i = 0; i < nx; ++i)
          for (int64_t j = 0; j < ny; ++j) t->cells.push_back(Cell(area.left + i * stepX, area.top + j * stepY, cw, ch));
      } else {
        for (int64_t i = 0; i < rx; ++i)
          for (int64_t j = 0; j < ry; ++j) t->cells.push_back(Cell(area.left + i * stepY, area.top + j * stepX, rw, rh));
      }
      if (appendCount) t->name = qel_format(u"%s (%d)", t->name.c_str(), int(t->cells.size()));
      if (!tail.empty()) t->name = qel_format(u"%s - %s", t->name.c_str(), tail.c_str());
      ReArrangeLable(t.get(), x, y, area);
      made->templates.push_back(std::move(t));
    }

    const bool hasFull = std::any_of(made->templates.begin(), made->templates.end(), [&](const auto& t) {
      const tagCELLINFO& c = t->cells.front();
      return (c.width == areaW && c.height == areaH) || (c.width == areaH && c.height == areaW);
    });
    // A brand read without templates has nothing to take the fit-area one from.
    if (!hasFull && !brand->templates.empty()) {
      auto t = Derived(*brand->templates.front(), W, H, x, y, portrait);
      t->filterState = 0;
      t->name = m_fitAreaName;
      t->cells.push_back(Cell(area.left, area.top, areaW, areaH));
      made->templates.push_back(std::move(t));
    }
    m_generics.push_back(std::move(made));
  }
  return 1;
}

void CLabelSpec::BuildCustom(const tagFILEFACTOR& brand, int32_t W, int32_t H, int32_t x, int32_t y,
                             const SRect32& area, int32_t portrait, const WCHAR* suffix) {
  const int32_t CX = m_nCustomXCount, CY = m_nCustomYCount;
  if (CX < 1 || CY < 1 || brand.templates.empty()) return;
  auto made = std::make_unique<tagFILEFACTOR>();
  made->brand = brand.brand;
  made->filePath = brand.filePath;
  made->fileBaseName = brand.fileBaseName;
  made->generic = 1;
  made->order = brand.order;
  auto t = Derived(*brand.templates.front(), W, H, x, y, portrait);
  const int64_t gap = ZylRound(x * 0.2);
  const int64_t areaW = int64_t(area.right) - area.left, areaH = int64_t(area.bottom) - area.top;
  const int64_t cw = (areaW + gap) / CX - gap;
  const int64_t ch = (areaH - m_tail - m_head) / CY - gap;
  if (cw < 1 || ch < 1 || int64_t(CX) * CY > kMaxCells) return;
  for (int64_t i = 0; i < CX; ++i)
    for (int64_t j = 0; j < CY; ++j)
      t->cells.push_back(Cell(area.left + i * (gap + cw), area.top + m_head + j * (gap + ch), cw, ch));
  if (suffix && *suffix) t->name = qel_format(u"%s - %s", t->name.c_str(), suffix);
  made->templates.push_back(std::move(t));
  m_generics.push_back(std::move(made));
  m_needReload = 0;
}
