#include "FullScreenWnd.h"

#include "App.h"
#include "FullScreenToolbar.h"
#include "GlobalFun.h"
#include "MainFrame.h"
#include "ThumbPool.h"
#include "qel/QelMessage.h"

namespace {

constexpr uint32_t kMsgMouseWheel = 522;
constexpr uint32_t kTimerId = 3000;
// After this long without a key, the toolbar may hide (prepared, inert).
constexpr uint32_t kToolbarTimeoutMs = 3000;

}  // namespace

CFullScreenWnd::CFullScreenWnd() { m_bSupportRotateEffect = true; }

CFullScreenWnd::~CFullScreenWnd() { KillSLWTimer(); }

bool CFullScreenWnd::Create(WindowRef parent, const std::string& bundleContents, CFullScreenToolbar* toolbar) {
  m_pFullScreenToolbar = toolbar;
  std::string layout = bundleContents + "/UI/fullscreen.aui";
  if (!CQelWindow::Create(layout.c_str(), nullptr, parent)) return false;
  if (m_objImgcFix) m_objImgcFix->SetTrans(1);
  return true;
}

int32_t CFullScreenWnd::PreCreateWind(QelCreateStruct* cs) {
  CQelWindow::PreCreateWind(cs);
  if (cs) cs->windowClass = 4;
  return QEL_S_OK;
}

int32_t CFullScreenWnd::DidCreate() {
  CQelWindow::DidCreate();
  m_hWnd = m_hMsgBoxParent = GetWindowRef();
  m_pPanel = static_cast<PubQelmar::QelPanel*>(GetRootPanel());
  if (m_pPanel) {
    auto find = [&](const char* name) { return GetElementByName(name, 1); };
    m_objImgcFix = static_cast<PubImage::QelImgControl*>(find("Imgc_View"));
    m_pImagePreviewArea = static_cast<PubQelmar::QelPanel*>(find("hcata_Image"));
    m_pNoPreviewCata = static_cast<PubQelmar::QelPanel*>(find("hcata_NoPreview"));
    m_pNoPreviewView = static_cast<PubQelmar::QelPanel*>(find("view_NoPre"));
    m_pLoadingCata = static_cast<PubQelmar::QelPanel*>(find("view_Loading"));
  }
  if (m_objImgcFix) {
    m_objImgcFix->SetNotify(&CFullScreenWnd::ImgView_Change, 0);
    PrepareTools();
    m_objImgcFix->SetCurTool(513);
    CGlobalFun::SetImageCtrlBackground(m_objImgcFix);
  }
  return QEL_S_OK;
}

intptr_t CFullScreenWnd::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  switch (msg) {
    case QEL_WM_SIZE:
      OnSize(lp);
      break;
    case QEL_WM_KEYDOWN:
    case QEL_WM_SYSKEYDOWN:
      OnKeyDown(static_cast<uint32_t>(wp), lp);
      break;
    case QEL_WM_KEYUP:
      OnKeyUp(static_cast<uint32_t>(wp), lp);
      break;
    case kMsgMouseWheel:
      OnMouseWheel(static_cast<uint32_t>(wp), lp);
      break;
    case WM_FINISH_READ_THUMB:
      OnFinishReadThumb(1, lp);
      break;
    case WM_FINISH_READ_ORGIMG:
      OnFinishReadOrgImg(lp);
      break;
    default:
      break;
  }
  return CQelWindow::ProcessMessage(msg, wp, lp, handled);
}

void CFullScreenWnd::OnSize(QELLPARAM) {
  // The whole window is the picture's panel.
  SRect32 b = Bounds();
  if (m_pPanel) qel::Element::From(m_pPanel)->SetFrameSize(SIZE{b.right - b.left, b.bottom - b.top});
  PublishPreviewAreaSize();
}

void CFullScreenWnd::UpdateBtnState() {
  if (m_pFullScreenToolbar) m_pFullScreenToolbar->UpdateBtnState();
  CBaseWnd::UpdateBtnState();
}

void CFullScreenWnd::SetToolbarSemitransparent(int bSemi) {
  if (m_pFullScreenToolbar) m_pFullScreenToolbar->SetToolbarSemitransparent(bSemi);
}

void CFullScreenWnd::OnKeyDown(uint32_t wParam, intptr_t lParam) {
  if (wParam == QEL_KEY_ESCAPE) {
    SLWShowCur(1);
    if (CMainFrame* main = g_pApp->GetMainFrame()) main->HideFullscreen();
    return;
  }
  ShowToolbarAndResetTimer();
  CBaseWnd::OnKeyDown(wParam, lParam);
}

void CFullScreenWnd::OnKeyUp(uint32_t wParam, intptr_t lParam) { CBaseWnd::OnKeyUp(wParam, lParam); }

void CFullScreenWnd::OnMouseWheel(uint32_t wParam, intptr_t lParam) {
  if (m_pFullScreenToolbar && m_pFullScreenToolbar->IsWindowEnabled()) CBaseWnd::OnMouseWheel(wParam, lParam);
}

void CFullScreenWnd::ShowToolbarAndResetTimer() {
  if (!IsWindowVisible() || !m_pFullScreenToolbar || m_pFullScreenToolbar->IsWindowVisible()) return;
  KillSLWTimer();
  m_pFullScreenToolbar->ShowWindow(5);
  SetSLWTimer();
  SLWShowCur(1);
}

void CFullScreenWnd::SLWShowCur(int bShow) {
  if (bShow) {
    if (m_nShowCursorCount < 0) ++m_nShowCursorCount;
  } else if (m_nShowCursorCount >= 0) {
    --m_nShowCursorCount;
  }
  // The picture area shows no pointer while the balance is negative.
  if (m_objImgcFix) m_objImgcFix->SetCursorID(m_nShowCursorCount < 0 ? -1 : 0, nullptr);
}

void CFullScreenWnd::SetSLWTimer() {
  m_bTimerSet = SetTimer(kTimerId, kToolbarTimeoutMs, kToolbarTimeoutMs) != 0;
}

void CFullScreenWnd::KillSLWTimer() {
  if (m_bTimerSet) KillTimer(kTimerId);
  m_bTimerSet = false;
}

int32_t CFullScreenWnd::ImgView_Change(QelObject control, int32_t code, QELLPARAM param, void* data) {
  return CMainFrame::ImgView_Change(control, code, param, data);
}

int32_t CFullScreenWnd::AskForClose() {
  CThumbPool::m_bAbortReadThumb = true;
  if (CMainFrame* main = g_pApp->GetMainFrame()) main->HideFullscreen();
  // A close that does not come from the toolbar's close button only leaves full screen.
  return m_bCanClose ? 1 : 0;
}
