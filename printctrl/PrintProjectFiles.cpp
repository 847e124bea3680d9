// Adding, removing and refreshing picture files; making, deleting and
// searching pages; the cell clipboard, kept texts and cell masks.
#include <algorithm>

#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "ZylRect.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {

constexpr long kMaxPages = 65534;
constexpr size_t kMaxPath = 1024;

size_t Length(const WCHAR* s) {
  size_t n = 0;
  while (s && s[n] && n <= kMaxPath) ++n;
  return n;
}

}  // namespace

int CPrintProject::_AddFile(const WCHAR* path, long page, long cell, bool flag, long* index, bool lastPageOnly,
                            SIZE* size) {
  const size_t len = Length(path);
  if (len == 0 || len >= kMaxPath) return 0;
  if (uint32_t(m_pImageList->GetPrintPicNum()) >= m_nPrintedPictures) return 0;
  const bool present = !m_nParam[30] && m_pImageList->IsFileExisted(path);
  if (present && m_nParam[28]) return 0;
  if (m_nParam[6] && !m_pages.empty() && uint32_t(m_pages[0]->GetCellCount()) >= m_nFreePageCells) return 0;
  // The target is checked before the file joins the list, so a refusal
  // leaves no entry behind.
  if (page < 0 || cell < 0) {
    _GetFirstEmptyCell(page, cell, true, lastPageOnly);
    if (page < 0) return 0;
  }
  CPrintPage* target = GetPage(page);
  if (!target) return 0;
  if (!m_nParam[6] && (cell < 0 || cell >= m_pages[0]->GetCellCount())) return 0;
  const long entry = m_pImageList->AddFile(path, flag, size);
  if (index) *index = entry;
  if (entry < 0) return 0;

  int added = 0;
  if (m_nParam[6]) {
    CPrintCell c = _NewFreeCell(entry);
    added = target->DoAddCell(0, &c, false, false);
  } else {
    CPrintCell c(*target->GetCell(unsigned(cell)));
    c.history.clear();
    if (m_nParam[21] && !present && !m_nParam[27] && !m_nParam[30]) {
      m_pImageList->DoAutoRotate(entry, c.cellRect.right - c.cellRect.left, c.cellRect.bottom - c.cellRect.top);
    }
    c.SetResourceIndex(int(entry), m_pImageList->GetDispSize(entry), false);
    if (m_nParam[21]) c.DoAutoRotate(0);
    if (m_nParam[0]) c.DoAutoCrop(true);
    else c.DoZoom(0);
    added = target->DoAddCell(cell, &c, false, false);
  }
  if (!added) {
    // Nothing shows the entry: drop it again unless another cell uses it.
    if (m_pImageList->GetCopies(entry) == 0 && !(m_pClipCell && m_pClipCell->resIndex == entry)) {
      m_pImageList->_Remove(entry);
    }
    return 0;
  }
  if (m_nCurPage < 0 || m_nCurPage >= long(m_pages.size())) m_nCurPage = 0;
  if (m_nParam[6]) _PageThumbChanged(page);
  _PostMessage(PRTC_PAGES, 0);
  UpdateActionBtnState();
  return added;
}

int CPrintProject::_DoAddFile(const WCHAR* path, long page, long cell) {
  if ((!m_pTemplate && !m_nParam[6]) || !path) return 0;
  CPrintPage* target = GetPage(page);
  if (target && !m_nParam[6] && m_pTemplate && cell >= 0 && cell < m_pTemplate->GetCellCount() &&
      cell < target->GetCellCount()) {
    const bool present = m_pImageList->IsFileExisted(path);
    const long entry = m_pImageList->AddFile(path, false, nullptr);
    if (entry < 0) return 0;
    CPrintCell* old = target->GetCell(unsigned(cell));
    if (!old->isText && old->excluded && old->resIndex == entry) {
      old->excluded = false;
      UpdateActionBtnState();
      return 1;
    }
    CPrintCell c(*old);
    c.history.clear();
    if (m_nParam[21] && !present) {
      m_pImageList->DoAutoRotate(entry, c.cellRect.right - c.cellRect.left, c.cellRect.bottom - c.cellRect.top);
    }
    c.SetResourceIndex(int(entry), m_pImageList->GetDispSize(entry), false);
    if (m_nParam[21]) c.DoAutoRotate(0);
    if (m_nParam[0]) c.DoAutoCrop(true);
    else c.DoZoom(0);
    const int added = target->DoAddCell(cell, &c, false, false);
    if (!added) {
      if (m_pImageList->GetCopies(entry) == 0 && !present) m_pImageList->_Remove(entry);
      return 0;
    }
    m_nCurPage = page;
    _PostMessage(PRTC_PAGES, 0);
    SetNeedSave(1);
    return added;
  }
  return _AddFile(path, -1, -1, false, nullptr, false, nullptr);
}

int CPrintProject::_RemoveFile(const WCHAR* path) {
  if (!path) return 1;
  const long entry = m_pImageList->_FindFile(path, -1);
  if (entry < 0 || m_pImageList->GetCopies(entry) < 1) return 1;
  for (CPrintPage* p : m_pages) {
    bool lost = false;
    for (long i = p->GetCellCount() - 1; i >= 0; --i) {
      const CPrintCell* c = p->GetCell(unsigned(i));
      if (!c->isText && c->resIndex == entry) lost = p->DoDeleteCell(i) || lost;
    }
    if (lost) p->ClearUndoRedo();
  }
  m_pImageList->SetCopies(entry, 0);
  if (m_pClipCell && m_pClipCell->resIndex == entry) SetCellClipBoard(nullptr);
  _FreeNoneUsedImg();
  UpdateActionBtnState();
  _AutoDelLastNullPage();
  return 1;
}

int CPrintProject::_RefreshImage(long index, const WCHAR* path, bool edited) {
  if (!m_pImageList->IsPic(index)) return 0;
  m_pImageList->RefreshFile(index, path);
  // Only a new file given by the host is the project's to delete later:
  // without one the entry still names the user's original photo.
  m_pImageList->SetTmp2(index, edited && path);
  SIZE org{0, 0};
  m_pImageList->GetOrgSize(index, &org);
  const bool lost = org.cx == 0 || org.cy == 0;
  if (m_pages.empty()) return 0;
  const SIZE disp = m_pImageList->GetDispSize(index);
  if (m_nParam[6]) {
    CPrintPage* p = m_pages[0];
    for (long i = p->GetCellCount() - 1; i >= 0; --i) {
      CPrintCell* c = p->GetCell(unsigned(i));
      if (c->isText || c->resIndex != index) continue;
      c->history.clear();
      if (lost) {
        p->DoDeleteCell(i);
        continue;
      }
      c->SetResourceIndex(int(index), disp, false);
      const SIZE s = _CalculateCellSize(org, 3);
      const int32_t cx = (c->cellRect.left + c->cellRect.right) / 2, cy = (c->cellRect.top + c->cellRect.bottom) / 2;
      SRect32 r{cx - s.cx / 2, cy - s.cy / 2, cx - s.cx / 2 + s.cx, cy - s.cy / 2 + s.cy};
      SRect32 area{0, 0, 0, 0};
      if (GetPrintArea(area)) HoldDispRect(&r, &area);
      c->cellRect = r;
      c->DoZoom(0);
    }
    p->ClearUndoRedo();
    _PageThumbChanged(0);
  } else {
    for (long pi = 0; pi < long(m_pages.size()); ++pi) {
      CPrintPage* p = m_pages[size_t(pi)];
      bool had = false;
      for (long i = p->GetCellCount() - 1; i >= 0; --i) {
        CPrintCell* c = p->GetCell(unsigned(i));
        if (c->isText || c->resIndex != index) continue;
        had = true;
        if (lost) {
          p->DoDeleteCell(i);
          continue;
        }
        c->history.clear();
        c->SetResourceIndex(int(index), disp, false);
        if (m_nParam[21]) c->DoAutoRotate(m_pImageList->GetOrgDispPiclAngle(index));
        c->DoZoom(0);
      }
      if (had || p->IsImgInUndoList(unsigned(index))) p->ClearUndoRedo();
      if (had) _PageThumbChanged(pi);
    }
  }
  UpdateActionBtnState();
  SetNeedSave(1);
  _FreeNoneUsedImg();
  return 1;
}

void CPrintProject::_FreeNoneUsedImg() {
  for (long i = 0; i < m_pImageList->GetCount(); ++i) {
    if (!m_pImageList->IsPic(i) || m_pImageList->GetCopies(i) > 0) continue;
    if (m_pClipCell && m_pClipCell->resIndex == i) continue;
    m_pImageList->_Remove(i);
  }
}

void CPrintProject::SetCellClipBoard(CPrintCell* cell) {
  if (m_pClipCell) {
    const long res = m_pClipCell->resIndex;
    const bool picture = !m_pClipCell->isText && res >= 0;
    delete m_pClipCell;
    m_pClipCell = nullptr;
    if (picture && m_pImageList->GetCopies(res) == 0) m_pImageList->_Remove(res);  // its last holder
  }
  m_pClipCell = cell;
  if (cell) {
    UpdateActionBtnState();
    if (cell->resIndex >= 0) m_pImageList->GetDispPic(cell->resIndex);
  }
}

// ---- pages ----

int CPrintProject::CreateNewPage() {
  if (long(m_pages.size()) > kMaxPages - 1) return 0;
  auto* p = new CPrintPage(this, m_nParam[6]);
  m_pages.push_back(p);
  if (m_nParam[6]) {
    int w = 1000, h = 2000;
    if (m_pPrintMgr) m_pPrintMgr->GetPaperSize(&w, &h);
    p->SetPaperSize(SIZE{w, h});
  } else {
    p->SetTemplate(m_pTemplate);
  }
  if (m_nCurPage < 0) m_nCurPage = 0;
  else if (m_nCurPage >= long(m_pages.size())) m_nCurPage = long(m_pages.size()) - 1;
  _PageBinAdded(long(m_pages.size()) - 1);
  _PostMessage(PRTC_PAGES, 0);
  return 1;
}

int CPrintProject::DeletePage(long page) {
  if (page == -1) {
    _PageBinDeleted(-1);
    for (CPrintPage* p : m_pages) delete p;
    m_pages.clear();
    m_nCurPage = -1;
    for (long i = m_pImageList->GetCount() - 1; i >= 0; --i) {
      if (m_pImageList->IsText(i) && m_pImageList->GetCopies(i) > 0) m_pImageList->CopyDecrease(i, false);
    }
    m_pImageList->ClearDirty(true);
  } else if (CPrintPage* p = GetPage(page)) {
    for (long i = p->GetCellCount() - 1; i >= 0; --i) {
      const long res = p->GetCellResourceIndex(i);
      if (res < 0) continue;
      ImgCopiesDecrease(res, false);
      if (m_pImageList->GetCopies(res) == 0 && !(m_pClipCell && m_pClipCell->resIndex == res)) {
        m_pImageList->_Remove(res);
      }
    }
    _PageBinDeleted(page);
    delete p;
    m_pages.erase(m_pages.begin() + page);
  }
  if (m_pClipCell && (m_pClipCell->resIndex < 0 || m_pClipCell->resIndex >= m_pImageList->GetCount() ||
                      m_pImageList->IsNodeEmpty(m_pClipCell->resIndex))) {
    SetCellClipBoard(nullptr);
  }
  return 1;
}

int CPrintProject::CanDeletePage() const {
  return m_pages.size() == 1 && m_nCurPage == 0 && m_pages[0]->IsPageEmpty() ? 0 : 1;
}

int CPrintProject::_AutoDelLastNullPage() {
  bool deleted = false, currentGone = false;
  for (long i = long(m_pages.size()) - 1; i >= 0; --i) {
    CPrintPage* p = m_pages[size_t(i)];
    bool keep = false;
    // A page with any resource stays, a text as much as a picture.
    for (long c = 0; c < p->GetCellCount() && !keep; ++c) keep = p->GetCellResourceIndex(c) >= 0;
    if (keep) continue;
    if (i == m_nCurPage) currentGone = true;
    else if (i < m_nCurPage) --m_nCurPage;
    DeletePage(i);
    deleted = true;
  }
  if (!currentGone && m_nCurPage >= 0 && m_nCurPage < long(m_pages.size())) {
    if (deleted) _PostMessage(PRTC_PAGES, 0);
    return 1;
  }
  if (m_pages.empty() && !CreateNewPage()) return 1;
  if (m_nCurPage < 0) m_nCurPage = 0;
  if (m_nCurPage >= long(m_pages.size())) m_nCurPage = long(m_pages.size()) - 1;
  _PostMessage(PRTC_PAGES, 0);
  return 1;
}

int CPrintProject::_GetFirstEmptyCell(long& page, long& cell, bool create, bool lastPageOnly) {
  page = cell = -1;
  if (!m_nParam[6]) {
    const long from = lastPageOnly && m_pages.size() > 1 ? long(m_pages.size()) - 1 : 0;
    for (long p = from; p < long(m_pages.size()) && page < 0; ++p) {
      for (long c = 0; c < m_pages[size_t(p)]->GetCellCount(); ++c) {
        const long res = m_pages[size_t(p)]->GetCellResourceIndex(c);
        if (res < 0 || m_pImageList->IsNodeEmpty(res)) {
          page = p, cell = c;
          break;
        }
      }
    }
  } else if (!m_pages.empty()) {
    page = 0, cell = 0;
  }
  if (page >= 0 || !create) return 1;
  if (CreateNewPage() && (m_nParam[6] || m_pages.back()->GetCellCount() > 0)) {
    page = long(m_pages.size()) - 1, cell = 0;
  }
  return 1;
}

// ---- kept texts and cell masks ----

void CPrintProject::_CreateTmpPagesTexts() {
  for (CPrintPage* p : m_pages) {
    std::list<CPrintCell> cells;
    std::list<FILENODE> nodes;
    for (long i = 0; i < p->GetCellCount(); ++i) {
      const CPrintCell* c = p->GetCell(unsigned(i));
      FILENODE n;
      if (c->isText && m_pImageList->GetNode(c->resIndex, n)) {
        cells.push_back(*c);
        nodes.push_back(n);
      }
    }
    m_tmpPageTexts.push_back(std::move(cells));
    m_tmpPageTextNodes.push_back(std::move(nodes));
  }
}

void CPrintProject::_ClearTmpPagesTexts() {
  m_tmpPageTexts.clear();
  m_tmpPageTextNodes.clear();
}

bool CPrintProject::_TextInTmp() const {
  return std::any_of(m_tmpPageTexts.begin(), m_tmpPageTexts.end(), [](const auto& l) { return !l.empty(); });
}

void CPrintProject::_CreateCellMaskPics() {
  _ClearCellMaskPics();
  if (!m_pTemplate) return;
  for (int i = 0; i < m_pTemplate->GetCellCount(); ++i) {
    const WCHAR* name = m_pTemplate->GetCell(i)->szMask;
    PubImage::QelPicture* pic = nullptr;
    if (name && *name) {
      for (int j = 0; j < i && !pic; ++j) {
        const WCHAR* other = m_pTemplate->GetCell(j)->szMask;
        if (other && qel_wcscmpi(other, name) == 0 && m_cellMaskPics[size_t(j)]) {
          pic = m_cellMaskPics[size_t(j)];
          pic->Retain();
        }
      }
      if (!pic) {
        pic = OpenImgFile(name, true, nullptr, nullptr);
        qel::Picture* p = pichandle::Pict(pic);
        qel::Layer* mask = p ? p->LayerAt(1) : nullptr;
        if (mask) {
          SRect32 r{0, 0, mask->Pixels().width(), mask->Pixels().height()};
          PubImage::QelLayer* white = CreateLayerObj(&r);
          if (white) {
            qel::Layer* old = p->Remove(1);
            pichandle::Lyr(white)->Inter(QEL_IF_LAYER, 28, 0, reinterpret_cast<QELLPARAM>(old->Handle()));
            old->Release();
            p->Insert(1, pichandle::Lyr(white));
            white->Release();
          } else {
            pic->Release();
            pic = nullptr;
          }
        } else if (pic) {
          pic->Release();
          pic = nullptr;
        }
      }
    }
    m_cellMaskPics.push_back(pic);
  }
}

void CPrintProject::_ClearCellMaskPics() {
  for (auto it = m_cellMaskPics.rbegin(); it != m_cellMaskPics.rend(); ++it) {
    if (*it) (*it)->Release();
  }
  m_cellMaskPics.clear();
}

void CPrintProject::_UpdateCropMarkFlag() {
  m_bCropMark = false;
  if (m_nParam[6] || !m_pTemplate || !m_pPrintMgr || m_pTemplate->GetPerforated() == 1 ||
      m_pTemplate->GetRollPaper()) {
    return;
  }
  if (m_pPrintMgr->IsGenericBrand(m_brand.c_str())) {
    m_bCropMark = true;
    return;
  }
  const int n = m_pTemplate->GetCellCount();
  if (n == 0) return;
  const SRect32 first = m_pTemplate->GetCell(0)->rc;
  std::vector<int32_t> xs, ys;
  SRect32 bound{88888, 88888, -88888, -88888};
  for (int i = 0; i < n; ++i) {
    const SRect32 r = m_pTemplate->GetCell(i)->rc;
    if (r.right - r.left != first.right - first.left || r.bottom - r.top != first.bottom - first.top) return;
    xs.push_back(r.left), xs.push_back(r.right), ys.push_back(r.top), ys.push_back(r.bottom);
    bound.left = std::min(bound.left, r.left), bound.top = std::min(bound.top, r.top);
    bound.right = std::max(bound.right, r.right), bound.bottom = std::max(bound.bottom, r.bottom);
  }
  for (auto* v : {&xs, &ys}) {
    std::sort(v->begin(), v->end());
    std::vector<int32_t> merged;
    for (int32_t x : *v) {
      if (!merged.empty() && merged.back() == x) continue;
      if (!merged.empty() && x - merged.back() < 2) return;
      merged.push_back(x);
    }
    if (merged.size() % 2) return;
  }
  SIZE paper{0, 0};
  double cmW = 0, cmH = 0;
  if (!GetPrintPaperSize(paper) || !GetPaperSize(cmW, cmH, false, false) || cmW <= 0) return;
  const int32_t p = int32_t(paper.cx / cmW + 0.5);
  const int32_t d = int32_t(p * 0.5 + 0.5);
  Zyl_InflateRect(&bound, d, d);
  int mx = 0, my = 0;
  GetPrinterMargin(&mx, &my);
  Zyl_OffsetRect(&bound, mx, my);
  SRect32 area{0, 0, 0, 0};
  GetPrintArea(area);
  if (bound.left <= area.left && bound.top <= area.top && bound.right >= area.right && bound.bottom >= area.bottom) {
    return;
  }
  m_bCropMark = true;
}

int CPrintProject::GetCropMark() const {
  if (m_nParam[33] && m_pPrintMgr && m_pTemplate) return 1;
  if (!m_nParam[2] || m_nParam[6] || !m_pPrintMgr || !m_pTemplate) return 0;
  return m_bCropMark ? 1 : 0;
}
