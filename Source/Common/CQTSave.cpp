#include "CQTSave.h"

#include <algorithm>
#include <cstdio>

#include "MovCodecTable.h"
#include "ORVTrace.h"
#include "media/MovieWriter.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

CQTSave::CQTSave(tagORVParameters settings, int32_t duration, int32_t* result, int32_t encoderThreads)
    : m_settings(settings), m_duration(duration), m_encoderThreads(encoderThreads) {
  m_settings.outputPath[1023] = 0;
  m_settings.videoCompressor[1023] = 0;
  m_settings.audioCompressor[1023] = 0;
  m_path = QelToUTF8(m_settings.outputPath);
  uint32_t quality = std::min<uint32_t>(m_settings.quality, 100);
  if (m_settings.quality > 99) quality = 100;
  m_codecQuality = quality * 1024 / 100;
  double fps = m_settings.frameRate;
  m_frameDuration = fps > 0 ? int64_t(10000000.0 / fps) : 0;
  m_sampleDuration = fps > 0 ? uint32_t(600.0 / fps) : 0;
  ORVRESULT r = MOVLibInit();
  if (result) *result = r;
}

CQTSave::~CQTSave() { MOVSavingEnd(); }

ORVRESULT CQTSave::MOVLibInit() {
  if (m_writer) return ORV_E_FAIL;
  m_videoType = GetMovVideoCodecType(m_settings.videoCompressor);
  m_audioType = GetMovAudioCodecType(m_settings.audioCompressor);
  const tWAVEFORMATEX& wave = m_settings.soundFormat;
  media::MovieWriterSettings s;
  s.path = m_path;
  s.video = true;
  s.size = {int32_t(std::min<uint32_t>(m_settings.width, INT32_MAX)),
            int32_t(std::min<uint32_t>(m_settings.height, INT32_MAX))};
  s.fps = m_settings.frameRate;
  s.videoType = m_videoType;
  s.quality = int32_t(m_codecQuality * 100 / 1024);
  s.encoderThreads = m_encoderThreads;
  s.sound = true;
  s.soundType = m_audioType;
  s.soundInput = {wave.nSamplesPerSec, wave.nChannels, wave.wBitsPerSample};
  m_writer = std::make_unique<media::MovieWriter>();
  if (m_path.empty() || m_writer->Open(s) != 0) {
    OrvTrace("movie writer: cannot create " + m_path);
    return ORV_E_FAIL;
  }
  m_hasVideo = m_writer->HasVideo();
  m_hasSound = m_writer->HasSound();
  if (!m_hasVideo) OrvTrace("movie writer: no picture track in " + m_path);
  // A movie without sound was asked for when the format has no channels.
  if (!m_hasSound && wave.nChannels != 0) OrvTrace("movie writer: no sound track in " + m_path);
  return ORV_S_OK;
}

ORVRESULT CQTSave::UpdateVideo(GWorldPtr frame, int64_t, int64_t) {
  if (!m_hasVideo || m_ended) return ORV_E_FAIL;
  if (!frame || !frame->pixels) return ORV_E_FAIL;
  if (frame->depth == plat::kOffscreenYUV420) {
    media::Yuv420View picture;
    for (int p = 0; p < 3; ++p) picture.planes[p] = plat::OffscreenPlane(frame, p, &picture.rowBytes[p]);
    picture.size = {frame->width, frame->height};
    return m_writer->WriteVideoYuv420(picture) == 0 ? ORV_S_OK : ORV_E_FAIL;
  }
  if (frame->depth != plat::kOffscreenARGB32) return ORV_E_FAIL;
  return m_writer->WriteVideo(frame->pixels, frame->width, frame->height, frame->rowBytes) == 0
             ? ORV_S_OK
             : ORV_E_FAIL;
}

ORVRESULT CQTSave::UpdateAudio(const unsigned char* data, uint32_t size) {
  if (!data || !m_hasSound || m_ended) return ORV_S_OK;
  return m_writer->WriteSound(data, size) == 0 ? ORV_S_OK : ORV_E_FAIL;
}

int32_t CQTSave::GetVideoSavedTime() const {
  return m_writer ? int32_t(std::min<int64_t>(m_writer->VideoTimeMs(), INT32_MAX)) : 0;
}

int32_t CQTSave::GetAudioSavedTime() const {
  return m_writer ? int32_t(std::min<int64_t>(m_writer->SoundTimeMs(), INT32_MAX)) : 0;
}

ORVRESULT CQTSave::GetCurrVideoTime(int32_t* milliseconds) {
  if (!milliseconds) return ORV_E_FAIL;
  *milliseconds = GetVideoSavedTime() + m_timeOffset;
  return ORV_S_OK;
}

ORVRESULT CQTSave::GetCurrAudioTime(int32_t* milliseconds) {
  if (!milliseconds) return ORV_E_FAIL;
  *milliseconds = GetAudioSavedTime() + m_timeOffset;
  return ORV_S_OK;
}

int32_t CQTSave::MOVSavingEnd() {
  if (m_ended) return m_endResult;
  m_ended = true;
  m_endResult = m_writer && m_writer->Finish() == 0 ? 1 : 0;
  return m_endResult;
}

ORVRESULT CQTSave::SavingEnd(int deleteFile) {
  if (deleteFile && !m_path.empty()) {
    MOVSavingEnd();
    std::remove(m_path.c_str());
  }
  return ORV_S_OK;
}
