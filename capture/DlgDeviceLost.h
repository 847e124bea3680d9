#pragma once
// Shown when the camera in use went away while other cameras are still
// there: it lists them and lets the user switch ("Yes" stores the chosen
// one as the camera to use and answers 0; "No" answers 1).
#include "CDlgBase.h"

class CDlgDeviceLost : public CDlgBase {
 public:
  CDlgDeviceLost() = default;
  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  void DidClose() override;
  void OnQelOK() override { OnYes(); }

 private:
  static int32_t OnButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  void OnYes();

  WindowRef m_hPreviousPopup = nullptr;
};
