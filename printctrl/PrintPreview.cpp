// The preview: construction, the page shown, the paper's place and zoom,
// the selection and the copy buttons.
#include "PrintPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "PictureHandles.h"
#include "PrintImageList.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "PreviewView.h"
#include "qel/QelLayout.h"

namespace {

constexpr int32_t kPad = 12;  // dark border round the paper

int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }

}  // namespace

const double CPrintPreview::s_zoomValues[] = {1.0 / 20, 1.0 / 15, 1.0 / 12, 1.0 / 10, 1.0 / 9, 1.0 / 8, 1.0 / 7,
                                              1.0 / 6,  1.0 / 5,  1.0 / 4,  1.0 / 3,  1.0 / 2, 1.0};
const int CPrintPreview::s_zoomNum = 13;

CPrintPreview::CPrintPreview(CPrintProject* project, qel::Element* element)
    : m_pProject(project), m_pElement(element), m_drag(this) {
  if (!m_pElement) return;
  // A plain element of that name (a copied control, or a host's layout)
  // gives way to the one that draws.
  if (qel::Element* old = m_pElement->FindByName("cata_printpreview1", false)) old->PutInside(nullptr, nullptr);
  m_pView = new CPreviewView;
  m_pView->Attach(this);
  auto* sheet = new CPreviewSheet(m_pView);
  sheet->PutInside(m_pView, nullptr);
  sheet->Release();
  m_pView->PutInside(m_pElement, nullptr);
}

CPrintPreview::~CPrintPreview() {
  // The element tree may be going down around the preview: nothing here
  // lays it out or asks its geometry.
  m_drag.Forget();
  ClearRendering();
  if (m_pView) {
    // The toolkit may still hold the view (a press in progress): it then
    // finds no preview and does nothing.
    m_pView->Attach(nullptr);
    if (Qel0GetGValue(2) == reinterpret_cast<intptr_t>(m_pView->Handle())) Qel0SetGValue(2, 0);
    for (qel::Element* b : {m_pCopyAdd, m_pCopySub}) {
      if (b) b->SetCallback(nullptr, nullptr);
    }
    m_pView->PutInside(nullptr, nullptr);
    m_pView->Release();
  }
}

qel::Element* CPrintPreview::View() const { return m_pView; }

void CPrintPreview::InitSubUIs(const std::u16string& folder) {
  if (!m_pView || folder.empty()) return;
  if (m_pCopyPanel) {
    m_pCopyPanel->PutInside(nullptr, nullptr);
    m_pCopyPanel = m_pCopyAdd = m_pCopySub = m_pCopyNum = nullptr;
  }
  // The copy buttons are optional: without their layout there are none.
  const std::u16string path = folder + u"copy_btns.aui";
  std::error_code ec;
  if (!std::filesystem::exists(qel::ToU8(path), ec)) return;
  QelObject root = QelCreateLayoutW(path.c_str());
  qel::Element* panel = qel::Element::From(root);
  qel::Element* left = panel ? panel->FindByName("cata_left", true) : nullptr;
  if (left) {
    m_pCopyPanel = left;
    m_pCopyAdd = left->FindByName("butn_22", true);
    m_pCopySub = left->FindByName("butn_211", true);
    m_pCopyNum = left->FindByName("butn_212", true);
    left->PutInside(m_pView, nullptr);  // above the sheet
    left->Show(false);
    for (qel::Element* b : {m_pCopyAdd, m_pCopySub}) {
      if (b) b->SetCallback(&CPrintPreview::s_CallBack, this);
    }
  }
  if (root) Qel0Release(root);
  UpdateCopyBtn();
}

// ---- the page ----

void CPrintPreview::ShowPage(CPrintPage* page) {
  m_drag.Cancel();
  m_pPage = page;
  m_nCopyCell = -1;
  if (!page) {
    m_nActiveCell = -2;
    PageChanged();
    if (m_pProject) m_pProject->UpdateActionBtnState();
    return;
  }
  m_nActiveCell = -1;
  OnLayout();
  SetActive(page->GetActiveCell());
  PageChanged();
  if (m_pProject) m_pProject->UpdateLowDpiCellsNum();
}

void CPrintPreview::PageChanged() {
  m_bDirty = true;
  if (m_pPage && m_nActiveCell >= m_pPage->GetCellCount()) m_nActiveCell = m_pPage->GetActiveCell();
  OnLayout();
  UpdateCopyBtn();
  Invalidate();
}

void CPrintPreview::Invalidate() {
  if (m_pView) m_pView->Invalidate();
}

// ---- geometry ----

int CPrintPreview::OnLayout() {
  if (!m_pView) return 0;
  SIZE paper{0, 0};
  if (m_pPage) paper = m_pPage->GetPaperSize();
  if ((paper.cx <= 0 || paper.cy <= 0) && m_pProject) m_pProject->GetPrintPaperSize(paper);
  const SIZE view = m_pView->LaidOutSize();
  SIZE shown{0, 0};
  if (paper.cx > 0 && paper.cy > 0 && view.cx > 2 * kPad && view.cy > 2 * kPad) {
    if (m_bFitZoom) {
      const double k = std::min(double(view.cx - 2 * kPad) / paper.cx, double(view.cy - 2 * kPad) / paper.cy);
      shown = SIZE{std::max(Round(paper.cx * k), 1), std::max(Round(paper.cy * k), 1)};
      m_dZoom = double(shown.cx) / paper.cx;
    } else {
      shown = SIZE{std::max(Round(paper.cx * m_dZoom), 1), std::max(Round(paper.cy * m_dZoom), 1)};
    }
  }
  if (shown.cx != m_szShown.cx || shown.cy != m_szShown.cy || paper.cx != m_szPaper.cx || paper.cy != m_szPaper.cy) {
    m_bDirty = true;
  }
  m_szShown = shown;
  m_szPaper = paper;
  ScrollBy(0, 0);  // keeps the offsets in range
  LayoutCopyBtns();
  return 1;
}

void CPrintPreview::ScrollBy(int32_t dx, int32_t dy) {
  const SIZE view = m_pView ? m_pView->LaidOutSize() : SIZE{0, 0};
  const int32_t maxX = std::max(m_szShown.cx + 2 * kPad - view.cx, 0);
  const int32_t maxY = std::max(m_szShown.cy + 2 * kPad - view.cy, 0);
  const int32_t x = std::clamp(m_nScrollX + dx, 0, maxX), y = std::clamp(m_nScrollY + dy, 0, maxY);
  if (x == m_nScrollX && y == m_nScrollY) return;
  m_nScrollX = x, m_nScrollY = y;
  LayoutCopyBtns();
  Invalidate();
}

SRect32 CPrintPreview::PaperRect() const {
  if (!m_pView || m_szShown.cx < 1) return SRect32{0, 0, 0, 0};
  const SRect32 b = m_pView->Bounds();
  const int32_t vw = b.right - b.left, vh = b.bottom - b.top;
  const int32_t x = m_szShown.cx + 2 * kPad <= vw ? b.left + (vw - m_szShown.cx) / 2 : b.left + kPad - m_nScrollX;
  const int32_t y = m_szShown.cy + 2 * kPad <= vh ? b.top + (vh - m_szShown.cy) / 2 : b.top + kPad - m_nScrollY;
  return SRect32{x, y, x + m_szShown.cx, y + m_szShown.cy};
}

// The same mapping the page renderer draws with: page pixels plus the
// printer's offset, scaled from the paper to the picture's size.
SRect32 CPrintPreview::PageToWindow(const SRect32& r) const {
  const SRect32 p = PaperRect();
  if (m_szPaper.cx < 1 || m_szPaper.cy < 1 || p.right <= p.left) return SRect32{0, 0, 0, 0};
  int32_t dx = 0, dy = 0;
  if (m_pProject) m_pProject->GetPrinterMargin(&dx, &dy);
  const double kx = double(m_szShown.cx) / m_szPaper.cx, ky = double(m_szShown.cy) / m_szPaper.cy;
  return SRect32{p.left + Round((r.left + dx) * kx), p.top + Round((r.top + dy) * ky),
                 p.left + Round((r.right + dx) * kx), p.top + Round((r.bottom + dy) * ky)};
}

SRect32 CPrintPreview::WindowToPage(const SRect32& r) const {
  const SRect32 p = PaperRect();
  if (m_szShown.cx < 1 || m_szShown.cy < 1) return SRect32{0, 0, 0, 0};
  int32_t dx = 0, dy = 0;
  if (m_pProject) m_pProject->GetPrinterMargin(&dx, &dy);
  const double kx = double(m_szPaper.cx) / m_szShown.cx, ky = double(m_szPaper.cy) / m_szShown.cy;
  return SRect32{Round((r.left - p.left) * kx) - dx, Round((r.top - p.top) * ky) - dy,
                 Round((r.right - p.left) * kx) - dx, Round((r.bottom - p.top) * ky) - dy};
}

SRect32 CPrintPreview::CellRect(long cell) const {
  const CPrintCell* c = m_pPage ? m_pPage->GetCell(cell) : nullptr;
  return c ? PageToWindow(c->cellRect) : SRect32{0, 0, 0, 0};
}

long CPrintPreview::CellAt(POINT p) const {
  if (!m_pPage) return -1;
  long best = -1;
  int32_t bestZ = -1;
  for (long i = 0; i < m_pPage->GetCellCount(); ++i) {
    const CPrintCell* c = m_pPage->GetCell(i);
    const SRect32 r = PageToWindow(c->cellRect);
    if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) continue;
    if (c->zOrder > bestZ) best = i, bestZ = c->zOrder;
  }
  return best;
}

// ---- zoom ----

int CPrintPreview::_SetZoom(double z) {
  if (!(z >= s_zoomValues[0]) || z > s_zoomValues[s_zoomNum - 1]) return 0;
  m_bFitZoom = false;
  m_dZoom = z;
  PageChanged();
  return 1;
}

int CPrintPreview::SetZoom(double z) {
  if (!(z >= 0.00001) || !std::isfinite(z)) return 0;
  m_bFitZoom = false;
  m_dZoom = z;
  PageChanged();
  return 1;
}

void CPrintPreview::GetZoomState(bool& canZoomIn, bool& canZoomOut, bool& notFit) const {
  canZoomIn = m_dZoom < s_zoomValues[s_zoomNum - 1];
  canZoomOut = m_dZoom > s_zoomValues[0];
  notFit = !m_bFitZoom;
}

int CPrintPreview::DoZoom(long direction) {
  const double* first = s_zoomValues;
  const double* last = s_zoomValues + s_zoomNum;
  switch (direction) {
    case 0:
      if (m_bFitZoom) return 0;
      m_bFitZoom = true;
      break;
    case 1:
      if (m_dZoom >= last[-1]) return 0;
      m_dZoom = *std::upper_bound(first, last, m_dZoom);
      m_bFitZoom = false;
      break;
    case -1:
      if (m_dZoom <= first[0]) return 0;
      m_dZoom = *(std::lower_bound(first, last, m_dZoom) - 1);
      m_bFitZoom = false;
      break;
    default:
      return 0;
  }
  PageChanged();
  return 1;
}

// ---- selection ----

void CPrintPreview::SetActive(long cell) {
  if (!m_bInteractive) {
    m_nActiveCell = -1;
    return;
  }
  m_nActiveCell = cell;
  UpdateCopyBtn();
  Invalidate();
  if (m_pProject) m_pProject->UpdateActionBtnState();
}

// ---- copy buttons ----

void CPrintPreview::UpdateCopyBtn() {
  if (!m_pCopyPanel) return;
  const CPrintCell* c = m_pPage ? m_pPage->GetCell(m_nActiveCell) : nullptr;
  CPrintImageList* list = m_pProject ? m_pProject->GetImageList() : nullptr;
  const bool on = c && list && !c->isText && c->resIndex >= 0 && m_pProject->GetBParam(13) && m_bInteractive &&
                  m_drag.kind() == CPreviewDrag::kNone;
  m_nCopyCell = on ? m_nActiveCell : -1;
  if (!on) {
    m_pCopyPanel->Show(false);
    return;
  }
  const long copies = list->GetCopies(c->resIndex);
  char text[16];
  std::snprintf(text, sizeof text, "%ld", copies);
  if (m_pCopyNum) m_pCopyNum->SetText(qel::ToU16(text));
  bool add = uint32_t(copies) < m_pProject->m_nCopiesOfOne &&
             m_pProject->m_nPrintedPictures > uint32_t(list->GetPrintPicNum());
  if (m_pPage->IsFreeLayout() && uint32_t(m_pPage->GetCellCount()) >= m_pProject->m_nFreePageCells) add = false;
  if (m_pCopyAdd) m_pCopyAdd->Enable(add);
  if (m_pCopySub) m_pCopySub->Enable(copies > 1);
  LayoutCopyBtns();
}

void CPrintPreview::LayoutCopyBtns() {
  if (!m_pCopyPanel || !m_pView) return;
  const SRect32 cell = CellRect(m_nCopyCell);
  if (m_nCopyCell < 0 || cell.right <= cell.left) {
    m_pCopyPanel->Show(false);
    return;
  }
  const SRect32 b = m_pView->Bounds();
  const SIZE s = m_pCopyPanel->FrameSize();
  // Inside the cell's bottom-left corner; under a cell too small to hold
  // them without covering what is dragged. Kept inside the view.
  int32_t x = cell.left + 4, y = cell.bottom - s.cy - 4;
  if (cell.bottom - cell.top < 3 * s.cy || cell.right - cell.left < s.cx + 8) {
    x = cell.left;
    y = cell.bottom + s.cy + 4 <= b.bottom ? cell.bottom + 4 : cell.top - s.cy - 4;
  }
  x = std::clamp(x, b.left, std::max(b.left, b.right - s.cx));
  y = std::clamp(y, b.top, std::max(b.top, b.bottom - s.cy));
  const SRect32 m = m_pCopyPanel->Margin();
  if (m.left != x - b.left || m.top != y - b.top) m_pCopyPanel->SetMargin(SRect32{x - b.left, y - b.top, 0, 0});
  if (!m_pCopyPanel->Visible()) m_pCopyPanel->Show(true);
}

int32_t CPrintPreview::s_CallBack(QelObject element, int32_t event, QELLPARAM data, void* preview) {
  auto* p = static_cast<CPrintPreview*>(preview);
  return p ? p->CallBack(qel::Element::From(element), event, data) : 0;
}

int32_t CPrintPreview::CallBack(qel::Element* element, int32_t event, QELLPARAM) {
  if (event != QEL_EV_CLICK || !element || !m_pPage || !m_pProject || m_nCopyCell < 0) return 0;
  const long cell = m_nCopyCell;
  if (element == m_pCopyAdd) m_pProject->Interface(3, 15, reinterpret_cast<const void*>(intptr_t(cell)));
  else if (element == m_pCopySub) m_pProject->Interface(3, 16, reinterpret_cast<const void*>(intptr_t(cell)));
  UpdateCopyBtn();
  return 0;
}
