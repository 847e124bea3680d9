#include "ConvertProgress.h"

#include "qel/QelElement.h"

CConvertProgress* CConvertProgress::sConvertProgress = nullptr;

namespace {
constexpr uint32_t kKeyDown = 256;
constexpr QELWPARAM kKeyEnter = 3, kKeyReturn = 13, kKeyEscape = 27;
}  // namespace

CConvertProgress::CConvertProgress(WindowRef owner, int32_t reserved) : m_hOwner(owner), m_nReserved(reserved) {
  m_bHideClose = 0;
  sConvertProgress = this;
}

CConvertProgress::~CConvertProgress() {
  if (sConvertProgress == this) sConvertProgress = nullptr;
}

void CConvertProgress::RegisterCallBacks() {
  CDlgBase::RegisterCallBacks();
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CConvertProgress::OnCancelProc, this);
  RegisterCallBack("butn_close_mac", QEL_EV_CLICK, &CConvertProgress::OnCancelProc, this);
}

int32_t CConvertProgress::DidCreate() {
  int32_t r = CDlgBase::DidCreate();
  InitControls();
  return r;
}

void CConvertProgress::InitControls() {
  if (qel::Element* bar = Root() ? Root()->FindByName("hscl_Progress", true) : nullptr) {
    bar->SetScrollRange(0, 100);
    bar->SetScrollPage(0);
    bar->SetScrollPos(0);
  }
  if (qel::Element* cancel = Root() ? Root()->FindByName("butn_Cancel", true) : nullptr) cancel->Enable(m_bEnableCancel != 0);
}

intptr_t CConvertProgress::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == kKeyDown && (wp == kKeyEnter || wp == kKeyReturn || wp == kKeyEscape)) {
    DoCancel();
    handled = true;
    return 0;
  }
  return CDlgBase::ProcessMessage(msg, wp, lp, handled);
}

void CConvertProgress::ShowProgress(const WCHAR* info) {
  m_bCanceled = 0;
  UpdateProgress(0);
  if (info) {
    if (qel::Element* view = Root() ? Root()->FindByName("view_Info", true) : nullptr) {
      view->SetText(info);
      view->SetTips(info);
    }
  }
  ShowWindow(5);
}

void CConvertProgress::UpdateProgress(int32_t percent) {
  if (qel::Element* bar = Root() ? Root()->FindByName("hscl_Progress", true) : nullptr) bar->SetScrollPos(percent);
}

int32_t CConvertProgress::Percent() const {
  qel::Element* root = const_cast<CConvertProgress*>(this)->Root();
  qel::Element* bar = root ? root->FindByName("hscl_Progress", true) : nullptr;
  return bar ? bar->Scroll().pos : 0;
}

void CConvertProgress::HideProgress() { ShowWindow(0); }

void CConvertProgress::EndProgress() {
  if (InModal()) EndModal(0);
  else Close();
}

void CConvertProgress::DoCancel() {
  if (m_bEnableCancel) m_bCanceled = 1;
}

int32_t CConvertProgress::OnCancelProc(QelObject, int32_t, QELLPARAM, void* data) {
  if (auto* self = static_cast<CConvertProgress*>(data)) self->DoCancel();
  return 0;
}
