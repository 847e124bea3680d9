#pragma once
// Full-screen preview: a window over the whole screen showing the live
// picture (fitted or filling the screen, a double click switches), with two
// floating bars: a close bar and a toolbar with the photo, burst and record
// buttons, which report to the capture panel (listener code 1525). One
// full-screen window at a time; the panel runs it modally.
#include <memory>

#include "CDlgBase.h"
#include "ICaptureListener.h"

class CCaptureWindow;

class CFullScreenBar : public CDlgBase {
 public:
  CFullScreenBar(ICaptureListener* listener, WindowRef parent);
  ~CFullScreenBar() override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  void WillClose() override;
  // Photo enabled when neither a burst nor a recording runs; burst and
  // record as allowed and running.
  void UpdateUI(int32_t bursting, int32_t recording, int32_t burstAllowed, int32_t recordAllowed);
  SIZE GetSize();
  void SetPosition(POINT point);

 private:
  static int32_t OnButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  ICaptureListener* m_pListener;
  WindowRef m_hParent;
};

class CFullScreenWnd : public CDlgBase {
 public:
  static constexpr uint32_t kMsgNextMode = 3029;

  // Destroys a previous full-screen window first.
  CFullScreenWnd(ICaptureListener* listener, WindowRef parent);
  ~CFullScreenWnd() override;
  static CFullScreenWnd* GetWndPtr();

  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  void DidClose() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  void UpdateUI(int32_t bursting, int32_t recording, int32_t burstAllowed, int32_t recordAllowed);

  // 1 fits the picture in the screen, 2 fills it; 0 counts as 1.
  void SetPreviewModule(int32_t mode);
  int32_t PreviewMode() const { return m_nMode; }
  // The preview rectangle for a mode (left, top, right, bottom).
  static SRect32 PreviewRect(int32_t mode, SIZE screen, SIZE video);
  CCaptureWindow* Preview() const { return m_pPreview.get(); }
  CFullScreenBar* Toolbar() const { return m_pToolbar.get(); }

 private:
  ICaptureListener* m_pListener;
  WindowRef m_hPrevious;
  std::unique_ptr<CCaptureWindow> m_pPreview;
  std::unique_ptr<CFullScreenBar> m_pClose;
  std::unique_ptr<CFullScreenBar> m_pToolbar;
  int32_t m_nMode = 1;
};
