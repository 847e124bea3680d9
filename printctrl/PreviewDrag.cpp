// The drag state machine: what a press starts, each move changes and the
// release commits (Escape, a lost focus or a cancelled press commit nothing).
#include "PreviewDrag.h"

#include <algorithm>
#include <cmath>

#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"

namespace {

int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }
int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }
bool Same(const SRect32& a, const SRect32& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
bool In(const SRect32& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

CPreviewDrag::Spot CPreviewDrag::SpotOf(const SRect32& r, POINT p) {
  // Squares of 16 pixels in the corners resize, the rest moves.
  constexpr int32_t k = 16;
  const SRect32 corners[] = {{r.left, r.top, r.left + k, r.top + k},
                             {r.right - k, r.top, r.right, r.top + k},
                             {r.left, r.bottom - k, r.left + k, r.bottom},
                             {r.right - k, r.bottom - k, r.right, r.bottom}};
  for (int i = 0; i < 4; ++i) {
    if (In(corners[i], p)) return Spot(i + 1);
  }
  return In(r, p) ? kBody : kNowhere;
}

CPrintPage* CPreviewDrag::LivePage() const {
  CPrintProject* project = m_owner->Project();
  if (!m_page || m_owner->GetPage() != m_page || !project || project->GetPageIndex(m_page) < 0) return nullptr;
  return m_page;
}

void CPreviewDrag::Reset() {
  m_kind = kNone;
  m_page = nullptr;
  m_cell = m_target = -1;
  m_rect = m_startRect = SRect32{0, 0, 0, 0};
}

bool CPreviewDrag::Begin(Kind kind, long cell, POINT at) {
  Reset();
  CPrintPage* page = m_owner->GetPage();
  CPrintProject* project = m_owner->Project();
  if (!page || !project || kind == kNone) return false;
  m_start = m_last = at;
  if (kind == kPaper) {
    if (m_owner->IsFit()) return false;
    m_kind = kPaper;
    m_page = page;
    return true;
  }
  const CPrintCell* c = page->GetCell(cell);
  if (!c || (!c->isText && c->resIndex < 0)) return false;
  m_page = page;
  m_cell = cell;
  if (kind == kSwap) {
    m_kind = kSwap;
  } else if (kind == kFree) {
    const SRect32 r = m_owner->CellRect(cell);
    const Spot s = SpotOf(r, at);
    if (s == kNowhere) return false;
    m_mode = c->isText ? 0 : s;
    m_picW = std::max(c->picWidth, 1), m_picH = std::max(c->picHeight, 1);
    m_rect = m_startRect = r;
    // The print area on the screen, and the bounds a quarter inch inside it.
    SRect32 area{0, 0, 0, 0};
    project->GetPrintArea(area);
    int32_t dx = 0, dy = 0;
    project->GetPrinterMargin(&dx, &dy);
    m_area = m_owner->PageToWindow(SRect32{area.left - dx, area.top - dy, area.right - dx, area.bottom - dy});
    double wi = 0, hi = 0;
    const SRect32 paper = m_owner->PaperRect();
    int32_t q = 0;
    m_minSize = 48;
    if (project->GetPaperSize(wi, hi, false, true) && wi > 0) {
      m_minSize = Round(W(paper) * 1.5 / wi);
      q = Round(W(paper) * 0.25 / wi);
    }
    m_bounds = SRect32{m_area.left + q, m_area.top + q, m_area.right - q, m_area.bottom - q};
    m_kind = kFree;
  } else if (kind == kPan) {
    if (c->isText || !(c->zoom > 1.0)) return false;
    m_pic0 = m_pic = c->picRect;
    m_kind = kPan;
  } else {
    return false;
  }
  m_owner->UpdateCopyBtn();
  m_owner->PageChanged();
  return true;
}

void CPreviewDrag::Move(POINT at) {
  if (m_kind == kNone) return;
  if (!LivePage()) {
    Cancel();
    return;
  }
  switch (m_kind) {
    case kPaper:
      m_owner->ScrollBy(m_last.x - at.x, m_last.y - at.y);
      break;
    case kSwap: {
      const long t = m_owner->CellAt(at);
      const long target = t >= 0 && t != m_cell && m_page->IsPicCell(t) ? t : -1;
      if (target != m_target) {
        m_target = target;
        m_owner->Invalidate();
      }
      break;
    }
    case kFree:
      MoveFree(at);
      break;
    case kPan:
      MovePan(at);
      break;
    case kNone:
      break;
  }
  m_last = at;
}

void CPreviewDrag::MoveFree(POINT at) {
  if (at.x == m_last.x && at.y == m_last.y) return;
  const int32_t dx = at.x - m_last.x, dy = at.y - m_last.y;
  const int32_t DX = at.x - m_start.x, DY = at.y - m_start.y;
  const SRect32& B = m_bounds;
  SRect32 N;
  if (m_mode == 0) {
    const int32_t w = W(m_rect), h = H(m_rect);
    N = SRect32{m_rect.left + dx, m_rect.top + dy, m_rect.right + dx, m_rect.bottom + dy};
    if (N.right < B.left) N.right = B.left, N.left = N.right - w;
    if (N.left > B.right) N.left = B.right, N.right = N.left + w;
    if (N.bottom < B.top) N.bottom = B.top, N.top = N.bottom - h;
    if (N.top > B.bottom) N.top = B.bottom, N.bottom = N.top + h;
  } else {
    N = m_startRect;
    const bool left = m_mode == 1 || m_mode == 3, top = m_mode == 1 || m_mode == 2;
    const int32_t m = m_minSize;
    if (left) N.left = std::max(std::min(N.left + DX, N.right - m), m_area.left);
    else N.right = std::min(std::max(N.right + DX, N.left + m), m_area.right);
    if (top) N.top = std::max(std::min(N.top + DY, N.bottom - m), m_area.top);
    else N.bottom = std::min(std::max(N.bottom + DY, N.top + m), m_area.bottom);
    // The picture keeps its proportions: the dragged edges give way.
    const int64_t w = W(N), h = H(N);
    if (int64_t(m_picH) * w >= int64_t(m_picW) * h) {
      const int32_t nw = std::max(Round(double(h) * m_picW / m_picH), 1);
      if (left) N.left = N.right - nw;
      else N.right = N.left + nw;
    } else {
      const int32_t nh = std::max(Round(double(w) * m_picH / m_picW), 1);
      if (top) N.top = N.bottom - nh;
      else N.bottom = N.top + nh;
    }
  }
  if (N.left <= B.right && N.top <= B.bottom && N.right >= B.left && N.bottom >= B.top) {
    m_rect = N;
    m_owner->Invalidate();
  }
}

void CPreviewDrag::MovePan(POINT at) {
  const CPrintCell* c = m_page->GetCell(m_cell);
  if (!c) return;
  SRect32 show;
  c->GetPicShowRect(show);
  const SRect32 s = m_owner->PageToWindow(show);
  if (W(s) < 1 || H(s) < 1) return;
  // The picture follows the pointer: a window pixel is this many pixels of
  // the picture part shown.
  const double kx = double(W(m_pic0)) / W(s), ky = double(H(m_pic0)) / H(s);
  int32_t ox = -Round((at.x - m_start.x) * kx), oy = -Round((at.y - m_start.y) * ky);
  ox = std::clamp(ox, -m_pic0.left, c->picWidth - m_pic0.right);
  oy = std::clamp(oy, -m_pic0.top, c->picHeight - m_pic0.bottom);
  const SRect32 p{m_pic0.left + ox, m_pic0.top + oy, m_pic0.right + ox, m_pic0.bottom + oy};
  if (Same(p, m_pic)) return;
  m_pic = p;
  m_owner->PageChanged();
}

void CPreviewDrag::End(POINT at) {
  if (m_kind == kNone) return;
  Move(at);
  CPrintPage* page = LivePage();
  CPrintProject* project = m_owner->Project();
  const Kind kind = m_kind;
  const long a = m_cell;
  const SRect32 rect = m_rect, start = m_startRect, pic = m_pic, pic0 = m_pic0;
  const int32_t mode = m_mode, pw = m_picW, ph = m_picH;
  Reset();
  if (!page || !project) {
    m_owner->PageChanged();
    return;
  }
  switch (kind) {
    case kSwap: {
      const long t = m_owner->CellAt(at);
      if (t >= 0 && t != a && page->IsPicCell(t) && page->DoSwapCell(t, a)) {
        project->UpdateLowDpiCellsNum();
        page->SetActiveCell(t);
        m_owner->SetActive(t);
        project->UpdateActionBtnState();
      }
      break;
    }
    case kFree: {
      const CPrintCell* c = page->GetCell(a);
      if (!c || W(rect) <= 0 || H(rect) <= 0 || Same(rect, start)) break;
      SRect32 R = m_owner->WindowToPage(rect);
      if (mode == 0) {
        R.right = R.left + W(c->cellRect), R.bottom = R.top + H(c->cellRect);
      } else {
        int px = 0, py = 0;
        project->GetPrintPixel(px, py);
        if (px > 0 && py > 0 && W(R) < 1.5 * px && H(R) < 1.5 * py) {
          // Too small to print well: 1.5 inch on the longer side.
          int32_t nw, nh;
          const double wi = double(W(R)) / px, hi = double(H(R)) / py;
          if (hi > wi) nh = int32_t(1.5 * py), nw = Round(double(nh) * pw / ph);
          else if (wi > hi) nw = int32_t(1.5 * px), nh = Round(double(nw) * ph / pw);
          else nw = int32_t(1.5 * px), nh = int32_t(1.5 * py);
          const bool keepRight = mode == 1 || mode == 3, keepBottom = mode == 1 || mode == 2;
          if (keepRight) R.left = R.right - nw;
          else R.right = R.left + nw;
          if (keepBottom) R.top = R.bottom - nh;
          else R.bottom = R.top + nh;
        }
      }
      page->DoMoveOrZoomCell(a, R);
      project->UpdateActionBtnState();
      if (mode != 0) project->UpdateLowDpiCellsNum();
      break;
    }
    case kPan: {
      // Dropped on another picture: the two cells swap, the pan is dropped.
      const long t = m_owner->CellAt(at);
      if (t >= 0 && t != a && page->IsPicCell(t) && project->GetBParam(11)) {
        if (page->DoSwapCell(a, t)) {
          page->SetActiveCell(t);
          m_owner->SetActive(t);
          project->UpdateActionBtnState();
          project->UpdateLowDpiCellsNum();
        }
        break;
      }
      if (!Same(pic, pic0)) {
        page->DoPanCellPic(a, pic);
        project->UpdateActionBtnState();
      }
      break;
    }
    case kPaper:
    case kNone:
      break;
  }
  m_owner->PageChanged();
}

void CPreviewDrag::Cancel() {
  if (m_kind == kNone) return;
  Reset();
  m_owner->PageChanged();
}
