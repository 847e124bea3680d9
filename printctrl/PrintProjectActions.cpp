// The editing actions the host asks for with command 3: zoom, turn and flip
// the active picture, copy, cut, paste and delete cells, delete pages, more
// or fewer copies of a picture, select cells and pages, auto-crop, and leave
// a picture out of printing.
#include <algorithm>

#include "PrintPage.h"
#include "PrintProject.h"
#include "ZylRect.h"

namespace {

enum : long {
  kZoomIn = 1, kZoomOut = 2, kZoomFit = 3,
  kTurnLeft = 4, kTurnRight = 5,
  kFlipAcross = 6, kFlipDown = 7,
  kCopy = 8, kPaste = 9, kCut = 10, kDelete = 11, kDeletePage = 12,
  kMoreCopies = 15, kFewerCopies = 16,
  kSelectCell = 20, kNextPage = 21, kPreviousPage = 22,
  kStripLeft = 23, kStripRight = 24,
  kRelayout = 25, kAutoCrop = 29, kExclude = 32,
};

constexpr int32_t kTextLimitReached = 2130;

long ArgLong(const void* arg) { return long(reinterpret_cast<intptr_t>(arg)); }

}  // namespace

int CPrintProject::_CellIncrease(CPrintCell* cell) {
  if (!cell || cell->resIndex < 0 || !m_pImageList->GetDispPic(cell->resIndex) || m_nParam[6]) return 0;
  long p = -1, c = -1;
  _GetFirstEmptyCell(p, c, true, false);
  CPrintPage* page = GetPage(p);
  if (!page || c < 0) return 0;
  return page->DoAddCell(c, cell, false, false);
}

int CPrintProject::_CellDecrease(CPrintCell* cell) {
  if (!cell || cell->resIndex < 0 || !m_pImageList->GetDispPic(cell->resIndex)) return 0;
  const int32_t res = cell->resIndex;
  for (long p = GetPageCount() - 1; p >= 0; --p) {
    CPrintPage* page = m_pages[size_t(p)];
    for (long i = page->GetCellCount() - 1; i >= 0; --i) {
      const CPrintCell* c = page->GetCell(unsigned(i));
      if (c->isText || c->resIndex != res) continue;
      const int done = page->DoDeleteCell(i);
      if (done) _AutoDelLastNullPage();
      return done;
    }
  }
  return 0;
}

void CPrintProject::_FreePagePic(long page) {
  const CPrintPage* p = GetPage(page);
  for (long i = 0; p && i < p->GetCellCount(); ++i) {
    const long res = p->GetCellResourceIndex(i);
    if (res >= 0 && m_pImageList->GetCopies(res) < 2) m_pImageList->FreeDispPic(res);
  }
}

intptr_t CPrintProject::_DoCellAction(long action, const void* arg) {
  if (m_nCurPage < 0 || m_nCurPage >= GetPageCount()) return 0;
  const long current = m_nCurPage;
  CPrintPage* page = m_pages[size_t(current)];
  const long active = page->GetActiveCell();
  CPrintCell* cell = page->GetActiveCellPt();
  const long res = cell ? cell->resIndex : -1;
  const bool freeLayout = m_nParam[6] != 0;

  // Every action that edits ends here; `ok` says the page changed.
  auto ending = [&](bool ok) -> intptr_t {
    UpdateActionBtnState();
    SetNeedSave(1);
    if (!ok) return 0;
    if (active >= 0 && active < page->GetCellCount()) _PreviewCellChanged(action, active);
    return 1;
  };
  // Removes the active cell (cut and delete); 1 when it went.
  auto removeActive = [&]() {
    if (!cell) return 0;
    if (cell->isText) {
      const int done = page->DoDeleteTxt(active);
      if (done) _AutoDelLastNullPage();
      return done;
    }
    const int done = page->DoDeleteCell(active);
    _AutoDelLastNullPage();
    return done;
  };
  auto copyActive = [&]() {
    if (cell && res >= 0 && !m_pImageList->IsNodeEmpty(res)) SetCellClipBoard(new CPrintCell(*cell));
  };

  switch (action) {
    case kZoomIn:
    case kZoomOut:
    case kZoomFit: {
      if (freeLayout || (cell && cell->isText)) return 0;
      if (res < 0) return ending(false);
      const int step = action == kZoomIn ? 1 : action == kZoomOut ? -1 : 0;
      return ending(page->DoZoomCellPic(active, step) != 0);
    }
    case kTurnLeft:
    case kTurnRight:
      if (res < 0 || active < 0) return ending(false);
      return ending(page->DoRotateCellPic(active, action == kTurnLeft ? 90 : 270) != 0);
    case kFlipAcross:
    case kFlipDown:
      if (res < 0 || active < 0) return ending(false);
      return ending(page->DoFlipCellPic(active, action == kFlipAcross ? 1 : 0) != 0);
    case kCopy:
      copyActive();
      return ending(false);
    case kCut:
      copyActive();
      if (res >= 0) removeActive();
      return ending(false);
    case kPaste:
      return _PasteCell(page, active, cell);
    case kDelete: {
      if (res >= 0) removeActive();
      // The selection moves to the nearest cell that still shows something.
      CPrintPage* now = GetPage(m_nCurPage);
      if (now && now->GetActiveCellPt() && now->GetActiveCellPt()->resIndex < 0) {
        const long from = now->GetActiveCell(), n = now->GetCellCount();
        long found = -1;
        for (long i = from + 1; i < n && found < 0; ++i)
          if (now->GetCellResourceIndex(i) >= 0) found = i;
        for (long i = from - 1; i >= 0 && found < 0; --i)
          if (now->GetCellResourceIndex(i) >= 0) found = i;
        if (found >= 0) {
          now->SetActiveCell(found);
          _PreviewSetActive(m_nCurPage, found);
          UpdateActionBtnState();
        }
      }
      UpdateActionBtnState();
      SetNeedSave(1);
      return 0;
    }
    case kDeletePage:
      return _DeleteCurrentPage();
    case 13:
    case 14:
      return 0;
    case kMoreCopies:
    case kFewerCopies: {
      const long idx = ArgLong(arg);
      CPrintCell* c = idx >= 0 && idx < page->GetCellCount() ? page->GetCell(unsigned(idx)) : nullptr;
      if (c && c->resIndex >= 0) {
        if (page->IsFreeLayout()) {
          if (action == kMoreCopies && page->DoAddCell(0, c, false, false)) {
            if (CPrintCell* added = page->GetActiveCellPt()) {
              SRect32 r{0, 0, added->cellRect.right - added->cellRect.left,
                        added->cellRect.bottom - added->cellRect.top};
              _AdjustPosition(r);
              added->cellRect = r;
            }
            _PageThumbChanged(current);
            _PreviewShowPage(current, true);
          } else if (action == kFewerCopies && page->DoDeleteCell(idx)) {
            _PreviewShowPage(current, true);
          }
        } else if (action == kMoreCopies ? _CellIncrease(c) : _CellDecrease(c)) {
          _PreviewUpdateCopyBtn();
        }
      }
      return ending(false);
    }
    case kSelectCell: {
      const long p = int16_t(uint32_t(reinterpret_cast<uintptr_t>(arg)) >> 16);
      const long c = int16_t(uint32_t(reinterpret_cast<uintptr_t>(arg)) & 0xFFFF);
      CPrintPage* target = GetPage(p);
      if (!target || c < 0 || c >= target->GetCellCount()) return 0;
      target->SetActiveCell(c);
      if (_PreviewShows(p)) {
        _PreviewSetActive(p, c);
        UpdateActionBtnState();
      }
      return 1;
    }
    case kNextPage:
    case kPreviousPage: {
      const long to = action == kNextPage ? current + 1 : current - 1;
      if (to < 0 || to >= GetPageCount()) return 0;
      m_nCurPage = to;
      _PreviewShowPage(to, true);
      if (m_nParam[30]) _FreePagePic(current);
      _PostMessage(PRTC_PAGES, 0);
      return 0;
    }
    case kStripLeft:
    case kStripRight:
      _PageStripScroll(action == kStripLeft ? -1 : 1);
      return 0;
    case kRelayout:
      if (freeLayout) _SetTemplate(0);
      return ending(false);
    case kAutoCrop:
      if (!freeLayout && cell && !cell->isText && res >= 0 && !cell->autoCrop) {
        page->SetCellAutoCrop(active, true, false);
        _PageThumbChanged(current);
        return ending(true);
      }
      return ending(false);
    case kExclude: {
      const long idx = ArgLong(arg) < 0 ? active : ArgLong(arg);
      CPrintCell* c = idx >= 0 ? page->GetCell(unsigned(idx)) : nullptr;
      if (res < 0 || !c || c->isText) return 0;
      c->excluded = !c->excluded;
      if (_PreviewShows(current)) {
        _PreviewUpdateCellDel(current, idx);
        UpdateActionBtnState();
      }
      return 1;
    }
    default:
      return ending(false);
  }
}

intptr_t CPrintProject::_PasteCell(CPrintPage* page, long active, CPrintCell* cell) {
  const long current = m_nCurPage;
  auto ending = [&](bool ok) -> intptr_t {
    UpdateActionBtnState();
    SetNeedSave(1);
    if (!ok) return 0;
    if (active >= 0 && active < page->GetCellCount()) _PreviewCellChanged(9, active);
    return 1;
  };
  CPrintCell* clip = m_pClipCell;
  if (!clip) {
    // The system clipboard's picture would come through a file, and the
    // control has no way to read that clipboard yet.
    if (cell && cell->isText && !m_nParam[6]) return 0;
    return ending(false);
  }
  if (clip->isText) {
    if (uint32_t(page->GetTextCellsNum()) >= m_nTextCellsPerPage) {
      _PostMessage(kTextLimitReached, 0);
      return 0;
    }
    CMyTextInfo text;
    int added = 0;
    if (m_pImageList->GetTextInfo(clip->resIndex, text) && page->BeginEditText(true, nullptr)) {
      page->EditText(text);
      added = page->EndEditText(false, nullptr);
    }
    if (added) {
      long angle;
      int flipA, flipB;
      clip->GetImgState(angle, flipA, flipB);
      CPrintCell* last = page->GetCell(unsigned(page->GetCellCount() - 1));
      if (last && (angle > 0 || flipA)) {
        if (flipA) last->DoFlip(true);
        last->DoRotate(angle);
      }
      SRect32 area{0, 0, 0, 0};
      if (last && GetPrintArea(area)) {
        const int32_t dx = std::max(area.left - last->cellRect.left, 0), dy = std::max(area.top - last->cellRect.top, 0);
        Zyl_OffsetRect(&last->cellRect, dx, dy);
      }
      _PageThumbChanged(current);
    }
    ending(false);
    return added;
  }
  if (uint32_t(m_pImageList->GetPrintPicNum()) >= m_nPrintedPictures && !(_GetActionBtnState() & 0x800))
    return 0;
  if (!page->IsFreeLayout() && cell && cell->isText) return 0;
  if (page->DoAddCell(active, clip, false, false)) {
    if (page->IsFreeLayout()) {
      if (CPrintCell* added = page->GetActiveCellPt()) {
        SRect32 r{0, 0, added->cellRect.right - added->cellRect.left, added->cellRect.bottom - added->cellRect.top};
        _AdjustPosition(r);
        added->cellRect = r;
      }
      _PageThumbChanged(current);
    }
    _PreviewShowPage(current, false);
    return ending(true);
  }
  if (!page->IsFreeLayout() && cell && cell->resIndex == clip->resIndex && _CellIncrease(cell)) _PreviewUpdateCopyBtn();
  return ending(false);
}

intptr_t CPrintProject::_DeleteCurrentPage() {
  CPrintPage* page = GetPage(m_nCurPage);
  if (!page || (GetPageCount() == 1 && page->IsPageEmpty())) return 0;
  if (m_nParam[6]) {
    // The clipboard's picture goes with the image list.
    SetCellClipBoard(nullptr);
    DeletePage(0);
    m_nSlot = 0, m_nShift = 0, m_bResetSlots = 1;
    m_pImageList->Clear();
    CreateNewPage();
    _SetTemplate(0);
    m_nCurPage = GetPageCount() > 0 ? 0 : -1;
    _PreviewShowPage(m_nCurPage, true);
  } else {
    DeletePage(m_nCurPage);
    if (m_nCurPage >= GetPageCount()) m_nCurPage = GetPageCount() - 1;
    if (GetPageCount() > 0) {
      if (!_PreviewShows(m_nCurPage)) _PreviewShowPage(m_nCurPage, true);
    } else {
      CreateNewPage();
      _SetTemplate(0);
      m_nCurPage = GetPageCount() > 0 ? 0 : -1;
      _PreviewShowPage(m_nCurPage, true);
    }
  }
  _PostMessage(PRTC_PAGES, 0);
  UpdateActionBtnState();
  SetNeedSave(1);
  return 0;
}
