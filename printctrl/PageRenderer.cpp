// The whole page as one picture: white paper with every shown cell drawn in
// stacking order, each cell made exactly as printing makes it (the same cut,
// turn, flip, border and mask) and placed as the printer places it, so a
// page picture shows what prints. The page strip's thumbnails, still-image
// output and the preview use it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "CellPrintLayer.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "img/Operations.h"

namespace {

int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }

struct Scale {
  double x, y;
  int32_t dx, dy;  // the user's offset: page to paper coordinates
  SRect32 Map(const SRect32& r) const {
    return SRect32{Round((r.left + dx) * x), Round((r.top + dy) * y), Round((r.right + dx) * x),
                   Round((r.bottom + dy) * y)};
  }
};

// Copies `src` into `canvas` at (x, y), clipped to the canvas.
void Paste(img::Bitmap& canvas, const img::Bitmap& src, int32_t x, int32_t y) {
  const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int32_t x1 = std::min(x + src.width(), canvas.width()), y1 = std::min(y + src.height(), canvas.height());
  for (int32_t row = y0; row < y1; ++row) {
    std::memcpy(canvas.mutable_row(row) + size_t(x0) * 3, src.row(row - y) + size_t(x0 - x) * 3,
                size_t(std::max(x1 - x0, 0)) * 3);
  }
}

// The layer's pixels as they print: a masked layer over white paper.
img::Bitmap Printed(const qel::Layer& l) {
  img::Bitmap px = l.Pixels();
  const img::Plane& m = l.Mask();
  if (m.empty() || m.width() != px.width() || m.height() != px.height()) return px;
  for (int32_t y = 0; y < px.height(); ++y) {
    uint8_t* row = px.mutable_row(y);
    const uint8_t* a = m.row(y);
    for (int32_t x = 0; x < px.width(); ++x)
      for (int c = 0; c < 3; ++c) row[3 * x + c] = uint8_t((row[3 * x + c] * a[x] + 255 * (255 - a[x]) + 127) / 255);
  }
  return px;
}

// Draws the layer into `at` (canvas pixels) as the printer does: its shape
// kept and centred.
void Draw(img::Bitmap& canvas, PubImage::QelLayer* layer, const SRect32& at) {
  qel::Layer* l = pichandle::Lyr(layer);
  const int32_t dw = at.right - at.left, dh = at.bottom - at.top;
  if (!l || dw < 1 || dh < 1) return;
  const int32_t sw = l->Pixels().width(), sh = l->Pixels().height();
  if (sw < 1 || sh < 1) return;
  const double f = std::min(double(dw) / sw, double(dh) / sh);
  const int32_t w = std::max(int32_t(sw * f), 1), h = std::max(int32_t(sh * f), 1);
  img::Bitmap drawn = img::Resample(Printed(*l), w, h);
  if (!drawn.empty()) Paste(canvas, drawn, at.left + (dw - w) / 2, at.top + (dh - h) / 2);
}

}  // namespace

PubImage::QelPicture* CPrintPage::GetPagePic(SIZE size, bool original, bool withMasks, PAGEPICPROC progress,
                                             void* context) const {
  if (size.cx < 1 || size.cy < 1 || img::CheckedImageBytes(size.cx, size.cy, 3) == 0 || !project) return nullptr;
  SIZE paper = paperSize;
  if (paper.cx <= 0 || paper.cy <= 0) project->GetPrintPaperSize(paper);
  if (paper.cx <= 0 || paper.cy <= 0) return nullptr;
  CPageGeometry g;
  g.Read(*project, *this);
  const Scale sc{double(size.cx) / paper.cx, double(size.cy) / paper.cy, g.margin.x, g.margin.y};

  img::Bitmap canvas = img::Bitmap::Filled(size.cx, size.cy, 0xFF);
  if (canvas.empty()) return nullptr;
  std::vector<long> order(cells.size());
  std::iota(order.begin(), order.end(), 0L);
  std::stable_sort(order.begin(), order.end(),
                   [&](long a, long b) { return cells[size_t(a)]->zOrder < cells[size_t(b)]->zOrder; });
  CCellLayerOptions o;
  o.original = original;
  o.masks = withMasks;
  o.forPrinter = false;
  long done = 0;
  for (long i : order) {
    const CPrintCell* c = cells[size_t(i)];
    if (c->isText || c->excluded || c->resIndex < 0) continue;  // texts are not drawn yet
    ++done;
    CCellLayer cl;
    if (MakeCellLayer(*project, *this, i, g, o, cl) == CellLayerStatus::kReady) Draw(canvas, cl.layer, sc.Map(cl.dest));
    if (progress && !progress(context, std::max(1, int(done * 100 / long(order.size()))))) return nullptr;
  }
  PubImage::QelPicture* out = CreatePicObj(size);
  if (!out) return nullptr;
  qel::Layer* l = qel::Layer::Make(std::move(canvas));
  pichandle::Pict(out)->Insert(1, l);
  l->Release();
  return out;
}
