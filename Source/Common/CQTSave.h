#pragma once
// Writes one QuickTime movie with one video and one sound track from the
// export settings: frames (offscreen worlds) from the exporter's video
// thread, PCM sound from its audio thread. The file is complete once the
// writer is finished (MOVSavingEnd, or the destructor).
#include <cstdint>
#include <memory>
#include <string>

#include "IORVSource.h"
#include "ORVParameters.h"
#include "ORVResult.h"

namespace media {
class MovieWriter;
}

class CQTSave {
 public:
  // Stores the settings and creates the file and tracks; *result gets 0 or
  // ORV_E_FAIL. The object exists either way (the caller deletes it).
  // `encoderThreads`: the picture encoder's threads, 0 for the library's choice.
  CQTSave(tagORVParameters settings, int32_t duration, int32_t* result, int32_t encoderThreads = 4);
  virtual ~CQTSave();
  CQTSave(const CQTSave&) = delete;
  CQTSave& operator=(const CQTSave&) = delete;

  ORVRESULT MOVLibInit();
  // One frame; the times are not used (frame n starts at n / fps). ORV_E_FAIL
  // without a video track, for a frame that is neither 32-bit nor planar
  // 4:2:0, or when it could not be encoded or written.
  ORVRESULT UpdateVideo(GWorldPtr frame, int64_t start, int64_t end);
  // PCM in the settings' format; 0 and nothing done for a null buffer or
  // without a sound track; ORV_E_FAIL when it could not be written.
  ORVRESULT UpdateAudio(const unsigned char* data, uint32_t size);
  ORVRESULT GetCurrVideoTime(int32_t* milliseconds);
  ORVRESULT GetCurrAudioTime(int32_t* milliseconds);
  int32_t GetVideoSavedTime() const;
  int32_t GetAudioSavedTime() const;
  int32_t GetTimeOffset() const { return m_timeOffset; }
  // Finishes the file: 1 when that succeeded.
  int32_t MOVSavingEnd();
  ORVRESULT MOVLibEnd() { return ORV_S_OK; }
  // A non-zero argument deletes the output file.
  ORVRESULT SavingEnd(int deleteFile);

  // Values derived from the settings.
  uint32_t VideoCodecType() const { return m_videoType; }
  uint32_t AudioCodecType() const { return m_audioType; }
  uint32_t CodecQuality() const { return m_codecQuality; }        // 0 … 1024
  int64_t FrameDuration() const { return m_frameDuration; }       // 100-ns units
  uint32_t SampleDuration() const { return m_sampleDuration; }    // 600ths, truncated
  const std::string& OutputPath() const { return m_path; }

 private:
  tagORVParameters m_settings;
  std::string m_path;
  uint32_t m_videoType = 0;
  uint32_t m_audioType = 0;
  uint32_t m_codecQuality = 0;
  int64_t m_frameDuration = 0;
  uint32_t m_sampleDuration = 0;
  int32_t m_duration = 0;
  int32_t m_encoderThreads = 4;
  int32_t m_timeOffset = 0;
  std::unique_ptr<media::MovieWriter> m_writer;
  bool m_hasVideo = false;
  bool m_hasSound = false;
  bool m_ended = false;
  int32_t m_endResult = 0;
};
