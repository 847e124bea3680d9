// The photo editor's tools: the brightness, contrast and sharpen sliders
// (continuous edits), auto-enhance, turns, the mirror, the resize dialog,
// undo and redo.
#include <algorithm>

#include "DlgResizePhoto.h"
#include "Page.h"
#include "PhotoEdit.h"
#include "qel/QelCore.h"
#include "qel/QelWindow.h"

namespace {
// The toolkit's global value that names the element with the keyboard focus.
constexpr int32_t kFocusElement = 2;
}  // namespace

void CPhotoEdit::BringWindowForward() {
  Qel0SetGValue(kFocusElement, 0);
  if (CQelWindow* w = CQelWindow::FetchQelWindow(m_hMainWnd)) w->ShowWindow(5);
}

int32_t CPhotoEdit::OnBrightnessProc(QELLPARAM) { return OnSliderChange(EDITING_ID_BRIGHTNESS, "hscrl_1"); }

int32_t CPhotoEdit::OnContrastProc(QELLPARAM) { return OnSliderChange(EDITING_ID_CONTRAST, "hscrl_2"); }

// A slider step is part of a continuous edit: the state before the first
// step of the run stays with the history, and the run becomes one step.
int32_t CPhotoEdit::OnSliderChange(int32_t editId, const char* name) {
  auto* slider = reinterpret_cast<PubQelmar::QelScroll*>(Find(m_pToolBar, name));
  if (!slider) return 0;
  const int32_t pos = slider->GetScrollPos();
  if (editId == EDITING_ID_SHARPEN && (pos < 0 || pos >= kSharpenSteps)) return 0;
  if (!m_pPage) return -1;
  PrepareOp();
  if (s_pBkActionMan) s_pBkActionMan->BackupEditData(editId, &m_WorkParam, m_pPage);
  // Another change: auto-enhance may be applied again.
  m_WorkParam.bAutoEnhance = 0;
  m_WorkParam.bEnhanced = 0;
  switch (editId) {
    case EDITING_ID_BRIGHTNESS:
      m_WorkParam.BrightContrast.nBrightness = int16_t(std::clamp(pos, -60, 60));
      break;
    case EDITING_ID_CONTRAST:
      m_WorkParam.BrightContrast.nContrast = int16_t(std::clamp(pos, -60, 60));
      break;
    default:
      m_WorkParam.Sharpen = s_SharpenParam[pos];
      break;
  }
  if (*m_pPage->GetFrameParam() != m_WorkParam) {
    m_pPage->DoWithParam(&m_WorkParam);
    Invalidate();
    UpdateUndoUI();
  }
  UpdateSliderArrows(reinterpret_cast<PubQelmar::QelElement*>(slider));
  UpdateAutoEnhanceUI();
  return 0;
}

int32_t CPhotoEdit::OnAutoEnhanceProc() {
  if (!m_pPage) return 0;
  PrepareOp();
  m_WorkParam.bAutoEnhance = 1;
  {
    CActionCollect collect(s_pBkActionMan);
    m_pPage->DoAction(PAGE_ACTION_APPLY, reinterpret_cast<intptr_t>(&m_WorkParam));
  }
  InitEnhanceScrollBar();
  // Baked: the enhanced result is the new origin (one copy, sharing its
  // pixels), and a fresh record names it with nothing left to replay.
  PubImage::QelPicture* baked = m_pPage->GetResultPict();
  if (baked) {
    m_pPage->OriginPicture(baked);
    m_WorkParam = tagFrameParam{};
    m_WorkParam.szTarget = ControlPictureSize();
    m_WorkParam.bEnhanced = 1;
    m_WorkParam.pPicOrigin.Reset(baked);
    *m_pPage->GetFrameParam() = m_WorkParam;
    baked->Release();
  }
  Invalidate();
  UpdateAutoEnhanceUI();
  UpdateUndoUI();
  BringWindowForward();
  return 0;
}

int32_t CPhotoEdit::OnRotate(int32_t step) {
  m_bUserZoom = 1;
  PrepareOp();
  m_WorkParam.nDegree = (m_WorkParam.nDegree + step) % 360;
  if (!m_pPage) return 0;
  {
    CActionCollect collect(s_pBkActionMan);
    m_pPage->DoAction(PAGE_ACTION_ROTATE, m_WorkParam.nDegree);
  }
  AdjustImageView(0);
  SetZoom(m_Zoom.num, m_Zoom.den);
  Invalidate();
  UpdateUndoUI();
  UpdateUIforCrop(1);
  return 0;
}

int32_t CPhotoEdit::OnFlipProc() {
  if (!m_pPage) return 0;
  PrepareOp();
  // Turned by a quarter, the picture's other axis is the one that shows
  // as left to right.
  if (m_WorkParam.nDegree == 90 || m_WorkParam.nDegree == 270) {
    m_WorkParam.bVertFlip = !m_WorkParam.bVertFlip;
  } else {
    m_WorkParam.bHorzFlip = !m_WorkParam.bHorzFlip;
  }
  int32_t flags[2] = {m_WorkParam.bHorzFlip, m_WorkParam.bVertFlip};
  {
    CActionCollect collect(s_pBkActionMan);
    m_pPage->DoAction(PAGE_ACTION_FLIP, reinterpret_cast<intptr_t>(flags));
  }
  Invalidate();
  UpdateUndoUI();
  return 0;
}

int32_t CPhotoEdit::OnResizeProc() {
  const SIZE old = ControlPictureSize();
  if (old.cx <= 0 || old.cy <= 0) return 0;
  auto* dialog = new CDlgResizePhoto(old.cx, old.cy);
  dialog->RepositionWindow(1);
  if (dialog->Create(u"Resize.aui", nullptr, m_hMainWnd) && dialog->DoModal() == CQelDialog::kResultOK) {
    int32_t w = 0, h = 0;
    dialog->GetNewWidthHeight(w, h);
    if ((w != old.cx || h != old.cy) && m_pPage) {
      PrepareOp();
      m_WorkParam.szTarget = old;
      if (s_pBkActionMan) s_pBkActionMan->BackupEditData(EDITING_ID_RESIZE, &m_WorkParam, m_pPage);
      m_WorkParam.szTarget = SIZE{w, h};
      if (*m_pPage->GetFrameParam() != m_WorkParam) {
        m_pPage->DoWithParam(&m_WorkParam);
        m_bFitMode = 0;
        m_bUserZoom = 1;
        AdjustImageView(0);
        SetZoom(m_Zoom.num, m_Zoom.den);
        Invalidate();
        UpdateUndoUI();
        UpdateUIforCrop(1);
      }
    }
  }
  delete dialog;
  return 0;
}

void CPhotoEdit::DoUndo() {
  if (!CanUndo()) return;
  s_pBkActionMan->PushEditData();
  s_pBkActionMan->OnUndo();
  AdjustImageView(0);
  PrepareOp();
  UpdateAllUI();
}

void CPhotoEdit::DoRedo() {
  if (!CanRedo()) return;
  s_pBkActionMan->OnRedo();
  AdjustImageView(0);
  PrepareOp();
  UpdateAllUI();
}

int32_t CPhotoEdit::OnUndoRedo(bool undo) {
  if (undo) {
    DoUndo();
  } else {
    DoRedo();
  }
  AdjustImageView(0);
  SetZoom(m_Zoom.num, m_Zoom.den);
  Invalidate();
  return 0;
}
