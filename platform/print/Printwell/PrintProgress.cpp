#include "PrintProgress.h"

#include <glib.h>

#include "PrintTexts.h"
#include "qel/QelWideText.h"

namespace {

// The record of the control's error notification: a code and its text.
struct MessageInfo {
  int32_t code;
  const WCHAR* text;
};
constexpr int32_t kError = 2123, kStarted = 2124, kPercent = 2125, kFinished = 2126;
constexpr int32_t kCellNotPrinted[] = {PRTC_ERR_CELL_LAYER, PRTC_ERR_CELL_PICTURE};

}  // namespace

CPrintProgress::CPrintProgress(qel::Element* root, CommandFn command, std::vector<qel::Element*> busy)
    : m_command(std::move(command)), m_busy(std::move(busy)) {
  if (!root) return;
  m_pBar = root->FindByName("hscl_Progress", true);
  m_pStatus = root->FindByName("view_Status", true);
  if (m_pBar) {
    m_pBar->SetScrollRange(0, 100);
    m_pBar->SetScrollPos(0);
    m_pBar->Show(false);
  }
}

CPrintProgress::Outcome CPrintProgress::Run(const tagDOPRINTINFO& request) {
  if (m_bRunning) return kNotRun;
  m_bRunning = true;
  m_bStarted = m_bFinished = m_bCancelAsked = false;
  m_nKind = request.kind;
  m_skipped.clear();
  m_existing.clear();
  m_unwritten.clear();
  m_bRefused = false;
  m_pCancelFlag = nullptr;
  std::vector<bool> enabled;
  for (qel::Element* e : m_busy) {
    enabled.push_back(e->Enabled());
    e->Enable(false);
  }
  Show(0);
  // The control hands out its cancel flag's address before the job starts.
  m_command(13, reinterpret_cast<intptr_t>(&request), &m_pCancelFlag);
  m_pCancelFlag = nullptr;
  for (size_t i = 0; i < m_busy.size(); ++i) m_busy[i]->Enable(enabled[i]);
  if (m_pBar) m_pBar->Show(false);
  m_bRunning = false;
  // Only a job that ran to its end says so.
  if (m_bFinished && !m_bCancelAsked) return kDone;
  if (m_bCancelAsked) return kCancelled;
  return m_bStarted || m_bRefused || !m_unwritten.empty() ? kFailed : kNotRun;
}

void CPrintProgress::Cancel() {
  if (!m_bRunning) return;
  m_bCancelAsked = true;
  if (m_pCancelFlag) *m_pCancelFlag = 1;
  SetStatus(PrintText(kTextCancelling, "", u"Cancelling\u2026"));
}

bool CPrintProgress::OnNotify(int32_t code, intptr_t value) {
  if (!m_bRunning) return false;
  switch (code) {
    case kStarted:
      m_bStarted = true;
      Show(0);
      break;
    case kPercent:
      Show(int32_t(value));
      break;
    case kFinished:
      m_bFinished = true;
      break;
    case kError: {
      const auto* info = reinterpret_cast<const MessageInfo*>(value);
      if (!info) break;
      for (int32_t c : kCellNotPrinted)
        if (info->code == c && info->text) m_skipped.emplace_back(info->text);
      if (info->code == PRTC_ERR_JOB_REFUSED) m_bRefused = true;
      if (info->code == PRTC_ERR_FILE_EXISTS && info->text) m_existing = info->text;
      if (info->code == PRTC_ERR_FILE_NOT_SAVED && info->text) m_unwritten = info->text;
      break;
    }
    default:
      return false;
  }
  return true;
}

void CPrintProgress::Show(int32_t percent) {
  if (m_bCancelAsked) return;
  if (m_pBar) {
    m_pBar->Show(true);
    m_pBar->SetScrollPos(percent);
  }
  SetStatus(m_nKind == 1 ? qel_format(PrintText(kTextSaving, "d", u"Saving pictures\u2026 %d%%").c_str(), percent)
                         : qel_format(PrintText(kTextPrinting, "d", u"Printing\u2026 %d%%").c_str(), percent));
  // The job runs inside the control's command: the window is drawn and its
  // clicks taken here. Everything but Cancel is disabled meanwhile.
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

void CPrintProgress::SetStatus(const std::u16string& text) {
  if (m_pStatus) m_pStatus->SetText(text);
}
