#include "PrintPage.h"

#include <algorithm>
#include <cmath>

#include "FunctionImgCtrl.h"
#include "PictureFunctions.h"
#include "PrintProject.h"
#include "ZylRect.h"

namespace {

int32_t W(const SRect32& r) { return r.right - r.left; }
int32_t H(const SRect32& r) { return r.bottom - r.top; }
int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }

}  // namespace

CPrintPage::CPrintPage(CPrintProject* project, int freeLayout) : freeLayout(freeLayout != 0), project(project) {}

CPrintPage::~CPrintPage() {
  if (pageThumb) pageThumb->Release();
  for (auto it = cells.rbegin(); it != cells.rend(); ++it) delete *it;
  _ClearRedo();
  _ClearUndo();
  dispPics.clear();
}

void CPrintPage::Changed(long kind, long i) {
  if (!project) return;
  project->SetNeedSave(1);
  project->PageNotify(this, kind, i, -1);
}

// ---- layout ----

int CPrintPage::SetTemplate(CTemplate* t) {
  pageTemplate = t;
  if (!t) return 0;
  for (auto it = cells.rbegin(); it != cells.rend(); ++it) delete *it;
  cells.clear();
  dispPics.clear();
  if (project) project->GetPrintPaperSize(paperSize);
  SRect32 area{0, 0, 0, 0};
  if (project) project->GetPrintArea(area);
  const double zoom = project ? project->GetCellZoom() : 1.0;
  for (int i = 0; i < t->GetCellCount(); ++i) {
    SRect32 r = t->GetCell(i)->rc;
    if (t->GetCellCount() == 1) {
      if (W(r) >= W(area) && W(area) > 0) r.left = area.left, r.right = area.right;
      if (H(r) >= H(area) && H(area) > 0) r.top = area.top, r.bottom = area.bottom;
    }
    ZoomRect(r, zoom);
    auto* c = new CPrintCell();
    c->cellRect = r;
    if (freeLayout) c->zOrder = i;
    cells.push_back(c);
  }
  return 1;
}

void CPrintPage::OrientationChanged(CTemplate* t) {
  pageTemplate = t;
  if (project) project->GetPrintPaperSize(paperSize);
  if (paperSize.cx == paperSize.cy || !t || freeLayout) return;
  const double zoom = project ? project->GetCellZoom() : 1.0;
  int next = 0;
  for (CPrintCell* c : cells) {
    if (c->isText) {
      LimitCellRect(c->cellRect);
      continue;
    }
    if (next >= t->GetCellCount()) continue;
    SRect32 r = t->GetCell(next++)->rc;
    ZoomRect(r, zoom);
    c->cellRect = r;
    if (c->resIndex >= 0) c->DoRotate(paperSize.cx > paperSize.cy ? 90 : 270);
  }
}

void CPrintPage::LimitCellRect(SRect32& r) const {
  if (Zyl_IsRectEmpty(&r) || !project) return;
  SRect32 a{0, 0, 0, 0};
  project->GetPrintArea(a);
  int px = 0, py = 0;
  project->GetPrintPixel(px, py);
  if (px / 2 < W(a) && px / 2 < H(a)) Zyl_InsetRect(&a, px / 2, px / 2);
  const int32_t w = W(r), h = H(r);
  if (r.left > a.right) r.left = a.right, r.right = r.left + w;
  if (r.right < a.left) r.right = a.left, r.left = r.right - w;
  if (r.top > a.bottom) r.top = a.bottom, r.bottom = r.top + h;
  if (r.bottom < a.top) r.bottom = a.top, r.top = r.bottom - h;
}

// ---- cells ----

CPrintCell* CPrintPage::GetCell(unsigned long i) const { return i < cells.size() ? cells[i] : nullptr; }

long CPrintPage::_GetCellIndex(const CPrintCell* cell) const {
  auto it = std::find(cells.begin(), cells.end(), cell);
  return it == cells.end() ? -1 : long(it - cells.begin());
}

CPrintCell* CPrintPage::GetActiveCellPt() const { return Valid(activeCell) ? cells[size_t(activeCell)] : nullptr; }

void CPrintPage::SetActiveCell(long i) {
  if (i < 0 || i >= long(cells.size())) return;
  activeCell = i;
  if (cells[size_t(i)]->isText || freeLayout) _SetCellZorder(i, _GetMaxZOrder(cells[size_t(i)]->isText));
}

long CPrintPage::GetCellResourceIndex(long i) const { return Valid(i) ? cells[size_t(i)]->resIndex : -1; }
bool CPrintPage::IsTextCell(long i) const { return Valid(i) && cells[size_t(i)]->isText; }
bool CPrintPage::IsPicCell(long i) const { return Valid(i) && !cells[size_t(i)]->isText; }

long CPrintPage::GetTextCellsNum() const {
  return long(std::count_if(cells.begin(), cells.end(), [](const CPrintCell* c) { return c->isText; }));
}

bool CPrintPage::IsPageEmpty() const {
  return std::none_of(cells.begin(), cells.end(), [](const CPrintCell* c) { return c->resIndex >= 0 && !c->excluded; });
}

long CPrintPage::GetFileNumInPage() const {
  std::vector<int32_t> seen;
  for (const CPrintCell* c : cells) {
    if (!c->isText && c->resIndex >= 0 && std::find(seen.begin(), seen.end(), c->resIndex) == seen.end()) {
      seen.push_back(c->resIndex);
    }
  }
  return long(seen.size());
}

long CPrintPage::_GetMaxZOrder(int withText) const {
  long z = 0;
  bool any = false;
  for (const CPrintCell* c : cells) {
    if (!withText && c->isText) continue;
    z = any ? std::max<long>(z, c->zOrder) : c->zOrder;
    any = true;
  }
  return any ? z : 0;
}

long CPrintPage::_GetMaxZOrderCell() const {
  long best = -1;
  for (long i = 0; i < long(cells.size()); ++i) {
    if (best < 0 || cells[size_t(i)]->zOrder > cells[size_t(best)]->zOrder) best = i;
  }
  return best;
}

PubImage::QelPicture* CPrintPage::GetCellMask(long i) const {
  if (!Valid(i) || cells[size_t(i)]->isText || !project) return nullptr;
  PubImage::QelPicture* m = project->GetCellMaskPic(unsigned(i));
  if (m) m->Retain();
  return m;
}

int CPrintPage::DoMoveOrZoomCell(long i, const SRect32& r) {
  if (!Valid(i)) return 0;
  int res = cells[size_t(i)]->DoMoveOrZoom(r);
  Changed(4, i);
  return res;
}

int CPrintPage::DoPanCellPic(long i, const SRect32& r) {
  if (!Valid(i)) return 0;
  int res = cells[size_t(i)]->DoPan(r);
  Changed(4, i);
  return res;
}

int CPrintPage::DoZoomCellPic(long i, int step) {
  if (!Valid(i)) return 0;
  int res = cells[size_t(i)]->DoZoom(step);
  if (project) project->SetNeedSave(1);
  if (res && project) project->PageNotify(this, 4, i, -1);
  return res;
}

int CPrintPage::DoFlipCellPic(long i, int dir) {
  if (!Valid(i)) return 0;
  cells[size_t(i)]->DoFlip(dir == 1);
  Changed(4, i);
  return 1;
}

int CPrintPage::DoRotateCellPic(long i, long angle) {
  if (!Valid(i)) return 0;
  CPrintCell* c = cells[size_t(i)];
  const SRect32 old = c->cellRect;
  c->DoRotate(angle);
  if (c->isText) {
    SRect32 r = c->cellRect;
    LimitCellRect(r);
    if (!Zyl_EqualRect(&r, &c->cellRect)) c->cellRect = r;
  } else if (freeLayout && project) {
    // The cell turns with its picture, kept inside the print area.
    SRect32 a{0, 0, 0, 0};
    project->GetPrintArea(a);
    const int32_t cx = Round((double(old.left) + old.right) * 0.5), cy = Round((double(old.top) + old.bottom) * 0.5);
    const int32_t w = W(old), h = H(old);
    int32_t nw = h, nh = w;
    if (h > W(a) && h > 0) nw = W(a), nh = std::max(Round(double(w) * W(a) / h), 1);
    if (w > H(a) && w > 0) nh = H(a), nw = std::max(Round(double(h) * H(a) / w), 1);
    SRect32 r{std::max(cx - Round(nw * 0.5), a.left), std::max(cy - Round(nh * 0.5), a.top), 0, 0};
    r.right = r.left + nw, r.bottom = r.top + nh;
    if (r.right > a.right) r.left -= r.right - a.right, r.right = a.right;
    if (r.bottom > a.bottom) r.top -= r.bottom - a.bottom, r.bottom = a.bottom;
    c->cellRect = r;
    c->DoZoom(0);
  }
  Changed(4, i);
  return 1;
}

int CPrintPage::SetCellAutoCrop(long i, bool on, bool record) {
  if (!Valid(i)) return 0;
  CPrintCell* c = cells[size_t(i)];
  if (c->autoCrop) return 1;
  if (record && c->resIndex >= 0) {
    CURNode n;
    n.action = 7;
    n.index = int32_t(i);
    n.cells.push_back(*c);
    _AddUndoNode(n);
  }
  if (project) project->SetNeedSave(1);
  c->DoAutoCrop(on);
  return 1;
}

int CPrintPage::DoSwapCell(long a, long b) {
  if (!Valid(a) || !Valid(b) || a == b) return 0;
  if (project) project->SetNeedSave(1);
  CPrintCell* ca = cells[size_t(a)];
  CPrintCell* cb = cells[size_t(b)];
  std::swap(ca->cellRect, cb->cellRect);
  std::swap(cells[size_t(a)], cells[size_t(b)]);
  for (CPrintCell* c : {ca, cb}) {
    if (c->autoCrop) c->DoAutoCrop(true);
    else c->_SetZoom(c->zoom);
  }
  if (project) project->PageNotify(this, 4, a, b);
  return 1;
}

int CPrintPage::DoAddCell(long i, CPrintCell* src, bool noCopyAdd, bool keepZOrder) {
  if (!src) return 0;
  if (src->isText) return DoAddText(src->resIndex) >= 0 ? 1 : 0;
  CPrintImageList* list = project ? project->GetImageList() : nullptr;
  if (freeLayout) {
    if (project && cells.size() >= project->m_nFreePageCells) return 0;
    const long topPicture = _GetMaxZOrder(0);
    auto* c = new CPrintCell(*src);
    if (!keepZOrder) {
      // Texts stay in front of every picture.
      for (CPrintCell* t : cells) {
        if (t->isText) ++t->zOrder;
      }
      c->zOrder = int32_t(topPicture) + 1;
    }
    cells.push_back(c);
    if (project) project->SetNeedSave(1);
    if (!noCopyAdd && list) list->CopyAdd(c->resIndex);
    activeCell = long(cells.size()) - 1;
    return 1;
  }
  if (!Valid(i) || *cells[size_t(i)] == *src) return 0;
  CPrintCell* c = cells[size_t(i)];
  if (c->resIndex >= 0 && project) project->ImgCopiesDecrease(c->resIndex, true);
  const SRect32 keep = c->cellRect;
  *c = *src;
  c->cellRect = keep;
  // Asked once the cell holds the picture: a page that was empty is not now.
  if (project) project->SetNeedSave(1);
  if (W(keep) != W(src->cellRect) || H(keep) != H(src->cellRect)) {
    if (project && project->GetBParam(21)) c->DoAutoRotate(project->GetOrgDispPicRotatedDegee(src->resIndex));
    if (src->autoCrop) c->DoAutoCrop(true);
    else c->_SetZoom(src->zoom);
  }
  if (c->resIndex >= 0 && list) list->CopyAdd(c->resIndex);
  if (project) project->PageNotify(this, 0, i, -1);
  return 1;
}

int CPrintPage::DoDeleteCell(long i) {
  if (!Valid(i)) return 0;
  CPrintCell* c = cells[size_t(i)];
  if (c->isText) return DoDeleteTxt(i);
  if (c->resIndex < 0) return 0;
  const int32_t res = c->resIndex;
  if (freeLayout) {
    delete c;
    cells.erase(cells.begin() + i);
    if (project) {
      project->SetNeedSave(1);
      project->ImgCopiesDecrease(res, true);
    }
    activeCell = _GetMaxZOrderCell();
    if (project) project->PageNotify(this, 6, i, -1);
    return 1;
  }
  c->SetResourceIndex(-1, SIZE{0, 0}, false);
  if (project) {
    project->ImgCopiesDecrease(res, true);
    project->SetNeedSave(1);
    project->PageNotify(this, 0, i, -1);
  }
  return 1;
}

int CPrintPage::_SetCellZorder(long i, long z) {
  if (!Valid(i)) return 0;
  CPrintCell* c = cells[size_t(i)];
  if (!c->isText && !freeLayout) return 0;
  const long target = std::min(z, _GetMaxZOrder(c->isText));
  const long old = c->zOrder;
  if (target == old) return 0;
  for (CPrintCell* o : cells) {
    if (o == c) continue;
    if (target < old && o->zOrder >= target && o->zOrder < old) ++o->zOrder;
    if (target > old && o->zOrder > old && o->zOrder <= target) --o->zOrder;
  }
  c->zOrder = int32_t(target);
  Changed(4, i);
  return 1;
}

// ---- cell pictures ----

PubImage::QelPicture* CPrintPage::_GetCellPic(long i, int kind) const {
  if (kind < 0 || kind > 2 || !Valid(i) || !project) return nullptr;
  const CPrintCell* c = cells[size_t(i)];
  if (c->resIndex < 0) return nullptr;
  PubImage::QelPicture* src = kind == 0   ? project->GetImgThumbPic(c->resIndex)
                              : kind == 1 ? project->GetImgDispPic(c->resIndex)
                                          : project->GetImgOrgPic(c->resIndex);
  if (!src) return nullptr;
  long angle;
  int flipA, flipB;
  c->GetImgState(angle, flipA, flipB);
  angle %= 360;
  std::vector<RFATYPE> ops;
  if (kind == 2 && project->GetImgDispPic(c->resIndex) != src) {
    // The display picture was turned against the file; the original was not.
    int32_t d = project->GetOrgDispPicRotatedDegee(c->resIndex);
    if (d == 90) ops.push_back(RFA_ROTATE90);
    else if (d == 270) ops.push_back(RFA_ROTATE270);
  }
  if (flipA) ops.push_back(RFA_FLIP);
  if (flipB) ops.push_back(RFA_FLIP_OTHER);
  if (angle > 0) ops.push_back(RFATYPE(angle / 90 - 1));
  long a = 0;
  int flip = 0;
  MergeRotateFlip(ops, a, flip);
  if (a == 0 && !flip) {
    src->Retain();
    return src;
  }
  auto* copy = reinterpret_cast<PubImage::QelPicture*>(Qel0CopyObject(src));
  CFunctionImgCtrl* f = g_lpImgFunc;
  if (!copy || !f || !f->RotateFlipPic(copy, a, flip)) {
    if (copy) copy->Release();
    return nullptr;
  }
  return copy;
}

PubImage::QelPicture* CPrintPage::GetCellDispPic(long i) {
  if (!Valid(i)) return nullptr;
  if (IsDispDataPrepared()) {
    // The prepared entry's reference passes to the caller.
    PubImage::QelPicture* p = size_t(i) < dispPics.size() ? dispPics[size_t(i)] : nullptr;
    if (size_t(i) < dispPics.size()) dispPics[size_t(i)] = nullptr;
    return p;
  }
  return _GetCellPic(i, 1);
}

void CPrintPage::PrepareAllDispData() {
  for (PubImage::QelPicture* p : dispPics) {
    if (p) p->Release();
  }
  dispPics.clear();
  for (long i = 0; i < long(cells.size()); ++i) {
    PubImage::QelPicture* pic = nullptr;
    bool lent = false;
    for (long j = i - 1; j >= 0; --j) {
      if (*cells[size_t(j)] == *cells[size_t(i)]) {
        pic = dispPics[size_t(j)];
        if (pic) pic->Retain();
        lent = true;
        break;
      }
    }
    if (!lent) pic = _GetCellPic(i, 1);
    dispPics.push_back(pic);
  }
}

void CPrintPage::_CreatePageThumb(SIZE s) {
  if (pageThumb) pageThumb->Release();
  pageThumb = nullptr;
  if (s.cx > 9 && s.cy > 9) pageThumb = GetPagePic(s, false, true, nullptr, nullptr);
}

PubImage::QelPicture* CPrintPage::GetThumb(long w, long h) {
  if (w < 1 || h < 1) return nullptr;
  _CreatePageThumb(SIZE{int32_t(w), int32_t(h)});
  return pageThumb;
}

PubImage::QelPicture* CPrintPage::GetThumb2(long w, long h) const {
  if (w < 10 || h < 10) return nullptr;
  return GetPagePic(SIZE{int32_t(w), int32_t(h)}, false, true, nullptr, nullptr);
}

// ---- texts ----

int CPrintPage::BeginEditText(bool addNew, CMyTextInfo* out) {
  if (!cells.empty()) {
    CPrintCell* a = GetActiveCellPt();
    const bool text = a && a->isText;
    if (!text && !addNew) return 0;
    if (text && project) project->GetImageList()->GetTextInfo(a->resIndex, editText);
    editBackupCell = a ? *a : CPrintCell();
    if (out && text) *out = editText;
  } else if (!addNew) {
    return 0;
  }
  addingNewText = addNew;
  editingText = true;
  activeBeforeEdit = addNew ? activeCell : -1;
  cellCountAtEdit = cells.size();
  return 1;
}

int CPrintPage::EditText(const CMyTextInfo& t) {
  if (!editingText) return 0;
  const bool empty = t.text.IsEmpty();
  if (cells.size() < cellCountAtEdit) {
    if (!empty) _DoAddText(t);
  } else if (cells.size() > cellCountAtEdit) {
    if (empty) DoDeleteTxt(activeCell);
    else _DoUpdateText(activeCell, t);
  } else if (empty) {
    if (IsTextCell(activeCell)) DoDeleteTxt(activeCell);
  } else if (addingNewText) {
    _DoAddText(t);
  } else if (IsTextCell(activeCell)) {
    _DoUpdateText(activeCell, t);
  }
  return 1;
}

int CPrintPage::EndEditText(bool cancel, CMyTextInfo*) {
  if (!editingText) return 0;
  const unsigned long now = cells.size();
  const bool removed = now < cellCountAtEdit, added = now > cellCountAtEdit;
  const bool onText = editBackupCell.isText && !addingNewText;
  int result = 0;
  if (cancel) {
    if (removed) DoAddText(editBackupCell.resIndex);
    else if (added) DoDeleteTxt(activeCell);
    else if (onText && IsTextCell(activeCell) && project) {
      CMyTextInfo cur;
      project->GetImageList()->GetTextInfo(cells[size_t(activeCell)]->resIndex, cur);
      if (cur != editText) _DoUpdateText(activeCell, editText);
    }
  } else if (removed) {
    if (project) project->SetNeedSave(1);
    result = 1;
  } else if (added) {
    if (project) project->SetNeedSave(1);
  } else if (onText && IsTextCell(activeCell) && project) {
    CMyTextInfo cur;
    project->GetImageList()->GetTextInfo(cells[size_t(activeCell)]->resIndex, cur);
    result = cur != editText ? 1 : 0;
    if (result) project->SetNeedSave(1);
  }
  editingText = false;
  activeBeforeEdit = -1;
  return result;
}

int CPrintPage::_DoAddText(const CMyTextInfo& t) {
  if (!project) return 0;
  long res = project->AddText(t);
  return res >= 0 && DoAddText(res) >= 0 ? 1 : 0;
}

long CPrintPage::DoAddText(long res) {
  if (!project || !project->IsTextRes(res)) return -1;
  const SIZE s = project->GetOrgImgDispSize(res);
  auto* c = new CPrintCell();
  c->SetResourceIndex(int(res), s, true);
  POINT at{0, 0};
  if (editingText && editBackupCell.isText) {
    at = POINT{editBackupCell.cellRect.left, editBackupCell.cellRect.top};
  } else {
    SRect32 a{0, 0, 0, 0};
    project->GetPrintArea(a);
    at = POINT{a.left, a.top};
  }
  c->cellRect = SRect32{at.x, at.y, at.x + s.cx, at.y + s.cy};
  c->picRect = SRect32{0, 0, s.cx, s.cy};
  c->zOrder = int32_t(_GetMaxZOrder(1)) + 1;
  cells.push_back(c);
  activeCell = long(cells.size()) - 1;
  project->GetImageList()->CopyAdd(res);
  if (!editingText) project->SetNeedSave(1);
  project->PageNotify(this, 5, activeCell, -1);
  return activeCell;
}

int CPrintPage::DoDeleteTxt(long i) {
  if (!IsTextCell(i)) return 0;
  const int32_t res = cells[size_t(i)]->resIndex;
  delete cells[size_t(i)];
  cells.erase(cells.begin() + i);
  if (project) project->ImgCopiesDecrease(res, false);
  if (!Valid(activeCell)) activeCell = Valid(activeBeforeEdit) ? activeBeforeEdit : long(cells.size()) - 1;
  if (project && !editingText) project->SetNeedSave(1);
  if (project) project->PageNotify(this, 6, i, -1);
  return 1;
}

int CPrintPage::_DoUpdateText(long i, const CMyTextInfo& t) {
  if (!Valid(i) || !project) return 0;
  CPrintCell* c = cells[size_t(i)];
  POINT oldShadow{0, 0}, newShadow{0, 0};
  project->GetImageList()->GetTextShadowOffset(c->resIndex, oldShadow);
  if (!project->UpdateText(unsigned(c->resIndex), t, nullptr)) return 0;
  project->GetImageList()->GetTextShadowOffset(c->resIndex, newShadow);
  SIZE s = project->GetOrgImgDispSize(c->resIndex);
  long angle;
  int flipA, flipB;
  c->GetImgState(angle, flipA, flipB);
  if (angle == 90 || angle == 270) {
    std::swap(s.cx, s.cy);
    std::swap(oldShadow.x, oldShadow.y);
    std::swap(newShadow.x, newShadow.y);
  }
  // The corner where the text begins stays in place.
  static const char kFixed[4][2][2] = {// [angle / 90][flipped] = {right fixed, bottom fixed}
                                       {{0, 0}, {1, 0}},
                                       {{0, 1}, {0, 0}},
                                       {{1, 1}, {0, 1}},
                                       {{1, 0}, {1, 1}}};
  const char* fixed = kFixed[(angle / 90) % 4][flipA ? 1 : 0];
  const int32_t ox = std::min(oldShadow.x, 0), oy = std::min(oldShadow.y, 0);
  const int32_t nx = std::min(newShadow.x, 0), ny = std::min(newShadow.y, 0);
  SRect32 r = c->cellRect;
  if (!fixed[0]) r.left = r.left - ox + nx, r.right = r.left + s.cx;
  else r.right = r.right + ox - nx, r.left = r.right - s.cx;
  if (!fixed[1]) r.top = r.top - oy + ny, r.bottom = r.top + s.cy;
  else r.bottom = r.bottom + oy - ny, r.top = r.bottom - s.cy;
  LimitCellRect(r);
  c->cellRect = r;
  c->picRect = SRect32{0, 0, s.cx, s.cy};
  c->SetPicSize(s.cx, s.cy);
  project->PageNotify(this, 0, i, -1);
  if (!editingText) project->SetNeedSave(1);
  return 1;
}

// ---- undo records ----

void CPrintPage::FreeNode(CURNode& n) {
  if (n.action == 8) delete static_cast<CMyTextInfo*>(n.data);
  n.data = nullptr;
}

void CPrintPage::_AddUndoNode(CURNode& n) {
  if (!project) return;
  const uint32_t depth = project->m_nUndoDepth;
  if (undoList.size() >= depth && depth >= 2) {
    FreeNode(undoList.front());
    undoList.pop_front();
    tagMessageInfo info{10, nullptr};
    project->SendErrorMessage(&info);
  }
  if (depth == 0) return;
  undoList.push_back(n);
  undoList.back().data = n.data;
  n.data = nullptr;
  _ClearRedo();
}

void CPrintPage::_ClearRedo() {
  for (CURNode& n : redoList) FreeNode(n);
  redoList.clear();
}

void CPrintPage::_ClearUndo() {
  for (CURNode& n : undoList) FreeNode(n);
  undoList.clear();
}

void CPrintPage::ClearUndoRedo() {
  _ClearUndo();
  _ClearRedo();
}

bool CPrintPage::IsImgInUndoList(unsigned long res) const {
  return std::any_of(undoList.begin(), undoList.end(), [&](const CURNode& n) {
    return n.action == 6 && !n.cells.empty() && n.cells.front().resIndex == long(res);
  });
}
