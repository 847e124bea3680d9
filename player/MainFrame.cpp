// The main window: creation and set-up, element callbacks, messages, keys,
// the window's size and shape, closing.
#include "MainFrame.h"

#include <algorithm>
#include <cstdio>

#include "App.h"
#include "GlobalFun.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace {

// How much of a moved window stays on the screen.
constexpr int32_t kKeepVisible = 30;
constexpr uint32_t kKeyF = 102, kKeyP = 112, kKeySpace = 32, kKeyV = 118;
constexpr QELLPARAM kAltKeyBit = QELLPARAM(1) << 29;

CMainFrame* Self(void* data) { return static_cast<CMainFrame*>(static_cast<CQelWindow*>(data)); }

}  // namespace

CMainFrame::CMainFrame()
    : m_pPower(std::make_unique<plat::PowerClient>([this](plat::PowerMessage m) { return OnPowerMessage(m); })) {}

CMainFrame::~CMainFrame() {
  m_PlayWnd.Clear();
  ClearFileList();
}

qel::Element* CMainFrame::Find(const char* name) { return qel::Element::From(GetElementByName(name, 1)); }

int CMainFrame::ShowMainFrame() {
  const std::string layout = g_pApp->GetBundleContents() + "/UI/VideoPlayer.aui";
  if (!Create(layout.c_str(), nullptr, nullptr) || !InitUI()) return 0;
  // Shown also with nothing to play yet.
  ShowWindow(5);
  return 1;
}

int32_t CMainFrame::PreCreateWind(QelCreateStruct* cs) {
  CQelMainWind::PreCreateWind(cs);
  for (auto& p : m_szMask.path) p.clear();
  const std::string resources = g_pApp->GetBundleContents() + "/Resources/";
  m_szMask.path[0] = QelFromUTF8(resources + "MainWndLT.bmp");
  m_szMask.path[1] = QelFromUTF8(resources + "MainWndRT.bmp");
  return QEL_S_OK;
}

void CMainFrame::UpdateShape() {
  SRect32 b = Bounds();
  m_shape = IsMaximized() ? std::vector<SRect32>() : CornerWindowShape(m_szMask, b.right - b.left, b.bottom - b.top);
  Invalidate();
}

int CMainFrame::InitUI() {
  if (!Root()) return 0;
  int found = 0, start = 0;
  ProcessCommandLine(m_strCommandLine.c_str(), found, start);
  m_nCurrentIndex = m_FileList.empty() ? -1 : start;
  SetTitle(CGlobalFun::LoadString(kStrAppTitle, u"Dunsellow Playvane").c_str());

  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_resize", QEL_FRAME_RESIZE);
  if (qel::Element* ret = Find("butn_ReturnNUVO")) ret->Show(false);
  // The layout's own size is the least the controls need.
  const SIZE min = Root()->FrameSize();
  m_nMinWidth = min.cx;
  m_nMinHeight = min.cy;
  SetMinSize(m_nMinWidth, m_nMinHeight);

  SetProperty(kCornerPropCreator, kCornerPropTag, &m_szMask);
  SetProperty(kCornerPropCreator, kShapePropTag, &m_shape);
  UpdateShape();

  if (qel::Element* drag = Find("cata_drag_mac")) {
    drag->Show(true);
    if (qel::Element* old = Find("cata_drag")) old->Show(false);
    static constexpr const char* kPairs[3][2] = {{"butn_close_mac", "butn_close"},
                                                 {"butn_minimize_mac", "butn_minwindows"},
                                                 {"butn_maximize_mac", "chck_maxwindows"}};
    for (const auto& pair : kPairs) {
      if (qel::Element* mac = Find(pair[0])) mac->Enable(Find(pair[1]) != nullptr);
    }
    SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
    SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
    SetDefaultCallBackName("butn_minimize_mac", QEL_FRAME_MINIMIZE);
    SetDefaultCallBackName("butn_maximize_mac", QEL_FRAME_MAXIMIZE);
  }
  for (const char* name : {"cata_bin", "chck_Report", "butn_capture", "hcata6", "hcata7", "butn_Next_step",
                           "thumb_left", "thumb_right"}) {
    if (qel::Element* e = Find(name)) e->Show(false);
  }

  m_pPlay = Find("chck_Play");
  m_pNext = Find("butn_Next");
  m_pPrevious = Find("butn_Previous");
  m_pBackToBegin = Find("butn_BackToBegin");
  m_pFullScreen = Find("butn_fullscreen1");
  m_pMute = Find("chck_Mute");
  m_pMaxWindows = Find("chck_maxwindows");
  m_pLoop = Find("chck_Loop");
  m_pVolume = Find("hscrl_Volume");
  m_pPlayProgress = Find("hscrl_PlayProgress");
  m_pCurrentTime = Find("view_CurrentTime");
  m_pTotalTime = Find("view_TotalTime");
  m_pTitle = Find("view_title_mac");
  m_pAudioIcon = Find("Audio_Icon");
  m_pStop = Find("butn_Stop");
  m_pPlayArea = Find("cata_PlayWnd");
  if (!m_pPlay || !m_pNext || !m_pPrevious || !m_pBackToBegin || !m_pFullScreen || !m_pMute || !m_pMaxWindows ||
      !m_pLoop || !m_pVolume || !m_pPlayProgress || !m_pAudioIcon || !m_pPlayArea)
    return 0;
  m_pMute->SetCheck(0);
  m_nMute = 0;
  UpdateMuteTips();
  m_pLoop->SetCheck(0);
  m_nLoop = 0;
  m_nVolume = 50;
  m_pVolume->SetScrollRange(0, 101);
  m_pVolume->SetScrollPage(1);
  m_pVolume->SetScrollPos(50);
  m_pVolume->Enable(m_pMute->Check() == 0);
  if (!m_PlayWnd.Create(this, m_pPlayArea)) return 0;
  const std::string& contents = g_pApp->GetBundleContents();
  if (!m_FullScreenWnd.CreateWnd(GetWindowRef(), contents, this)) return 0;
  m_FullScreenWnd.ShowWindow(0);
  m_PlayToolbar.SetPointer(this);
  if (!m_PlayToolbar.CreateWnd(&m_FullScreenWnd, contents)) return 0;
  m_PlayToolbar.ShowWindow(0);

  RepositionWindow(0);
  m_lastBounds = Bounds();
  PrepareToPlay(1);
  m_bNavigationReady = 1;
  return 1;
}

void CMainFrame::RegisterCallBacks() {
  CQelMainWind::RegisterCallBacks();
  constexpr int32_t kAll = CQelCallbackMap::kAllEvents;
  RegisterCallBack("butn_close_mac", QEL_EV_CLICK, &OnCloseProc);
  RegisterCallBack("butn_BackToBegin", QEL_EV_CLICK, &BackToBeginProc);
  RegisterCallBack("butn_fullscreen1", QEL_EV_CLICK, &FullScreenProc);
  RegisterCallBack("butn_Previous", QEL_EV_CLICK, &PreviousProc);
  RegisterCallBack("butn_Next", QEL_EV_CLICK, &NextProc);
  RegisterCallBack("butn_Stop", QEL_EV_CLICK, &StopProc);
  RegisterCallBack("butn_minwindows", QEL_EV_CLICK, &MinWindowProc);
  RegisterCallBack("chck_maxwindows", kAll, &MaxWindowProc);
  RegisterCallBack("chck_Play", kAll, &PlayProc);
  RegisterCallBack("chck_Mute", kAll, &MuteProc);
  RegisterCallBack("chck_Loop", kAll, &LoopProc);
  RegisterCallBack("hscrl_Volume", kAll, &VolumeProc);
  RegisterCallBack("hscrl_PlayProgress", kAll, &PlayProgressProc);
  RegisterCallBack("butn_ReturnNUVO", kAll, &ReturnMIProc);
}

int32_t CMainFrame::OnCloseProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->CloseWnd();
  return 0;
}
int32_t CMainFrame::BackToBeginProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->BackToBeginButtonPushed();
  return 0;
}
int32_t CMainFrame::FullScreenProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->ShowFullScreenMode();
  return 0;
}
int32_t CMainFrame::PreviousProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->PreviousButtonPushed();
  return 0;
}
int32_t CMainFrame::NextProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->NextButtonPushed();
  return 0;
}
int32_t CMainFrame::StopProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->StopButtonPushed();
  return 0;
}
int32_t CMainFrame::MinWindowProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->ShowWindow(6);
  return 0;
}
int32_t CMainFrame::MaxWindowProc(QelObject element, int32_t event, QELLPARAM, void* data) {
  CMainFrame* self = Self(data);
  qel::Element* e = qel::Element::From(element);
  if (self && e && event == QEL_EV_CLICK) self->ShowWindow(e->Check() ? 9 : 3);
  return 0;
}
int32_t CMainFrame::PlayProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data); self && event == QEL_EV_CLICK) self->PlayButtonPushed(0);
  return 0;
}
int32_t CMainFrame::MuteProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data); self && event == QEL_EV_CLICK) self->MuteButtonPushed(0);
  return 0;
}
int32_t CMainFrame::LoopProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data); self && event == QEL_EV_CLICK) self->LoopButtonPushed(0);
  return 0;
}
int32_t CMainFrame::VolumeProc(QelObject, int32_t event, QELLPARAM, void* data) {
  CMainFrame* self = Self(data);
  if (self && (event == QEL_EV_SLIDER_CHANGE || event == QEL_EV_SLIDER_BEGIN || event == QEL_EV_SLIDER_TRACK))
    self->VolumebarChanged(0);
  return 0;
}
int32_t CMainFrame::PlayProgressProc(QelObject, int32_t event, QELLPARAM, void* data) {
  if (CMainFrame* self = Self(data)) self->PlayProgressbarChanged(event, 0);
  return 0;
}

intptr_t CMainFrame::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  switch (msg) {
    case QEL_WM_KEYDOWN:
      OnKeyDown(uint32_t(wp), handled);
      break;
    case QEL_WM_SYSKEYDOWN:
      OnSysKeyDown(uint32_t(wp), lp, handled);
      break;
    case kMsgFullScreenKey:
      OnKeyDown(uint32_t(wp), handled);
      break;
    case QEL_WM_TIMER:
      if (uint32_t(wp) == kTimerPlay) OnPlayTimer();
      else if (uint32_t(wp) == kTimerHideToolbar) OnFullScreenHideToolbarTimer();
      else if (uint32_t(wp) == kTimerToolbarSlide) OnHideToolbarEffectTimer();
      break;
    case kMsgMouseAction:
      OnMouseAction();
      break;
    case kMsgDoubleClick:
      PlayWindowDBClicked();
      break;
    case QEL_WM_SIZE:
      OnSize();
      break;
    case kMsgFrameDue:
      m_PlayWnd.PresentFrame();
      break;
    default:
      break;
  }
  if (handled) return 0;
  return CQelMainWind::ProcessMessage(msg, wp, lp, handled);
}

void CMainFrame::OnKeyDown(uint32_t key, bool& handled) {
  if (m_FullScreenWnd.IsCreated() && m_FullScreenWnd.IsWindowVisible()) {
    if (key == QEL_KEY_ESCAPE && m_PlayToolbar.IsWindowEnabled()) {
      handled = true;
      ShowNormalWindowMode();
      return;
    }
    KillTimer(kTimerToolbarSlide);
    ShowCursor(true);
    ShowFullScreenToolbar();
    SetTimer(kTimerHideToolbar, 3000, 3000);
  } else if (key == kKeyF) {
    handled = true;
    ShowFullScreenMode();
    return;
  }
  if (key == kKeyP || key == kKeySpace) {
    handled = true;
    if (m_pPlay && m_pPlay->EffectivelyEnabled()) {
      m_pPlay->SetCheck(m_pPlay->Check() ? 0 : 1);
      PlayButtonPushed(0);
    }
    return;
  }
  if (key == QEL_KEY_ESCAPE) {
    handled = true;
    StopButtonPushed();
    return;
  }
  if ((key >= 48 && key <= 53) || (key >= 96 && key <= 101)) handled = true;
}

void CMainFrame::OnSysKeyDown(uint32_t key, QELLPARAM lp, bool& handled) {
  if (key == kKeyV && (lp & kAltKeyBit)) {
    CloseWnd();
    handled = true;
    return;
  }
  if (key == QEL_KEY_ESCAPE) return;
  OnKeyDown(key, handled);
}

void CMainFrame::OnSize() {
  if (!Root()) return;
  if (m_pMaxWindows) m_pMaxWindows->SetCheck(IsMaximized() ? 0 : 1);
  SRect32 s = Bounds();
  if (!IsMaximized()) {
    const SRect32 a = CGlobalFun::GetAvailableBounds();
    const int32_t w = s.right - s.left, h = s.bottom - s.top;
    SRect32 r = s;
    if (r.top < a.top) r.top = a.top;
    if (r.top > a.bottom - kKeepVisible) r.top = a.bottom - kKeepVisible;
    if (r.left + w < a.left + kKeepVisible) r.left = a.left + kKeepVisible - w;
    if (r.left > a.right - kKeepVisible) r.left = a.right - kKeepVisible;
    r.right = r.left + w;
    r.bottom = r.top + h;
    if (r.left != s.left || r.top != s.top) MoveWindow(&r);
  }
  SRect32 now = Bounds();
  if (now.right - now.left != m_lastBounds.right - m_lastBounds.left ||
      now.bottom - now.top != m_lastBounds.bottom - m_lastBounds.top)
    UpdateShape();
  m_lastBounds = now;
}

void CMainFrame::CloseWnd() {
  if (!IsCreated() || m_bClosing) return;
  m_bClosing = 1;
  Close();
  m_bClosing = 0;
}

void CMainFrame::WillClose() {
  KillTimer(kTimerPlay);
  KillTimer(kTimerHideToolbar);
  KillTimer(kTimerToolbarSlide);
  m_FullScreenWnd.SetCanClose();
  m_PlayWnd.Clear();
  m_pPower->HoldAwake(false, {});
  CQelMainWind::WillClose();
}

void CMainFrame::DidClose() {
  ClearFileList();
  if (m_FullScreenWnd.IsCreated()) m_FullScreenWnd.Close();
  CQelMainWind::DidClose();
}

plat::PowerAnswer CMainFrame::OnPowerMessage(plat::PowerMessage message) {
  std::fputs(plat::PowerMessageLine(message), stdout);
  std::fflush(stdout);
  switch (message) {
    case plat::PowerMessage::kServiceIsResumed:
      return plat::PowerAnswer::kAllow;
    case plat::PowerMessage::kCanSystemSleep:
    case plat::PowerMessage::kSystemHasPoweredOn:
      return DoKIOMsgSystem(message) ? plat::PowerAnswer::kAllow : plat::PowerAnswer::kCancel;
    case plat::PowerMessage::kSystemWillSleep:
      DoKIOMsgSystem(message);
      return plat::PowerAnswer::kAllow;
    default:
      return plat::PowerAnswer::kNone;
  }
}

int CMainFrame::DoKIOMsgSystem(plat::PowerMessage message) {
  const bool playing = m_pPlay && m_pPlay->Check();
  if (message == plat::PowerMessage::kCanSystemSleep && playing) return 0;
  if (message == plat::PowerMessage::kSystemWillSleep && playing) {
    m_pPlay->SetCheck(0);
    PlayButtonPushed(0);
  }
  return 1;
}

void CMainFrame::UpdateAwake() {
  const bool playing = m_pPlay && m_pPlay->Check() && m_PlayWnd.IsFileOpened();
  m_pPower->HoldAwake(playing, "Playing a movie");
}
