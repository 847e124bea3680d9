// The warning with a "do not show again" box.
#include <algorithm>
#include <cstdio>

#include "DlgLayoutHelpers.h"
#include "DlgWarning.h"
#include "WindowOnScreen.h"
#include "qel/QelCore.h"
#include "qel/QelMessage.h"

CDlgWarningWithCheck::CDlgWarningWithCheck(WindowRef, const WCHAR* text, int32_t, int32_t okOnly)
    : m_text(text ? text : u""), m_bOkOnly(okOnly) {}

CDlgWarningWithCheck::~CDlgWarningWithCheck() { DlgWarningDef::DetachRoundedFrame(this); }

void CDlgWarningWithCheck::RegisterCallBacks() {
  RegisterCallBack("butn_Continue", QEL_EV_CLICK, &CDlgWarningWithCheck::OnContinueProc_Proc, this);
  RegisterCallBack("butn_Ok", QEL_EV_CLICK, &CDlgWarningWithCheck::OnContinueProc_Proc, this);
  RegisterCallBack("chck_NotShowAgain", CQelCallbackMap::kAllEvents, &CDlgWarningWithCheck::OnNotShowAgainProc_Proc,
                   this);
}

int32_t CDlgWarningWithCheck::PreCreateWind(QelCreateStruct* cs) {
  CQelDialog::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 0;
    cs->windowDef = reinterpret_cast<void*>(&DlgWarningDef::myWindowDef);
    cs->defValue = 4;
  }
  return QEL_S_OK;
}

int32_t CDlgWarningWithCheck::DidCreate() {
  CQelDialog::DidCreate();
  DlgWarningDef::AttachRoundedFrame(this, m_corners, m_shape);
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("view_title_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  // "Cancel" only closes; it answers the dialog's cancel result.
  SetDefaultCallBackName("butn_Cancel", QEL_FRAME_CLOSE);

  qel::Element* root = Root();
  if (qel::Element* check = dlg::Find(root, "chck_NotShowAgain")) check->SetCheck(m_nCheck);
  dlg::SetText(root, "view", m_text);
  m_dRatio = dlg::DisplayRatio();
  qel::Element* minimum = dlg::Find(root, "cata_111");
  m_minContentHeight = int32_t(10 * m_dRatio + (minimum ? minimum->LaidOutSize().cy : 0));
  qel::Element* view = dlg::Find(root, "view");
  m_contentHeight = view ? view->LaidOutSize().cy : 0;
  if (m_bOkOnly) {
    dlg::Show(root, "butn_Continue", false);
    dlg::Show(root, "butn_Cancel", false);
    dlg::Show(root, "butn_Ok", true);
  }
  dlg::AlignButtonsRight(dlg::Find(root, "cata_butn"));
  Qel0SetGValue(1, 0);
  return QEL_S_OK;
}

int32_t CDlgWarningWithCheck::DoModal() {
  qel::Element* root = Root();
  if (!root || !IsCreated()) return kResultCancel;
  const SIZE size = root->FrameSize();
  root->SetFrameSize(SIZE{size.cx, 1000});
  root->LayoutNow();
  qel::Element* view = dlg::Find(root, "view");
  const int32_t textHeight = dlg::TextHeight(view);
  root->SetFrameSize(size);
  if (textHeight != 0) {
    SRect32 bounds{};
    GetWindowRect(&bounds);
    if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
      std::fprintf(stderr, "warning dialog: the window has no size; answered Cancel\n");
      return kResultCancel;
    }
    const int32_t wanted = std::max(int32_t(10 * m_dRatio + textHeight), m_minContentHeight);
    const int32_t delta = wanted - m_contentHeight - int32_t(35 * m_dRatio);
    dlg::GrowContent(root, "cata_112", delta);
    bounds.bottom += delta;
    MoveWindow(&bounds);
    root->SetFrameSize(SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top});
    DlgWarningDef::UpdateShape(this, m_shape);
  }
  return CQelDialog::DoModal();
}

intptr_t CDlgWarningWithCheck::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == QEL_WM_KEYDOWN && (wp == QEL_KEY_RETURN || wp == QEL_KEY_ENTER)) {
    handled = true;
    OnContinueProc(nullptr, 0);
    return 0;
  }
  // Escape: the dialog's own cancel.
  intptr_t r = CQelDialog::ProcessMessage(msg, wp, lp, handled);
  if (msg == QEL_WM_SIZE || msg == QEL_WM_MOVE) {
    KeepWindowOnScreen(this);
    DlgWarningDef::UpdateShape(this, m_shape);
  }
  return r;
}

int32_t CDlgWarningWithCheck::OnContinueProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data) {
  if (!data || event != QEL_EV_CLICK) return 0;
  return static_cast<CDlgWarningWithCheck*>(data)->OnContinueProc(element, param);
}

int32_t CDlgWarningWithCheck::OnNotShowAgainProc_Proc(QelObject element, int32_t, QELLPARAM param, void* data) {
  return data ? static_cast<CDlgWarningWithCheck*>(data)->OnNotShowAgainProc(element, param) : 0;
}

int32_t CDlgWarningWithCheck::OnContinueProc(QelObject, QELLPARAM) {
  EndModal(kResultOK);
  return 0;
}

int32_t CDlgWarningWithCheck::OnNotShowAgainProc(QelObject element, QELLPARAM) {
  if (qel::Element* check = qel::Element::From(element)) m_nCheck = check->Check();
  return 0;
}
