#pragma once
// The player's main window ("VideoPlayer.aui"): the playlist and the entry
// being played, the playback view, the controls and the play timer. It
// opens and plays the current entry, keeps the controls in step with the
// view, sizes the window to the movie and answers keys.
#include <cstdint>
#include <memory>
#include <string>

#include "CornerRegion.h"
#include "FileInfo.h"
#include "FullScreenWnd.h"
#include "PlayToolbar.h"
#include "PlayWnd.h"
#include "os/Power.h"
#include "qel/QelWindow.h"

namespace qel {
class Element;
}

// Strings of "PlayvaneRes.aui".
inline constexpr uint32_t kStrPlayTip = 3;
inline constexpr uint32_t kStrPauseTip = 4;
inline constexpr uint32_t kStrUnmuteTip = 10;
inline constexpr uint32_t kStrMuteTip = 11;
inline constexpr uint32_t kStrAppTitle = 14;
inline constexpr uint32_t kStrOpenError = 15;

// Timers of the window.
inline constexpr uint32_t kTimerPlay = 2005;
inline constexpr uint32_t kTimerHideToolbar = 2006;   // full screen: the pointer rested 3 s
inline constexpr uint32_t kTimerToolbarSlide = 2007;  // full screen: the toolbar slides out

class CMainFrame : public CQelMainWind {
 public:
  CMainFrame();
  ~CMainFrame() override;

  // Builds the window from the layout and places it; 0 when it cannot be built.
  int ShowMainFrame();

  // CQelWindow.
  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  void WillClose() override;
  void DidClose() override;

  // Command lines (an 'odoc' event).
  void OnConmmandLine(const WCHAR* text);
  // 0 for an empty text, else 1; `found` says whether "-AssetFilePath" was
  // there and `read` whether a new playlist was read (from the asset list,
  // or without the switch from the quoted paths of the text).
  int ProcessCommandLine(const WCHAR* text, int& found, int& start, bool* read = nullptr);
  // Rebuilds the playlist from the asset list; false (playlist and start
  // left alone) when the file cannot be read.
  bool ParseCmdLine(const std::u16string& path, int& start);
  // Rebuilds the playlist from the double-quoted paths of `text` that the
  // player plays, starting at the first; false (playlist and start left
  // alone) when none of them plays.
  bool TakePaths(const std::u16string& text, int& start);
  void ClearFileList();

  // Playing.
  void PrepareToPlay(int autoPlay);
  void DoPlay();
  void UpdateBtnState();
  void UpdateTimeInfo(uint32_t ms);
  std::u16string GetFileName() const;
  void ResizeWindowToMatchVideoSize();
  void OnPlayTimer();

  // The controls' actions; `source` 1 when the full-screen bar's twin changed.
  void PlayButtonPushed(int source);
  void MuteButtonPushed(int source);
  void LoopButtonPushed(int source);
  void VolumebarChanged(int source);
  void PlayProgressbarChanged(int32_t event, int source);
  void BackToBeginButtonPushed();
  void StopButtonPushed();
  void PreviousButtonPushed();
  void NextButtonPushed();
  void CloseWnd();

  // The system's power messages: idle sleep is refused while the play box
  // is checked; before the machine sleeps a playing movie is paused.
  plat::PowerAnswer OnPowerMessage(plat::PowerMessage message);
  int DoKIOMsgSystem(plat::PowerMessage message);

  // Full screen on the screen of the window, with the play toolbar.
  void ShowFullScreenMode();
  void ShowNormalWindowMode();
  void ShowFullScreenToolbar();
  void PlayWindowDBClicked();
  void OnMouseAction();
  void OnFullScreenHideToolbarTimer();
  void OnHideToolbarEffectTimer();
  CFullScreenWnd& FullScreenWindow() { return m_FullScreenWnd; }
  CPlayToolbar& Toolbar() { return m_PlayToolbar; }
  bool CursorShown() const { return m_bCursorShown != 0; }

  // State for callers and tests.
  const PlayList& GetPlayList() const { return m_FileList; }
  int GetCurrentIndex() const { return m_nCurrentIndex; }
  void SetCurrntIndex(int index) { m_nCurrentIndex = index; }
  const std::u16string& GetCurrentFilePath() const { return m_strCurrentFilePath; }
  CPlayWnd& PlayWnd() { return m_PlayWnd; }
  int GetRememberedVolume() const { return m_nVolume; }
  bool IsTracking() const { return m_bTracking != 0; }
  bool IsClosing() const { return m_bClosing != 0; }
  bool IsFullScreen() const { return m_bFullScreen != 0; }
  int32_t MinWidth() const { return m_nMinWidth; }
  int32_t MinHeight() const { return m_nMinHeight; }

 private:
  // Element callbacks (static trampolines forwarding to the members).
  static int32_t OnCloseProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t BackToBeginProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t FullScreenProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t PreviousProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t NextProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t StopProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t MinWindowProc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t MaxWindowProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t PlayProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t MuteProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t LoopProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t VolumeProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t PlayProgressProc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t ReturnMIProc(QelObject, int32_t, QELLPARAM, void*) { return 0; }

  int InitUI();
  qel::Element* Find(const char* name);
  void UpdatePlayTips();
  void UpdateMuteTips();
  void SetProgress(int32_t pos);
  void OnKeyDown(uint32_t key, bool& handled);
  void OnSysKeyDown(uint32_t key, QELLPARAM lp, bool& handled);
  void OnSize();
  void UpdateShape();
  void ShowOpenError(int32_t error);
  SRect32 FullScreenBounds();
  void ShowCursor(bool show);
  // The toolbar's twins take the window's controls' state.
  void SyncToolbar();
  // A change that came from the toolbar (source 1) first goes to the window's control.
  void TakeFromTwin(int source, qel::Element* mine, const char* name);
  // Holds the machine awake exactly while a movie plays.
  void UpdateAwake();

  CornerMaskTable m_szMask;
  std::vector<SRect32> m_shape;
  int m_bClosing = 0;
  int32_t m_nMinWidth = 0;
  int32_t m_nMinHeight = 0;
  int m_bNavigationReady = 0;
  CPlayWnd m_PlayWnd;
  CPlayToolbar m_PlayToolbar;
  CFullScreenWnd m_FullScreenWnd;
  int m_bCursorShown = 1;

  qel::Element* m_pMaxWindows = nullptr;
  qel::Element* m_pPlayProgress = nullptr;
  qel::Element* m_pVolume = nullptr;
  qel::Element* m_pLoop = nullptr;
  qel::Element* m_pPlay = nullptr;
  qel::Element* m_pMute = nullptr;
  qel::Element* m_pCurrentTime = nullptr;
  qel::Element* m_pTotalTime = nullptr;
  qel::Element* m_pTitle = nullptr;
  qel::Element* m_pFullScreen = nullptr;
  qel::Element* m_pBackToBegin = nullptr;
  qel::Element* m_pAudioIcon = nullptr;
  qel::Element* m_pPrevious = nullptr;
  qel::Element* m_pNext = nullptr;
  qel::Element* m_pStop = nullptr;
  qel::Element* m_pPlayArea = nullptr;

  int m_nMute = 0;
  int m_nLoop = 0;
  int m_nVolume = 50;
  int m_bTracking = 0;
  int m_nCurrentIndex = -1;
  std::u16string m_strCurrentFilePath;
  PlayList m_FileList;
  std::u16string m_strCommandLine;
  int m_bFullScreen = 0;
  SRect32 m_lastBounds{0, 0, 0, 0};
  std::unique_ptr<plat::PowerClient> m_pPower;
};
