#include "FullScreenWnd.h"

#include "MainFrame.h"
#include "PlayWnd.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"

namespace {

// The pointer over the full-screen window while it is hidden.
constexpr int32_t kCursorNone = 10;

}  // namespace

int CFullScreenWnd::CreateWnd(WindowRef parent, const std::string& bundleContents, CMainFrame* mainFrame) {
  m_pMainFrame = mainFrame;
  const std::string layout = bundleContents + "/UI/PlayvaneFullScreen.aui";
  return CQelWindow::Create(layout.c_str(), nullptr, parent) && Root() ? 1 : 0;
}

int32_t CFullScreenWnd::PreCreateWind(QelCreateStruct* cs) {
  CQelWindow::PreCreateWind(cs);
  if (cs) cs->windowClass = 4;
  return QEL_S_OK;
}

void CFullScreenWnd::ShowAudioIcon(bool show) {
  if (qel::Element* icon = qel::Element::From(GetElementByName("Audio_Icon", 1))) icon->Show(show);
}

void CFullScreenWnd::ShowPointer(bool show) {
  if (Root()) Root()->SetCursorId(show ? 0 : kCursorNone);
}

int32_t CFullScreenWnd::AskForClose() {
  if (!m_pMainFrame || m_bCanClose) return 1;
  if (IsWindowVisible()) {
    m_pMainFrame->ShowNormalWindowMode();
    return 0;
  }
  return 1;
}

intptr_t CFullScreenWnd::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (m_pMainFrame) {
    switch (msg) {
      case QEL_WM_MOUSEMOVE: {
        const int32_t x = int32_t(int16_t(lp & 0xffff)), y = int32_t(int16_t((lp >> 16) & 0xffff));
        // A move to the same place (a window sliding under a still pointer) is no activity.
        if (x != m_nLastX || y != m_nLastY) m_pMainFrame->SendMessage(kMsgMouseAction, 0, 0);
        m_nLastX = x;
        m_nLastY = y;
        break;
      }
      // Double clicks come from the video, which fills the window.
      case QEL_WM_LBUTTONDOWN:
      case QEL_WM_RBUTTONDOWN:
        m_pMainFrame->SendMessage(kMsgMouseAction, 0, 0);
        break;
      case QEL_WM_KEYDOWN:
        m_pMainFrame->SendMessage(kMsgFullScreenKey, wp, 0);
        handled = true;
        return 0;
      default:
        break;
    }
  }
  return CQelWindow::ProcessMessage(msg, wp, lp, handled);
}
