#include <glib.h>

#include "qel/QelBackend.h"
#include "qel/QelWindow.h"

int32_t CQelModalWnd::PreCreateWind(QelCreateStruct* cs) {
  if (cs) cs->windowClass = 4;  // movable modal
  return QEL_S_OK;
}

int32_t CQelModalWnd::DoModal() {
  if (!IsCreated() || InModal()) return kResultCancel;
  result_ = kResultCancel;
  end_requested_ = false;
  in_modal_ = true;
  ShowWindow(5);
  qel::CurrentBackend().ModalStarted(this);
  if (!end_requested_) {
    loop_ = g_main_loop_new(g_main_context_default(), FALSE);
    g_main_loop_run(loop_);
    g_main_loop_unref(loop_);
    loop_ = nullptr;
  }
  in_modal_ = false;
  qel::CurrentBackend().ModalEnded(this);
  if (IsCreated()) {
    WillClose();
    Destroy();
    DidClose();
  }
  return result_;
}

void CQelModalWnd::EndModal(int32_t result) {
  if (!InModal() || end_requested_) return;
  result_ = result;
  end_requested_ = true;
  if (loop_) g_main_loop_quit(loop_);
}

intptr_t CQelDialog::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  intptr_t r = CQelModalWnd::ProcessMessage(msg, wp, lp, handled);
  if (handled || msg != QEL_WM_KEYDOWN) return r;
  if (wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER) {
    handled = true;
    OnQelOK();
  } else if (wp == QEL_KEY_ESCAPE) {
    handled = true;
    OnQelCancel();
  }
  return 0;
}
