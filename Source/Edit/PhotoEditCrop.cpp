// The crop tool: a frame over the shown picture made of four dark masks
// ("cata_T", "cata_B", "cata_L", "cata_R") around the crop rectangle
// ("cata_main"), inside the crop panel "cata_crop" that covers the shown
// picture. The masks' sizes are the state: the rectangle is what they
// leave. The user moves the frame or drags its corners and sides; "Crop"
// cuts the photo to it (one undo step). Window coordinates throughout,
// until the image control turns the rectangle into picture pixels.
#include <algorithm>
#include <cmath>

#include "AppHelper.h"
#include "EditElements.h"
#include "EditSettingData.h"
#include "ORVPubTools.h"
#include "Page.h"
#include "PhotoEdit.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelImage.h"

namespace {

constexpr int32_t kEventMove = 0x40000001, kEventDown = 0x40000002, kEventUp = 0x40000003,
                  kEventCancel = 0x40000006, kEventLeave = 0x40000008, kEventMoveOld = 1;

// Cursors of the hit codes 0 (move) and 1 to 8 (corners, sides).
constexpr int16_t kHitCursor[9] = {1043, 1403, 1404, 1403, 1404, 1401, 1402, 1401, 1402};

SIZE SizeOf(PubQelmar::QelElement* e) {
  SIZE s{0, 0};
  if (e) e->GetSFSSize(&s);
  return s;
}

void SetSize(PubQelmar::QelElement* e, int32_t w, int32_t h) {
  if (!e) return;
  SIZE s{std::max(w, 0), std::max(h, 0)};
  e->SetSFSSize(&s);
}

void PlaceAt(PubQelmar::QelElement* e, int32_t x, int32_t y) {
  if (!e) return;
  auto* m = reinterpret_cast<PubQelmar::QelPanel*>(e)->_QelMargin();
  SRect32 r{0, 0, 0, 0};
  m->GetMargin(&r);
  r.left = x;
  r.top = y;
  m->SetMargin(&r);
}

POINT PositionOf(PubQelmar::QelElement* e) {
  POINT p{0, 0};
  if (e) e->GetPosition(&p);
  return p;
}

// QuickDraw's rule: the left and top edges belong to the rectangle, the
// right and bottom ones do not.
bool PtInRect(const SRect32& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

int32_t CPhotoEdit::OnCropProc(PubQelmar::QelElement* check) {
  auto* box = reinterpret_cast<PubQelmar::QelCheck*>(check);
  if (!box || !box->GetCheckState()) {
    CanCelCrop();
    return 0;
  }
  Show(m_pButtonBar, "butn_Cancel", true);
  InitCropPanel();
  CQelStringW tip = vLoadResString(51);
  check->SetTips(tip.IsEmpty() ? u"Leave cropping" : tip.c_str());
  m_bCrop = 1;
  UpdateUIforCrop(0);
  return 0;
}

// Where the picture is shown: the control's area less the bars of a
// picture smaller than the control, in window coordinates.
void CPhotoEdit::SetCropMargins() {
  if (!m_pImgCtrl || !m_pCropPanel) return;
  POINT control = PositionOf(m_pImgCtrl), origin{0, 0};
  m_pImgCtrl->GetPictOrg(&origin);
  SIZE shown = ShownSize(), area{0, 0};
  m_pImgCtrl->_QelSize()->GetSize(&area);
  shown.cx = std::min(shown.cx, area.cx);
  shown.cy = std::min(shown.cy, area.cy);
  const int32_t left = control.x - std::min(origin.x, 0), top = control.y - std::min(origin.y, 0);
  m_rcBounds = SRect32{left, top, left + shown.cx, top + shown.cy};
  // The crop panel sits in "crop", which covers the photo's container.
  auto* cover = reinterpret_cast<PubQelmar::QelElement*>(Find(m_pPhotoView, "crop"));
  POINT base = cover ? PositionOf(cover) : POINT{0, 0};
  PlaceAt(m_pCropPanel, left - base.x, top - base.y);
  SetSize(m_pCropPanel, shown.cx, shown.cy);
}

// The masks' sizes give the rectangle; each mask and the rectangle are
// placed around it.
void CPhotoEdit::SetPanelSize(const SRect32& rc) {
  auto el = [&](const char* name) { return Find(m_pPhotoView, name); };
  PubQelmar::QelElement *top = el("cata_T"), *bottom = el("cata_B"), *left = el("cata_L"), *right = el("cata_R"),
                        *main = el("cata_main");
  int32_t t = SizeOf(top).cy + (rc.top - m_rcCrop.top);
  int32_t b = SizeOf(bottom).cy + (m_rcCrop.bottom - rc.bottom);
  int32_t l = SizeOf(left).cx + (rc.left - m_rcCrop.left);
  int32_t r = SizeOf(right).cx + (m_rcCrop.right - rc.right);
  const int32_t w = m_rcBounds.right - m_rcBounds.left, h = m_rcBounds.bottom - m_rcBounds.top;
  t = std::clamp(t, 0, h), b = std::clamp(b, 0, h - t), l = std::clamp(l, 0, w), r = std::clamp(r, 0, w - l);
  SetSize(top, w, t);
  PlaceAt(top, 0, 0);
  SetSize(bottom, w, b);
  PlaceAt(bottom, 0, h - b);
  SetSize(left, l, h - t - b);
  PlaceAt(left, 0, t);
  SetSize(right, r, h - t - b);
  PlaceAt(right, w - r, t);
  SetSize(main, w - l - r, h - t - b);
  PlaceAt(main, l, t);
  if (m_pCropPanel) m_pCropPanel->AutoLayout();
}

void CPhotoEdit::InitCropPanel() {
  SetCropMargins();
  const int32_t w = m_rcBounds.right - m_rcBounds.left, h = m_rcBounds.bottom - m_rcBounds.top;
  // The middle three quarters of the shown picture each way.
  m_rcCrop = m_rcBounds;
  auto el = [&](const char* name) { return Find(m_pPhotoView, name); };
  SetSize(el("cata_T"), w, 0);
  SetSize(el("cata_B"), w, 0);
  SetSize(el("cata_L"), 0, h);
  SetSize(el("cata_R"), 0, h);
  SetPanelSize(SRect32{m_rcBounds.left + w / 8, m_rcBounds.top + h / 8, m_rcBounds.right - w / 8,
                       m_rcBounds.bottom - h / 8});
  m_rcCrop = SRect32{m_rcBounds.left + w / 8, m_rcBounds.top + h / 8, m_rcBounds.right - w / 8,
                     m_rcBounds.bottom - h / 8};
  m_LastZoom = m_Zoom;
  Show(m_pPhotoView, "crop", true);
  if (m_pCropPanel) {
    m_pCropPanel->Show(1);
    m_pCropPanel->SetCallback(&CPhotoEdit::Crop_Proc, this);
    m_pCropPanel->SetPointerEvents(1);
  }
}

// The zoom changed: the masks grow or shrink with the picture, so the
// frame covers the same part of it.
void CPhotoEdit::AdjustPanelSize() {
  if (m_LastZoom.num == 0 || m_LastZoom.den == 0) m_LastZoom = m_Zoom;
  const double factor = double(m_Zoom.num) * m_LastZoom.den / m_Zoom.den / m_LastZoom.num;
  if (factor == 0.0 || factor == 1.0) return;
  auto scale = [&](const char* name, bool width) {
    PubQelmar::QelElement* e = Find(m_pPhotoView, name);
    SIZE s = SizeOf(e);
    if (width) {
      s.cx = int32_t(s.cx * factor);
    } else {
      s.cy = int32_t(s.cy * factor);
    }
    SetSize(e, s.cx, s.cy);
  };
  scale("cata_T", false);
  scale("cata_B", false);
  scale("cata_L", true);
  scale("cata_R", true);
  m_LastZoom = m_Zoom;
}

void CPhotoEdit::AdjustCropPanel() {
  AdjustPanelSize();
  SetCropMargins();
  // Lay the frame out again around the masks' sizes as they are now.
  m_rcCrop = m_rcBounds;
  auto el = [&](const char* name) { return Find(m_pPhotoView, name); };
  const int32_t t = SizeOf(el("cata_T")).cy, b = SizeOf(el("cata_B")).cy, l = SizeOf(el("cata_L")).cx,
                r = SizeOf(el("cata_R")).cx;
  SetSize(el("cata_T"), 0, 0);
  SetSize(el("cata_B"), 0, 0);
  SetSize(el("cata_L"), 0, 0);
  SetSize(el("cata_R"), 0, 0);
  SRect32 rc{m_rcBounds.left + l, m_rcBounds.top + t, m_rcBounds.right - r, m_rcBounds.bottom - b};
  SetPanelSize(rc);
  POINT p = PositionOf(el("cata_main"));
  SIZE s = SizeOf(el("cata_main"));
  m_rcCrop = SRect32{p.x, p.y, p.x + s.cx, p.y + s.cy};
}

int32_t CPhotoEdit::Crop_Proc(QelObject, int32_t event, QELLPARAM l, void* data) {
  auto* self = static_cast<CPhotoEdit*>(data);
  if (self) self->OnBeginCropProc(event, l);
  return 0;
}

int32_t CPhotoEdit::OnBeginCropProc(int32_t event, QELLPARAM l) {
  // Press, move and release carry their point; the others take the
  // pointer's position now.
  POINT pt{0, 0};
  if (event == kEventDown || event == kEventMove || event == kEventUp) {
    pt = qel::Element::PointerPoint(l);
  } else {
    CORVPubTools::GetCursorPos(&pt);
    CORVPubTools::ScreenToClient(m_hMainWnd, &pt);
  }
  // A drag follows the pointer past the picture's edges (the rectangle
  // stays inside them) and ends wherever the button comes up.
  const bool inside = PtInRect(m_rcBounds, pt);
  switch (event) {
    case kEventDown:
      if (inside) DoMouseDown(pt);
      break;
    case kEventMove:
    case kEventMoveOld:
      if (inside || m_bCropDrag) DoMouseMove(pt);
      break;
    case kEventUp:
    case kEventLeave:
      if (inside || m_bCropDrag) DoMouseUp(pt);
      break;
    case kEventCancel:
      if (inside) CanCelCrop();
      break;
    default:
      break;
  }
  return 0;
}

int32_t CPhotoEdit::PosInRect(POINT pt) const {
  const SRect32& r = m_rcCrop;
  if (!PtInRect(r, pt)) return -1;
  const int32_t maxPoint = int32_t(g_ESData.MaxPointDistance), maxLine = int32_t(g_ESData.MaxLineDistance);
  const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  for (int32_t i = 0; i < 4; ++i) {
    const double dx = pt.x - corners[i].x, dy = pt.y - corners[i].y;
    if (int32_t(std::sqrt(dx * dx + dy * dy)) <= maxPoint) return i + 1;
  }
  const int32_t sides[4] = {std::abs(pt.y - r.top), std::abs(pt.x - r.right), std::abs(pt.y - r.bottom),
                            std::abs(pt.x - r.left)};
  for (int32_t i = 0; i < 4; ++i) {
    if (sides[i] <= maxLine) return i + 5;
  }
  return 0;
}

void CPhotoEdit::OnSetCursor(POINT pt) {
  const int32_t hit = PosInRect(pt);
  SetCursorMac(hit < 0 ? 0 : kHitCursor[hit]);
}

void CPhotoEdit::DoMouseDown(POINT pt) {
  m_rcBackup = m_rcCrop;
  m_nDoWhat = PosInRect(pt);
  m_ptPre = pt;
  if (m_nDoWhat == -1) return;
  SetCursorMac(kHitCursor[m_nDoWhat]);
  m_bCropDrag = 1;
}

void CPhotoEdit::DoMouseMove(POINT pt) {
  if (!m_bCropDrag) {
    OnSetCursor(pt);
    return;
  }
  const int32_t minW = int32_t((m_rcBounds.right - m_rcBounds.left) * 0.2);
  const int32_t minH = int32_t((m_rcBounds.bottom - m_rcBounds.top) * 0.2);
  SRect32 rc = m_rcCrop;
  const int32_t what = m_nDoWhat;
  if (what == 0) {
    int32_t dx = pt.x - m_ptPre.x, dy = pt.y - m_ptPre.y;
    if (dx < 0) dx = rc.left <= m_rcBounds.left ? 0 : std::max(dx, m_rcBounds.left - rc.left);
    if (dx > 0) dx = rc.right >= m_rcBounds.right ? 0 : std::min(dx, m_rcBounds.right - rc.right);
    if (dy < 0) dy = rc.top <= m_rcBounds.top ? 0 : std::max(dy, m_rcBounds.top - rc.top);
    if (dy > 0) dy = rc.bottom >= m_rcBounds.bottom ? 0 : std::min(dy, m_rcBounds.bottom - rc.bottom);
    OffsetRect(&rc, dx, dy);
    m_ptPre.x += dx;
    m_ptPre.y += dy;
  }
  if ((what == 1 || what == 4 || what == 8) && rc.right - pt.x >= minW) rc.left = pt.x;
  if ((what == 2 || what == 3 || what == 6) && pt.x - rc.left >= minW) rc.right = pt.x;
  if ((what == 1 || what == 2 || what == 5) && rc.bottom - pt.y >= minH) rc.top = pt.y;
  if ((what == 3 || what == 4 || what == 7) && pt.y - rc.top >= minH) rc.bottom = pt.y;
  AdjustRectInSide(&rc, &m_rcBounds);
  SetPanelSize(rc);
  m_rcCrop = rc;
}

void CPhotoEdit::DoMouseUp(POINT pt) {
  if (m_bCropDrag) OnSetCursor(pt);
  m_bCropDrag = 0;
}

void CPhotoEdit::AdjustRectInSide(SRect32* rc, const SRect32* bounds) const {
  const int32_t minW = int32_t((bounds->right - bounds->left) * 0.2);
  const int32_t minH = int32_t((bounds->bottom - bounds->top) * 0.2);
  if (rc->right - rc->left <= minW) rc->right = rc->left + minW;
  if (rc->bottom - rc->top <= minH) rc->bottom = rc->top + minH;
  if (rc->left <= bounds->left) {
    rc->right = rc->right - rc->left > minW ? rc->right + (bounds->left - rc->left) : rc->left + minW;
    rc->left = bounds->left;
  }
  if (rc->right >= bounds->right) {
    rc->right = bounds->right;
    if (rc->right - rc->left <= minW) rc->left = rc->right - minW;
  }
  if (rc->top <= bounds->top) {
    rc->bottom = rc->bottom - rc->top > minH ? rc->bottom + (bounds->top - rc->top) : rc->top + minH;
    rc->top = bounds->top;
  }
  if (rc->bottom >= bounds->bottom) {
    rc->bottom = bounds->bottom;
    if (rc->bottom - rc->top <= minH) rc->top = rc->bottom - minH;
  }
}

int32_t CPhotoEdit::OnCropApplyProc() {
  if (!m_pImgCtrl || !m_pPage) return 0;
  PrepareOp();
  m_WorkParam.bAutoEnhance = 0;
  POINT control = PositionOf(m_pImgCtrl);
  _QELRECT r{m_rcCrop.left - control.x, m_rcCrop.top - control.y, m_rcCrop.right - control.x,
             m_rcCrop.bottom - control.y};
  m_pImgCtrl->WindowToPicture(2, &r);
  const SIZE pic = ControlPictureSize();
  r.right = std::min(r.right, pic.cx);
  r.bottom = std::min(r.bottom, pic.cy);
  m_WorkParam.rcCrop = SRect32{r.left, r.top, r.right, r.bottom};
  CanCelCrop();
  if (*m_pPage->GetFrameParam() != m_WorkParam) {
    m_WorkParam.szTarget = m_pPage->GetFrameParam()->szTarget;
    {
      CActionCollect collect(s_pBkActionMan);
      m_pPage->DoAction(PAGE_ACTION_CROP, reinterpret_cast<intptr_t>(&m_WorkParam.rcCrop));
    }
    UpdateUndoUI();
  }
  // Baked: the cut picture is the new origin, named by a fresh record.
  if (PubImage::QelPicture* baked = m_pPage->GetResultPict()) {
    m_pPage->OriginPicture(baked);
    m_WorkParam = tagFrameParam{};
    baked->GetSize(&m_WorkParam.szTarget);
    m_WorkParam.pPicOrigin.Reset(baked);
    *m_pPage->GetFrameParam() = m_WorkParam;
    baked->Release();
  }
  KeepPreviewRatio();
  AdjustImageView(0);
  Invalidate();
  UpdateUndoUI();
  UpdateUIforCrop(1);
  BringWindowForward();
  return 0;
}

int32_t CPhotoEdit::OnCancelCropProc() {
  CanCelCrop();
  return 0;
}

void CPhotoEdit::CanCelCrop() {
  if (PubQelmar::QelElement* area = Find(m_pPhotoView, "ocat1")) area->StopRepeat();
  if (PubQelmar::QelElement* check = Find(m_pPhotoView, "chck_Crop")) {
    reinterpret_cast<PubQelmar::QelCheck*>(check)->SetCheckState(0);
    CQelStringW tip = vLoadResString(50);
    check->SetTips(tip.IsEmpty() ? u"Crop the photo" : tip.c_str());
  }
  Show(m_pButtonBar, "butn_Cancel", false);
  if (m_pCropPanel) {
    m_pCropPanel->SetCallback(nullptr, nullptr);
    m_pCropPanel->SetPointerEvents(0);
  }
  Show(m_pPhotoView, "crop", false);
  m_bCrop = 0;
  m_bCropDrag = 0;
  UpdateUIforCrop(1);
  m_LastZoom = tagZoomRatio{0, 0};
  UpdateUndoUI();
}
