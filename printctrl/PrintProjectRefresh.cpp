// Rebuilding the pages from the image list: after a template change the
// pictures go back in the order of the old cells with their turns, flips,
// zoom and pan; otherwise every copy of every picture fills the empty cells;
// in free layout each copy gets a cell of its own.
#include <algorithm>
#include <cmath>

#include "PictureFunctions.h"
#include "PrintPage.h"
#include "PrintProject.h"

namespace {
constexpr long kMaxPages = 65534;
}

int CPrintProject::_RefreshImg(int firstFile, long currentPage, std::vector<CTmpCellInfo*>* records) {
  if (firstFile > m_pImageList->GetCount() || (!m_nParam[6] && !m_pTemplate)) return 0;
  m_bBusy = true;
  firstFile = std::max(firstFile, 0);

  if (!m_nParam[6] && m_pTemplate->GetCellCount() > 0) {
    if (records && !records->empty()) {
      std::vector<long> met;
      size_t next = 0;
      while (next < records->size() && long(m_pages.size()) < kMaxPages) {
        auto* page = new CPrintPage(this, 0);
        page->SetTemplate(m_pTemplate);
        bool filled = false;
        for (long ci = 0; ci < page->GetCellCount() && next < records->size(); ++ci, ++next) {
          const CTmpCellInfo* r = (*records)[next];
          const long file = r->picIndex < 0 ? -1 : m_pImageList->_FindFile(r->fileName.c_str(), r->picIndex);
          if (file < 0 || m_pImageList->IsNodeEmpty(file)) continue;
          CPrintCell* c = page->GetCell(unsigned(ci));
          c->SetResourceIndex(int(file), m_pImageList->GetDispSize(file), false);
          if (!m_nParam[21]) {
            if (r->flip) c->DoFlip(true);
            if (r->rotation) c->DoRotate(r->rotation);
          } else {
            if (!m_nParam[30] && std::find(met.begin(), met.end(), file) == met.end()) {
              met.push_back(file);
              if (!m_nParam[27]) {
                m_pImageList->DoAutoRotate(file, c->cellRect.right - c->cellRect.left,
                                           c->cellRect.bottom - c->cellRect.top);
                c->SetResourceIndex(int(file), m_pImageList->GetDispSize(file), false);
              }
            }
            c->DoAutoRotate(m_pImageList->GetOrgDispPiclAngle(file));
          }
          if (r->autoCrop) c->DoAutoCrop(true);
          else c->_SetZoom(r->zoom);
          if (r->zoom > 1.0) {
            // Put the pan back where it was on the picture.
            const SRect32 pr = c->picRect;
            const int32_t cx0 = (pr.left + pr.right) / 2, cy0 = (pr.top + pr.bottom) / 2;
            const int32_t w = c->picWidth, h = c->picHeight;
            int32_t wx = r->picCenterX, wy = r->picCenterY;
            if (m_nParam[21]) {
              long angle;
              int fa, fb;
              c->GetImgState(angle, fa, fb);
              const long a = (m_pImageList->GetOrgDispPiclAngle(file) + angle) % 360;
              const int32_t x = r->cropCenterX, y = r->cropCenterY;
              if (a == 90) wx = y, wy = h - x;
              else if (a == 270) wx = w - y, wy = x;
              else wx = x, wy = y;
            }
            SRect32 moved{pr.left + wx - cx0, pr.top + wy - cy0, pr.right + wx - cx0, pr.bottom + wy - cy0};
            SRect32 bound{0, 0, w, h};
            HoldDispRect(&moved, &bound);
            c->SetPicRect(moved);
          }
          filled = true;
        }
        if (filled) m_pages.push_back(page);
        else delete page;
      }
    } else {
      bool firstCopy = true;
      for (long f = firstFile; f < m_pImageList->GetCount(); ++f) {
        if (!m_pImageList->IsPic(f)) continue;
        firstCopy = true;
        for (int32_t k = 0; k < m_pImageList->GetCopies(f); ++k) {
          long page = -1, cell = -1;
          _GetFirstEmptyCell(page, cell, true, true);
          CPrintPage* p = GetPage(page);
          if (!p || cell < 0) continue;
          CPrintCell* c = p->GetCell(unsigned(cell));
          if (firstCopy && m_nParam[21] && !m_nParam[27] && !m_nParam[30]) {
            m_pImageList->DoAutoRotate(f, c->cellRect.right - c->cellRect.left, c->cellRect.bottom - c->cellRect.top);
          }
          firstCopy = false;
          c->SetResourceIndex(int(f), m_pImageList->GetDispSize(f), false);
          if (m_nParam[21]) c->DoAutoRotate(m_pImageList->GetOrgDispPiclAngle(f));
          if (m_nParam[0]) c->DoAutoCrop(true);
          else c->DoZoom(0);
        }
      }
    }
  } else if (m_nParam[6]) {
    if (m_pages.empty()) CreateNewPage();
    if (m_pages.empty()) {
      m_bBusy = false;
      return 0;
    }
    CPrintPage* page = m_pages[0];
    for (long f = firstFile; f < m_pImageList->GetCount(); ++f) {
      if (!m_pImageList->IsPic(f)) continue;
      const int32_t copies = m_pImageList->GetCopies(f);
      for (int32_t k = 0; k < copies; ++k) {
        CPrintCell c = _NewFreeCell(f);
        if (!page->DoAddCell(0, &c, true, false)) {
          m_pImageList->SetCopies(f, k);
          break;
        }
      }
    }
  }

  // The texts set aside go back, on the pages they came from.
  if (_TextInTmp()) {
    if (m_pages.empty()) CreateNewPage();
    int px = 0, py = 0;
    GetPrintPixel(px, py);
    const double scale = m_lastPixelX > 0 && px > 0 ? double(px) / m_lastPixelX : 1.0;
    for (long pi = long(m_tmpPageTexts.size()) - 1; pi >= 0; --pi) {
      CPrintPage* p = GetPage(std::min(pi, long(m_pages.size()) - 1));
      auto node = m_tmpPageTextNodes[size_t(pi)].begin();
      for (CPrintCell& kept : m_tmpPageTexts[size_t(pi)]) {
        const long res = m_pImageList->AppendNode(*node++);
        const long at = res >= 0 && p ? p->DoAddText(res) : -1;
        if (at < 0) continue;
        CPrintCell* c = p->GetCell(unsigned(at));
        long angle;
        int fa, fb;
        kept.GetImgState(angle, fa, fb);
        if (fa) c->DoFlip(true);
        if (angle) c->DoRotate(angle);
        auto s = [&](int32_t v) { return int32_t(std::floor(v * scale + 0.5)); };
        SRect32 r{s(kept.cellRect.left), s(kept.cellRect.top), s(kept.cellRect.right), s(kept.cellRect.bottom)};
        p->LimitCellRect(r);
        c->cellRect = r;
      }
      m_tmpPageTexts[size_t(pi)].clear();
      m_tmpPageTextNodes[size_t(pi)].clear();
    }
  }
  m_bBusy = false;

  if (m_pages.empty()) CreateNewPage();
  m_nCurPage = m_pages.empty() ? -1 : (currentPage < 0 || currentPage >= long(m_pages.size()) ? 0 : currentPage);
  _PostMessage(PRTC_PAGES, 0);
  UpdateActionBtnState();
  SetNeedSave(1);
  return 1;
}
