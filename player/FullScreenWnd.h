#pragma once
// The full-screen window ("PlayvaneFullScreen.aui"): black, covering the
// screen of the player's window while full screen is on, holding the video
// then. It owns no playing: pointer and keys become messages 3029 (activity),
// 3031 (double click) and 3030 (a key, its code first) to the main window.
#include <string>

#include "qel/QelWindow.h"

class CMainFrame;

inline constexpr uint32_t kMsgFullScreenKey = 3030;

class CFullScreenWnd : public CQelWindow {
 public:
  CFullScreenWnd() = default;
  ~CFullScreenWnd() override = default;

  // Creates the window (hidden) from the bundle's UI folder; 1, or 0.
  int CreateWnd(WindowRef parent, const std::string& bundleContents, CMainFrame* mainFrame);
  void ShowAudioIcon(bool show);
  // Open for closing unless it is showing: then the main window leaves full
  // screen instead.
  int32_t AskForClose() override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // Lets the window close with the program.
  void SetCanClose() { m_bCanClose = true; }
  // Hides the pointer (false) or shows it again, over the whole window.
  void ShowPointer(bool show);

 private:
  CMainFrame* m_pMainFrame = nullptr;
  int32_t m_nLastX = -1;
  int32_t m_nLastY = -1;
  bool m_bCanClose = false;
};
