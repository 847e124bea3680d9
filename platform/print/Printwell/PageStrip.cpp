#include "PageStrip.h"

#include <algorithm>
#include <string>

#include "PrintTexts.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

namespace {

// The largest size of the paper's shape inside `box`.
SIZE Fit(SIZE paper, SIZE box) {
  if (paper.cx <= 0 || paper.cy <= 0 || box.cx <= 0 || box.cy <= 0) return SIZE{0, 0};
  const double k = std::min(double(box.cx) / paper.cx, double(box.cy) / paper.cy);
  return SIZE{std::max<int32_t>(1, int32_t(paper.cx * k)), std::max<int32_t>(1, int32_t(paper.cy * k))};
}

SIZE BoxOf(qel::Element* e) {
  SIZE s = e->LaidOutSize();
  return s.cx > 0 && s.cy > 0 ? s : e->FrameSize();
}

}  // namespace

CPageStrip::CPageStrip(qel::Element* root, CommandFn command, PaperFn paper)
    : m_command(std::move(command)), m_paper(std::move(paper)) {
  if (!root) return;
  m_pPage = qel::ImageControl::From(root->FindByName("imgc_Page", true));
  for (int32_t i = 0; i < kThumbs; ++i) {
    const std::string n = std::to_string(i);
    m_pThumbs[i] = qel::ImageControl::From(root->FindByName("imgc_Thumb" + n, true));
    m_pFrames[i] = root->FindByName("cata_Thumb" + n, true);
  }
  // A page picture takes the pointer itself: its release is the click.
  for (qel::ImageControl* t : m_pThumbs)
    if (t) t->Inter(QEL_IF_IMAGECTRL, 16, reinterpret_cast<QELWPARAM>(this), reinterpret_cast<QELLPARAM>(&Thumb_Proc));
  m_pPrev = root->FindByName("butn_PagePrev", true);
  m_pNext = root->FindByName("butn_PageNext", true);
  m_pNumber = root->FindByName("view_PageNum", true);
}

CPageStrip::~CPageStrip() {
  Put(m_pPage, 0);
  for (qel::ImageControl* t : m_pThumbs) {
    if (t) t->Inter(QEL_IF_IMAGECTRL, 16, 0, 0);
    Put(t, 0);
  }
}

int32_t CPageStrip::Thumb_Proc(QelObject element, int32_t code, QELLPARAM, void* data) {
  auto* self = static_cast<CPageStrip*>(data);
  if (!self || code != QEL_IMGC_BUTTON_UP) return 0;
  for (int32_t i = 0; i < kThumbs; ++i)
    if (self->m_pThumbs[i] && self->m_pThumbs[i]->Handle() == element) self->Pick(i);
  return 0;
}

void CPageStrip::Put(qel::ImageControl* control, intptr_t picture) {
  if (!control) return;
  auto* p = picture ? qel::Picture::From(reinterpret_cast<QelObject>(picture)) : nullptr;
  control->SetFitMode(true);
  control->SetPict(p);
  // The control handed its picture over; the image control holds its own.
  if (p) p->Release();
}

void CPageStrip::Refresh() {
  int32_t current = 0;
  m_nPages = int32_t(m_command(6, 0, &current));
  m_nCurrent = m_nPages > 0 ? std::clamp(current - 1, 0, m_nPages - 1) : -1;
  // The current page stays in the strip.
  m_nFirst = std::clamp(m_nFirst, 0, std::max(0, m_nPages - kThumbs));
  if (m_nCurrent >= 0 && m_nCurrent < m_nFirst) m_nFirst = m_nCurrent;
  if (m_nCurrent >= m_nFirst + kThumbs) m_nFirst = m_nCurrent - kThumbs + 1;
  ShowPage();
  ShowThumbs();
  ShowNumber();
}

void CPageStrip::Pick(int32_t slot) {
  const int32_t page = m_nFirst + slot;
  if (slot < 0 || slot >= kThumbs || page >= m_nPages || page == m_nCurrent) return;
  m_command(7, page + 1, nullptr);
  Refresh();
}

void CPageStrip::Scroll(int32_t step) {
  const int32_t first = std::clamp(m_nFirst + step, 0, std::max(0, m_nPages - kThumbs));
  if (first == m_nFirst) return;
  m_nFirst = first;
  ShowThumbs();
  ShowNumber();
}

void CPageStrip::ShowPage() {
  if (!m_pPage || !m_pPage->Visible()) return;
  const SIZE size = m_nCurrent >= 0 ? Fit(m_paper(), BoxOf(m_pPage)) : SIZE{0, 0};
  Put(m_pPage, size.cx > 0 ? m_command(8, m_nCurrent, &size) : 0);
}

void CPageStrip::ShowThumbs() {
  for (int32_t i = 0; i < kThumbs; ++i) {
    const int32_t page = m_nFirst + i;
    if (m_pFrames[i]) {
      m_pFrames[i]->Show(page < m_nPages);
      m_pFrames[i]->SetBackground(page == m_nCurrent ? 0xff3584e4u : 0);
    }
    if (!m_pThumbs[i]) continue;
    const SIZE size = page < m_nPages ? Fit(m_paper(), BoxOf(m_pThumbs[i])) : SIZE{0, 0};
    // The control makes no picture smaller than 10 pixels a side.
    Put(m_pThumbs[i], size.cx >= 10 && size.cy >= 10 ? m_command(20, page, &size) : 0);
  }
}

void CPageStrip::ShowNumber() {
  if (m_pNumber) {
    m_pNumber->SetText(m_nCurrent >= 0
                           ? qel_format(PrintText(kTextPageOf, "dd", u"Page %d of %d").c_str(), m_nCurrent + 1, m_nPages)
                           : PrintText(kTextNoPages, "", u"No pages"));
  }
  if (m_pPrev) m_pPrev->Enable(m_nFirst > 0);
  if (m_pNext) m_pNext->Enable(m_nFirst + kThumbs < m_nPages);
}
