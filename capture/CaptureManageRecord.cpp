// Recording: each picture goes into the capture source for the frame slots
// from its own moment to the next picture's, the sound blocks follow as
// they arrive, and the exporter's threads write both.
#include <algorithm>
#include <vector>

#include "CORVExport.h"
#include "CaptureManage.h"
#include "CaptureSource.h"
#include "MovCodecTable.h"
#include "ORVTrace.h"
#include "media/Frame.h"
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

uint64_t CCaptureManage::FrameSlotAt(int64_t sinceStartUs, uint32_t frameRate) {
  if (sinceStartUs <= 0) return 0;
  return (uint64_t(sinceStartUs) * frameRate + 999999u) / 1000000u;
}

int64_t CCaptureManage::SamplesBeforeStart(int64_t sinceStartUs, uint32_t sampleRate) {
  const int64_t scaled = -sinceStartUs * int64_t(sampleRate);
  // Rounded to the nearest sample, either way.
  return scaled >= 0 ? (scaled + 500000) / 1000000 : -((-scaled + 500000) / 1000000);
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
  OrvTrace("capture record at " + std::to_string(m_frameRate) + " fps, sound " +
           std::to_string(m_soundChannels) + " channels at " + std::to_string(m_soundRate) + " Hz");

  m_pExporter = new CORVExport();
  m_pExporter->AddRef();
  m_pExporter->SetSource(m_pSource);
  m_pExporter->SetParameter(p);
  if (m_pExporter->Start() != 0) {
    OrvTrace("capture record could not start");
    ReleaseRecorder();
    return -1;
  }
  m_bRecording = true;
  m_writeFailed = false;
  m_recordPath = path;
  m_framesDelivered = 0;
  m_soundBytes = 0;
  m_backlogRepeats = 0;
  // The picture on show is the first frame; the sound starts at its moment,
  // from what the microphone already gave.
  m_recordStartUs = m_previewClockUs;
  for (const SoundBlock& b : m_recentSound) QueueSound(b.bytes.data(), b.bytes.size(), b.clockUs);
  m_recentSound.clear();
  QelInstallTimer(this, kFrameClockTimer, 100, 100, &CCaptureManage::TimerProc, this);
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

void CCaptureManage::FillFramesTo(uint64_t slot) {
  if (!m_bRecording || !m_pSource || !m_preview || slot <= m_framesDelivered) return;
  // Frames for a writer that gave up would only pile up.
  if (RecordWriteFailed()) return;
  m_pSource->SetVideoDate(m_preview, 0, int64_t(slot - m_framesDelivered));
  m_framesDelivered = slot;
}

void CCaptureManage::OnFrameClock() {
  // Pictures normally go in as the next one arrives; a camera that has
  // given nothing for half a second has its last picture repeated.
  constexpr int64_t kStallUs = 500000;
  FillFramesTo(FrameSlotAt(media::ClockUs() - kStallUs - m_recordStartUs, uint32_t(m_frameRate)));
}

void CCaptureManage::OnSoundBlock(const uint8_t* data, size_t bytes, int64_t clockUs) {
  m_bSoundSeen = true;
  if (m_bRecording) return QueueSound(data, bytes, clockUs);
  constexpr size_t kRecentBlocks = 5;
  if (m_recentSound.size() >= kRecentBlocks) m_recentSound.pop_front();
  m_recentSound.push_back(SoundBlock{std::vector<uint8_t>(data, data + bytes), clockUs});
}

void CCaptureManage::QueueSound(const uint8_t* data, size_t bytes, int64_t clockUs) {
  if (!m_bRecording || !m_bRecordSound || !m_pSource || bytes == 0) return;
  const uint32_t blockAlign = (uint32_t(m_soundChannels) * m_soundBits) >> 3;
  if (blockAlign == 0) return;
  const tWAVEFORMATEX format = PcmFormat(m_soundRate, m_soundChannels, m_soundBits);
  if (m_soundBytes == 0) {
    // The first sound of the movie: cut what came before the first frame,
    // or put silence before sound that began after it.
    const int64_t before = SamplesBeforeStart(clockUs - m_recordStartUs, m_soundRate);
    if (before > 0) {
      const uint64_t cut = uint64_t(before) * blockAlign;
      if (cut >= bytes) return;
      data += cut;
      bytes -= size_t(cut);
    } else if (before < 0) {
      // A microphone that starts a second late or more is not waited for.
      const uint64_t gap = std::min<uint64_t>(uint64_t(-before), m_soundRate) * blockAlign;
      std::vector<unsigned char> silence(size_t(gap), 0);
      m_pSource->SetAudioData(format, uint32_t(gap), silence.data());
      m_soundBytes += gap;
    }
  }
  m_pSource->SetAudioData(format, uint32_t(bytes), data);
  m_soundBytes += bytes;
}

int32_t CCaptureManage::StopRecord() {
  if (!m_pVideo || !m_bRecording) return -1;
  QelRemoveTimer(this, kFrameClockTimer);
  const uint32_t blockAlign = (uint32_t(m_soundChannels) * m_soundBits) >> 3;
  const uint32_t fps = uint32_t(std::max<int32_t>(1, m_frameRate));
  const bool withSound = m_bRecordSound && m_pSource && blockAlign != 0 && m_soundRate != 0;
  // The picture on show lasts to the end of the sound, or to now.
  const int64_t endUs = withSound ? int64_t(m_soundBytes / blockAlign * 1000000u / m_soundRate)
                                  : media::ClockUs() - m_recordStartUs;
  FillFramesTo(std::max<uint64_t>(FrameSlotAt(endUs, fps), 1));
  RecordWriteFailed();
  m_bRecording = false;
  if (withSound) {
    // The pictures ran longer (by less than a frame, or more when the sound
    // stopped coming): silence, in whole samples.
    const uint64_t soundSamples = m_soundBytes / blockAlign;
    const uint64_t videoSamples = m_framesDelivered * m_soundRate / fps;
    OrvTrace("capture recorded " + std::to_string(double(m_framesDelivered) / fps) + " s of pictures, " +
             std::to_string(double(soundSamples) / m_soundRate) + " s of sound");
    if (videoSamples > soundSamples && soundSamples > 0) {
      const uint64_t pad = (videoSamples - soundSamples) * blockAlign;
      if (pad <= UINT32_MAX) {
        std::vector<unsigned char> silence(size_t(pad), 0);
        m_pSource->SetAudioData(PcmFormat(m_soundRate, m_soundChannels, m_soundBits), uint32_t(pad),
                                silence.data());
        m_soundBytes += pad;
      }
    }
  }
  const uint64_t frames = m_framesDelivered;
  if (m_pSource) m_backlogRepeats = m_pSource->BacklogRepeats();
  ReleaseRecorder();
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
