#pragma once
// One e-mail run after the user has confirmed the files: the copies are
// made on a thread while the progress window shows how far it got, the
// user is told of files that could not be copied and asked before a large
// message, and the copies go to the desktop's mail program. Cancel before
// the hand-off sends nothing and removes the copies.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AttachmentCopier.h"
#include "mail/Composer.h"
#include "qel/QelTypes.h"

class CMyProgress;

class CMailRun {
 public:
  // Above this many bytes the user is asked first (exactly this is fine).
  static constexpr uint64_t kLargeMail = 0x200000;

  CMailRun(std::vector<std::u16string> sources, std::u16string folder, std::u16string subject);
  ~CMailRun();

  // Runs it to the end behind `progress` (already created), or without a
  // window when it is null.
  void Run(CMyProgress* progress);

  enum Outcome { kCancelled, kDeclined, kNothingCopied, kHanded, kHandFailed };
  Outcome outcome() const { return m_outcome; }
  const std::vector<std::u16string>& Copies() const { return m_copier.Copies(); }

 private:
  enum Phase { kCopying, kHanding, kFinished };
  // One step of the run; the timer calls it every 100 ms.
  void Step();
  void AfterCopying();
  void Finish(Outcome outcome);
  void RemoveCopies();
  bool UserCancelled() const;
  static void Tick_Proc(void* owner, uint32_t id, void* data);

  CAttachmentCopier m_copier;
  std::u16string m_folder;
  std::u16string m_subject;
  CMyProgress* m_pProgress = nullptr;
  Phase m_phase = kCopying;
  Outcome m_outcome = kCancelled;
  bool m_bInStep = false;
  std::shared_ptr<mail::Handoff> m_handoff;
  uint64_t m_nHandStart = 0;
};
