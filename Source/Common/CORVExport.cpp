#include "CORVExport.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <vector>

#include "ORVTrace.h"
#include "WaveFormat.h"

namespace {
constexpr ORVRESULT kEndOfSound = 4096;  // the source's answer at the end of its sound
}

CORVExport::CORVExport() = default;

CORVExport::~CORVExport() {
  {
    std::lock_guard lock(m_lock);
    if (m_status == SAVE_STATUS_PAUSED) m_cancel = true;  // nothing would wake it otherwise
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_videoThread.joinable()) m_videoThread.join();
  if (m_audioThread.joinable()) m_audioThread.join();
  if (m_source) m_source->Release();
  m_writer.reset();  // finishes the file
}

ORVRESULT CORVExport::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (iid == IID_IORVUnknown) return GetInterface(static_cast<IORVExport*>(this), out);
  return CORVUnknown::DefaultQueryInterface(iid, out);
}

ORVRESULT CORVExport::SetSource(IORVSource* source) {
  if (source) source->AddRef();
  if (m_source) m_source->Release();
  m_source = source;
  int32_t duration = 0;
  if (source && source->GetDuration(&duration) >= 0 && duration != 0) m_duration = uint32_t(duration);
  return ORV_S_OK;
}

ORVRESULT CORVExport::SetParameter(tagORVParameters parameters) {
  m_settings = parameters;
  return ORV_S_OK;
}

ORVRESULT CORVExport::Start() {
  if (m_writer || !m_source) return ORV_E_FAIL;
  int32_t result = ORV_E_FAIL;
  m_writer = std::make_unique<CQTSave>(m_settings, int32_t(m_duration), &result, m_encoderThreads);
  if (ORV_FAILED(result)) return result;
  try {
    m_videoThread = std::thread(&CORVExport::EncodeVideo, this);
    m_audioThread = std::thread(&CORVExport::EncodeAudio, this);
  } catch (const std::system_error&) {
    OrvTrace("movie export: the encode threads cannot be started");
    Cancel();
    return ORV_E_FAIL;
  }
  std::lock_guard lock(m_lock);
  if (m_status == SAVE_STATUS_IDLE) m_status = SAVE_STATUS_RUNNING;
  return ORV_S_OK;
}

ORVRESULT CORVExport::Pause() {
  std::lock_guard lock(m_lock);
  if (m_status == SAVE_STATUS_FAILED || m_status == SAVE_STATUS_CANCELLED) return ORV_S_OK;
  m_paused = true;
  m_status = SAVE_STATUS_PAUSED;
  return ORV_S_OK;
}

ORVRESULT CORVExport::Resume() {
  {
    std::lock_guard lock(m_lock);
    if (m_status == SAVE_STATUS_FAILED || m_status == SAVE_STATUS_CANCELLED) return ORV_S_OK;
    m_paused = false;
    m_status = SAVE_STATUS_RUNNING;
  }
  m_wake.notify_all();
  return ORV_S_OK;
}

ORVRESULT CORVExport::Cancel() {
  {
    std::lock_guard lock(m_lock);
    m_cancel = true;
    if (m_status != SAVE_STATUS_FAILED) m_status = SAVE_STATUS_CANCELLED;
  }
  m_wake.notify_all();
  return ORV_S_OK;
}

ORVRESULT CORVExport::GetStatus(_SAVE_STATUS_& status, int32_t& percent) {
  if (m_videoDone && m_audioDone) {
    status = SAVE_STATUS_FINISHED;
    percent = 100;
    return ORV_S_OK;
  }
  {
    std::lock_guard lock(m_lock);
    status = m_status;
    // A failure is reported once both threads have let go.
    if (status == SAVE_STATUS_FAILED && !(m_videoEnded && m_audioEnded)) status = SAVE_STATUS_RUNNING;
  }
  if (m_duration == kUnknownDuration || m_duration == 0) {
    percent = 0;
  } else {
    int64_t p = int64_t(m_videoTime.load()) * 100 / int64_t(m_duration);
    percent = int32_t(std::clamp<int64_t>(p, 0, 100));
  }
  return ORV_S_OK;
}

bool CORVExport::MayRun() {
  std::unique_lock lock(m_lock);
  m_wake.wait(lock, [&] { return !m_paused || m_cancel || m_stop || m_failed; });
  return !m_cancel && !m_failed;
}

void CORVExport::Fail() {
  {
    std::lock_guard lock(m_lock);
    m_failed = true;
    if (m_status != SAVE_STATUS_CANCELLED) m_status = SAVE_STATUS_FAILED;
  }
  m_wake.notify_all();
}

void CORVExport::ThreadEnded(std::atomic<bool>& ended) {
  {
    std::lock_guard lock(m_lock);
    ended = true;
  }
  m_wake.notify_all();
}

void CORVExport::EncodeVideo() {
  int32_t frames = 0;
  while (MayRun()) {
    int32_t t = 0;
    if (ORV_FAILED(m_writer->GetCurrVideoTime(&t))) break;
    m_videoTime = t;
    int64_t start = 0, end = 0;
    GWorldPtr frame = m_source->GetVideoData(t, &start, &end);
    if (!frame) {
      if (!m_failed) m_videoDone = true;
      break;
    }
    ORVRESULT r = m_writer->UpdateVideo(frame, start, end);
    m_source->ResetVideoData(frame);
    if (ORV_FAILED(r)) {
      Fail();
      break;
    }
    m_frames = ++frames;
  }
  OrvTrace("movie export: " + std::to_string(frames) + " frames written");
  ThreadEnded(m_videoEnded);
}

void CORVExport::EncodeAudio() {
  std::vector<unsigned char> buffer;
  const tWAVEFORMATEX& in = m_settings.soundFormat;
  while (MayRun()) {
    int32_t t = 0;
    if (ORV_FAILED(m_writer->GetCurrAudioTime(&t))) break;
    m_audioTime = t;
    tWAVEFORMATEX wanted;
    wanted.wFormatTag = 1;
    wanted.nChannels = in.nChannels;
    wanted.nSamplesPerSec = in.nSamplesPerSec;
    wanted.nBlockAlign = in.nBlockAlign;
    wanted.wBitsPerSample = in.wBitsPerSample;
    wanted.nAvgBytesPerSec = uint32_t(in.nBlockAlign) * in.nSamplesPerSec;
    uint32_t size = 0;
    ORVRESULT r = m_source->GetAudioData(&wanted, t, 200, &size, nullptr);
    if (r != kEndOfSound && !ORV_FAILED(r)) {
      if (size > buffer.size()) buffer.resize(size);
      r = m_source->GetAudioData(&wanted, t, 200, &size, buffer.data());
    }
    if (r == kEndOfSound) {
      if (!m_failed) m_audioDone = true;
      break;
    }
    if (ORV_FAILED(r) || size > buffer.size()) {
      Fail();
      break;
    }
    r = m_writer->UpdateAudio(buffer.data(), size);
    if (r == -1) {
      m_audioDone = true;
      break;
    }
    if (ORV_FAILED(r)) {
      Fail();
      break;
    }
  }
  ThreadEnded(m_audioEnded);
}
