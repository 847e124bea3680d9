#include "ErrorMsgDlg.h"

#include "GlobalFun.h"
#include "MainFrame.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"

namespace {

constexpr uint32_t kMsgCommand = 273;
constexpr QELWPARAM kCommandCancel = 2;

CErrorMsgDlg* Self(void* data) { return static_cast<CErrorMsgDlg*>(static_cast<CQelWindow*>(data)); }

}  // namespace

// The close button ends the dialog with its own code.
CErrorMsgDlg::CErrorMsgDlg() { m_bHideClose = 0; }

int32_t CErrorMsgDlg::ShowErrorMsg(const std::string& bundleContents, WindowRef parent, int32_t errorCode) {
  m_strBundleContents = bundleContents;
  m_hParent = parent;
  m_nErrorCode = errorCode;
  return DoModal();
}

int32_t CErrorMsgDlg::DoModal() {
  if (!InitUI()) return kNotShown;
  return CDlgBase::DoModal();
}

int CErrorMsgDlg::InitUI() {
  const std::string layout = m_strBundleContents + "/UI/OpenMediaFileErrorMsg.aui";
  if (!Create(layout.c_str(), nullptr, m_hParent) || !Root()) return 0;
  if (qel::Element* title = qel::Element::From(GetElementByName("view_title_mac", 1))) {
    title->SetText(CGlobalFun::LoadString(kStrAppTitle, u"Dunsellow Playvane"));
    SetTitle(title->Text().c_str());
  }
  if (qel::Element* text = qel::Element::From(GetElementByName("view_ErrorMsg", 1)))
    text->SetText(CGlobalFun::LoadString(kStrOpenError, u"The file cannot be played."));
  RepositionWindow(1);
  return 1;
}

void CErrorMsgDlg::RegisterCallBacks() {
  CDlgBase::RegisterCallBacks();
  RegisterCallBack("butn_OK", QEL_EV_CLICK, &OnOK);
  RegisterCallBack("butn_close_mac", QEL_EV_CLICK, &OnClose);
  RegisterCallBack("chck_DontShowAgain", CQelCallbackMap::kAllEvents, &DontShowAgainProc);
}

int32_t CErrorMsgDlg::OnOK(QelObject, int32_t, QELLPARAM, void* data) {
  if (CErrorMsgDlg* self = Self(data)) self->EndModal(kEndOK);
  return 0;
}

int32_t CErrorMsgDlg::OnClose(QelObject, int32_t, QELLPARAM, void* data) {
  if (CErrorMsgDlg* self = Self(data)) self->EndModal(kEndClosed);
  return 0;
}

int32_t CErrorMsgDlg::DontShowAgainProc(QelObject element, int32_t event, QELLPARAM, void* data) {
  qel::Element* box = qel::Element::From(element);
  if (!Self(data) || !box || event != QEL_EV_CLICK) return 0;
  CGlobalFun::SaveProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, box->Check() ? 0 : 1);
  return 0;
}

intptr_t CErrorMsgDlg::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if ((msg == kMsgCommand || msg == QEL_WM_CLOSE) && wp == kCommandCancel) {
    EndModal(kEndClosed);
    handled = true;
    return 0;
  }
  return CDlgBase::ProcessMessage(msg, wp, lp, handled);
}
