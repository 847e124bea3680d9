#include "MyProgress.h"

CMyProgress* CMyProgress::sMyProgress = nullptr;

CMyProgress::CMyProgress(WindowRef parent) : CMyDlgBase(1), m_hParent(parent) { sMyProgress = this; }

CMyProgress::~CMyProgress() {
  if (sMyProgress == this) sMyProgress = nullptr;
}

void CMyProgress::RegisterCallBacks() {
  CMyDlgBase::RegisterCallBacks();
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CMyProgress::Cancel_Proc, this);
}

int32_t CMyProgress::DidCreate() {
  int32_t r = CMyDlgBase::DidCreate();
  InitControls();
  return r;
}

void CMyProgress::InitControls() {
  qel::Element* root = Root();
  if (!root) return;
  m_pClose = root->FindByName("butn_close_mac", true);
  m_pCancel = root->FindByName("butn_Cancel", true);
  m_pInfo = root->FindByName("view_Info", true);
  m_pProgress = root->FindByName("hscl_progress", true);
  if (m_pProgress) {
    m_pProgress->SetScrollRange(0, 100);
    m_pProgress->SetScrollPage(0);
    m_pProgress->SetScrollPos(0);
  }
  EnableCancel(m_bEnableCancel != 0);
}

void CMyProgress::EnableCancel(bool on) {
  m_bEnableCancel = on ? 1 : 0;
  if (m_pCancel) m_pCancel->Enable(on);
  if (m_pClose) m_pClose->Enable(on);
}

int32_t CMyProgress::AskForClose() {
  m_bClosing = 1;
  DoCancel();
  return m_bEnableCancel;
}

void CMyProgress::ShowProgress(int32_t* flag) {
  m_bCancelled = 0;
  m_pCallerFlag = flag;
  UpdateProgress(0);
  ShowWindow(5);
}

int32_t CMyProgress::UpdateProgress(int32_t percent) {
  if (m_bClosing) return m_bClosing;
  if (m_pProgress) m_pProgress->SetScrollPos(percent);
  return 0;
}

int32_t CMyProgress::Percent() { return m_pProgress && !m_bClosing ? m_pProgress->Scroll().pos : 0; }

void CMyProgress::SetInfo(const WCHAR* text) {
  if (m_pInfo && !m_bClosing) m_pInfo->SetText(text ? text : u"");
}

void CMyProgress::EndProgress() {
  if (InModal()) EndModal(0);
}

void CMyProgress::DoCancel() {
  if (!m_bEnableCancel) return;
  m_bCancelled = 1;
  if (m_pCallerFlag) *m_pCallerFlag = 1;
}

int32_t CMyProgress::Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CMyProgress*>(data)->DoCancel();
  return 0;
}
