#pragma once
// The viewer's second image window: borderless, covering the screen, showing
// the current picture with the same image view as the main window. Its
// toolbar is drawn inside it. The main window creates it hidden and switches
// between itself and it.
#include "BaseWnd.h"
#include "qel/QelWindow.h"

class CFullScreenToolbar;

class CFullScreenWnd : public CBaseWnd, public CQelWindow {
 public:
  CFullScreenWnd();
  ~CFullScreenWnd() override;

  using CQelWindow::Create;
  // Creates the window from "fullscreen.aui" in the bundle's UI folder.
  bool Create(WindowRef parent, const std::string& bundleContents, CFullScreenToolbar* toolbar);
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  int32_t AskForClose() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;

  // CBaseWnd.
  void UpdateBtnState() override;
  void SetToolbarSemitransparent(int bSemi) override;
  void OnKeyDown(uint32_t wParam, intptr_t lParam) override;
  void OnMouseWheel(uint32_t wParam, intptr_t lParam) override;
  void OnKeyUp(uint32_t wParam, intptr_t lParam) override;

  void SetCanClose() { m_bCanClose = true; }
  void SetMsgBoxParent(WindowRef parent) { m_hMsgBoxParent = parent; }
  void ShowToolbarAndResetTimer();
  // The cursor balance: 0 shown, -1 hidden; repeated calls one way change nothing.
  void SLWShowCur(int bShow);
  int ShowCursorCount() const { return m_nShowCursorCount; }
  void SetSLWTimer();
  void KillSLWTimer();
  PubImage::QelImgControl* ImageControl() { return m_objImgcFix; }

  static int32_t ImgView_Change(QelObject control, int32_t code, QELLPARAM param, void* data);

 private:
  void OnSize(QELLPARAM lp);

  CFullScreenToolbar* m_pFullScreenToolbar = nullptr;
  bool m_bCanClose = false;
  bool m_bTimerSet = false;
  int m_nShowCursorCount = 0;
};
