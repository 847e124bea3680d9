// Printing a range of pages as one job of the print manager: each picture
// cell becomes one layer drawn into its rectangle of the page. Progress and
// errors go to the host while the job runs; the host stops it through the
// cancel flag, and a stopped job is discarded whole by the manager.
#include <algorithm>
#include <numeric>

#include "CellPrintLayer.h"
#include "PrintPage.h"
#include "PrintProject.h"

namespace {

// The 1-based request range as page indices; false when it is empty.
bool PageRange(int32_t first, int32_t last, long count, long& from, long& to) {
  from = std::max<long>(first - 1, 0);
  to = long(last) - 1;
  if (to < 0 || to >= count - 1) to = count - 1;
  return count > 0 && to >= from;
}

}  // namespace

int CPrintProject::_StartJobCounters(long first, long last) {
  m_printCounters.assign(size_t(std::max(m_pImageList->GetCount(), 0)), 0);
  m_nCellsToPrint = m_nCellsPrinted = 0;
  m_nLastProgress = -1;
  for (long p = first; p <= last; ++p) {
    const CPrintPage* page = GetPage(p);
    for (long i = 0; page && i < page->GetCellCount(); ++i) {
      const long res = page->GetCellResourceIndex(i);
      if (res < 0 || res >= long(m_printCounters.size())) continue;
      ++m_printCounters[size_t(res)];
      ++m_nCellsToPrint;
    }
  }
  if (m_nCellsToPrint == 0) m_printCounters.clear();
  return m_nCellsToPrint;
}

void CPrintProject::_EndJobCounters() {
  m_pImageList->ClearOrgPics();
  m_printCounters.clear();
  m_bPrinting = false;
}

// Each value once, rising; nothing once the job is cancelled.
void CPrintProject::_PostProgress(int32_t percent) {
  if (m_nCancel || percent <= m_nLastProgress) return;
  m_nLastProgress = std::min(percent, 100);
  _PostMessage(PRTC_PROGRESS, m_nLastProgress);
}

void CPrintProject::_PostPrintError(int32_t code, const std::u16string& text) {
  tagMessageInfo info{code, text.c_str()};
  SendErrorMessage(&info);
}

int CPrintProject::_DoPrint(const tagDOPRINTINFO* info) {
  if (!info || m_bPrinting) return 0;
  if (info->kind == PRTC_PRINT_NOTHING) return 1;
  if (info->kind == PRTC_PRINT_STILL) return _DoStillImage(info);
  if (info->kind != PRTC_PRINT_PAGES || !m_pPrintMgr) return 0;
  long first, last;
  if (!PageRange(info->firstPage, info->lastPage, GetPageCount(), first, last)) return 0;
  if (!_StartJobCounters(first, last)) return 0;
  // The host may let go of the manager while it hears of progress.
  CZylPrintManager* mgr = m_pPrintMgr;
  mgr->AddRef();
  m_bPrinting = true;
  const std::u16string name = m_label;
  if (!mgr->StartPrint(name.c_str())) {
    _EndJobCounters();
    mgr->Release();
    return 0;
  }
  _PostMessage(PRTC_PRINT_START, 1);
  for (long p = first; p <= last && !m_nCancel; ++p) _PrintPage(GetPage(p));
  if (!m_nCancel) _PostProgress(100);
  const int32_t cancelled = m_nCancel;
  const int32_t delivered = mgr->EndPrint(cancelled);
  _EndJobCounters();
  mgr->Release();
  if (cancelled) return 0;
  if (!delivered) {
    _PostPrintError(PRTC_ERR_JOB_REFUSED, name);
    return 0;
  }
  _PostMessage(PRTC_PRINT_END, 0);
  return 1;
}

int CPrintProject::_PrintPage(CPrintPage* page) {
  if (!page || page->IsPageEmpty() || !m_pPrintMgr) return 0;
  CZylPrintManager* mgr = m_pPrintMgr;
  std::vector<long> order(size_t(page->GetCellCount()));
  std::iota(order.begin(), order.end(), 0L);
  std::stable_sort(order.begin(), order.end(),
                   [&](long a, long b) { return page->GetCell(unsigned(a))->zOrder < page->GetCell(unsigned(b))->zOrder; });
  CPageGeometry g;
  g.Read(*this, *page);
  if (!mgr->StartPage()) return 0;
  // Head and tail lines and index captions need text layers, which the
  // control does not make yet; the manager's index printing is off.

  for (long i : order) {
    if (m_nCancel) break;
    const CPrintCell* c = page->GetCell(unsigned(i));
    if (!c || c->excluded || c->resIndex < 0) continue;
    const long res = c->resIndex;
    // This cell's share of the percentages.
    const int32_t n = m_nCellsPrinted, N = std::max(m_nCellsToPrint, 1);
    const int32_t hi = (n * 100 + 100) / N - 1;
    _PostProgress(n * 100 / N);
    ++m_nCellsPrinted;
    if (res < long(m_printCounters.size())) --m_printCounters[size_t(res)];
    if (c->isText) continue;  // texts are not printed yet

    CCellLayerOptions o;
    o.step = [&] {
      if (m_nLastProgress < hi) _PostProgress(m_nLastProgress + 1);
      return m_nCancel == 0;
    };
    CCellLayer cl;
    const CellLayerStatus st = MakeCellLayer(*this, *page, i, g, o, cl);
    const std::u16string file = m_pImageList->GetFileName(res).c_str();
    if (res < long(m_printCounters.size()) && m_printCounters[size_t(res)] <= 0) m_pImageList->FreeOrgPic(res);
    if (st == CellLayerStatus::kStopped || m_nCancel) break;
    if (st == CellLayerStatus::kNoPicture) {
      if (!file.empty()) _PostPrintError(PRTC_ERR_CELL_PICTURE, file);
      continue;
    }
    if (st == CellLayerStatus::kNoLayer || (st == CellLayerStatus::kReady && !mgr->PrintLayer(cl.layer, &cl.dest))) {
      if (!m_nCancel) _PostPrintError(PRTC_ERR_CELL_LAYER, file);
    }
    for (int32_t v = m_nLastProgress + 1; v <= hi && !m_nCancel; ++v) _PostProgress(v);
  }
  mgr->EndPage();
  return 1;
}
