#pragma once
// Turns a frame-and-sound source into a movie file through the movie
// writer, on two encode threads (video and sound), while the main thread
// polls progress and may pause, resume or cancel. The last Release finishes
// the file.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "CORVUnknown.h"
#include "CQTSave.h"
#include "IORVExport.h"
#include "ORVParameters.h"

class CORVExport : public IORVExport, public CORVUnknown {
 public:
  static constexpr uint32_t kUnknownDuration = 0xEFFFFFFF;

  CORVExport();

  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override {
    return DefaultQueryInterface(iid, out);
  }
  // Creates the writer and both encode threads: 0 when running; the
  // writer's failure, or ORV_E_FAIL (no source, threads not created).
  ORVRESULT Start() override;
  ORVRESULT Pause() override;
  ORVRESULT Resume() override;
  // The threads stop at their next step; the file written so far is kept.
  ORVRESULT Cancel() override;
  // 3 and 100 once video and sound are both at their end; 4 (final) once a
  // failure stopped both threads; otherwise the stored state, and the video
  // time against the source's duration (0 … 100; 0 while it is unknown).
  ORVRESULT GetStatus(_SAVE_STATUS_& status, int32_t& percent) override;
  ORVRESULT SetSource(IORVSource* source) override;
  ORVRESULT SetParameter(tagORVParameters parameters) override;
  // Before Start: the picture encoder's threads (0: the library's choice,
  // for a save from a file; a recording keeps the default).
  void SetEncoderThreads(int32_t threads) { m_encoderThreads = threads; }

  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;

  uint32_t Duration() const { return m_duration; }
  int32_t FramesWritten() const { return m_frames; }

 protected:
  // Releasing while paused cancels; while running, the threads finish the
  // source (which its owner closes) before the file is completed.
  ~CORVExport() override;

 private:
  void EncodeVideo();
  void EncodeAudio();
  // Waits while paused; false when the thread must stop.
  bool MayRun();
  void Fail();
  void ThreadEnded(std::atomic<bool>& ended);

  IORVSource* m_source = nullptr;
  std::unique_ptr<CQTSave> m_writer;
  tagORVParameters m_settings;
  uint32_t m_duration = kUnknownDuration;
  int32_t m_encoderThreads = 4;

  std::mutex m_lock;  // status, pause and the thread ends
  std::condition_variable m_wake;
  _SAVE_STATUS_ m_status = SAVE_STATUS_IDLE;
  bool m_paused = false;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_failed{false};
  std::atomic<bool> m_videoDone{false};
  std::atomic<bool> m_audioDone{false};
  std::atomic<bool> m_videoEnded{false};
  std::atomic<bool> m_audioEnded{false};
  std::atomic<int32_t> m_videoTime{0};
  std::atomic<int32_t> m_audioTime{0};
  std::atomic<int32_t> m_frames{0};
  std::thread m_videoThread;
  std::thread m_audioThread;
};
