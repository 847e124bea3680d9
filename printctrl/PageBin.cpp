// The page strip: an album of page thumbnails kept in step with the pages.
#include "PageBin.h"

#include <algorithm>
#include <cstdio>

#include "PrintProject.h"
#include "qel/QelImageControl.h"

namespace {

qel::Element* Find(qel::Element* panel, const char* name) { return panel ? panel->FindByName(name, true) : nullptr; }

}  // namespace

// ---- one thumbnail ----

CPageThumbNail::~CPageThumbNail() { SetPanel(nullptr, nullptr, nullptr); }

void CPageThumbNail::SetPanel(qel::Element* p, qel::Picture* picture, const SIZE* size) {
  if (picture) pict = picture;
  if (p != panel) {
    if (auto* old = qel::ImageControl::From(imgCtrl ? imgCtrl->Handle() : nullptr)) old->SetPict(nullptr);
    imgCtrl = nullptr;
    if (panel) panel->Release();
    panel = p;
    if (panel) panel->Retain();
  }
  if (size) thumbSize = *size;
  if (!panel) return;
  imgCtrl = Find(panel, "imgc_cont");
  if (auto* ic = qel::ImageControl::From(imgCtrl ? imgCtrl->Handle() : nullptr)) {
    ic->SetPict(pict);
    ic->SetFitMode(true);
  }
  RefreshPictSize(nullptr);
  if (imgCtrl) imgCtrl->Invalidate();
}

void CPageThumbNail::RefreshPictSize(const SIZE* size) {
  if (!panel || !imgCtrl) return;
  if (size) thumbSize = *size;
  qel::Element* frame = Find(panel, "PanelThumb");
  if (!frame || !pict) return;
  // The frame hugs the picture as the image control fits it into the cell.
  const SIZE area = imgCtrl->FrameSize(), ps = pict->Size();
  if (area.cx < 1 || area.cy < 1 || ps.cx < 1 || ps.cy < 1) return;
  const double k = std::min(double(area.cx) / ps.cx, double(area.cy) / ps.cy);
  const SIZE shown{std::max(int32_t(ps.cx * k + 0.5), 1), std::max(int32_t(ps.cy * k + 0.5), 1)};
  const SRect32 at = imgCtrl->Margin();
  frame->SetMargin(SRect32{at.left + (area.cx - shown.cx) / 2 - 3, at.top + (area.cy - shown.cy) / 2 - 3, 0, 0});
  frame->SetFrameSize(SIZE{shown.cx + 6, shown.cy + 6});
}

void CPageThumbNail::Update(qel::Picture* picture) {
  pict = picture;
  if (auto* ic = qel::ImageControl::From(imgCtrl ? imgCtrl->Handle() : nullptr)) {
    ic->SetPict(picture);
    ic->Invalidate();
  }
  RefreshPictSize(nullptr);
}

int CPageThumbNail::RefreshSelect() {
  qel::Element* sel = Find(panel, "Select");
  qel::Element* unsel = Find(panel, "Unselect");
  if (!panel || !sel || !unsel) return 0;
  sel->Show(selected != 0);
  unsel->Show(selected == 0);
  return 1;
}

bool CPageThumbNail::IsPtInThumb(POINT p) const {
  qel::Element* frame = Find(panel, "PanelThumb");
  if (!frame) return false;
  const SIZE s = frame->FrameSize();
  const int32_t left = (thumbSize.cx - s.cx) / 2, top = (thumbSize.cy - s.cy) / 2;
  return p.x >= left && p.x < left + s.cx && p.y >= top && p.y < top + s.cy;
}

void CPageThumbNail::SetPageNumber(long number) {
  qel::Element* v = Find(panel, "view_pagenum");
  if (!v || !v->Visible()) return;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%ld", number);
  v->SetText(qel::ToU16(buf));
}

// ---- the strip ----

CPageBin::CPageBin(qel::Element* p, qel::Album* a, CPrintProject* pr) : album(a), panel(p), project(pr) {
  ImageCtrlInit();
  if (!album) return;
  album->Retain();
  album->SetHorizontal(false);  // one row that scrolls sideways
  album->SetSingleSelect(true);
  album->SetLayoutRange(1, 1);
  album->SetImageMode(1);
  album->SetCallback(&CPageBin::AlbumCBK, this);
  if (project) project->UpdatePageBinBtnState(0);
}

CPageBin::~CPageBin() {
  // The album may be part of a tree being destroyed: it is neither laid out
  // nor asked anything; its items go with it (ClearPicts first for an album
  // that stays).
  if (album) album->SetCallback(nullptr, nullptr);
  for (CPageThumbNail* t : thumbs) delete t;
  thumbs.clear();
  if (album) album->Release();
}

int CPageBin::AddPict(qel::Picture* picture) {
  if (!album) return 0;
  auto* t = new CPageThumbNail;
  t->pict = picture;
  thumbs.push_back(t);  // before the album shows it (event 2053 may come at once)
  if (album->Insert(-1, t) < 0) {
    thumbs.pop_back();
    delete t;
    return 0;
  }
  ReportState();
  return 1;
}

int CPageBin::DeletePict(int index, int report) {
  if (!album || !Valid(index)) return 0;
  CPageThumbNail* t = thumbs[size_t(index)];
  t->SetPanel(nullptr, nullptr, nullptr);
  thumbs.erase(thumbs.begin() + index);
  delete t;
  // Selection moves in the album meanwhile; the project's page stays.
  deleting = 1;
  album->Delete(index);
  deleting = 0;
  if (report && project) ReportState();
  RefreshPicPageNum(index);
  return 1;
}

void CPageBin::ClearPicts(int report) {
  for (int i = int(thumbs.size()) - 1; i >= 0; --i) DeletePict(i, 0);
  thumbs.clear();
  if (report && project) ReportState();
}

void CPageBin::Update(unsigned long index, qel::Picture* picture) {
  if (index >= thumbs.size()) return;
  thumbs[index]->pict = picture;
  if (thumbs[index]->panel) thumbs[index]->Update(picture);
}

void CPageBin::ScrollTo(int index) {
  if (!album) return;
  POINT cr = album->CellOf(std::max(index, 0));
  album->SetScrollOffset(cr.x * album->CellSize().cx);
  album->SyncNow();
}

void CPageBin::SetCurrent(int index) {
  if (!album || !Valid(index)) return;
  album->Select(index, true, true);
  album->SetCurrent(index);
  album->ScrollToItem(index);
  album->SyncNow();
  ReportState();
}

void CPageBin::MakeItemVisible(long index) {
  if (!album || !Valid(index)) return;
  POINT first{-1, -1}, last{-1, -1};
  album->VisibleCells(&first, &last);
  if (index >= first.x && index <= last.x) return;
  album->ScrollToItem(int32_t(index));
  album->SyncNow();
  ReportState();
}

void CPageBin::DoLScroll() {
  const int p = GetFirstIndex();
  if (p - 1 >= 0) ScrollTo(p - 1);
  if (project) ReportState();
}

void CPageBin::DoRScroll() {
  const int p = GetFirstIndex();
  if (p + 1 < int(thumbs.size()) && CanRScroll()) ScrollTo(p + 1);
  if (project) ReportState();
}

int CPageBin::GetFirstIndex(POINT* where) {
  if (!album || thumbs.empty()) return 0;
  // The first item whose cell starts at or after the left edge.
  const int32_t w = std::max(album->CellSize().cx, 1);
  const int32_t first = (album->ScrollOffset() + w - 1) / w;
  if (where) *where = POINT{first * w - album->ScrollOffset(), album->LaidOutSize().cy / 2};
  return std::min(first, int32_t(thumbs.size()) - 1);
}

bool CPageBin::CanRScroll() { return album && album->ScrollOffset() < album->MaxScrollOffset(); }

void CPageBin::RefreshPicPageNum(int from) {
  for (size_t i = size_t(std::max(from, 0)); i < thumbs.size(); ++i) {
    if (!thumbs[i]->panel) continue;
    thumbs[i]->SetPageNumber(long(i) + 1);
  }
}

uint32_t CPageBin::GetButtonState() {
  if (!album) return 0;
  uint32_t bits = 0;
  if (album->ScrollOffset() > 0) bits |= kCanScrollLeft;
  if (CanRScroll()) bits |= kCanScrollRight;
  if (Valid(album->Current()) && project && project->CanDeletePage()) bits |= kCanDelete;
  return bits;
}

void CPageBin::ReportState() {
  if (project) project->UpdatePageBinBtnState(GetButtonState());
}

int32_t CPageBin::AlbumCBK(QelObject, int32_t event, QELLPARAM data, void* strip) {
  if (!strip) return -1;
  return static_cast<CPageBin*>(strip)->OnAlbum(event, data);
}

int32_t CPageBin::OnAlbum(int32_t event, QELLPARAM data) {
  const auto* n = reinterpret_cast<const QelAlbumItemNotify*>(data);
  switch (event) {
    case QEL_EV_LAYOUT_CHANGED:
      ReportState();
      return 0;
    case qel::kAlbumItemShown:
      if (!n || !Valid(n->index)) return 0;
      if (n->flag) {
        CPageThumbNail* t = thumbs[size_t(n->index)];
        const SIZE cell = album->CellSize();
        t->SetPanel(album->ItemPanel(n->index), nullptr, &cell);
        t->selected = album->IsSelected(n->index) ? 1 : 0;
        t->RefreshSelect();
        t->SetPageNumber(n->index + 1);
      } else {
        thumbs[size_t(n->index)]->SetPanel(nullptr, nullptr, nullptr);
      }
      return 0;
    case qel::kAlbumSelectChanged:
      if (!n) return 0;
      for (size_t i = 0; i < thumbs.size(); ++i) {
        if (n->index >= 0 && size_t(n->index) != i) continue;
        thumbs[i]->selected = album->IsSelected(int32_t(i)) ? 1 : 0;
        thumbs[i]->RefreshSelect();
      }
      return 0;
    case qel::kAlbumCurrentChanged:
      if (!n || !Valid(n->index) || !n->flag) return 0;
      if (project && !deleting && n->index != project->GetCurrentPage()) project->Interface(7, n->index + 1, nullptr);
      ReportState();
      return 0;
  }
  return 0;
}
