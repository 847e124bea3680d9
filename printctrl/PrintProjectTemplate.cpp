// Applying the print manager's current template to the project, starting a
// new project, and sizing and placing free-layout cells.
#include <algorithm>
#include <cmath>

#include "PictureFunctions.h"
#include "PrintPage.h"
#include "PrintProject.h"

namespace {

constexpr size_t kNameUnits = 1024;

int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }

// The picture rectangle turned by a quarter-turn angle inside a w x h picture.
SRect32 TurnRect(SRect32 r, int32_t angle, int32_t& w, int32_t& h) {
  switch (((angle % 360) + 360) % 360) {
    case 90:
      r = SRect32{r.top, w - r.right, r.bottom, w - r.left};
      std::swap(w, h);
      break;
    case 180:
      r = SRect32{w - r.right, h - r.bottom, w - r.left, h - r.top};
      break;
    case 270:
      r = SRect32{h - r.bottom, r.left, h - r.top, r.right};
      std::swap(w, h);
      break;
    default:
      break;
  }
  return r;
}

}  // namespace

int CPrintProject::_SetTemplate(int force) {
  if (!m_pPrintMgr || !m_pImageList) return 0;
  SIZE paper{0, 0};
  SRect32 area{0, 0, 0, 0};
  GetPrintPaperSize(paper);
  GetPrintArea(area);
  std::u16string brand, name;
  WCHAR b[kNameUnits] = {}, t[kNameUnits] = {};
  if (m_nParam[6]) {
    brand = u"FreeStyle", name = u"Custom";
  } else {
    m_pPrintMgr->GetCurrentTemplateName(b, t);
    b[kNameUnits - 1] = t[kNameUnits - 1] = 0;
    brand = b, name = t;
  }
  int px = 0, py = 0;
  GetPrintPixel(px, py);
  bool same = false;
  if (!force && brand == m_brand && name == m_templateName && m_lastPaper.cx > 0 && m_lastPaper.cy > 0 &&
      m_lastPixelX > 0 && m_lastPixelY > 0 && px > 0 && py > 0) {
    same = m_lastPaper.cx / m_lastPixelX == paper.cx / px && m_lastPaper.cy / m_lastPixelY == paper.cy / py;
  }
  SetCellClipBoard(nullptr);
  m_brand = brand, m_templateName = name;
  const int oldCells = m_pTemplate ? m_pTemplate->GetCellCount() : 0;
  delete m_pTemplate;
  m_pTemplate = nullptr;
  if (m_nParam[6]) {
    m_pPrintMgr->GetCurrentTemplateName(b, t);
    b[kNameUnits - 1] = t[kNameUnits - 1] = 0;
  }
  m_pTemplate = m_pPrintMgr->GetTemplateByName(b, t, 0, nullptr);
  if (!m_pTemplate) m_pTemplate = m_pPrintMgr->GetTemplateByName(b, t, 0, nullptr);
  _UpdateCropMarkFlag();
  m_lastPaper = paper;
  m_lastArea = area;
  if (m_pTemplate) same = same && m_pTemplate->GetCellCount() == oldCells;
  if (!m_pTemplate && !m_nParam[6]) {
    GetPrintPixel(m_lastPixelX, m_lastPixelY);
    return 0;
  }
  m_thumbSize = SIZE{80, 80};
  _CreateCellMaskPics();

  if (m_nParam[6] && !m_pages.empty() && m_pages[0]->GetCellCount() > 0) {
    m_pImageList->ClearDirty(false);
    _ReCalculateRects();
    _PostMessage(PRTC_PAGES, 0);
    GetPrintPixel(m_lastPixelX, m_lastPixelY);
    return 1;
  }
  if (same && m_nParam[26] && m_nParam[21] && !m_nParam[6]) {
    for (CPrintPage* p : m_pages) p->OrientationChanged(m_pTemplate);
    _PostMessage(PRTC_PAGES, 0);
    UpdateActionBtnState();
    GetPrintPixel(m_lastPixelX, m_lastPixelY);
    return 1;
  }

  // General case: what each picture cell was, in page order.
  const long current = m_nCurPage;
  _CreateTmpPagesTexts();
  std::vector<CTmpCellInfo*> records;
  bool anyPicture = false;
  if (!m_openProc) {
    for (CPrintPage* p : m_pages) {
      if (p->IsFreeLayout()) break;
      for (long i = 0; i < p->GetCellCount(); ++i) {
        const CPrintCell* c = p->GetCell(unsigned(i));
        if (c->isText) continue;
        auto* r = new CTmpCellInfo();
        records.push_back(r);
        if (c->resIndex < 0) continue;
        anyPicture = true;
        long angle;
        int fa, fb;
        c->GetImgState(angle, fa, fb);
        r->autoCrop = c->autoCrop;
        r->flip = fa != 0;
        r->rotation = int32_t(angle);
        r->picCenterX = (c->picRect.left + c->picRect.right) / 2;
        r->picCenterY = (c->picRect.top + c->picRect.bottom) / 2;
        r->zoom = c->zoom;
        r->picIndex = c->resIndex;
        r->fileName = m_pImageList->GetFileName(c->resIndex);
        if (m_nParam[21] && c->zoom > 1.0) {
          int32_t w = c->picWidth, h = c->picHeight;
          SRect32 q = TurnRect(c->picRect, 360 - r->rotation, w, h);
          if (r->flip) q = SRect32{w - q.right, q.top, w - q.left, q.bottom};
          q = TurnRect(q, 360 - m_pImageList->GetOrgDispPiclAngle(c->resIndex), w, h);
          r->cropCenterX = (q.left + q.right) / 2;
          r->cropCenterY = (q.top + q.bottom) / 2;
        }
      }
    }
  }
  auto freeRecords = [&] {
    for (CTmpCellInfo* r : records) delete r;
    records.clear();
  };
  DeletePage(-1);  // the rebuild makes the pages anew
  if (!anyPicture) {
    if (m_pImageList->GetPrintPicNum() == 0 && !_TextInTmp()) {
      GetPrintPixel(m_lastPixelX, m_lastPixelY);
      _ClearTmpPagesTexts();
      freeRecords();
      const int made = CreateNewPage();
      UpdateActionBtnState();
      return made;
    }
    freeRecords();
  }
  m_bRebuildGuard = true;
  const int result = _RefreshImg(0, current, records.empty() ? nullptr : &records);
  m_bRebuildGuard = false;
  _PostMessage(PRTC_PAGES, 0);
  _ClearTmpPagesTexts();
  GetPrintPixel(m_lastPixelX, m_lastPixelY);
  freeRecords();
  return result;
}

int CPrintProject::_NewProject() {
  m_nSlot = 0, m_nShift = 0, m_bResetSlots = 1;
  m_brand.clear(), m_templateName.clear();
  DeletePage(-1);
  SetCellClipBoard(nullptr);
  m_pImageList->Clear();
  m_label.clear();
  CreateNewPage();
  _SetTemplate(1);
  SetNeedSave(0);
  _PostMessage(PRTC_OPTIONS, 0);
  return 1;
}

void CPrintProject::_ReCalculateRects() {
  CPrintPage* page = GetPage(m_nCurPage);
  if (!m_nParam[6] || !page || !m_pPrintMgr) return;
  SIZE paper{0, 0};
  GetPrintPaperSize(paper);
  page->SetPaperSize(paper);
  page->ClearUndoRedo();
  int px = 0, py = 0;
  GetPrintPixel(px, py);
  // One horizontal ratio scales both axes; no usable old value: unchanged.
  const double scale = m_lastPixelX > 0 && px > 0 ? double(px) / m_lastPixelX : 1.0;
  for (long i = 0; i < page->GetCellCount(); ++i) {
    CPrintCell* c = page->GetCell(unsigned(i));
    auto s = [&](int32_t v) { return int32_t(std::floor(v * scale + 0.5)); };
    SRect32 r{s(c->cellRect.left), s(c->cellRect.top), s(c->cellRect.right), s(c->cellRect.bottom)};
    page->LimitCellRect(r);
    c->cellRect = r;
    if (!c->isText) c->DoZoom(0);
  }
}

SIZE CPrintProject::_CalculateCellSize(SIZE picture, int mode) const {
  if (!m_pPrintMgr || picture.cx == 0 || picture.cy == 0) return SIZE{0, 0};
  int x = 0, y = 0;
  GetPrintPixel(x, y);
  SRect32 a{0, 0, 0, 0};
  GetPrintArea(a);
  double bw = 0, bh = 0;
  auto perInch = [&](double ppi) {
    bw = std::floor(x * double(picture.cx) / ppi + 0.5);
    bh = std::floor(y * double(picture.cy) / ppi + 0.5);
  };
  switch (mode) {
    case 0:
    case 5: perInch(100); break;
    case 1: bw = x, bh = y; break;
    case 2: bw = 2.0 * x, bh = 2.0 * y; break;
    case 3: bw = 4.0 * x, bh = 4.0 * y; break;
    case 4: bw = 8.0 * x, bh = 8.0 * y; break;
    case 6: perInch(150); break;
    case 7: perInch(200); break;
    case 8: perInch(250); break;
    case 9: perInch(300); break;
    default: break;
  }
  bw = std::min(bw, double(W(a))), bh = std::min(bh, double(H(a)));
  bw = std::max(bw, 0.0), bh = std::max(bh, 0.0);
  const double pw = picture.cx, ph = picture.cy;
  if (pw * bh >= ph * bw) {
    return SIZE{int32_t(bw), std::max(int32_t(std::floor(ph * bw / pw + 0.5)), 1)};
  }
  return SIZE{std::max(int32_t(std::floor(bh * pw / ph + 0.5)), 1), int32_t(bh)};
}

CPrintCell CPrintProject::_NewFreeCell(long entry) {
  SIZE org{0, 0};
  m_pImageList->GetOrgSize(entry, &org);
  const SIZE s = _CalculateCellSize(org, 3);
  SRect32 r{0, 0, s.cx, s.cy};
  _AdjustPosition(r);
  CPrintCell c;
  c.cellRect = r;
  c.SetResourceIndex(int(entry), m_pImageList->GetDispSize(entry), false);
  c.DoZoom(0);
  return c;
}

void CPrintProject::_AdjustPosition(SRect32& rect) {
  const int32_t w = W(rect), h = H(rect);
  int x = 0, y = 0;
  GetPrintPixel(x, y);
  SRect32 a{0, 0, 0, 0};
  GetPrintArea(a);
  if (w == W(a) || h == H(a)) {
    rect = SRect32{rect.left + a.left, rect.top + a.top, rect.right + a.left, rect.bottom + a.top};
    return;
  }
  const int32_t colW = 4 * x, rowH = 4 * y;
  // The grid starts at the area's corner; whole columns and rows only.
  const int32_t cols = colW > 0 ? W(a) / colW : 0, rows = rowH > 0 ? H(a) / rowH : 0;
  if (cols <= 0 || rows <= 0) {
    rect = SRect32{a.left, a.top, a.left + w, a.top + h};
  } else {
    if (m_bResetSlots) m_nSlot = 0, m_nShift = 0, m_bResetSlots = 0;
    if (rows * cols <= m_nSlot) {
      m_nSlot = 0;
      m_nShift += int32_t(y * 0.2);
      if (m_nShift >= W(a)) m_nShift = 0;
    }
    const int32_t row = m_nSlot / cols, col = m_nSlot % cols;
    rect.top = a.top + rowH * row + (rowH - h) / 2 + m_nShift;
    rect.left = a.left + colW * col + (colW - w) / 2;
    rect.bottom = rect.top + h, rect.right = rect.left + w;
    ++m_nSlot;
  }
  if (rect.right > a.right) rect.left -= rect.right - a.right, rect.right = a.right;
  if (rect.bottom > a.bottom) rect.top -= rect.bottom - a.bottom, rect.bottom = a.bottom;
  if (rect.left < a.left) rect.right += a.left - rect.left, rect.left = a.left;
  if (rect.top < a.top) rect.bottom += a.top - rect.top, rect.top = a.top;
}
