#pragma once
// The About dialog: the program's name, picture and version; any key that
// answers a dialog, or a click anywhere on it, closes it.
#include <cstdint>

#include "qel/QelWindow.h"

class CDlgSplash : public CQelDialog {
 public:
  explicit CDlgSplash(WindowRef parent);
  ~CDlgSplash() override;

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t DidCreate() override;
  int32_t AskForClose() override { return 1; }

  WindowRef ParentWindow() const { return m_hParent; }

 private:
  static int32_t OnMouseDown(QelObject element, int32_t event, QELLPARAM param, void* data);
  WindowRef m_hParent;
};
