#pragma once
// The open-error dialog: a fixed title and message, OK, the close button
// and "Don't show this again", which is written to the player's
// preferences the moment it is clicked.
#include <cstdint>
#include <string>

#include "CDlgBase.h"

class CErrorMsgDlg : public CDlgBase {
 public:
  static constexpr int32_t kEndOK = 1;
  static constexpr int32_t kEndClosed = 2;
  static constexpr int32_t kNotShown = -1;

  CErrorMsgDlg();

  // Shows the dialog over `parent` (the layout from `bundleContents`'s UI
  // folder) and answers its end code: 1 OK, 2 closed, -1 not shown.
  int32_t ShowErrorMsg(const std::string& bundleContents, WindowRef parent, int32_t errorCode);
  int32_t DoModal() override;
  int32_t GetErrorCode() const { return m_nErrorCode; }

  // CQelWindow.
  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  void OnQelOK() override { EndModal(kEndOK); }
  void OnQelCancel() override { EndModal(kEndClosed); }

 private:
  int InitUI();
  static int32_t OnOK(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t OnClose(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t DontShowAgainProc(QelObject element, int32_t event, QELLPARAM, void* data);

  std::string m_strBundleContents;
  WindowRef m_hParent = nullptr;
  int32_t m_nErrorCode = 0;
};
