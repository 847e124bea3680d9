#include "DlgEmail.h"

#include "MailTexts.h"
#include "qel/QelWideText.h"

namespace {

qel::Element* Find(CQelWindow* window, const char* name) {
  return window->Root() ? window->Root()->FindByName(name, true) : nullptr;
}

}  // namespace

CDlgEmail::CDlgEmail(const EmailFileList* files, WindowRef) : CEMailDlgBase(1), m_pFiles(files) {}

CDlgEmail::~CDlgEmail() = default;

void CDlgEmail::RegisterCallBacks() {
  CEMailDlgBase::RegisterCallBacks();
  RegisterCallBack("butn_Attach", QEL_EV_CLICK, &CDlgEmail::Attach_Proc, this);
  RegisterCallBack("butn_Previous", QEL_EV_CLICK, &CDlgEmail::Previous_Proc, this);
  RegisterCallBack("butn_next", QEL_EV_CLICK, &CDlgEmail::Next_Proc, this);
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CDlgEmail::Cancel_Proc, this);
}

int32_t CDlgEmail::DidCreate() {
  int32_t r = CEMailDlgBase::DidCreate();
  if (auto* preview = qel::ImageControl::From(Find(this, "imgc_EmailPreview"))) {
    m_pShowImage = std::make_unique<CShowEmailImage>(preview);
    m_pShowImage->Initialize(m_pFiles);
  }
  SetAttachNumText();
  m_strSubject = GetDefaultSubject();
  if (qel::Element* edit = Find(this, "edit_Subject")) {
    edit->SetTextLimit(uint32_t(kSubjectLimit));
    edit->SetText(m_strSubject.c_str());
  }
  return r;
}

CQelStringW CDlgEmail::GetDefaultSubject() const {
  std::u16string names;
  if (m_pFiles) {
    for (const _EMAILFILEINFO* file : *m_pFiles) {
      if (!names.empty()) names += u", ";
      names += MailFileName(file->path.c_str());
    }
  }
  // Without a text that takes the names, the names alone.
  const std::u16string format = MailText(kTextSubject, "s", u"%s");
  return CQelStringW(qel_format(format.c_str(), names.c_str()).c_str());
}

void CDlgEmail::SetAttachNumText() {
  if (!m_pShowImage) return;
  int32_t position = 0, count = 0;
  m_pShowImage->GetCurrentPicID(&position, &count);
  if (qel::Element* counter = Find(this, "view_AttachNum")) counter->SetText(qel_format(u"%d/%d", position, count));
  if (qel::Element* back = Find(this, "butn_Previous")) back->Enable(m_pShowImage->CanBackword());
  if (qel::Element* next = Find(this, "butn_next")) next->Enable(m_pShowImage->CanForward());
}

void CDlgEmail::AttachProc() {
  if (qel::Element* edit = Find(this, "edit_Subject")) {
    std::u16string text = edit->Text();
    if (text.size() > kSubjectLimit) text.resize(kSubjectLimit);
    m_strSubject = text.c_str();
  }
  EndModal(kResultOK);
}

void CDlgEmail::butnbackward() {
  if (!m_pShowImage) return;
  m_pShowImage->StepBackward();
  SetAttachNumText();
}

void CDlgEmail::butnForward() {
  if (!m_pShowImage) return;
  m_pShowImage->StepForward();
  SetAttachNumText();
}

int32_t CDlgEmail::Attach_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgEmail*>(data)->AttachProc();
  return 0;
}

int32_t CDlgEmail::Previous_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgEmail*>(data)->butnbackward();
  return 0;
}

int32_t CDlgEmail::Next_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgEmail*>(data)->butnForward();
  return 0;
}

int32_t CDlgEmail::Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgEmail*>(data)->OnQelCancel();
  return 0;
}
