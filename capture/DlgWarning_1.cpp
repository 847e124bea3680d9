#include "DlgWarning_1.h"

#include "qel/QelMessage.h"

intptr_t CDlgWarning_1::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (m_bReturnCancel && msg == QEL_WM_KEYDOWN && (wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER)) {
    handled = true;
    EndModal(kResultCancel);
    return 0;
  }
  return CDlgWarningWithCheck::ProcessMessage(msg, wp, lp, handled);
}
