#pragma once
// The commands of full screen: zoom in and out (with auto-repeat), actual
// size, best fit, previous and next, quarter turns, back to the window, and
// close. Its layout "fullscreenTB.aui" is placed inside the full-screen
// window, in the bottom-right corner 20 pixels in from the edges, drawn
// semi-transparent; so it stays above the picture on every desktop.
#include <functional>
#include <string>

#include "PubQelmar.h"
#include "qel/QelWindow.h"

class CFullScreenWnd;

class CFullScreenToolbar : public CQelCallbackMap {
 public:
  CFullScreenToolbar() = default;
  ~CFullScreenToolbar() override;

  // Loads the layout into the full-screen window; false when it cannot.
  bool Create(CFullScreenWnd* pFullScreenWnd, const std::string& bundleContents);
  // 0 hide, 5 show.
  void ShowWindow(int cmd);
  bool IsWindowVisible();
  bool IsWindowEnabled();
  WindowRef GetSafeHwnd();
  void SetCanClose() { m_bCanClose = true; }
  void SetToolbarSemitransparent(int) {}
  void UpdateBtnState();
  // Hides the main window, the full-screen window and the toolbar.
  void PrepareToClose();
  // Leaves full screen (without the main window when the close button
  // started it); answers whether the toolbar may close.
  bool AskForClose();
  // Places the toolbar in the bottom-right corner of a screen of this size.
  void PlaceIn(SIZE screen);
  PubQelmar::QelPanel* Panel() { return m_pPanel; }

 protected:
  void* DefaultCallbackData() override { return this; }

 private:
  static int32_t ZoomInProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t ZoomOutProc_Proc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t ActualSizeProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t BestFitProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t PreviousProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t NextProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t RotateLeftProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t RotateRightProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t CloseProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  static int32_t BacktoEditorProc_Proc(QelObject, int32_t event, QELLPARAM, void* data);
  // "cata_drag": the bar moves with the pointer held on its handle.
  static int32_t DragProc_Proc(QelObject, int32_t event, QELLPARAM param, void* data);
  void ZoomProc(QelObject element, int32_t event, bool zoomIn);
  void CloseProc();

  bool m_bClickClose = false;
  bool m_bCanClose = false;
  PubQelmar::QelElement* m_pZoomInBtn = nullptr;
  PubQelmar::QelElement* m_pZoomOutBtn = nullptr;
  PubQelmar::QelElement* m_pActualBtn = nullptr;
  PubQelmar::QelElement* m_pBestFitBtn = nullptr;
  PubQelmar::QelElement* m_pPreviousBtn = nullptr;
  PubQelmar::QelElement* m_pNextBtn = nullptr;
  PubQelmar::QelElement* m_pRotateLBtn = nullptr;
  PubQelmar::QelElement* m_pRotateRBtn = nullptr;
  PubQelmar::QelElement* m_pCloseBtn = nullptr;
  PubQelmar::QelElement* m_pBackToEditBtn = nullptr;
  PubQelmar::QelPanel* m_pPanel = nullptr;
  CFullScreenWnd* m_pFullScreenWnd = nullptr;
  bool m_dragging = false;
  POINT m_dragFrom{0, 0};
  SRect32 m_dragMargin{0, 0, 0, 0};
};

// The zoom buttons' press-and-hold: event 2 (press) starts the repeat, each
// tick (16) zooms once and goes on only while the pointer still holds the
// button; a click (1000, 1008) zooms once through one tick. Repeat times are
// in ticks of 1/60 s.
void ZoomButtonEvent(QelObject element, int32_t event, const std::function<void()>& zoom);
