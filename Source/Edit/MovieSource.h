#pragma once
// The movie editor's frame and sound source over one movie file. The editor
// keeps two: the preview source, which renders the frame at the play time
// with the brightness and contrast applied and plays the movie with sound,
// and the save source, from which the exporter pulls the trimmed, adjusted
// frames and the sound between the trim bounds. All times are in the
// movie's units (600 per second).
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CORVUnknown.h"
#include "IORVSource.h"
#include "MovieDescription.h"
#include "media/Frame.h"
#include "ORVMovie.h"
#include "QDRect.h"
#include "qel/QelTypes.h"

namespace media {
class Player;
}
class FramePrefetch;
struct PlanarLevels;

class CSource : public IORVSource, public CORVUnknown {
 public:
  static constexpr ORVRESULT kNoMoreData = 4096;
  static constexpr uint32_t kTimerId = 1100;
  enum PlayCommand : int32_t { kPlay = 0, kStop = 1, kPause = 2 };

  CSource();

  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override { return DefaultQueryInterface(iid, out); }
  ORVRESULT SetFilePath(const WCHAR* path) override;
  // Size call (null buffer): decodes the next second of sound (less at the
  // trim end) as signed 16-bit interleaved samples and answers its size;
  // copy call: hands that chunk over. 4096 once the sound is used up or
  // when the movie has none; ORV_E_FAIL without a movie, on a read error or
  // for a copy call without a chunk.
  ORVRESULT GetAudioData(tWAVEFORMATEX* format, int32_t time, uint32_t wanted, uint32_t* got,
                         unsigned char* buffer) override;
  // The adjusted frame `ms` milliseconds after the trim start, as a new
  // world the caller gives back with ResetVideoData; null once the frames
  // of the trimmed range are all delivered.
  GWorldPtr GetVideoData(int32_t ms, int64_t* start, int64_t* end) override;
  ORVRESULT ResetVideoData(GWorldPtr world) override;
  ORVRESULT SetEffect(int32_t brightness, int32_t contrast) override;
  ORVRESULT SetTrimParam(uint32_t, uint32_t) override { return 0; }
  // 1 when the movie and its pictures were read; 0 otherwise.
  ORVRESULT Open() override;
  ORVRESULT Close() override;
  // The trimmed length in milliseconds.
  ORVRESULT GetDuration(int32_t* ms) override;
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;

  int32_t ReOpen();
  Movie GetMovie() const { return m_movie; }
  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }
  int32_t GetMovTS() const { return GetMovieTimeScale(m_movie); }
  GWorldPtr GetDisplayBuffer() const { return m_display; }
  // Called on the main thread each time the display buffer holds a new
  // picture: the preview draws then and only then.
  void SetDisplayListener(std::function<void()> listener) { m_onDisplay = std::move(listener); }
  int32_t IsPlaying() const { return m_bPlaying; }
  // The untrimmed duration.
  int32_t GetDuration() const { return m_duration; }
  int32_t GetEndTime() const { return m_duration; }
  int32_t GetMovieTimeinfo(int32_t& current, int32_t& duration, int32_t& scale) const;
  int32_t GetPosition() const;
  // Clamped into [trim start, trim end − 1]; answers the time set.
  int32_t SetPosition(int32_t t);
  void BackToBeginning();
  void SetPlayTime(int32_t t);
  void SetPreviewRect(const Rect& r);
  const Rect& PreviewRect() const { return m_preview; }
  void DoCommand(int32_t command);
  // The play clock: moves the current time with the sound while playing
  // and renders the frame there (the preview timer calls it).
  void PlayEvent();
  int32_t SetBound(int32_t start, int32_t end);
  int32_t GetBound(int32_t* start, int32_t* end) const;
  // How many frames a save delivers: floor(trimmed length × written rate).
  int32_t CalcFrame() const;
  // Readies the frames of a save from the trim start. With `planar`, frames
  // that decode to 4:2:0 at the movie's size come as 4:2:0 worlds with the
  // brightness and contrast made on their planes (no colour conversion);
  // any other frame comes as a 32-bit world, as it always does without.
  int32_t PrepareSave(bool planar = false);
  // The movie's rate as the writer gets it: rounded to two decimals.
  double WrittenFrameRate() const;
  const ORVGF::__VideoDescription& VideoDescription() const { return m_video; }
  const ORVGF::__AudioDescription& AudioDescription() const { return m_audio; }
  bool HasAudioDescription() const { return m_bHasAudio; }
  bool HasVideo() const { return m_bHasVideo; }
  int32_t Brightness() const { return m_brightness; }
  int32_t Contrast() const { return m_contrast; }

 protected:
  ~CSource() override;  // defined where FramePrefetch is complete

 private:
  void InitPreview();
  static void TimerProc(void* owner, uint32_t id, void* data);
  void RefreshVideoBufferAtTime(int32_t t);
  // The adjusted frame at `ms` after the trim start, as a new world.
  GWorldPtr MakeFrame(int32_t ms);
  // The same as a 4:2:0 world at movie time t; null when the frame is not
  // 4:2:0 there (the 32-bit path then makes it).
  GWorldPtr MakePlanarFrame(int32_t t);
  // A world given back earlier, or a new one, of the movie's size.
  GWorldPtr SpareWorld(int32_t depth);
  void RefreshDisplayBuffer();
  bool EnsurePlayer();

  std::u16string m_path;
  Movie m_movie = nullptr;
  int32_t m_current = 0;
  GWorldPtr m_frame = nullptr;
  GWorldPtr m_display = nullptr;
  std::function<void()> m_onDisplay;
  Rect m_preview{};
  int32_t m_bPreviewStarted = 0;
  int32_t m_width = 0, m_height = 0;
  int32_t m_bPlaying = 0;
  int32_t m_duration = 0;
  ORVGF::__VideoDescription m_video;
  ORVGF::__AudioDescription m_audio;
  bool m_bHasVideo = false;
  bool m_bHasAudio = false;
  int32_t m_trimStart = 0, m_trimEnd = 0;
  int32_t m_brightness = 0, m_contrast = 0;
  int32_t m_frameCount = 0;
  int32_t m_framesDelivered = 0;
  // Frame copies the writer gave back, used again for the next frames: a
  // fresh 8 MB picture a frame costs more than its copy.
  std::mutex m_spareLock;
  std::vector<GWorldPtr> m_spare;
  // A save's frames as 4:2:0 worlds, and the adjustment's tables for them.
  bool m_planar = false;
  std::unique_ptr<PlanarLevels> m_levels;
  // A save's frames made ahead (exporter's video thread, from its first frame on).
  std::unique_ptr<FramePrefetch> m_prefetch;
  std::unique_ptr<media::Player> m_player;
  media::Frame m_playFrame;  // the last picture taken from the player

  // The sound side, read by the exporter's sound thread.
  std::vector<uint8_t> m_chunk;
  bool m_bChunkHeld = false;
  bool m_bSoundDone = false;
  bool m_bSoundStarted = false;
  int64_t m_soundFrames = 0;  // sample frames delivered since the trim start
};
