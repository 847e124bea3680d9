#pragma once
// The small modal window shown while a movie is saved: a bar from 0 to 100,
// the target's path and Cancel (also Return, Enter and Escape). Cancel only
// raises a flag that the save's timer reads at its next poll; the modal loop
// keeps the dialog responsive and the other windows out of reach.
#include <cstdint>

#include "CDlgBase.h"

class CConvertProgress : public CDlgBase {
 public:
  // The most recently made dialog of the module; null when none is alive.
  static CConvertProgress* sConvertProgress;

  CConvertProgress(WindowRef owner, int32_t reserved);
  ~CConvertProgress() override;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  int32_t AskForClose() override { return 1; }
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;

  // Clears the cancel flag, shows 0 % and, with `info`, the text; shows the window.
  void ShowProgress(const WCHAR* info);
  void UpdateProgress(int32_t percent);
  void HideProgress();
  void EndProgress();
  int32_t IsCanceled() const { return m_bCanceled; }
  void DoCancel();
  int32_t Percent() const;

 private:
  void InitControls();
  static int32_t OnCancelProc(QelObject element, int32_t event, QELLPARAM param, void* data);

  int32_t m_bEnableCancel = 1;
  int32_t m_bCanceled = 0;
  WindowRef m_hOwner = nullptr;
  int32_t m_nReserved = 0;
};
