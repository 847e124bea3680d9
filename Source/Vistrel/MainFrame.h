#pragma once
// The viewer's main window: the layout "Vistrel.aui" with its title bar,
// the picture and the buttons; placed from the user's saved position or
// centred on the screen, kept on screen when moved, shaped by the corner
// masks; it owns the full-screen window and its toolbar.
#include <string>

#include "BaseWnd.h"
#include "CornerRegion.h"
#include "FullScreenToolbar.h"
#include "FullScreenWnd.h"
#include "qel/QelWindow.h"

// Strings of "VistrelRes.aui".
inline constexpr uint32_t kStrResolution = 11;  // "%d x %d"
inline constexpr uint32_t kStrAppTitle = 66;

class CMainFrame : public CBaseWnd, public CQelMainWind {
 public:
  CMainFrame();
  ~CMainFrame() override;

  using CQelWindow::Create;
  // Builds, places and shows the window (layout from the bundle's UI folder).
  int Create(WindowRef parent);
  int Init();
  int GetInitState() const { return m_bInitState; }

  // CQelWindow.
  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  int32_t AskForClose() override;
  void DidClose() override;

  // CBaseWnd.
  void UpdateBtnState() override;
  void ShowThumbSize(SIZE size, int bValid) override;
  int AdjustImageView(PubQelmar::QelPanel* area, PubQelmar::QelPanel* shadow,
                      PubImage::QelImgControl* imageControl) override;

  // A command line that reached the viewer.
  void OnConmmandLine(const WCHAR* text);
  void ShowFullScreen();
  void HideFullscreen();
  // The same without the reading check, leaving the main window hidden (the
  // viewer is closing).
  void HideFullscreen1();
  bool IsInFullScreenMode() const { return m_bInFullScreenMode; }
  CFullScreenWnd& FullScreenWindow() { return m_FullScreenWnd; }
  CFullScreenToolbar& FullScreenToolbar() { return m_FullScreenToolbar; }

  static void GetFitInSize(const long& fw, const long& fh, const long& w, const long& h, long& ow, long& oh);
  void GetWindowCornerMask(CornerMaskTable& masks);
  void MemorizeWindowPosition() {}

  // Title-bar buttons.
  int MinimizeProc();
  int MaxmizeProc();
  int CloseProc();

  static int32_t ImgView_Change(QelObject control, int32_t code, QELLPARAM param, void* data);

 private:
  static int32_t MinimizeProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t CloseProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t ZoomInProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t ZoomOutProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t NextProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t PreviousProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t RotateLeftProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t RotateRightProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t ActualSizeProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t BestFitProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t MaxmizeProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t FullScreenProc_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t ImagePreviewAreaProc_Proc(QelObject, int32_t, QELLPARAM, void*) { return 0; }
  static int32_t ButnReturnMI_Proc(QelObject, int32_t, QELLPARAM, void*) { return 0; }

  void OnKeyDownMessage(uint32_t key, intptr_t lParam);
  void OnSize();
  void PlaceBottomControls();
  void UpdateShape();
  PubQelmar::QelElement* Find(const char* name);

  PubQelmar::QelElement* m_ZoomInBtn = nullptr;
  PubQelmar::QelElement* m_ZoomOutBtn = nullptr;
  PubQelmar::QelElement* m_ActualBtn = nullptr;
  PubQelmar::QelElement* m_BestFitBtn = nullptr;
  PubQelmar::QelElement* m_PreviousBtn = nullptr;
  PubQelmar::QelElement* m_NextBtn = nullptr;
  PubQelmar::QelElement* m_RotateLBtn = nullptr;
  PubQelmar::QelElement* m_RotateRBtn = nullptr;
  PubQelmar::QelElement* m_MaximizeBtn = nullptr;
  PubQelmar::QelElement* m_FullScreenBtn = nullptr;
  PubQelmar::QelElement* m_TitleTextView = nullptr;
  PubQelmar::QelElement* m_ResolutionView = nullptr;
  PubQelmar::QelElement* m_ResizeBtn = nullptr;
  PubQelmar::QelElement* m_TitleBarView = nullptr;
  PubQelmar::QelElement* m_CloseBtn = nullptr;
  PubQelmar::QelElement* m_MinBtn = nullptr;
  PubQelmar::QelElement* m_ExifBtn = nullptr;

  int m_bInitState = 1;
  bool m_bInFullScreenMode = false;
  int32_t m_MinWidth = 0;
  int32_t m_MinHeight = 0;
  std::string m_strBundleContents;
  CornerMaskTable m_szMask;
  std::vector<SRect32> m_shape;
  SRect32 m_windowRect{0, 0, 0, 0};
  CFullScreenWnd m_FullScreenWnd;
  CFullScreenToolbar m_FullScreenToolbar;

 public:
  static int m_bInitCompleted;
};
