// The main window's controls, messages, keys, button states, the fitting of
// the picture's frame, a command line that arrives, and full screen.
#include <algorithm>

#include "App.h"
#include "CmdLineProcessor.h"
#include "GlobalFun.h"
#include "MainFrame.h"
#include "ThumbPool.h"
#include "VdlAppHelper.h"
#include "qel/QelElement.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kMsgCopyData = 74;
constexpr uint32_t kMsgMouseWheel = 522;
constexpr uint32_t kMsgDropFiles = 563;
constexpr uint32_t kMsgHelp = 83;

CMainFrame* Frame(void* data) { return static_cast<CMainFrame*>(static_cast<CQelWindow*>(data)); }

}  // namespace

// ---- callbacks ----

#define VIEWER_CLICK_PROC(Name, Action)                                          \
  int32_t CMainFrame::Name##_Proc(QelObject, int32_t, QELLPARAM, void* data) { \
    if (CMainFrame* w = data ? Frame(data) : nullptr) w->Action;               \
    return 0;                                                                  \
  }

VIEWER_CLICK_PROC(MinimizeProc, MinimizeProc())
VIEWER_CLICK_PROC(CloseProc, CloseProc())
VIEWER_CLICK_PROC(NextProc, DoNext())
VIEWER_CLICK_PROC(PreviousProc, DoPrevious())
VIEWER_CLICK_PROC(RotateLeftProc, DoRotate(1))
VIEWER_CLICK_PROC(RotateRightProc, DoRotate(0))
VIEWER_CLICK_PROC(ActualSizeProc, DoActualSize())
VIEWER_CLICK_PROC(BestFitProc, DoBestFit())
VIEWER_CLICK_PROC(MaxmizeProc, MaxmizeProc())
VIEWER_CLICK_PROC(FullScreenProc, ShowFullScreen())
#undef VIEWER_CLICK_PROC

int32_t CMainFrame::ZoomInProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* w = data ? Frame(data) : nullptr) ZoomButtonEvent(element, event, [w] { w->DoZoomIn(); });
  return 0;
}

int32_t CMainFrame::ZoomOutProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* w = data ? Frame(data) : nullptr) ZoomButtonEvent(element, event, [w] { w->DoZoomOut(); });
  return 0;
}

void CMainFrame::RegisterCallBacks() {
  CQelMainWind::RegisterCallBacks();
  constexpr int32_t kAll = CQelCallbackMap::kAllEvents;
  RegisterCallBack("butn_minwindows", QEL_EV_CLICK, &MinimizeProc_Proc);
  RegisterCallBack("butn_close_mac", QEL_EV_CLICK, &CloseProc_Proc);
  RegisterCallBack("butn_ZoomIn", kAll, &ZoomInProc_Proc);
  RegisterCallBack("butn_ZoomOut", kAll, &ZoomOutProc_Proc);
  RegisterCallBack("butn_Next", QEL_EV_CLICK, &NextProc_Proc);
  RegisterCallBack("butn_Previous", QEL_EV_CLICK, &PreviousProc_Proc);
  RegisterCallBack("butn_rotate_left", QEL_EV_CLICK, &RotateLeftProc_Proc);
  RegisterCallBack("butn_rotate_right", QEL_EV_CLICK, &RotateRightProc_Proc);
  RegisterCallBack("butn_ActualSize", QEL_EV_CLICK, &ActualSizeProc_Proc);
  RegisterCallBack("butn_fit", QEL_EV_CLICK, &BestFitProc_Proc);
  RegisterCallBack("butn_maximize_mac", QEL_EV_CLICK, &MaxmizeProc_Proc);
  RegisterCallBack("butn_FullScreen_mac", QEL_EV_CLICK, &FullScreenProc_Proc);
  RegisterCallBack("hcata_NoPreview", kAll, &ImagePreviewAreaProc_Proc);
  RegisterCallBack("butn_ReturnNUVO", kAll, &ButnReturnMI_Proc);
}

// ---- messages ----

intptr_t CMainFrame::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  switch (msg) {
    case kMsgCopyData:
      InitThumbFileList();
      break;
    case QEL_WM_SIZE:
      OnSize();
      break;
    case QEL_WM_KEYDOWN:
    case QEL_WM_SYSKEYDOWN:
      OnKeyDownMessage(static_cast<uint32_t>(wp), lp);
      break;
    case QEL_WM_KEYUP:
      CBaseWnd::OnKeyUp(static_cast<uint32_t>(wp), lp);
      break;
    case kMsgMouseWheel:
      CBaseWnd::OnMouseWheel(static_cast<uint32_t>(wp), lp);
      break;
    case kMsgDropFiles:
      m_bCommandLine_needUpdate_thumbList = false;
      InitThumbFileList();
      break;
    case kMsgHelp:
      handled = true;
      return 0;
    case WM_FINISH_READ_THUMB:
      OnFinishReadThumb(1, lp);
      handled = true;
      return 0;
    case WM_FINISH_READ_ORGIMG:
      OnFinishReadOrgImg(lp);
      handled = true;
      return 0;
    default:
      break;
  }
  return CQelMainWind::ProcessMessage(msg, wp, lp, handled);
}

void CMainFrame::OnKeyDownMessage(uint32_t key, intptr_t lParam) {
  if (key == QEL_KEY_ESCAPE || (key >= u'0' && key <= u'5')) return;
  if (key == u'F' || key == u'f') {
    ShowFullScreen();
    return;
  }
  CBaseWnd::OnKeyDown(key, lParam);
}

// ---- a command line ----

void CMainFrame::OnConmmandLine(const WCHAR* text) {
  CCmdLineProcessor::SetCommandLine(text);
  int fromNuvo = 1, index = 0;
  const int processed = CCmdLineProcessor::ProcessCommandLine(fromNuvo, index, 1);
  CCmdLineProcessor::SetCommandLine(nullptr);
  if (processed) {
    // The readers drop their work before the list they read from changes
    // under them; the list itself was replaced by the processor above on
    // this thread, and the queue is emptied here before anything is shown.
    AbortReadThreadAndClear();
    if (m_bInFullScreenMode) {
      m_FullScreenWnd.SetCurIndex(index);
      m_FullScreenWnd.DisplayCurImage(1);
    } else {
      m_nCurIndex = index;
      DisplayCurImage(1);
    }
    InitThumbFileList();
  }
  // The user just asked to view: the window comes forward either way.
  if (!m_bInFullScreenMode) ShowWindow(IsMaximized() ? 3 : 5);
  UpdateBtnState();
}

// ---- button states, title, resolution ----

void CMainFrame::UpdateBtnState() {
  if (!m_pPanel) return;
  const int n = static_cast<int>(g_pApp->GetFilelist()->size());
  const bool reading = IsReadingCurThumb();
  const bool opened = m_bCurFileOpened || reading;
  auto enable = [](PubQelmar::QelElement* e, bool on) {
    if (e) e->Enable(on ? 1 : 0);
  };
  enable(m_FullScreenBtn, n > 0);
  enable(m_PreviousBtn, n > 0);
  enable(m_NextBtn, n > 0);
  enable(m_RotateLBtn, opened && n > 0);
  enable(m_RotateRBtn, opened && n > 0);
  enable(m_ActualBtn, n > 0 && ((opened && CanDoActualSize()) || reading));
  enable(m_BestFitBtn, n > 0 && ((opened && CanDoBestFit()) || reading));
  enable(m_ZoomInBtn, n > 0 && ((opened && CanZoomIn()) || reading));
  enable(m_ZoomOutBtn, n > 0 && ((opened && CanZoomOut()) || reading));
  enable(m_MaximizeBtn, true);
  ShowElement(m_ResizeBtn, !reading && !IsMaximized());
  if (m_MaximizeBtn) qel::Element::From(m_MaximizeBtn)->SetCheck(IsMaximized() ? 0 : 1);

  WCHAR title[1024] = u"Photo Viewer";
  uint32_t length = 1024;
  Vardel::g_AppHelper.LoadString(kStrAppTitle, title, &length);
  const std::u16string path = GetCurPath();
  const std::u16string name = path.empty() ? std::u16string() : std::u16string(QelPathFindFileName(path.c_str()));
  const std::u16string full = name.empty() ? std::u16string(title) : name + u" - " + title;
  if (m_TitleTextView) m_TitleTextView->_QelText()->SetText(full.c_str());
  SetTitle(full.c_str());

  tag_FILE_INFO* file = (m_nCurIndex >= 0 && m_nCurIndex < n) ? (*g_pApp->GetFilelist())[size_t(m_nCurIndex)] : nullptr;
  if (file && m_bCurFileOpened) {
    ShowThumbSize(SIZE{file->nImageWidth_org, file->nImageHeight_org}, 1);
  } else {
    ShowThumbSize(SIZE{0, 0}, 0);
  }
  m_pPanel->AutoLayout();
  CBaseWnd::UpdateBtnState();
}

void CMainFrame::ShowThumbSize(SIZE size, int bValid) {
  std::u16string text;
  if (bValid) text = CGlobalFun::FormatTwoIntegers(kStrResolution, u"%d \u00d7 %d", size.cx, size.cy);
  if (m_ResolutionView) m_ResolutionView->_QelText()->SetText(text.c_str());
}

int32_t CMainFrame::ImgView_Change(QelObject control, int32_t code, QELLPARAM, void*) {
  auto* host = reinterpret_cast<CQelWindow*>(Qel0Inter(control, QEL_IF_ENV, 4, 0, 0));
  auto* view = dynamic_cast<CBaseWnd*>(host);
  if (!view) return 0;
  if (code == 0x2005 || code == 0x2006 || code == 0x2007) {
    view->SetCursor(view->CanPan() ? 9 : 0, nullptr);
  } else if (code == 0x3000) {
    auto* imageControl = static_cast<PubImage::QelImgControl*>(control);
    if (imageControl->GetMode() == 1) view->UpdateBtnState();
  }
  return 0;
}

// ---- the picture's frame ----

int CMainFrame::AdjustImageView(PubQelmar::QelPanel* area, PubQelmar::QelPanel* shadow,
                                PubImage::QelImgControl* imageControl) {
  if (!area || !imageControl || !m_objPict) return 0;
  qel::Element* areaElement = qel::Element::From(area);
  qel::Element* frame = qel::Element::From(shadow ? static_cast<void*>(shadow) : static_cast<void*>(imageControl));
  if (!areaElement || !frame) return 0;
  SIZE areaSize = areaElement->LaidOutSize();
  SRect32 areaMargin = areaElement->Margin();
  SIZE inner{areaSize.cx - areaMargin.left - areaMargin.right, areaSize.cy - areaMargin.top - areaMargin.bottom};
  SIZE shown{0, 0};
  imageControl->GetPictShowSize(&shown);
  // The frame's own border: what the shadow adds around the control.
  SIZE border{0, 0};
  if (shadow) {
    qel::Element* control = qel::Element::From(imageControl);
    SRect32 cm = control ? control->Margin() : SRect32{0, 0, 0, 0};
    border = SIZE{cm.left + cm.right, cm.top + cm.bottom};
  }
  SIZE avail{inner.cx - border.cx, inner.cy - border.cy};
  SIZE fit{0, 0};
  if (shown.cx <= 0 || shown.cy <= 0) {
    fit = avail;  // a control that reports no picture size fills the area
  } else if (imageControl->GetMode() != 1) {
    fit = SIZE{std::min(avail.cx, shown.cx), std::min(avail.cy, shown.cy)};
  } else {
    SIZE pict = PictureSize(m_objPict);
    long w = 0, h = 0;
    GetFitInSize(avail.cx, avail.cy, pict.cx, pict.cy, w, h);
    long w2 = 0, h2 = 0;
    GetFitInSize(w, h, pict.cx, pict.cy, w2, h2);
    fit = SIZE{int32_t(w2), int32_t(h2)};
  }
  fit.cx = std::max(fit.cx, 0) + border.cx;
  fit.cy = std::max(fit.cy, 0) + border.cy;
  POINT pos{(inner.cx - fit.cx + 1) / 2, (inner.cy - fit.cy + 1) / 2};
  SIZE old = frame->FrameSize();
  frame->SetMargin(SRect32{pos.x, pos.y, 0, 0});
  if (old.cx == fit.cx && old.cy == fit.cy) return 0;
  frame->SetWidthMethod(qel::kSizeFixed);
  frame->SetHeightMethod(qel::kSizeFixed);
  frame->SetFrameSize(fit);
  POINT org{0, 0};
  imageControl->GetPictOrg(&org);
  org.x -= (fit.cx - old.cx + 1) / 2;
  org.y -= (fit.cy - old.cy + 1) / 2;
  imageControl->SetPictOrg(&org);
  Invalidate();
  return 1;
}

// ---- full screen ----

void CMainFrame::ShowFullScreen() {
  if (m_bInFullScreenMode) return;
  if (g_pApp->GetFilelist()->empty() || IsReadingCurThumb()) {
    CGlobalFun::MessageBeep();
    return;
  }
  m_bInFullScreenMode = true;
  SIZE screen;
  CGlobalFun::GetScreenSize(screen);
  SRect32 all{0, 0, screen.cx, screen.cy};
  m_FullScreenWnd.MoveWindow(&all);
  m_FullScreenToolbar.PlaceIn(screen);
  m_FullScreenWnd.SyncData(this);
  m_FullScreenWnd.ShowWindow(5);
  m_FullScreenToolbar.ShowWindow(5);
  m_FullScreenWnd.UpdateBtnState();
  ShowWindow(0);
}

void CMainFrame::HideFullscreen() {
  if (!m_bInFullScreenMode) return;
  if (IsReadingCurThumb()) {
    CGlobalFun::MessageBeep();
    return;
  }
  m_bInFullScreenMode = false;
  SyncData(&m_FullScreenWnd);
  if (!IsWindowVisible()) ShowWindow(IsMaximized() ? 3 : 5);
  m_FullScreenWnd.ShowWindow(0);
  m_FullScreenToolbar.ShowWindow(0);
  ShowWindow(IsMaximized() ? 3 : 5);  // the main window comes to the front
}

void CMainFrame::HideFullscreen1() {
  if (!m_bInFullScreenMode) return;
  m_bInFullScreenMode = false;
  SyncData(&m_FullScreenWnd);
  m_FullScreenWnd.ShowWindow(0);
  m_FullScreenToolbar.ShowWindow(0);
}
