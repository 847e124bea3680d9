#include "DlgDeviceLost.h"

#include <vector>

#include "Capture.h"
#include "DlgLayoutHelpers.h"
#include "ORVGF.h"
#include "Profile.h"

void CDlgDeviceLost::RegisterCallBacks() {
  RegisterCallBack("butn_Yes", QEL_EV_CLICK, &CDlgDeviceLost::OnButton, this);
  RegisterCallBack("butn_No", QEL_EV_CLICK, &CDlgDeviceLost::OnButton, this);
}

int32_t CDlgDeviceLost::DidCreate() {
  CDlgBase::DidCreate();
  m_hPreviousPopup = ORVGF::vGetLastPopupWindow();
  ORVGF::vStoreLastPopupWindow(GetWindowRef());
  qel::Element* list = dlg::Find(Root(), "comb_devicelist");
  if (!list) return QEL_S_OK;
  list->Items().clear();
  list->SetSelection(-1);
  CCapture* capture = CCapture::GetInstance();
  std::vector<std::u16string> names;
  if (!capture || !capture->GetVideoDevice(names) || names.empty()) {
    list->Show(false);
    return QEL_S_OK;
  }
  for (const std::u16string& name : names) list->AddItem(name);
  list->SetSelection(0);
  list->Show(names.size() >= 2);
  dlg::AlignButtonsRight(dlg::Find(Root(), "cata_butn"));
  return QEL_S_OK;
}

void CDlgDeviceLost::DidClose() {
  ORVGF::vStoreLastPopupWindow(m_hPreviousPopup);
  CDlgBase::DidClose();
}

int32_t CDlgDeviceLost::OnButton(QelObject element, int32_t, QELLPARAM, void* data) {
  auto* self = static_cast<CDlgDeviceLost*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  if (qel::NamesEqual(e->Name(), "butn_Yes")) self->OnYes();
  else self->EndModal(kResultCancel);
  return 0;
}

void CDlgDeviceLost::OnYes() {
  qel::Element* list = dlg::Find(Root(), "comb_devicelist");
  if (list && list->Selection() >= 0) {
    const std::u16string& chosen = list->Items()[size_t(list->Selection())].text;
    if (!chosen.empty()) SaveProfileString(u"Section_Capture", u"VideoDevice", chosen.c_str());
  }
  EndModal(kResultOK);
}
