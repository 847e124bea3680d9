// The project's two views: the page strip (thumbnails of the pages) and the
// preview of the current page, kept in step with the pages.
#include <algorithm>

#include "PageBin.h"
#include "PictureHandles.h"
#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"
#include "qel/QelLayout.h"

namespace {

// The page's thumbnail size: the paper's shape inside the thumbnail box.
SIZE ThumbSize(const CPrintProject& project, const CPrintPage& page, SIZE box) {
  SIZE paper = page.GetPaperSize();
  if (paper.cx <= 0 || paper.cy <= 0) project.GetPrintPaperSize(paper);
  if (paper.cx <= 0 || paper.cy <= 0) return box;
  const double k = std::min(double(box.cx) / paper.cx, double(box.cy) / paper.cy);
  return SIZE{std::max(int32_t(paper.cx * k + 0.5), 10), std::max(int32_t(paper.cy * k + 0.5), 10)};
}

}  // namespace

int CPrintProject::SetPageBin(const void* panel, const void* album) {
  if (m_pPageBin) {
    m_pPageBin->ClearPicts(0);
    delete m_pPageBin;
    m_pPageBin = nullptr;
  }
  auto* a = dynamic_cast<qel::Album*>(qel::Element::From(const_cast<void*>(album)));
  qel::Element* p = qel::Element::From(const_cast<void*>(panel));
  if (!p || !a) return 0;
  m_pPageBin = new CPageBin(p, a, this);
  // The album's items look like pages.
  if (!m_resFolder.empty()) {
    if (QelObject t = QelCreateLayoutW((m_resFolder + u"pagethumb.aui").c_str())) {
      if (qel::Element* e = qel::Element::From(t)) {
        a->SetCellSize(e->FrameSize().cx, e->FrameSize().cy);
        a->SetTemplate(e);
      }
      Qel0Release(t);
    }
  }
  for (long i = 0; i < long(m_pages.size()); ++i) _PageBinAdded(i);
  _PageBinCurrent();
  return 1;
}

void CPrintProject::SetPreview(int on) {
  m_nParam[24] = on ? 1 : 0;
  if (!on) {
    delete m_pPreview;
    m_pPreview = nullptr;
    return;
  }
  if (m_pPreview || !m_pHostElement) return;
  m_pPreview = new CPrintPreview(this, qel::Element::From(const_cast<void*>(m_pHostElement)));
  if (m_resFolder.empty()) m_resFolder = BundleResourceFolder();
  m_pPreview->InitSubUIs(m_resFolder);
  m_pPreview->ShowPage(GetPage(m_nCurPage));
}

void CPrintProject::_DeleteViews() {
  // Only from the destructor: the element's tree may be going down.
  delete m_pPreview;
  m_pPreview = nullptr;
  delete m_pPageBin;
  m_pPageBin = nullptr;
}

int CPrintProject::OnLayout() { return m_pPreview ? m_pPreview->OnLayout() : 0; }

void CPrintProject::_PageBinAdded(long page) {
  CPrintPage* p = GetPage(page);
  if (!m_pPageBin || !p) return;
  const SIZE s = ThumbSize(*this, *p, m_thumbSize);
  m_pPageBin->AddPict(pichandle::Pict(p->GetThumb(s.cx, s.cy)));
}

void CPrintProject::_PageBinDeleted(long page) {
  // The preview never keeps a page that is going.
  if (m_pPreview && (page < 0 || m_pPreview->GetPage() == GetPage(page))) m_pPreview->ShowPage(nullptr);
  if (!m_pPageBin) return;
  if (page < 0) m_pPageBin->ClearPicts(1);
  else m_pPageBin->DeletePict(int(page), 1);
}

void CPrintProject::_PageBinCurrent() {
  if (m_pPreview && m_pPreview->GetPage() != GetPage(m_nCurPage)) m_pPreview->ShowPage(GetPage(m_nCurPage));
  if (m_pPageBin && m_nCurPage >= 0) m_pPageBin->SetCurrent(int(m_nCurPage));
}

void CPrintProject::_PageThumbChanged(long page) {
  CPrintPage* p = GetPage(page);
  if (m_pPreview && p && m_pPreview->GetPage() == p) m_pPreview->PageChanged();
  if (!m_pPageBin || !p) return;
  const SIZE s = ThumbSize(*this, *p, m_thumbSize);
  m_pPageBin->Update(unsigned(page), pichandle::Pict(p->GetThumb(s.cx, s.cy)));
}

void CPrintProject::PageNotify(const CPrintPage* page, long kind, long a, long) {
  if (!m_pPreview || m_pPreview->GetPage() != page) {
    if (m_pPageBin) _PageThumbChanged(GetPageIndex(page));
    return;
  }
  if (kind == 5 || kind == 6) m_pPreview->SetActive(page->GetActiveCell());
  (void)a;
  _PageThumbChanged(GetPageIndex(page));
  m_pPreview->UpdateCopyBtn();
}

intptr_t CPrintProject::_PreviewZoom(long action, const void* value) {
  if (!m_pPreview) return 0;
  if (action == 30) return value ? m_pPreview->SetZoom(*static_cast<const double*>(value)) : 0;
  if (!m_pPreview->DoZoom(action == 26 ? 1 : action == 27 ? -1 : 0)) return 0;
  _PostMessage(PRTC_ACTIONS, 0);
  return 1;
}
