#pragma once
// One run of the control's command 13 (printing, or the pages written as
// pictures) with the dialog's progress bar and status line. The control
// runs the job to its end inside the command and reports through
// notifications 2123 to 2126; while it reports progress the dialog's events
// are let through, so that Cancel can raise the job's cancel flag.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PrintRequest.h"
#include "qel/QelElement.h"

class CPrintProgress {
 public:
  using CommandFn = std::function<intptr_t(uint32_t, intptr_t, const void*)>;
  enum Outcome : int32_t { kNotRun, kDone, kCancelled, kFailed };

  // Elements under `root`: "hscl_Progress", "view_Status"; `busy` are
  // disabled while a job runs.
  CPrintProgress(qel::Element* root, CommandFn command, std::vector<qel::Element*> busy);

  // Runs the request; the outcome as the control reported it.
  Outcome Run(const tagDOPRINTINFO& request);
  bool Running() const { return m_bRunning; }
  // Stops the running job (Cancel, Escape, the close button).
  void Cancel();
  // A notification of the control; true when it was one of the job's.
  bool OnNotify(int32_t code, intptr_t value);
  // Files the cells that could not be printed came from.
  const std::vector<std::u16string>& Skipped() const { return m_skipped; }
  // Still images: the file that exists and was left alone (nothing was
  // written), or the file that could not be written; empty when none.
  const std::u16string& Existing() const { return m_existing; }
  const std::u16string& Unwritten() const { return m_unwritten; }
  // The print system refused the finished job.
  bool Refused() const { return m_bRefused; }
  void SetStatus(const std::u16string& text);

 private:
  void Show(int32_t percent);

  CommandFn m_command;
  qel::Element* m_pBar = nullptr;
  qel::Element* m_pStatus = nullptr;
  std::vector<qel::Element*> m_busy;
  int32_t* m_pCancelFlag = nullptr;
  int32_t m_nKind = 0;
  bool m_bRunning = false;
  bool m_bStarted = false;
  bool m_bFinished = false;
  bool m_bCancelAsked = false;
  bool m_bRefused = false;
  std::vector<std::u16string> m_skipped;
  std::u16string m_existing, m_unwritten;
};
