// The main window's playing: opening the current entry, the play timer,
// the controls' actions and sizing the window to the movie.
#include <algorithm>
#include <cstring>
#include <string>

#include "App.h"
#include "ErrorMsgDlg.h"
#include "GlobalFun.h"
#include "MainFrame.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kPlayTimerMs = 200;

void EnableIf(qel::Element* e, bool on) {
  if (e) e->Enable(on);
}

// Switches a theme icon the layout resolved to a file to its sibling icon
// (the icons of one theme lie side by side).
void ShowIcon(qel::Element* e, const char* from, const char* to) {
  if (!e) return;
  std::string path = e->ImagePath();
  const size_t at = path.rfind(from);
  if (at == std::string::npos) return;
  path.replace(at, std::strlen(from), to);
  e->SetImagePath(path);
}

}  // namespace

void CMainFrame::UpdatePlayTips() {
  if (!m_pPlay) return;
  const bool playing = m_pPlay->Check() != 0;
  m_pPlay->SetTips(playing ? CGlobalFun::LoadString(kStrPauseTip, u"Pause") : CGlobalFun::LoadString(kStrPlayTip, u"Play"));
  // The one button shows what a click does next.
  if (playing) ShowIcon(m_pPlay, "media-playback-start", "media-playback-pause");
  else ShowIcon(m_pPlay, "media-playback-pause", "media-playback-start");
  SyncToolbar();
}

void CMainFrame::UpdateMuteTips() {
  if (!m_pMute) return;
  m_pMute->SetTips(m_nMute ? CGlobalFun::LoadString(kStrUnmuteTip, u"Mute") : CGlobalFun::LoadString(kStrMuteTip, u"Mute"));
  if (m_nMute) ShowIcon(m_pMute, "audio-volume-high", "audio-volume-muted");
  else ShowIcon(m_pMute, "audio-volume-muted", "audio-volume-high");
  SyncToolbar();
}

void CMainFrame::SetProgress(int32_t pos) {
  if (m_pPlayProgress) m_pPlayProgress->SetScrollPos(pos);
  SyncToolbar();
}

void CMainFrame::UpdateTimeInfo(uint32_t ms) {
  if (m_pCurrentTime) m_pCurrentTime->SetText(CGlobalFun::GetTimeString(ms));
  SyncToolbar();
}

std::u16string CMainFrame::GetFileName() const {
  const size_t slash = m_strCurrentFilePath.rfind(u'/');
  return slash == std::u16string::npos ? m_strCurrentFilePath : m_strCurrentFilePath.substr(slash + 1);
}

void CMainFrame::PrepareToPlay(int autoPlay) {
  KillTimer(kTimerPlay);
  if (m_FileList.empty()) {
    // Nothing to play: what played before stops with the old list.
    m_PlayWnd.Clear();
    m_strCurrentFilePath.clear();
    UpdateBtnState();
    for (qel::Element* e : {m_pPlay, m_pNext, m_pBackToBegin, m_pPrevious, m_pPlayProgress, m_pFullScreen, m_pStop})
      EnableIf(e, false);
    if (m_pPlay) m_pPlay->SetCheck(0);
    UpdatePlayTips();
    UpdateAwake();
    return;
  }
  const bool inList = m_nCurrentIndex >= 0 && size_t(m_nCurrentIndex) < m_FileList.size();
  m_strCurrentFilePath = inList ? m_FileList[size_t(m_nCurrentIndex)]->szFilePath : std::u16string();
  if (m_strCurrentFilePath.empty()) {
    m_PlayWnd.Clear();
    UpdateBtnState();
  } else {
    int32_t error = 0;
    const int opened = m_PlayWnd.OpenFile(m_strCurrentFilePath, &error);
    UpdateBtnState();
    if (!opened) {
      if (CGlobalFun::LoadProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 1)) ShowOpenError(error);
      if (m_pPlay) m_pPlay->SetCheck(0);
      UpdatePlayTips();
    } else {
      ResizeWindowToMatchVideoSize();
      if (autoPlay) {
        if (m_pPlay) m_pPlay->SetCheck(1);
        UpdatePlayTips();
        DoPlay();
      }
    }
  }
  UpdateAwake();
  ShowWindow(5);
  Qel0SetGValue(2, reinterpret_cast<intptr_t>(GetRootPanel()));
}

void CMainFrame::ShowOpenError(int32_t error) {
  CErrorMsgDlg dialog;
  dialog.ShowErrorMsg(g_pApp->GetBundleContents(), m_bFullScreen ? m_FullScreenWnd.GetWindowRef() : GetWindowRef(),
                      error);
}

void CMainFrame::DoPlay() {
  if (m_pPlay && m_pPlay->Check()) {
    const int state = m_PlayWnd.GetPlayState();
    if (state == kPlayStateStopped || state == kPlayStatePaused) SetTimer(kTimerPlay, 0, kPlayTimerMs);
    m_PlayWnd.Play();
  } else {
    m_PlayWnd.Pause();
  }
  UpdateAwake();
}

void CMainFrame::OnPlayTimer() {
  const int state = m_PlayWnd.GetPlayState();
  if (state == kPlayStateStopped) {
    // The end of the file (or stopped): back to the start, playing on when looping.
    if (!m_bTracking) {
      SetProgress(0);
      UpdateTimeInfo(0);
    }
    if (m_pLoop && m_pLoop->Check()) {
      m_PlayWnd.SetPlayPosition(0);
      m_PlayWnd.Play();
    } else {
      // Nothing more to watch until the user plays again (which starts it anew).
      KillTimer(kTimerPlay);
      m_PlayWnd.SetPlayPosition(0);
      if (m_pPlay) m_pPlay->SetCheck(0);
      UpdatePlayTips();
      UpdateAwake();
    }
    return;
  }
  if (state == kPlayStatePlaying && !m_bTracking) {
    if (m_pPlay) m_pPlay->SetCheck(1);
    const uint32_t position = m_PlayWnd.GetCurrentPlayPosition();
    SetProgress(int32_t(position / 100));
    UpdateTimeInfo(position);
  }
}

void CMainFrame::UpdateBtnState() {
  const size_t n = m_FileList.size();
  const bool opened = m_PlayWnd.IsFileOpened();
  const uint32_t total = m_PlayWnd.GetTotalTime();
  for (qel::Element* e : {m_pFullScreen, m_pPlay, m_pStop}) EnableIf(e, n >= 1);
  EnableIf(m_pPrevious, n >= 2);
  EnableIf(m_pNext, n >= 2);
  if (opened) {
    // The volume the user chose, not the bar (which reads 0 while muted).
    m_PlayWnd.SetVolume(m_nVolume);
    if (m_pMute && m_pMute->Check()) m_PlayWnd.Mute(1);
  }
  EnableIf(m_pBackToBegin, opened);
  if (m_pPlayProgress) {
    m_pPlayProgress->SetScrollRange(0, int32_t(total / 100 + 1));
    m_pPlayProgress->SetScrollPage(1);
    m_pPlayProgress->SetScrollPos(0);
    m_pPlayProgress->Enable(opened && !m_PlayWnd.IsUnSeekableFile());
  }
  const std::u16string name = GetFileName();
  std::u16string title = name;
  if (!name.empty()) title += u" - ";
  title += CGlobalFun::LoadString(kStrAppTitle, u"Dunsellow Playvane");
  if (m_pTitle) {
    m_pTitle->SetText(title);
    SetTitle(title.c_str());
  }
  UpdateTimeInfo(0);
  if (m_pTotalTime) m_pTotalTime->SetText(CGlobalFun::GetTimeString(total));
  const bool sound = !m_strCurrentFilePath.empty() && CGlobalFun::IsSupportedAudioFile(m_strCurrentFilePath.c_str());
  if (m_pAudioIcon) m_pAudioIcon->Show(sound);
  m_FullScreenWnd.ShowAudioIcon(sound);
  SyncToolbar();
}

void CMainFrame::PlayButtonPushed(int source) {
  TakeFromTwin(source, m_pPlay, "chck_Play");
  UpdatePlayTips();
  if (m_PlayWnd.IsFileOpened()) DoPlay();
  else PrepareToPlay(1);
}

void CMainFrame::MuteButtonPushed(int source) {
  TakeFromTwin(source, m_pMute, "chck_mute");
  const int muted = m_pMute && m_pMute->Check() ? 1 : 0;
  m_PlayWnd.Mute(muted);
  if (m_pVolume) {
    m_pVolume->SetScrollPos(muted ? 0 : m_nVolume);
    m_pVolume->Enable(!muted);
  }
  m_nMute = muted;
  UpdateMuteTips();
}

void CMainFrame::LoopButtonPushed(int source) {
  TakeFromTwin(source, m_pLoop, "chck_Loop");
  m_nLoop = m_pLoop && m_pLoop->Check() ? 1 : 0;
  SyncToolbar();
}

void CMainFrame::VolumebarChanged(int source) {
  TakeFromTwin(source, m_pVolume, "hscrl_Volume");
  if (!m_pVolume) return;
  const int position = std::clamp(m_pVolume->Scroll().pos, 0, 100);
  m_PlayWnd.SetVolume(position);
  m_nVolume = position;
  SyncToolbar();
}

void CMainFrame::PlayProgressbarChanged(int32_t event, int source) {
  TakeFromTwin(source, m_pPlayProgress, "hscrl_PlayProgress");
  if (!m_pPlayProgress) return;
  const uint32_t ms = uint32_t(std::max(m_pPlayProgress->Scroll().pos, 0)) * 100u;
  switch (event) {
    case QEL_EV_SLIDER_CHANGE:
    case QEL_EV_SLIDER_BEGIN:
      m_bTracking = 0;
      m_PlayWnd.SetPlayPosition(ms);
      UpdateTimeInfo(ms);
      break;
    case QEL_EV_SLIDER_TRACK:
      m_PlayWnd.SetPlayPosition(ms);
      m_bTracking = 1;
      UpdateTimeInfo(ms);
      break;
    case QEL_EV_SLIDER_END:
      // The toolkit ends every move of the thumb with this: the bar is let go.
      m_bTracking = 0;
      break;
    default:
      break;
  }
}

void CMainFrame::BackToBeginButtonPushed() {
  m_PlayWnd.SetPlayPosition(0);
  SetProgress(0);
  UpdateTimeInfo(0);
}

void CMainFrame::StopButtonPushed() {
  KillTimer(kTimerPlay);
  m_PlayWnd.Pause();
  m_PlayWnd.SetPlayPosition(0);
  if (m_pPlay) m_pPlay->SetCheck(0);
  UpdatePlayTips();
  SetProgress(0);
  UpdateTimeInfo(0);
  UpdateBtnState();
  UpdateAwake();
}

void CMainFrame::PreviousButtonPushed() {
  if (!m_bNavigationReady || m_FileList.empty()) return;
  m_bNavigationReady = 0;
  m_nCurrentIndex = m_nCurrentIndex - 1 < 0 ? int(m_FileList.size()) - 1 : m_nCurrentIndex - 1;
  PrepareToPlay(m_pPlay ? m_pPlay->Check() : 0);
  m_bNavigationReady = 1;
}

void CMainFrame::NextButtonPushed() {
  if (!m_bNavigationReady || m_FileList.empty()) return;
  m_bNavigationReady = 0;
  m_nCurrentIndex = m_nCurrentIndex + 1 >= int(m_FileList.size()) ? 0 : m_nCurrentIndex + 1;
  PrepareToPlay(m_pPlay ? m_pPlay->Check() : 0);
  m_bNavigationReady = 1;
}

void CMainFrame::ResizeWindowToMatchVideoSize() {
  if (m_bFullScreen || IsMaximized() || !m_pPlayArea) return;
  const SIZE v = m_PlayWnd.GetVideoSize();
  if (v.cx <= 0 || v.cy <= 0) return;
  const SRect32 e = m_pPlayArea->Bounds();
  const SRect32 w = Bounds();
  const int64_t cw = (w.right - w.left) - (e.right - e.left);
  const int64_t ch = (w.bottom - w.top) - (e.bottom - e.top);
  int64_t W = v.cx + cw, H = v.cy + ch;
  const double r = double(v.cx) / double(v.cy);
  if (W < m_nMinWidth || H < m_nMinHeight) {
    const int64_t mw = m_nMinWidth - cw, mh = m_nMinHeight - ch;
    if (int64_t(v.cx) * mh < int64_t(v.cy) * mw) {
      W = mw + cw;
      H = int64_t(double(mw) / r) + ch;
    } else {
      H = mh + ch;
      W = int64_t(double(mh) * r) + cw;
    }
  }
  const SRect32 a = CGlobalFun::GetAvailableBounds();
  const int64_t aw = a.right - a.left, ah = a.bottom - a.top;
  if (W > aw || H > ah) {
    const int64_t xw = aw - cw, xh = ah - ch;
    if (int64_t(v.cx) * xh > int64_t(v.cy) * xw) {
      W = xw + cw;
      H = int64_t(double(xw) / r) + ch;
    } else {
      H = xh + ch;
      W = int64_t(double(xh) * r) + cw;
    }
  }
  int64_t left = (int64_t(w.left) + w.right) / 2 - W / 2;
  int64_t top = (int64_t(w.top) + w.bottom) / 2 - H / 2;
  // Inside the work area, wherever it lies on the screen.
  if (left + W > a.right) left = a.right - W;
  if (top + H > a.bottom) top = a.bottom - H;
  left = std::max<int64_t>(left, a.left);
  top = std::max<int64_t>(top, a.top);
  SRect32 bounds{int32_t(left), int32_t(top), int32_t(left + W), int32_t(top + H)};
  MoveWindow(&bounds);
  UpdateShape();
}
