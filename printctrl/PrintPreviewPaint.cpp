// Drawing the preview: the page comes from the renderer that prints it, at
// the size shown; over it the print area, empty cells, frames, crop marks,
// attention marks and the feedback of a drag, in the suite's dark style.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"

namespace {

// Above this the page is drawn smaller and scaled up on the screen: the
// largest zoom of a big paper would otherwise hold hundreds of megabytes.
constexpr int32_t kMaxRender = 3000;

void Rgb(cairo_t* cr, uint32_t rgb, double a = 1.0) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, a);
}

void Box(cairo_t* cr, const SRect32& r, double inset) {
  cairo_rectangle(cr, r.left + inset, r.top + inset, r.right - r.left - 2 * inset, r.bottom - r.top - 2 * inset);
}

bool Empty(const SRect32& r) { return r.right <= r.left || r.bottom <= r.top; }

cairo_surface_t* ToSurface(const img::Bitmap& b) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, b.width(), b.height());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_surface_flush(s);
  uint8_t* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int32_t y = 0; y < b.height(); ++y) {
    const uint8_t* p = b.row(y);
    auto* o = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < b.width(); ++x) {
      o[x] = (uint32_t(p[3 * x + 2]) << 16) | (uint32_t(p[3 * x + 1]) << 8) | p[3 * x];
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

// The attention mark: an amber disc with an exclamation mark.
void Attention(cairo_t* cr, double cx, double cy) {
  Rgb(cr, 0xf5c211);
  cairo_arc(cr, cx, cy, 8, 0, 2 * M_PI);
  cairo_fill(cr);
  Rgb(cr, 0x241f31);
  cairo_set_line_width(cr, 2.2);
  cairo_move_to(cr, cx, cy - 4.5);
  cairo_line_to(cr, cx, cy + 1);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy + 4, 1.3, 0, 2 * M_PI);
  cairo_fill(cr);
}

}  // namespace

void CPrintPreview::ClearRendering() {
  if (m_pSurface) cairo_surface_destroy(m_pSurface);
  m_pSurface = nullptr;
  m_bDirty = true;
}

bool CPrintPreview::Render() {
  ClearRendering();
  m_bDirty = false;
  if (!m_pPage || m_szShown.cx < 1 || m_szShown.cy < 1) return false;
  SIZE size = m_szShown;
  const int32_t longer = std::max(size.cx, size.cy);
  if (longer > kMaxRender) {
    size.cx = std::max(int32_t(int64_t(size.cx) * kMaxRender / longer), 1);
    size.cy = std::max(int32_t(int64_t(size.cy) * kMaxRender / longer), 1);
  }
  // A drag in progress shows its cell as it will be: the picture panned, or
  // the cell lifted off the page. The change lasts only for this drawing.
  CPrintCell* c = m_pPage->GetCell(m_drag.cell());
  const bool pan = c && m_drag.kind() == CPreviewDrag::kPan;
  const bool lift = c && m_drag.kind() == CPreviewDrag::kFree;
  SRect32 keptPic{0, 0, 0, 0};
  bool keptExcluded = false;
  if (pan) keptPic = c->picRect, c->picRect = m_drag.picRect();
  if (lift) keptExcluded = c->excluded, c->excluded = true;
  PubImage::QelPicture* pic = m_pPage->GetPagePic(size, false, true, nullptr, nullptr);
  if (pan) c->picRect = keptPic;
  if (lift) c->excluded = keptExcluded;
  qel::Picture* p = pichandle::Pict(pic);
  if (p) m_pSurface = ToSurface(p->Flatten());
  if (pic) pic->Release();
  return m_pSurface != nullptr;
}

void CPrintPreview::Paint(cairo_t* cr) {
  if (!m_pView || !m_pPage) return;
  if (m_bDirty) Render();
  const SRect32 paper = PaperRect();
  if (Empty(paper)) return;
  cairo_save(cr);
  // Paper with a soft shadow.
  Rgb(cr, 0x000000, 0.45);
  cairo_rectangle(cr, paper.left + 3, paper.top + 4, paper.right - paper.left, paper.bottom - paper.top);
  cairo_fill(cr);
  Rgb(cr, 0xffffff);
  Box(cr, paper, 0);
  cairo_fill(cr);
  if (m_pSurface) {
    const int sw = cairo_image_surface_get_width(m_pSurface), sh = cairo_image_surface_get_height(m_pSurface);
    cairo_save(cr);
    Box(cr, paper, 0);
    cairo_clip(cr);
    cairo_translate(cr, paper.left, paper.top);
    cairo_scale(cr, double(paper.right - paper.left) / sw, double(paper.bottom - paper.top) / sh);
    cairo_set_source_surface(cr, m_pSurface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
  }

  // The printable area: a fine dashed line where the printer stops.
  SRect32 area{0, 0, 0, 0};
  if (m_pProject && m_pProject->GetPrintArea(area) && !Empty(area)) {
    int32_t dx = 0, dy = 0;
    m_pProject->GetPrinterMargin(&dx, &dy);
    const SRect32 a = PageToWindow(SRect32{area.left - dx, area.top - dy, area.right - dx, area.bottom - dy});
    if (a.left > paper.left || a.top > paper.top || a.right < paper.right || a.bottom < paper.bottom) {
      const double dash[] = {4, 3};
      cairo_set_dash(cr, dash, 2, 0);
      cairo_set_line_width(cr, 1);
      Rgb(cr, 0x9a9aa2);
      Box(cr, a, 0.5);
      cairo_stroke(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
    }
  }

  const long n = m_pPage->GetCellCount();
  const bool frames = m_pProject && m_pProject->GetBParam(22);
  std::vector<int32_t> xs, ys;
  for (long i = 0; i < n; ++i) {
    const CPrintCell* c = m_pPage->GetCell(i);
    const SRect32 r = PageToWindow(c->cellRect);
    if (Empty(r)) continue;
    if (!c->isText) {
      xs.push_back(r.left), xs.push_back(r.right);
      ys.push_back(r.top), ys.push_back(r.bottom);
    }
    if (!c->isText && c->resIndex < 0) {
      // An empty cell waits for a picture.
      Rgb(cr, 0xe8e8ec);
      Box(cr, r, 0);
      cairo_fill(cr);
      const double dash[] = {5, 4};
      cairo_set_dash(cr, dash, 2, 0);
      cairo_set_line_width(cr, 1);
      Rgb(cr, 0xa0a0a8);
      Box(cr, r, 0.5);
      cairo_stroke(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
    } else if (c->excluded && !(m_drag.kind() == CPreviewDrag::kFree && m_drag.cell() == i)) {
      // Left out of printing: the cell is hatched over.
      cairo_save(cr);
      Box(cr, r, 0);
      cairo_clip(cr);
      Rgb(cr, 0xf0f0f2, 0.85);
      cairo_paint(cr);
      Rgb(cr, 0xb0b0b8);
      cairo_set_line_width(cr, 1);
      for (int32_t d = -(r.bottom - r.top); d < r.right - r.left; d += 10) {
        cairo_move_to(cr, r.left + d, r.bottom);
        cairo_line_to(cr, r.left + d + (r.bottom - r.top), r.top);
      }
      cairo_stroke(cr);
      cairo_restore(cr);
    } else if (frames) {
      cairo_set_line_width(cr, 1);
      Rgb(cr, 0xb8b8c0);
      Box(cr, r, 0.5);
      cairo_stroke(cr);
    }
    if (m_pProject && m_pProject->GetBParam(23) && m_pProject->IsCellLowDpi(c, nullptr, nullptr)) {
      SRect32 show;
      c->GetPicShowRect(show);
      const SRect32 s = PageToWindow(show);
      if (!Empty(s)) Attention(cr, s.right - 12, s.bottom - 12);
    }
  }

  // Crop marks: one inch long, half an inch outside the outermost edges.
  double pw = 0, ph = 0;
  if (m_pProject && m_pProject->GetCropMark() && !xs.empty() && m_pProject->GetPaperSize(pw, ph, false, true) &&
      pw > 0) {
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    const double L = std::floor((paper.right - paper.left) / pw + 0.5), G = std::floor(L * 0.5 + 0.5);
    Rgb(cr, 0x000000);
    cairo_set_line_width(cr, 1);
    for (int32_t x : xs) {
      cairo_move_to(cr, x + 0.5, ys.front() - G - L);
      cairo_line_to(cr, x + 0.5, ys.front() - G);
      cairo_move_to(cr, x + 0.5, ys.back() + G);
      cairo_line_to(cr, x + 0.5, ys.back() + G + L);
    }
    for (int32_t y : ys) {
      cairo_move_to(cr, xs.front() - G - L, y + 0.5);
      cairo_line_to(cr, xs.front() - G, y + 0.5);
      cairo_move_to(cr, xs.back() + G, y + 0.5);
      cairo_line_to(cr, xs.back() + G + L, y + 0.5);
    }
    cairo_stroke(cr);
  }

  // The selected cell: a blue frame; on a free page with corner handles.
  const CPrintCell* active = m_pPage->GetCell(m_nActiveCell);
  if (active && m_bInteractive) {
    SRect32 r = PageToWindow(active->cellRect);
    if (m_drag.kind() == CPreviewDrag::kFree) r = m_drag.rect();
    Rgb(cr, 0x3584e4);
    cairo_set_line_width(cr, 2);
    Box(cr, r, 1);
    cairo_stroke(cr);
    if (m_pPage->IsFreeLayout() || active->isText) {
      for (POINT c : {POINT{r.left, r.top}, POINT{r.right, r.top}, POINT{r.left, r.bottom}, POINT{r.right, r.bottom}}) {
        Rgb(cr, 0xffffff);
        cairo_rectangle(cr, c.x - 4, c.y - 4, 8, 8);
        cairo_fill_preserve(cr);
        Rgb(cr, 0x3584e4);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
      }
    }
  }

  // A swap shows where the picture would land.
  if (m_drag.kind() == CPreviewDrag::kSwap && m_drag.target() >= 0) {
    const SRect32 t = CellRect(m_drag.target());
    Rgb(cr, 0x3584e4, 0.25);
    Box(cr, t, 0);
    cairo_fill(cr);
    const double dash[] = {6, 4};
    cairo_set_dash(cr, dash, 2, 0);
    Rgb(cr, 0x3584e4);
    cairo_set_line_width(cr, 2);
    Box(cr, t, 1);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_restore(cr);
}
