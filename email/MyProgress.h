#pragma once
// The progress window of an e-mail run: a bar from 0 to 100, a line saying
// what is going on, and Cancel (also Return, Enter, Escape and the close
// button). Cancel only raises a flag; the run reads it.
#include <cstdint>

#include "EMailDlgBase.h"

class CMyProgress : public CMyDlgBase {
 public:
  static CMyProgress* sMyProgress;

  explicit CMyProgress(WindowRef parent);
  ~CMyProgress() override;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  int32_t AskForClose() override;
  void OnQelOK() override { DoCancel(); }
  void OnQelCancel() override { DoCancel(); }

  // Clears the cancel flag, shows 0 % and the window; `flag`, when given,
  // is set to 1 on cancel too.
  void ShowProgress(int32_t* flag);
  // The bar's new position; once closing, nothing changes.
  int32_t UpdateProgress(int32_t percent);
  void SetInfo(const WCHAR* text);
  void EndProgress();
  void DoCancel();
  void EnableCancel(bool on);
  int32_t IsCancelled() const { return m_bCancelled; }
  int32_t Percent();

 private:
  void InitControls();
  static int32_t Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data);

  int32_t m_bEnableCancel = 1;
  int32_t* m_pCallerFlag = nullptr;
  int32_t m_bCancelled = 0;
  int32_t m_bClosing = 0;
  qel::Element* m_pProgress = nullptr;
  qel::Element* m_pCancel = nullptr;
  qel::Element* m_pClose = nullptr;
  qel::Element* m_pInfo = nullptr;
  WindowRef m_hParent;
};
