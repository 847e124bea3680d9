// The main window's full screen: the full-screen window and its play
// toolbar, the toolbar sliding out of sight while the pointer rests, the
// toolbar's twins kept in step with the window's controls.
#include <algorithm>

#include "FullScreenWnd.h"
#include "MainFrame.h"
#include "PlayToolbar.h"
#include "qel/QelElement.h"
#include "qel/QelBackend.h"
#include "qel/QelVideo.h"
#include "qel/QelWindow.h"

namespace {

constexpr uint32_t kToolbarIdleMs = 3000;
constexpr uint32_t kSlideStepMs = 80;
constexpr int32_t kSlidePixels = 8;

}  // namespace

SRect32 CMainFrame::FullScreenBounds() {
  // The screen of the player's window, as the full-screen window covers it.
  return qel::CurrentBackend().ScreenBounds();
}

void CMainFrame::ShowFullScreenMode() {
  if (m_FileList.empty() || !m_FullScreenWnd.IsCreated() || m_bFullScreen) return;
  m_bFullScreen = 1;
  const SRect32 screen = FullScreenBounds();
  m_FullScreenWnd.MoveWindow(&screen);
  if (qel::Element* view = m_PlayWnd.GetSafeHwnd()) {
    qel::Element* root = m_FullScreenWnd.Root();
    view->PutInside(root, root->Children().empty() ? nullptr : root->Children().front());
  }
  m_FullScreenWnd.ShowWindow(5);
  ShowFullScreenToolbar();
  SetTimer(kTimerHideToolbar, kToolbarIdleMs, kToolbarIdleMs);
  ShowWindow(0);
}

void CMainFrame::ShowFullScreenToolbar() {
  if (!m_FullScreenWnd.IsCreated() || !m_FullScreenWnd.IsWindowVisible()) return;
  qel::Element* bar = m_PlayToolbar.Panel();
  if (!bar) return;
  const SRect32 screen = FullScreenBounds();
  const int32_t width = screen.right - screen.left, height = screen.bottom - screen.top;
  bar->SetFrameSize(SIZE{width, bar->FrameSize().cy});
  bar->SetMargin(SRect32{0, height - bar->FrameSize().cy, 0, 0});
  m_PlayToolbar.ShowWindow(5);
}

void CMainFrame::ShowNormalWindowMode() {
  KillTimer(kTimerHideToolbar);
  KillTimer(kTimerToolbarSlide);
  ShowCursor(true);
  if (!m_pPlayArea) return;
  m_bFullScreen = 0;
  if (qel::Element* view = m_PlayWnd.GetSafeHwnd())
    view->PutInside(m_pPlayArea, m_pPlayArea->Children().empty() ? nullptr : m_pPlayArea->Children().front());
  m_FullScreenWnd.ShowWindow(0);
  SRect32 none{0, 0, 0, 0};
  m_FullScreenWnd.MoveWindow(&none);
  m_PlayToolbar.ShowWindow(0);
  ShowWindow(5);
}

void CMainFrame::PlayWindowDBClicked() {
  if (m_FullScreenWnd.IsCreated() && m_FullScreenWnd.IsWindowVisible()) ShowNormalWindowMode();
  else ShowFullScreenMode();
}

void CMainFrame::OnMouseAction() {
  if (!m_FullScreenWnd.IsCreated() || !m_FullScreenWnd.IsWindowVisible()) return;
  KillTimer(kTimerToolbarSlide);
  ShowCursor(true);
  ShowFullScreenToolbar();
  SetTimer(kTimerHideToolbar, kToolbarIdleMs, kToolbarIdleMs);  // a running one keeps its time
}

void CMainFrame::OnFullScreenHideToolbarTimer() {
  if (!m_FullScreenWnd.IsWindowVisible() || !m_PlayToolbar.IsWindowEnabled() || !m_PlayToolbar.Panel()) return;
  POINT at{0, 0};
  QelGetCursorPos(&at);
  SRect32 w;
  m_FullScreenWnd.GetWindowRect(&w);
  const SRect32 bar = m_PlayToolbar.Panel()->Bounds();
  const POINT inside{at.x - w.left, at.y - w.top};
  const bool over = inside.x >= bar.left && inside.x < bar.right && inside.y >= bar.top && inside.y < bar.bottom;
  if (!over) SetTimer(kTimerToolbarSlide, kSlideStepMs, kSlideStepMs);
}

void CMainFrame::OnHideToolbarEffectTimer() {
  qel::Element* bar = m_PlayToolbar.Panel();
  if (!bar) return;
  SRect32 m = bar->Margin();
  m.top += kSlidePixels;
  bar->SetMargin(m);
  const SRect32 screen = FullScreenBounds();
  if (m.top > screen.bottom - screen.top) {
    KillTimer(kTimerToolbarSlide);
    if (m_bFullScreen && m_bCursorShown) ShowCursor(false);
  }
}

void CMainFrame::ShowCursor(bool show) {
  if (show == (m_bCursorShown != 0)) return;
  m_bCursorShown = show ? 1 : 0;
  m_FullScreenWnd.ShowPointer(show);
}

void CMainFrame::SyncToolbar() {
  if (!m_PlayToolbar.Panel()) return;
  auto twin = [&](qel::Element* mine, const char* name) {
    qel::Element* other = m_PlayToolbar.Find(name);
    if (!mine || !other) return;
    other->Enable(mine->Enabled());
    other->SetCheck(mine->Check());
    other->SetTips(mine->Tips());
    if (mine->ClassName() == "scrl") {
      other->SetScrollRange(mine->Scroll().min, mine->Scroll().max);
      other->SetScrollPage(mine->Scroll().page);
      other->SetScrollPos(mine->Scroll().pos);
    } else if (mine->ClassName() == "text") {
      other->SetText(mine->Text());
    } else if (!mine->ImagePath().empty()) {
      other->SetImagePath(mine->ImagePath());
    }
  };
  twin(m_pPlay, "chck_Play");
  twin(m_pMute, "chck_mute");
  twin(m_pLoop, "chck_Loop");
  twin(m_pVolume, "hscrl_Volume");
  twin(m_pPlayProgress, "hscrl_PlayProgress");
  twin(m_pCurrentTime, "view_CurrentTime");
  twin(m_pTotalTime, "view_TotalTime");
  twin(m_pBackToBegin, "butn_BackToBegin");
  twin(m_pPrevious, "butn_Previous");
  twin(m_pNext, "butn_Next");
  twin(m_pStop, "butn_Stop");
  if (qel::Element* name = m_PlayToolbar.Find("view_FileName")) name->SetText(GetFileName());
}

void CMainFrame::TakeFromTwin(int source, qel::Element* mine, const char* name) {
  qel::Element* other = source ? m_PlayToolbar.Find(name) : nullptr;
  if (!mine || !other) return;
  mine->SetCheck(other->Check());
  if (other->ClassName() == "scrl") mine->SetScrollPos(other->Scroll().pos);
}
