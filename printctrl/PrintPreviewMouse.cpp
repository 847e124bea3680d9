// Pointer input on the preview: the press selects the cell under it and
// starts the drag its kind of cell and the settings ask for; double presses
// and right presses go to the host.
#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"
#include "PreviewView.h"

namespace {

// What the host hears first (notification 2127); a non-zero answer keeps it.
constexpr long kLeftDown = 8197, kRightDown = 8200, kDoubleDown = 8208;
constexpr uint32_t kEscape = 27;

}  // namespace

bool CPrintPreview::OnPointer(const qel::PointerInput& in) {
  using qel::PointerInput;
  switch (in.kind) {
    case PointerInput::kMove:
      m_drag.Move(in.at);
      return true;
    case PointerInput::kUp:
      m_drag.End(in.at);
      return true;
    case PointerInput::kCancel:
      m_drag.Cancel();
      return true;
    case PointerInput::kWheel:
      if (m_bFitZoom || in.wheel == 0.0) return false;
      if (in.modifiers & PointerInput::kShift) ScrollBy(int32_t(in.wheel * 48), 0);
      else ScrollBy(0, int32_t(in.wheel * 48));
      return true;
    case PointerInput::kDown:
    case PointerInput::kDouble:
      break;
  }
  if (in.button != 1 && in.button != 3) return false;
  m_drag.Cancel();
  if (m_pView) Qel0SetGValue(2, reinterpret_cast<intptr_t>(m_pView->Handle()));  // Escape comes here
  CPrintPage* page = m_pPage;
  if (!page || !m_pProject) {
    if (m_pProject && in.button == 3) {
      CPrintPage* first = m_pProject->GetPage(0);
      if (first && first->IsFreeLayout()) m_pProject->OnRbtnDown(-1);
    } else if (in.button == 1) {
      m_drag.Begin(CPreviewDrag::kPaper, -1, in.at);
    }
    return true;
  }
  const bool dbl = in.kind == PointerInput::kDouble;
  const long code = in.button == 3 ? kRightDown : dbl ? kDoubleDown : kLeftDown;
  if (m_pProject->NotifyMouseMsg(code)) return true;
  if (!m_bInteractive) return true;
  const long c = CellAt(in.at);
  const CPrintCell* cell = page->GetCell(c);
  if (c < 0 || !cell) {
    if (in.button == 3) {
      if (page->IsFreeLayout()) m_pProject->OnRbtnDown(-1);
    } else if (!dbl) {
      m_drag.Begin(CPreviewDrag::kPaper, -1, in.at);
    }
    return true;
  }
  if (c != m_nActiveCell) {
    page->SetActiveCell(c);
    SetActive(c);
  }
  const bool empty = !cell->isText && cell->resIndex < 0;
  if (in.button == 3) {
    m_pProject->OnRbtnDown(empty ? 1 : 0);
    return true;
  }
  if (dbl) {
    m_pProject->OnLbtnDblClicked(empty ? 1 : cell->isText ? 3 : 2);
    return true;
  }
  CPreviewDrag::Kind kind;
  const bool swap = m_pProject->GetBParam(11) != 0;
  if (empty) kind = CPreviewDrag::kPaper;
  else if (cell->isText || page->IsFreeLayout()) kind = CPreviewDrag::kFree;
  else if (cell->zoom > 1.0) kind = m_pProject->GetBParam(12) ? CPreviewDrag::kPan : swap ? CPreviewDrag::kSwap : CPreviewDrag::kPaper;
  else kind = swap ? CPreviewDrag::kSwap : CPreviewDrag::kPaper;
  m_drag.Begin(kind, c, in.at);
  return true;
}

bool CPrintPreview::OnKey(uint32_t key, bool down) {
  if (!down || key != kEscape || m_drag.kind() == CPreviewDrag::kNone) return false;
  m_drag.Cancel();
  return true;
}
