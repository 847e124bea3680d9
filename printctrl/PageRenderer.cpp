// The whole page as one picture: white paper with every shown cell drawn in
// stacking order, each picture turned, flipped and cut as its cell shows
// it. The page strip's thumbnails, still-image output and the preview use it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "img/Operations.h"

namespace {

int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }

struct Scale {
  double x, y;
  int32_t dx, dy;  // the printer margin: page to paper coordinates
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

// Washes the cell area toward white where its mask is not opaque.
void ApplyMask(img::Bitmap& canvas, const img::Plane& mask, const SRect32& at) {
  img::Plane m = img::Resample(mask, at.right - at.left, at.bottom - at.top);
  if (m.empty()) return;
  for (int32_t y = std::max(at.top, 0); y < std::min(at.bottom, canvas.height()); ++y) {
    uint8_t* row = canvas.mutable_row(y);
    const uint8_t* a = m.row(y - at.top);
    for (int32_t x = std::max(at.left, 0); x < std::min(at.right, canvas.width()); ++x) {
      const uint32_t al = a[x - at.left];
      for (int c = 0; c < 3; ++c) row[3 * x + c] = uint8_t((row[3 * x + c] * al + 255 * (255 - al) + 127) / 255);
    }
  }
}

}  // namespace

PubImage::QelPicture* CPrintPage::GetPagePic(SIZE size, bool original, bool withMasks, PAGEPICPROC progress,
                                             void* context) const {
  if (size.cx < 1 || size.cy < 1 || img::CheckedImageBytes(size.cx, size.cy, 3) == 0) return nullptr;
  SIZE paper = paperSize;
  if ((paper.cx <= 0 || paper.cy <= 0) && project) project->GetPrintPaperSize(paper);
  if (paper.cx <= 0 || paper.cy <= 0) return nullptr;
  Scale sc{double(size.cx) / paper.cx, double(size.cy) / paper.cy, 0, 0};
  if (project) project->GetPrinterMargin(&sc.dx, &sc.dy);

  img::Bitmap canvas = img::Bitmap::Filled(size.cx, size.cy, 0xFF);
  if (canvas.empty()) return nullptr;
  std::vector<long> order(cells.size());
  std::iota(order.begin(), order.end(), 0L);
  std::stable_sort(order.begin(), order.end(),
                   [&](long a, long b) { return cells[size_t(a)]->zOrder < cells[size_t(b)]->zOrder; });
  long done = 0;
  for (long i : order) {
    const CPrintCell* c = cells[size_t(i)];
    ++done;
    if (c->isText || c->excluded || c->resIndex < 0) continue;  // texts are not drawn yet
    SRect32 show;
    c->GetPicShowRect(show);
    PubImage::QelPicture* pic = _GetCellPic(i, original ? 2 : 1);
    qel::Picture* p = pichandle::Pict(pic);
    if (p && show.right > show.left && show.bottom > show.top) {
      img::Bitmap px = p->Flatten();
      SIZE from{c->picWidth, c->picHeight}, to{px.width(), px.height()};
      SRect32 part = c->picRect, cut{0, 0, 0, 0};
      if (from.cx > 0 && GetZoomRect(from, part, to, cut, false)) {
        SRect32 at = sc.Map(show);
        img::Bitmap piece = img::Crop(px, cut.left, cut.top, cut.right, cut.bottom);
        if (!piece.empty() && at.right > at.left && at.bottom > at.top) {
          img::Bitmap drawn = img::Resample(piece, at.right - at.left, at.bottom - at.top);
          if (!drawn.empty()) Paste(canvas, drawn, at.left, at.top);
        }
      }
    }
    if (pic) pic->Release();
    if (withMasks) {
      if (PubImage::QelPicture* mask = GetCellMask(i)) {
        qel::Picture* mp = pichandle::Pict(mask);
        qel::Layer* ml = mp ? mp->LayerAt(1) : nullptr;
        if (ml && !ml->Mask().empty()) ApplyMask(canvas, ml->Mask(), sc.Map(c->cellRect));
        mask->Release();
      }
    }
    if (progress && !progress(context, int(done * 100 / long(order.size())))) return nullptr;
  }
  PubImage::QelPicture* out = CreatePicObj(size);
  if (!out) return nullptr;
  qel::Layer* l = qel::Layer::Make(std::move(canvas));
  pichandle::Pict(out)->Insert(1, l);
  l->Release();
  return out;
}
