#pragma once
// The confirm dialog: the files to attach in a preview with back and next
// and a position counter, and a subject made from their names that the user
// may change. Attach (or Return / Enter) confirms; Escape, Cancel or the
// close button give up.
#include <cstdint>
#include <memory>

#include "CQelStringW.h"
#include "EMailDlgBase.h"
#include "MailFiles.h"
#include "ShowEmailImage.h"

class CDlgEmail : public CEMailDlgBase {
 public:
  static constexpr size_t kSubjectLimit = 1024;

  CDlgEmail(const EmailFileList* files, WindowRef parent);
  ~CDlgEmail() override;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  int32_t AskForClose() override { return 1; }
  // Return / Enter: the subject as typed, then OK.
  void OnQelOK() override { AttachProc(); }

  void AttachProc();
  void butnbackward();
  void butnForward();
  const CQelStringW& GetEmailSubject() const { return m_strSubject; }
  // The names of the files joined by ", ", in string 2 when it has one "%s".
  CQelStringW GetDefaultSubject() const;

 private:
  void SetAttachNumText();
  static int32_t Attach_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Previous_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Next_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data);

  std::unique_ptr<CShowEmailImage> m_pShowImage;
  CQelStringW m_strSubject;
  const EmailFileList* m_pFiles;
};
