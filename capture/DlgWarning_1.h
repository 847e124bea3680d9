#pragma once
// The capture page's reminder with a "do not show again" box: the common
// warning with a check box, except that Return can be made to answer Cancel
// where going on is the costly choice.
#include "DlgWarning.h"

class CDlgWarning_1 : public CDlgWarningWithCheck {
 public:
  CDlgWarning_1(WindowRef parent, const WCHAR* text, int32_t returnMeansCancel)
      : CDlgWarningWithCheck(parent, text, 0, 0), m_bReturnCancel(returnMeansCancel) {}

  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;

 private:
  int32_t m_bReturnCancel;
};
