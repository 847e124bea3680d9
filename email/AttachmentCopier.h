#pragma once
// Copies the files of one e-mail run into its folder on a thread of its
// own, so that a large movie does not hold up the progress window. Copy i
// is named "Attachment<i><extension of the source>". Cancel stops it within
// one block; a copy cut short is removed.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class CAttachmentCopier {
 public:
  CAttachmentCopier(std::vector<std::u16string> sources, std::u16string folder);
  ~CAttachmentCopier();  // cancels and waits

  void Start();
  void Cancel() { m_bCancel.store(true); }
  bool Done() const { return m_bDone.load(); }
  void Wait();
  // How far it got, 0..100: whole files and the part of the current one.
  int32_t Percent() const { return m_nPercent.load(); }

  // Once done: the copies made, in order; the sources that could not be
  // copied; the bytes copied.
  const std::vector<std::u16string>& Copies() const { return m_copies; }
  const std::vector<std::u16string>& Failed() const { return m_failed; }
  uint64_t TotalBytes() const { return m_nTotal; }
  bool Cancelled() const { return m_bCancel.load(); }

 private:
  void Run();
  // Copies one file; false when it failed or was cancelled (no target left).
  bool CopyOne(size_t index, const std::string& source, const std::string& target, uint64_t* bytes);

  const std::vector<std::u16string> m_sources;
  const std::u16string m_folder;
  std::vector<std::u16string> m_copies;
  std::vector<std::u16string> m_failed;
  uint64_t m_nTotal = 0;
  std::atomic<bool> m_bCancel{false};
  std::atomic<bool> m_bDone{false};
  std::atomic<int32_t> m_nPercent{0};
  std::thread m_thread;
};
