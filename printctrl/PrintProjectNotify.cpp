// Notifications to the host element and the action states behind them.
#include <cmath>

#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"
#include "qel/QelCore.h"

namespace {

int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }

// A quotient as unsigned pixels per inch; 0 for a zero or bad divisor.
uint32_t PerInch(double pixels, double inches) {
  if (!(inches > 0)) return 0;
  double v = std::floor(pixels / inches + 0.5);
  return v >= 0 && v < 4e9 ? uint32_t(v) : 0;
}

}  // namespace

uint32_t CPrintProject::OptionBits() const {
  static const struct {
    int id;
    uint32_t bit;
  } kBits[] = {{0, 2}, {1, 4}, {2, 8}, {4, 0x20}, {17, 0x40}, {18, 0x80}, {19, 0x100}, {20, 0x200}};
  uint32_t v = 0;
  for (auto b : kBits) {
    if (m_nParam[b.id]) v |= b.bit;
  }
  return v;
}

intptr_t CPrintProject::_PostMessage(int32_t code, intptr_t data) {
  if (!m_pHostElement || code < PRTC_SELPIC || code > PRTC_LOWDPI || code == 2118) return 0;
  QelObject host = const_cast<void*>(m_pHostElement);
  intptr_t value = data;
  tagSELPICINFO sel{};
  tagPAGEINFO pages{};
  switch (code) {
    case PRTC_SELPIC:
      _GetSelPicState(sel);
      value = reinterpret_cast<intptr_t>(&sel);
      break;
    case PRTC_ACTIONS:
      if (m_pPreview) m_pPreview->PageChanged();
      Qel0Inter(host, 3, 16, code, _GetActionBtnState());
      return _PostMessage(PRTC_SELPIC, 0);
    case PRTC_PAGES: {
      if (m_bRebuildGuard) return 0;
      pages = tagPAGEINFO{int32_t(m_pages.size()), int32_t(m_nCurPage + 1)};
      const intptr_t r = Qel0Inter(host, 3, 16, code, reinterpret_cast<intptr_t>(&pages));
      _PageBinCurrent();
      return r;
    }
    case PRTC_OPTIONS:
      value = OptionBits();
      break;
    case PRTC_PRINT_END:
      value = 0;
      break;
    default:
      break;
  }
  return Qel0Inter(host, 3, 16, code, value);
}

intptr_t CPrintProject::SendErrorMessage(tagMessageInfo* info) {
  return _PostMessage(PRTC_ERROR, reinterpret_cast<intptr_t>(info));
}

intptr_t CPrintProject::UpdateLowDpiCellsNum() {
  return _PostMessage(PRTC_LOWDPI, _GetPageHaveLowDpiCells(m_nCurPage));
}

int CPrintProject::IsCellLowDpi(const CPrintCell* cell, double* width, double* height) const {
  if (!cell || !m_pPrintMgr || cell->isText || cell->resIndex < 0) return 0;
  int px = 0, py = 0;
  GetPrintPixel(px, py);
  if (px < 1 || py < 1) return 0;
  SRect32 s;
  cell->GetPicShowRect(s);
  SIZE org{0, 0};
  m_pImageList->GetOrgSize(cell->resIndex, &org);
  long angle;
  int fa, fb;
  cell->GetImgState(angle, fa, fb);
  double Wo = org.cx, Ho = org.cy;
  if ((m_pImageList->GetOrgDispPiclAngle(cell->resIndex) + angle) % 180 != 0) std::swap(Wo, Ho);
  double w = Wo, h = Ho;
  if (W(cell->picRect) != cell->picWidth || H(cell->picRect) != cell->picHeight) {
    if (cell->picWidth <= 0 || cell->picHeight <= 0) return 0;
    w = std::floor(Wo * W(cell->picRect) / cell->picWidth + 0.5);
    h = std::floor(Ho * H(cell->picRect) / cell->picHeight + 0.5);
  }
  const uint32_t rx = PerInch(w, double(W(s)) / px), ry = PerInch(h, double(H(s)) / py);
  const uint32_t T = uint32_t(m_nResThreshold);
  if (rx >= T && ry >= T) return 0;
  const double unit = m_nParam[5] == 0 ? 2.54 : 1.0;
  double wv = T ? w / T * unit : 0, hv = T ? h / T * unit : 0;
  if (width) *width = wv;
  if (height) *height = hv;
  if (m_nParam[6] || !width || !height) return 1;
  static const double kCm[][2] = {{13, 18}, {11, 17}, {10, 15}, {9, 13}, {7, 10}, {5, 5}, {4.5, 6}, {3.5, 5}, {3.5, 4.5}};
  static const double kIn[][2] = {{8, 10}, {5, 7}, {4, 6}, {3.5, 5}, {2, 3}, {2, 2}, {1.5, 1.5}};
  const double(*pairs)[2] = m_nParam[5] == 0 ? kCm : kIn;
  const int n = m_nParam[5] == 0 ? 9 : 7;
  for (int i = 0; i < n; ++i) {
    const double a = pairs[i][0], b = pairs[i][1];
    if (i == n - 1 || (wv >= b && hv >= a) || (wv >= a && hv >= b)) {
      *width = a, *height = b;
      break;
    }
  }
  return 1;
}

int CPrintProject::_GetPageHaveLowDpiCells(long page) const {
  CPrintPage* p = GetPage(page);
  if (!p) return 0;
  for (long i = 0; i < p->GetCellCount(); ++i) {
    if (IsCellLowDpi(p->GetCell(unsigned(i)), nullptr, nullptr)) return 1;
  }
  return 0;
}

int CPrintProject::_GetSelPicState(tagSELPICINFO& info) const {
  info = tagSELPICINFO{};
  CPrintPage* p = GetPage(m_nCurPage);
  if (!p || p->GetActiveCell() < 0 || p->GetCellCount() == 0 || !m_pPrintMgr) return 0;
  const CPrintCell* c = p->GetActiveCellPt();
  long res = p->GetCellResourceIndex(p->GetActiveCell());
  if (!c || res < 0 || m_pImageList->IsNodeEmpty(res)) return 0;
  int px = 0, py = 0;
  GetPrintPixel(px, py);
  if (px < 1 || py < 1) return 0;
  SRect32 a = c->cellRect;
  if (!m_nParam[6]) c->GetPicShowRect(a);
  SIZE org{0, 0};
  m_pImageList->GetOrgSize(res, &org);
  long angle;
  int fa, fb;
  c->GetImgState(angle, fa, fb);
  double Wo = org.cx, Ho = org.cy;
  if ((m_pImageList->GetOrgDispPiclAngle(res) + angle) % 180 != 0) std::swap(Wo, Ho);
  double w = Wo, h = Ho;
  if ((W(c->picRect) != c->picWidth || H(c->picRect) != c->picHeight) && c->picWidth > 0 && c->picHeight > 0) {
    w = std::floor(Wo * W(c->picRect) / c->picWidth + 0.5);
    h = std::floor(Ho * H(c->picRect) / c->picHeight + 0.5);
  }
  info.width = double(W(a)) / px;
  info.height = double(H(a)) / py;
  info.xResolution = int32_t(PerInch(w, info.width));
  info.yResolution = int32_t(PerInch(h, info.height));
  if (m_nParam[5] == 0) info.width *= 2.54, info.height *= 2.54;
  return 1;
}

uint32_t CPrintProject::_GetActionBtnState() const {
  CPrintPage* page = GetPage(m_nCurPage);
  if (!page || (!m_pTemplate && !m_nParam[6])) return 0;
  const long sel = page->GetCellCount() > 0 ? page->GetActiveCell() : -1;
  const CPrintCell* cell = sel >= 0 ? page->GetCell(unsigned(sel)) : nullptr;
  uint32_t v = 0;
  if (m_pClipCell) {
    bool paste = true;
    if (m_nParam[6] && uint32_t(page->GetCellCount()) >= m_nFreePageCells) paste = false;
    if (m_pClipCell->resIndex >= 0 && uint32_t(m_pImageList->GetCopies(m_pClipCell->resIndex)) >= m_nCopiesOfOne) {
      paste = false;
    }
    if (!m_pClipCell->isText && cell && !page->IsFreeLayout() && cell->isText) paste = false;
    if (!m_pClipCell->isText && cell && uint32_t(m_pImageList->GetPrintPicNum()) >= m_nPrintedPictures &&
        ((!cell->isText && cell->resIndex < 0) || cell->resIndex == m_pClipCell->resIndex)) {
      paste = false;
    }
    if (paste) v |= 0x800;
  }
  if (!cell) return v;
  if (cell->resIndex >= 0 && !m_pImageList->IsNodeEmpty(cell->resIndex)) {
    v |= 0x7F0;
    if (m_pImageList->IsPic(cell->resIndex)) {
      if (!m_nParam[6]) {
        if (cell->CanZoomIn()) v |= 0x2;
        if (cell->CanZoomOut()) v |= 0x4;
        if (cell->zoom != 1.0 && !cell->isText) v |= 0x8;
        if (!cell->autoCrop) v |= 0x200000;
      }
    } else {
      v |= 0x400000;
    }
  }
  if (m_pImageList->CanEdit()) v |= 0x4000;
  for (CPrintPage* p : m_pages) {
    if (!p->IsPageEmpty()) {
      v |= 0x20000;
      break;
    }
  }
  if (m_nParam[9]) v |= 0x8000;
  return v;
}

intptr_t CPrintProject::OnRbtnDown(long cell) {
  intptr_t v = 0;
  if (cell == -1) {
    CPrintPage* first = GetPage(0);
    if (m_nParam[6] && first && m_pClipCell) {
      bool ok = uint32_t(first->GetCellCount()) < m_nFreePageCells;
      if (m_pClipCell->resIndex >= 0 && uint32_t(m_pImageList->GetCopies(m_pClipCell->resIndex)) >= m_nCopiesOfOne) {
        ok = false;
      }
      if (!m_pClipCell->isText && uint32_t(m_pImageList->GetPrintPicNum()) >= m_nPrintedPictures) ok = false;
      if (ok) v = 0x800;
    }
  } else {
    v = _GetActionBtnState();
  }
  return _PostMessage(PRTC_RBUTTON, v);
}
