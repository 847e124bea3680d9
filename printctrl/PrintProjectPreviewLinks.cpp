// Where the cell actions tell the preview and the page strip what changed.
// The preview draws the page from the page itself, so a changed cell only
// asks it to draw again.
#include "PageBin.h"
#include "PrintPreview.h"
#include "PrintProject.h"

void CPrintProject::_PreviewCellChanged(long, long) {
  if (m_pPreview) m_pPreview->PageChanged();
}

void CPrintProject::_PreviewShowPage(long page, bool force) {
  if (!m_pPreview) return;
  if (force || m_pPreview->GetPage() != GetPage(page)) m_pPreview->ShowPage(GetPage(page));
  else m_pPreview->PageChanged();
}

void CPrintProject::_PreviewSetActive(long page, long cell) {
  if (_PreviewShows(page)) m_pPreview->SetActive(cell);
}

void CPrintProject::_PreviewUpdateCopyBtn() {
  if (m_pPreview) m_pPreview->UpdateCopyBtn();
}

void CPrintProject::_PreviewUpdateCellDel(long page, long) {
  if (_PreviewShows(page)) m_pPreview->PageChanged();
}

bool CPrintProject::_PreviewShows(long page) const {
  return m_pPreview && GetPage(page) && m_pPreview->GetPage() == GetPage(page);
}

void CPrintProject::_PageStripScroll(int direction) {
  if (!m_pPageBin) return;
  if (direction < 0) m_pPageBin->DoLScroll();
  else m_pPageBin->DoRScroll();
}
