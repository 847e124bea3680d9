#include "MailRun.h"

#include <glib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "DlgWarning.h"
#include "MailFiles.h"
#include "MailTexts.h"
#include "MyProgress.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kTickId = 2701;
// Some mail programs keep xdg-email waiting until they are closed: after
// this long the message is taken to be open in the mail program.
constexpr uint64_t kHandWaitMs = 15000;

std::u16string JoinedNames(const std::vector<std::u16string>& paths) {
  std::u16string names;
  for (const std::u16string& path : paths) {
    if (!names.empty()) names += u"\n";
    names += MailFileName(path);
  }
  return names;
}

}  // namespace

CMailRun::CMailRun(std::vector<std::u16string> sources, std::u16string folder, std::u16string subject)
    : m_copier(std::move(sources), folder), m_folder(std::move(folder)), m_subject(std::move(subject)) {}

CMailRun::~CMailRun() { QelRemoveTimer(this, kTickId); }

bool CMailRun::UserCancelled() const { return m_pProgress && m_pProgress->IsCancelled(); }

void CMailRun::Run(CMyProgress* progress) {
  m_pProgress = progress;
  m_copier.Start();
  if (progress) {
    progress->ShowProgress(nullptr);
    progress->SetInfo(MailText(kTextCopying, "", u"Copying the files\u2026").c_str());
    QelInstallTimer(this, kTickId, 100, 100, &CMailRun::Tick_Proc, this);
    progress->DoModal();
    QelRemoveTimer(this, kTickId);
    // The window went before the run ended: closed or cancelled.
    if (m_phase == kCopying) {
      m_copier.Cancel();
      m_copier.Wait();
      RemoveCopies();
      Finish(kCancelled);
    } else if (m_phase == kHanding) {
      Finish(m_handoff->state() == mail::Handoff::kFailed ? kHandFailed : kHanded);
    }
  } else {
    while (m_phase != kFinished) {
      Step();
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
      if (m_phase != kFinished) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  if (m_outcome == kHandFailed) {
    std::u16string text = qel_format(
        MailText(kTextHandFailed, "s", u"Your mail program could not be opened with the message: %s.").c_str(),
        QelFromUTF8(m_handoff->error()).c_str());
    vMessageBox(nullptr, text.c_str(), nullptr, kWarnOK);
  }
}

void CMailRun::Tick_Proc(void*, uint32_t id, void* data) {
  if (id == kTickId) static_cast<CMailRun*>(data)->Step();
}

void CMailRun::Step() {
  if (m_bInStep || m_phase == kFinished) return;
  m_bInStep = true;
  if (m_phase == kCopying) {
    if (UserCancelled()) {
      m_copier.Cancel();
      m_copier.Wait();
      RemoveCopies();
      Finish(kCancelled);
    } else if (m_copier.Done()) {
      m_copier.Wait();
      if (m_pProgress) m_pProgress->UpdateProgress(100);
      AfterCopying();
    } else if (m_pProgress) {
      m_pProgress->UpdateProgress(m_copier.Percent());
    }
  }
  if (m_phase == kHanding) {
    const bool over = m_handoff->state() != mail::Handoff::kRunning;
    if (over || UserCancelled() || QelNowMs() - m_nHandStart > kHandWaitMs)
      Finish(m_handoff->state() == mail::Handoff::kFailed ? kHandFailed : kHanded);
  }
  m_bInStep = false;
}

void CMailRun::AfterCopying() {
  WindowRef front = m_pProgress ? m_pProgress->GetWindowRef() : nullptr;
  const std::vector<std::u16string>& failed = m_copier.Failed();
  if (!failed.empty() && m_copier.Copies().empty()) {
    std::u16string text = qel_format(MailText(kTextAllFailed, "s", u"The files could not be copied:\n%s").c_str(),
                                     JoinedNames(failed).c_str());
    vMessageBox(front, text.c_str(), nullptr, kWarnOK);
    RemoveCopies();
    Finish(kNothingCopied);
    return;
  }
  if (!failed.empty()) {
    std::u16string text = qel_format(
        MailText(kTextSomeFailed, "s", u"These files could not be copied and are left out:\n%s\n\nSend the others?")
            .c_str(),
        JoinedNames(failed).c_str());
    if (vMessageBox(front, text.c_str(), nullptr, kWarnOKCancel) != 0) {
      RemoveCopies();
      Finish(kDeclined);
      return;
    }
  }
  if (m_copier.Copies().empty()) {
    RemoveCopies();
    Finish(kNothingCopied);
    return;
  }
  if (m_copier.TotalBytes() > kLargeMail) {
    const double megabytes = double(float(double(m_copier.TotalBytes()) / 1048576.0));
    std::u16string text = qel_format(
        MailText(kTextLarge, "fd", u"The attachments take %.1f MB, more than %d MB. Send them anyway?").c_str(),
        megabytes, int32_t(kLargeMail / 1048576));
    if (vMessageBox(front, text.c_str(), nullptr, kWarnOKCancel) != 0) {
      RemoveCopies();
      Finish(kDeclined);
      return;
    }
  }
  mail::Message message;
  message.subject = QelToUTF8(m_subject);
  message.body = "\n\n";
  for (const std::u16string& copy : m_copier.Copies()) message.attachments.push_back(QelToUTF8(copy));
  if (m_pProgress) m_pProgress->SetInfo(MailText(kTextHanding, "", u"Opening your mail program\u2026").c_str());
  m_handoff = mail::Compose(message);
  m_nHandStart = QelNowMs();
  m_phase = kHanding;
}

void CMailRun::Finish(Outcome outcome) {
  m_outcome = outcome;
  m_phase = kFinished;
  if (m_pProgress) m_pProgress->EndProgress();
}

void CMailRun::RemoveCopies() {
  std::error_code ec;
  std::filesystem::remove_all(QelToUTF8(m_folder), ec);
}
