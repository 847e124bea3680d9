// The photo editor's view: fitting the photo into the view, the 36-step
// zoom table with the fit zoom between its entries, the zoom buttons, and
// panning with the hand tool.
#include <algorithm>

#include "EditFiles.h"
#include "EditPanel.h"
#include "EditGlobals.h"
#include "Page.h"
#include "PhotoEdit.h"
#include "qel/QelCore.h"
#include "qel/QelImage.h"

namespace {

// Element events of the zoom buttons.
constexpr int32_t kPress = 2, kRepeatTick = 16, kRelease = 1008;
// The toolkit's global value that names the element under a held button.
constexpr int32_t kMouseElement = 1;
// The theme's cursors over the picture.
constexpr int32_t kCursorArrow = 0, kCursorClosedHand = 8, kCursorOpenHand = 9;

// a/b compared with c/d.
int Compare(const tagZoomRatio& a, const tagZoomRatio& b) {
  int64_t l = int64_t(a.num) * b.den, r = int64_t(b.num) * a.den;
  return l < r ? -1 : l > r ? 1 : 0;
}

}  // namespace

SIZE CPhotoEdit::AvailableSize() {
  SIZE s{0, 0};
  if (!m_pImageContainer) return s;
  m_pImageContainer->_QelSize()->GetSize(&s);
  SRect32 m{0, 0, 0, 0};
  m_pImageContainer->_QelMargin()->GetMargin(&m);
  s.cx = std::max(0, s.cx - m.left - m.right);
  s.cy = std::max(0, s.cy - m.top - m.bottom);
  return s;
}

int32_t CPhotoEdit::GetZoomIndex(const SIZE* shown, const SIZE* picture) {
  for (int32_t i = 0; i < s_nZoomParam; ++i) {
    if (int64_t(shown->cx) * s_ZoomParam[i].den < int64_t(picture->cx) * s_ZoomParam[i].num) {
      return std::max(i - 1, 0);
    }
  }
  return s_nZoomParam - 1;
}

void CPhotoEdit::KeepPreviewRatio() {
  m_szPicture = ControlPictureSize();
  if (m_pPage) {
    if (PubImage::QelPicture* result = m_pPage->GetPictCtrl(PAGE_GET_RESULT)) result->GetSize(&m_szPicture);
  }
  if (!m_pImageContainer || !m_pImageContainer->IsVisible() || m_szPicture.cx == 0 || m_szPicture.cy == 0) return;
  SIZE avail = AvailableSize();
  if (m_szPicture.cx >= avail.cx || m_szPicture.cy >= avail.cy) {
    if (!m_bUserZoom) m_bFitMode = 1;
  } else if (m_bFitMode) {
    // Smaller than the view: shown at 100 %, never enlarged.
    m_bFitMode = 0;
    SetZoom(1, 1);
    m_nZoomIndex = GetZoomIndex(&m_szPicture, &m_szPicture);
  }
}

void CPhotoEdit::SetZoom(int32_t num, int32_t den) {
  if (m_bFitMode || !m_pImgCtrl) return;
  m_pImgCtrl->SetMode(0);
  _OpZoomParam zoom{nullptr, num, den};
  m_pImgCtrl->RunOp(QEL_OP_ZOOM, &zoom);
  m_pImgCtrl->GetZoom(&m_Zoom.num, &m_Zoom.den);
}

// The control fills the photo view's container and centres the picture
// itself, so fitting only sets the zoom and its mode.
void CPhotoEdit::AdjustImageView(int32_t setPanel) {
  if (!m_pImgCtrl || !m_pPage) return;
  if (setPanel) m_pPage->SetPanel(m_pImageContainer);
  if (m_bFitMode) {
    m_szPicture = ControlPictureSize();
    SIZE avail = AvailableSize();
    int32_t w = m_szPicture.cx, h = m_szPicture.cy;
    if (w > 0 && h > 0 && avail.cx > 0 && avail.cy > 0) {
      TLFitIn(&w, &h, avail.cx, avail.cy);
      SIZE fitted{w, h};
      m_nZoomIndex = GetZoomIndex(&fitted, &m_szPicture);
      if (int64_t(w) * m_szPicture.cy <= int64_t(h) * m_szPicture.cx) {
        m_Zoom = tagZoomRatio{w, m_szPicture.cx};
      } else {
        m_Zoom = tagZoomRatio{h, m_szPicture.cy};
      }
    }
    m_pImgCtrl->SetMode(1);
    // The fit zoom and its place in the table describe the picture shown
    // now (it changes with turns, crops and resizes).
    m_pImgCtrl->GetZoom(&m_FitZoom.num, &m_FitZoom.den);
    const int c = Compare(s_ZoomParam[m_nZoomIndex], m_FitZoom);
    m_fFitIndex = float(m_nZoomIndex) + (c == 0 ? 0.0f : c > 0 ? -0.5f : 0.5f);
    m_bAtFit = 1;
    if (m_bCrop) AdjustCropPanel();
    return;
  }
  tagZoomRatio now{0, 0};
  m_pImgCtrl->GetZoom(&now.num, &now.den);
  if (Compare(now, m_Zoom) != 0) SetZoom(m_Zoom.num, m_Zoom.den);
  // The fit index stays: zooming out returns to the fit zoom.
  if (m_bCrop) AdjustCropPanel();
}

void CPhotoEdit::DoZoomIn() {
  const float index = float(m_nZoomIndex);
  if ((m_nZoomIndex >= s_nZoomParam - 1 && !(m_fFitIndex > index)) || !m_pPage) return;
  if (m_fFitIndex > index && m_fFitIndex < index + 1) {
    if (!m_bAtFit) {
      m_Zoom = m_FitZoom;
      m_bAtFit = 1;
    } else {
      m_Zoom = s_ZoomParam[++m_nZoomIndex];
      m_bAtFit = 0;
    }
  } else {
    // From the fit zoom just below the current entry, that entry is the
    // next larger zoom.
    if (!(m_fFitIndex > index - 1 && m_fFitIndex < index && m_bAtFit)) ++m_nZoomIndex;
    m_nZoomIndex = std::min(m_nZoomIndex, s_nZoomParam - 1);
    m_Zoom = s_ZoomParam[m_nZoomIndex];
    m_bAtFit = 0;
  }
  m_bFitMode = 0;
  m_bUserZoom = 1;
}

void CPhotoEdit::DoZoomOut() {
  const float index = float(m_nZoomIndex);
  if ((m_nZoomIndex <= 0 && !(index > m_fFitIndex)) || !m_pPage) return;
  if (m_fFitIndex > index - 1 && m_fFitIndex < index) {
    if (!m_bAtFit) {
      m_Zoom = m_FitZoom;
      m_bAtFit = 1;
    } else {
      m_Zoom = s_ZoomParam[--m_nZoomIndex];
      m_bAtFit = 0;
    }
  } else {
    if (!(m_fFitIndex > index && m_fFitIndex < index + 1 && m_bAtFit)) --m_nZoomIndex;
    m_nZoomIndex = std::max(m_nZoomIndex, 0);
    m_Zoom = s_ZoomParam[m_nZoomIndex];
    m_bAtFit = 0;
  }
  m_bFitMode = 0;
  m_bUserZoom = 1;
}

int32_t CPhotoEdit::OnZoomButton(PubQelmar::QelElement* element, int32_t event, bool in) {
  switch (event) {
    case kPress:
      element->StartRepeat(40);
      return 0;
    case QEL_EV_CLICK:
    case kRelease:
      element->StartRepeat(10);
      return 0;
    case kRepeatTick: {
      if (Qel0GetGValue(kMouseElement) != reinterpret_cast<intptr_t>(element)) element->StopRepeat();
      if (in) {
        DoZoomIn();
      } else {
        DoZoomOut();
      }
      AdjustImageView(0);
      Invalidate();
      UpdateZoomUI();
      UpdateUIforCrop(1);
      return 0;
    }
    default:
      return 0;
  }
}

void CPhotoEdit::UpdateZoomUI() {
  const float index = float(m_nZoomIndex);
  const bool canIn = m_nZoomIndex < s_nZoomParam - 1 || (!m_bAtFit && m_fFitIndex > index);
  const bool canOut = m_nZoomIndex > 0 || (!m_bAtFit && index > m_fFitIndex);
  Enable(m_pPhotoView, "butn_zoomin", m_pPage && canIn && !m_bCrop);
  Enable(m_pPhotoView, "butn_zoomout", m_pPage && canOut && !m_bCrop);
}

int32_t CPhotoEdit::OnMainLayoutChange(QelObject, int32_t, QELLPARAM) {
  KeepPreviewRatio();
  AdjustImageView(0);
  Invalidate();
  UpdateZoomUI();
  return 0;
}

// ---- panning ----

int32_t CPhotoEdit::CanPan() {
  if (!m_pImgCtrl) return 0;
  SIZE shown = ShownSize(), control{0, 0};
  m_pImgCtrl->_QelSize()->GetSize(&control);
  return shown.cx > control.cx || shown.cy > control.cy ? 1 : 0;
}

void CPhotoEdit::SelectPanTool() {
  if (!m_pImgCtrl) return;
  const int32_t current = m_pImgCtrl->GetCurTool(nullptr);
  if (CanPan()) {
    if (current != QEL_TOOL_HAND) m_pImgCtrl->SetCurTool(QEL_TOOL_HAND);
  } else if (current == QEL_TOOL_HAND) {
    m_pImgCtrl->SetCurTool(0);
  }
}

int32_t CPhotoEdit::s_ImgView_Change(QelObject control, int32_t code, QELLPARAM, void* data) {
  auto* self = static_cast<CPhotoEdit*>(data);
  if (!self || !self->m_pImgCtrl) return 0;
  auto* ctrl = self->m_pImgCtrl;
  const bool hand = ctrl->GetCurTool(nullptr) == QEL_TOOL_HAND;
  switch (code) {
    case QEL_IMGC_POINTER_MOVED: {
      self->SelectPanTool();
      const intptr_t held = Qel0GetGValue(kMouseElement);
      const bool panning = ctrl->GetCurTool(nullptr) == QEL_TOOL_HAND;
      ctrl->SetCursorID(!panning ? kCursorArrow : held == reinterpret_cast<intptr_t>(control) ? kCursorClosedHand
                                                                                               : kCursorOpenHand,
                        nullptr);
      break;
    }
    case QEL_IMGC_BUTTON_DOWN:
      ctrl->SetCursorID(hand ? kCursorClosedHand : kCursorArrow, nullptr);
      Qel0SetGValue(kMouseElement, reinterpret_cast<intptr_t>(control));
      break;
    case QEL_IMGC_BUTTON_UP:
      if (hand) ctrl->SetCursorID(kCursorOpenHand, nullptr);
      Qel0SetGValue(kMouseElement, 0);
      break;
    default:
      break;
  }
  return 0;
}
