// The command interface the host drives the control through (element
// message class 53, commands 0 to 36).
#include <algorithm>
#include <cstring>

#include "FunctionImgCtrl.h"
#include "PictureFunctions.h"
#include "PrintPage.h"
#include "PrintProject.h"
#include "qel/QelCore.h"
#include "qel/QelImage.h"

namespace {

// page<<16 | cell, each half a signed 16-bit number.
long PageOf(intptr_t packed) { return int16_t(uint32_t(packed) >> 16); }
long CellOf(intptr_t packed) { return int16_t(uint32_t(packed) & 0xFFFF); }

template <typename T>
T* Out(const void* p) {
  return static_cast<T*>(const_cast<void*>(p));
}

}  // namespace

intptr_t CPrintProject::Interface(uint32_t command, intptr_t w, const void* l) {
  if (command == 30) {
    m_bReady = w ? 1 : 0;
    return 1;
  }
  if (command == 31) return m_bReady;
  if (!m_bReady || command > 36) return 0;
  // While a job runs (the host hears of it from inside command 13) the
  // pages must stay as they are: only questions are answered.
  static const uint32_t kWhilePrinting[] = {6, 15, 16, 18, 26};
  if (m_bPrinting && std::find(std::begin(kWhilePrinting), std::end(kWhilePrinting), command) == std::end(kWhilePrinting))
    return 0;
  switch (command) {
    case 0:
      SetPrintManager(reinterpret_cast<CZylPrintManager*>(w));
      if (!m_pPrintMgr) return 1;
      m_pPrintMgr->GetMargin(&m_margin.x, &m_margin.y, 1);
      if (m_resFolder.empty()) m_resFolder = BundleResourceFolder();
      if (!m_resFolder.empty()) _LoadRes();
      m_pPrintMgr->SetHeadTailHeight(0, 0);
      return 1;
    case 1:
      return 0;  // the page strip comes with the preview
    case 2: {
      // Only settings that change the layout mark the project modified;
      // those of the view, limits and values kept for the host do not.
      static const long kLayout[] = {0, 1, 2, 6, 7, 8, 21, 26, 27, 29, 30};
      if (std::find(std::begin(kLayout), std::end(kLayout), long(w)) != std::end(kLayout)) SetNeedSave(1);
      return _SetParam(long(w), l);
    }
    case 3:
      if (w == 26 || w == 27 || w == 28 || w == 30) return 0;  // the preview's zoom comes with the preview
      return _DoCellAction(long(w), l);
    case 4:
      _SetTemplate(0);
      return 1;
    case 5: {
      const auto& files = m_pImageList->GetOutFileVect();
      if (w) {
        auto* v = reinterpret_cast<std::vector<tagPRINTFileINFO*>*>(w);
        v->clear();
        for (const auto& f : files) v->push_back(const_cast<tagPRINTFileINFO*>(&f));
      }
      if (!l) return 1;
      int32_t* out = Out<int32_t>(l);
      *out = -1;
      const CPrintCell* c = _GetActiveCell();
      if (!c || c->isText || c->resIndex < 0) return 0;
      const CQelStringW name = m_pImageList->GetFileName(c->resIndex);
      for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].path == name) *out = int32_t(i);
      }
      return 1;
    }
    case 6:
      if (l) *Out<int32_t>(l) = int32_t(m_nCurPage + 1);
      return long(m_pages.size());
    case 7:
      if (w >= 1 && w <= long(m_pages.size()) && w - 1 != m_nCurPage) {
        m_nCurPage = long(w) - 1;
        _PostMessage(PRTC_PAGES, 0);
        UpdateActionBtnState();
      }
      return 0;
    case 8: {
      CPrintPage* p = GetPage(long(w));
      if (!p) return 0;
      SIZE s{0, 0};
      if (l) s = *static_cast<const SIZE*>(l);
      else GetPrintPaperSize(s);
      if (s.cx < 1 || s.cy < 1) return 0;
      return reinterpret_cast<intptr_t>(p->GetPagePic(s, true, false, nullptr, nullptr));
    }
    case 9:
      return 0;
    case 10:
      if (reinterpret_cast<intptr_t>(l) == -1) _NewProject();
      return 0;
    case 11:
      if (_SetTemplate(0)) {
        SetNeedSave(1);
        return 1;
      }
      return 0;
    case 12: {
      const long pic = long(w & 0xFFFF);
      const bool edited = ((uint32_t(w) >> 16) & 0xFFFF) != 0;
      const auto& files = m_pImageList->GetOutFileVect();
      if (pic < 0 || pic >= long(files.size())) return 0;
      const long res = m_pImageList->PicIndex2ResIndex(pic);
      const WCHAR* path = static_cast<const WCHAR*>(l);
      if (!path) return _RefreshImage(res, nullptr, edited);
      const long existing = m_pImageList->_FindFile(path, -1);
      if (existing >= 0) return _RefreshImage(existing, path, edited);
      CPrintCell* active = _GetActiveCell();
      if (!active) return 0;
      if (m_pImageList->GetCopies(res) == 1) return _RefreshImage(res, path, edited);
      if (m_nParam[6]) {
        const long fresh = m_pImageList->AddFile(path, false, nullptr);
        if (fresh < 0) return 0;
        m_pImageList->SetTmp2(fresh, edited);
        active->SetResourceIndex(int(fresh), m_pImageList->GetDispSize(fresh), false);
        SIZE org{0, 0};
        m_pImageList->GetOrgSize(fresh, &org);
        const SIZE s = _CalculateCellSize(org, 3);
        const SRect32 o = active->cellRect;
        SRect32 r{(o.left + o.right) / 2 - s.cx / 2, (o.top + o.bottom) / 2 - s.cy / 2, 0, 0};
        r.right = r.left + s.cx, r.bottom = r.top + s.cy;
        SRect32 area{0, 0, 0, 0};
        if (GetPrintArea(area)) HoldDispRect(&r, &area);
        active->cellRect = r;
        active->DoZoom(0);
        m_pImageList->CopyDecrease(res, false);
        m_pImageList->CopyAdd(fresh);
        _PageThumbChanged(0);
        if (!m_pages.empty()) m_pages[0]->ClearUndoRedo();
        UpdateActionBtnState();
        _FreeNoneUsedImg();
        SetNeedSave(1);
        return 1;
      }
      CPrintPage* page = GetPage(m_nCurPage);
      if (!page || page->GetActiveCell() < 0) return 1;
      long fresh = -1;
      const int r = _AddFile(path, m_nCurPage, page->GetActiveCell(), false, &fresh, false, nullptr);
      if (!r) return r;
      m_pImageList->SetTmp2(fresh, edited);
      if (CPrintCell* c = page->GetActiveCellPt()) c->DoZoom(0);
      _PageThumbChanged(m_nCurPage);
      return r;
    }
    case 13:
      if (!m_pHostElement || !w || !l) return 0;
      *Out<int32_t*>(l) = &m_nCancel;
      m_nCancel = 0;
      return _DoPrint(reinterpret_cast<const tagDOPRINTINFO*>(w));
    case 14:
      if (l) *Out<PubImage::QelPicture*>(l) = m_pImageList->GetOrgWithAct(m_pImageList->PicIndex2ResIndex(long(w)));
      return 0;
    case 15:
      // The host's buffer holds 1024 units; the label is at most 1023 long.
      if (w) {
        WCHAR* out = reinterpret_cast<WCHAR*>(w);
        const size_t n = std::min<size_t>(m_label.size(), 1023);
        std::copy(m_label.begin(), m_label.begin() + long(n), out);
        out[n] = 0;
      }
      return 0;
    case 16:
      if (w) *reinterpret_cast<int32_t*>(w) = int32_t(_GetActionBtnState());
      if (l) *Out<int32_t>(l) = int32_t(OptionBits());
      return 0;
    case 17:
      return _DoAddFile(reinterpret_cast<const WCHAR*>(w), PageOf(reinterpret_cast<intptr_t>(l)),
                        CellOf(reinterpret_cast<intptr_t>(l)));
    case 18:
      return GetParam(long(w), l);
    case 19: {
      CPrintPage* p = GetPage(long(w));
      const long cell = long(reinterpret_cast<intptr_t>(l));
      if (!p || cell < 0 || cell >= p->GetCellCount()) return 0;
      const CPrintCell* c = p->GetCell(unsigned(cell));
      return !c->isText && c->resIndex < 0 ? 1 : 0;
    }
    case 20: {
      CPrintPage* p = GetPage(long(w));
      if (!p) return 0;
      const SIZE s = l ? *static_cast<const SIZE*>(l) : m_thumbSize;
      return reinterpret_cast<intptr_t>(p->GetThumb2(s.cx, s.cy));
    }
    case 21:
      return reinterpret_cast<intptr_t>(CellPictureCopy(long(w), long(reinterpret_cast<intptr_t>(l))));
    case 22:
      return 0;
    case 23:
      return _RemoveFile(reinterpret_cast<const WCHAR*>(w));
    case 24: {
      if (!l) return 0;
      SIZE* out = Out<SIZE>(l);
      *out = SIZE{0, 0};
      CPrintPage* p = GetPage(PageOf(w));
      const CPrintCell* c = p ? p->GetCell(unsigned(CellOf(w))) : nullptr;
      if (!c || CellOf(w) < 0 || c->isText || c->resIndex < 0) return 0;
      m_pImageList->GetOrgSize(c->resIndex, out);
      long angle;
      int fa, fb;
      c->GetImgState(angle, fa, fb);
      if (angle % 90 == 0 && angle % 180 != 0) std::swap(out->cx, out->cy);
      return 1;
    }
    case 25: {
      CPrintPage* p = GetPage(PageOf(w));
      const CPrintCell* c = p && CellOf(w) >= 0 ? p->GetCell(unsigned(CellOf(w))) : nullptr;
      if (!c || c->isText || c->resIndex < 0) return 0;
      const CQelStringW name = m_pImageList->GetFileName(c->resIndex);
      if (l) {
        // The host's buffer holds 1024 units.
        WCHAR* out = Out<WCHAR>(l);
        const int n = std::min(name.GetLength(), 1023);
        std::copy(name.c_str(), name.c_str() + n, out);
        out[n] = 0;
      }
      return name.GetLength();
    }
    case 27:
      return l ? GetCellInfo(PageOf(w), CellOf(w), Out<tagCELLINFO>(l)) : 0;
    case 26: {
      CPrintPage* p = GetPage(long(w));
      return p ? p->GetCellCount() : 0;
    }
    case 28: {
      CPrintPage* p = GetPage(m_nCurPage);
      if (!p) return 0;
      long n = 0;
      for (long i = 0; i < p->GetCellCount(); ++i) n += IsCellLowDpi(p->GetCell(unsigned(i)), nullptr, nullptr) ? 1 : 0;
      return n;
    }
    case 29: {
      if (!m_pPrintMgr) return 0;
      POINT m{0, 0};
      m_pPrintMgr->GetMargin(&m.x, &m.y, 1);
      if (m.x != m_margin.x || m.y != m_margin.y) {
        m_margin = m;
        for (long p = long(m_pages.size()) - 1; p >= 0; --p) _PageThumbChanged(p);
      }
      return 0;
    }
    case 32: {
      CPrintPage* p = GetPage(PageOf(w));
      const CPrintCell* c = p && CellOf(w) >= 0 ? p->GetCell(unsigned(CellOf(w))) : nullptr;
      if (!c || !l) return 0;
      *Out<int32_t>(l) = c->excluded ? 1 : 0;
      return 1;
    }
    case 33: {
      const intptr_t previous = reinterpret_cast<intptr_t>(m_openProc);
      m_openProc = reinterpret_cast<PICOPENPROC>(w);
      m_openContext = const_cast<void*>(l);
      m_pImageList->SetPicProvider(m_openProc, m_openContext);
      return previous;
    }
    case 34: {
      if (w < 1 || w > 100) return 0;
      if (m_pImageList->GetPrintPicNum() == 0) return 1;
      m_bRebuildGuard = true;
      const long current = m_nCurPage;
      _CreateTmpPagesTexts();
      DeletePage(-1);
      for (long i = 0; i < m_pImageList->GetCount(); ++i) {
        if (m_pImageList->IsPic(i) && m_pImageList->GetCopies(i) >= 1) m_pImageList->SetCopies(i, int32_t(w));
      }
      _RefreshImg(0, current, nullptr);
      _ClearTmpPagesTexts();
      m_bRebuildGuard = false;
      _PostMessage(PRTC_PAGES, 0);
      SetNeedSave(1);
      UpdateActionBtnState();
      return 1;
    }
    case 35:
      if (!m_openProc) return 0;
      if (m_pImageList->GetPrintPicNum() == 0) return 1;
      m_pImageList->ClearAllPic();
      SetNeedSave(1);
      UpdateActionBtnState();
      return 1;
    case 36:
      return _AddFile(reinterpret_cast<const WCHAR*>(w), -1, -1, false, nullptr, m_nParam[30] == 1,
                      static_cast<SIZE*>(const_cast<void*>(l)));
    default:
      return 0;
  }
}

PubImage::QelPicture* CPrintProject::CellPictureCopy(long page, long cell) {
  CPrintPage* p = GetPage(page);
  if (!p || cell < 0 || cell >= p->GetCellCount()) return nullptr;
  PubImage::QelPicture* pic = p->GetCellPrintPic(cell);
  if (!pic) pic = p->GetCellDispPic(cell);
  if (!pic) return nullptr;
  QelObject copy = Qel0CopyObject(pic);
  pic->Release();
  m_pImageList->FreeOrgPic(p->GetCellResourceIndex(cell));
  return reinterpret_cast<PubImage::QelPicture*>(copy);
}

int CPrintProject::GetCellInfo(long page, long cell, tagCELLINFO* info) {
  CPrintPage* p = GetPage(page);
  if (!info || !p || cell < 0 || cell >= p->GetCellCount()) return 0;
  const CPrintCell* c = p->GetCell(unsigned(cell));
  info->kind = c->isText ? 1 : c->resIndex >= 0 ? 0 : 2;
  info->printPic = info->dispPic = nullptr;
  info->fileName[0] = 0;
  info->dispSize = info->orgSize = SIZE{0, 0};
  info->picRect = SRect32{0, 0, 0, 0};
  info->cellRect = c->cellRect;
  info->rotation = 0, info->flip = 0, info->zoom = 1.0;
  if (info->kind == 2) return 1;
  info->dispSize = SIZE{c->picWidth, c->picHeight};
  long angle;
  int fa, fb;
  c->GetImgState(angle, fa, fb);
  info->rotation = int32_t(angle), info->flip = fa;
  info->zoom = c->zoom;
  info->picRect = c->picRect;
  m_pImageList->GetOrgSize(c->resIndex, &info->orgSize);
  if (angle % 180 == 90) std::swap(info->orgSize.cx, info->orgSize.cy);
  if (m_pImageList->GetOrgDispPiclAngle(c->resIndex)) std::swap(info->orgSize.cx, info->orgSize.cy);
  if (info->request & 1) {
    const CQelStringW name = m_pImageList->GetFileName(c->resIndex);
    const int n = std::min(name.GetLength(), 1023);
    std::copy(name.c_str(), name.c_str() + n, info->fileName);
    info->fileName[n] = 0;
  }
  if (info->request & 4) {
    if (PubImage::QelPicture* d = m_pImageList->GetDispPic(c->resIndex)) {
      info->dispPic = reinterpret_cast<PubImage::QelPicture*>(Qel0CopyObject(d));
      CFunctionImgCtrl* f = g_lpImgFunc;
      if (info->dispPic && f) {
        if (info->flip) f->FlipPic(info->dispPic, true);
        if (info->rotation) f->RotatePic(info->dispPic, info->rotation);
      }
    }
  }
  if (info->request & 2) info->printPic = CellPictureCopy(page, cell);
  return 1;
}
