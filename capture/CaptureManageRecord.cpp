// Recording: the frame clock queues the preview picture into the capture
// source as often as the movie's frame rate asks, the sound blocks follow
// as they arrive, and the exporter's threads write both.
#include <glib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "CORVExport.h"
#include "CaptureManage.h"
#include "CaptureSource.h"
#include "MovCodecTable.h"
#include "ORVImageTools.h"
#include "media/Movie.h"
#include "media/SoundCapture.h"
#include "os/Offscreen.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kSowt = 0x736F7774;  // 'sowt'

tWAVEFORMATEX PcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
  tWAVEFORMATEX f;
  f.wFormatTag = 1;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = uint16_t((uint32_t(channels) * bits) >> 3);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  f.wBitsPerSample = bits;
  f.cbSize = 0;
  return f;
}

}  // namespace

uint64_t CCaptureManage::FramesDue(bool bySound, uint64_t soundBytes, uint64_t bytesPerSecond, uint64_t elapsedUs,
                                   uint32_t frameRate) {
  if (bySound && soundBytes != 0 && bytesPerSecond != 0) return soundBytes * frameRate / bytesPerSecond + 1;
  return elapsedUs * frameRate / 1000000u + 1;
}

int32_t CCaptureManage::StartRecord(const std::u16string& path) {
  if (!m_bFrameSeen || !m_pVideo || !m_preview || m_bRecording || path.empty()) return -1;
  ReleaseRecorder();
  m_pSource = new CCaptureSource();
  m_pSource->AddRef();
  m_pSource->SetBeUseBuffer(1, 5);
  // Sound only when the microphone has already delivered in this preview.
  m_bRecordSound = (m_channels & kSound) && m_pSound && m_bSoundSeen;
  m_pSource->SetBeAudio(m_bRecordSound ? 1 : 0);

  m_soundRate = 0, m_soundChannels = 0, m_soundBits = 16;
  if (m_pSound) {
    const media::SoundFormat f = m_pSound->Format();
    m_soundRate = f.sampleRate;
    m_soundChannels = f.channels;
    m_soundBits = f.bitsPerSample;
  }
  tagORVParameters p;
  // The size frames really arrive at is the movie's size.
  p.width = uint32_t(m_preview->width);
  p.height = uint32_t(m_preview->height);
  GetMovVideoCodecName(m_codec, p.videoCompressor);
  GetMovAudioCodecName(kSowt, p.audioCompressor);
  p.frameRate = double(m_frameRate);
  p.quality = uint32_t(m_quality);
  p.reserved = int32_t(m_soundRate);
  p.soundFormat = PcmFormat(m_soundRate, m_soundChannels, m_soundBits);
  const size_t units = std::min<size_t>(path.size(), 1023);
  std::copy(path.begin(), path.begin() + ptrdiff_t(units), p.outputPath);
  p.outputPath[units] = 0;
  std::printf("===================================\n");
  std::printf("Video FPS = %d\n", int(m_frameRate));
  std::printf("Audio nChannels = %d\n", int(m_soundChannels));
  std::printf("Audio sampleRate = %d\n", int(m_soundRate));

  m_pExporter = new CORVExport();
  m_pExporter->AddRef();
  m_pExporter->SetSource(m_pSource);
  m_pExporter->SetParameter(p);
  if (m_pExporter->Start() != 0) {
    std::printf("Start Record Error!\n");
    std::fflush(stdout);
    ReleaseRecorder();
    return -1;
  }
  m_bRecording = true;
  m_writeFailed = false;
  m_recordPath = path;
  m_framesDelivered = 0;
  m_soundBytes = 0;
  m_backlogRepeats = 0;
  m_recordStartUs = g_get_monotonic_time();
  plat::DisposeOffscreen(m_spare);
  m_spare = plat::NewOffscreen(m_preview->width, m_preview->height, plat::kOffscreenARGB32);
  QelInstallTimer(this, kFrameClockTimer, 10, 10, &CCaptureManage::TimerProc, this);
  std::fflush(stdout);
  return 0;
}

bool CCaptureManage::RecordWriteFailed() {
  if (m_bRecording && m_pExporter && !m_writeFailed) {
    _SAVE_STATUS_ status = SAVE_STATUS_IDLE;
    int32_t percent = 0;
    m_pExporter->GetStatus(status, percent);
    m_writeFailed = status == SAVE_STATUS_FAILED;
  }
  return m_writeFailed;
}

void CCaptureManage::OnFrameClock() {
  if (!m_bRecording || !m_pSource || !m_preview) return;
  // Frames for a writer that gave up would only pile up.
  if (RecordWriteFailed()) return;
  const uint64_t bytesPerSecond = uint64_t(m_soundRate) * ((uint32_t(m_soundChannels) * m_soundBits) >> 3);
  const uint64_t elapsed = uint64_t(std::max<int64_t>(0, g_get_monotonic_time() - m_recordStartUs));
  const uint64_t due = FramesDue(m_bRecordSound, m_soundBytes, bytesPerSecond, elapsed, uint32_t(m_frameRate));
  if (m_framesDelivered >= due) return;
  m_pSource->SetVideoDate(m_preview, 0, int64_t(due - m_framesDelivered));
  m_framesDelivered = due;
  if (m_spare) ORVGF::MyCopyGWorld(m_preview, m_spare);
}

void CCaptureManage::QueueSound(const uint8_t* data, size_t bytes) {
  if (!m_bRecording || !m_bRecordSound || !m_pSource || bytes == 0) return;
  m_pSource->SetAudioData(PcmFormat(m_soundRate, m_soundChannels, m_soundBits), uint32_t(bytes), data);
  m_soundBytes += bytes;
}

int32_t CCaptureManage::StopRecord() {
  if (!m_pVideo || !m_bRecording) return -1;
  RecordWriteFailed();
  m_bRecording = false;
  QelRemoveTimer(this, kFrameClockTimer);
  const uint32_t blockAlign = (uint32_t(m_soundChannels) * m_soundBits) >> 3;
  const uint64_t bytesPerSecond = uint64_t(m_soundRate) * blockAlign;
  if (m_bRecordSound && m_pSource && bytesPerSecond != 0 && m_frameRate > 0) {
    uint64_t videoMs = m_framesDelivered * 1000u / uint32_t(m_frameRate);
    const uint64_t soundMs = m_soundBytes * 1000u / bytesPerSecond;
    std::printf("Video Total Time (%f s)\n", double(videoMs) / 1000.0);
    std::printf("Audio Total Time (%f s)\n", double(m_soundBytes) / double(bytesPerSecond));
    if (videoMs < soundMs && m_spare) {
      // The sound ran longer: the last frame covers the rest.
      const uint64_t needed = soundMs * uint32_t(m_frameRate) / 1000u + 1;
      std::printf("Need Video Frames at Last : %d\n", int(needed - m_framesDelivered));
      m_pSource->SetVideoDate(m_spare, 0, int64_t(needed - m_framesDelivered));
      m_framesDelivered = needed;
      videoMs = m_framesDelivered * 1000u / uint32_t(m_frameRate);
    }
    if (videoMs > soundMs && soundMs >= 2) {
      // The pictures ran longer: silence, in whole sample frames.
      uint64_t pad = videoMs * bytesPerSecond / 1000u;
      pad = pad > m_soundBytes ? pad - m_soundBytes : 0;
      pad -= pad % std::max<uint32_t>(1, blockAlign);
      if (pad > 0 && pad <= UINT32_MAX) {
        std::vector<unsigned char> silence(size_t(pad), 0);
        m_pSource->SetAudioData(PcmFormat(m_soundRate, m_soundChannels, m_soundBits), uint32_t(pad),
                                silence.data());
        std::printf("Need Audio Time at Last: %d ms\n", int(pad * 1000u / bytesPerSecond));
      }
    }
  }
  plat::DisposeOffscreen(m_spare);
  m_spare = nullptr;
  const uint64_t frames = m_framesDelivered;
  if (m_pSource) m_backlogRepeats = m_pSource->BacklogRepeats();
  ReleaseRecorder();
  std::fflush(stdout);
  if (frames == 0) return -1;
  // The last release wrote the movie's index: a write that failed then, or
  // earlier, leaves a file that cannot be played, which is not kept.
  media::Movie movie;
  if (movie.Open(QelToUTF8(m_recordPath)) != 0 || !movie.HasVideo() || movie.Duration() <= 0) {
    m_writeFailed = true;
    return -1;
  }
  return 0;
}

void CCaptureManage::ReleaseRecorder() {
  // The source is closed first: the exporter's threads finish what is
  // queued and the last release completes the file.
  if (m_pSource) m_pSource->Close();
  if (m_pExporter) {
    m_pExporter->Release();
    m_pExporter = nullptr;
  }
  if (m_pSource) {
    m_pSource->Release();
    m_pSource = nullptr;
  }
}
