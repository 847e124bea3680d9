#pragma once
// The capture engine: the camera and the microphone (through the media
// layer), the preview picture the camera's frames land in, the effect chain
// every frame passes, the device lists, the sound-device watch and the
// device-loss reports. One engine at a time. Frames are decoded and passed
// through the effect chain on the media layer's worker thread, in order;
// the main loop takes the newest one in Idle(). Results: 0 success, -1
// failure, unless said otherwise.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ICaptureListener.h"
#include "IORVSource.h"
#include "PubImage.h"
#include "media/Frame.h"
#include "os/Offscreen.h"
#include "qel/QelTypes.h"

namespace media {
class VideoCapture;
class SoundCapture;
}  // namespace media
class CVideoRealEffect;
class CCaptureSource;
class CPreviewPictures;
class CORVExport;

class CCaptureManage {
 public:
  enum ChannelFlags : uint8_t { kVideo = 1, kSound = 2 };
  static constexpr uint32_t kSoundWatchTimer = 3001;

  // Destroys a previous engine first (one engine at a time); builds the
  // channels asked for.
  CCaptureManage(ICaptureListener* listener, uint8_t channels, int32_t unused);
  virtual ~CCaptureManage();
  static CCaptureManage* GetInstance();

  int32_t InitChannel(uint8_t channels);
  int32_t UnInitChannel(uint8_t channels);
  // Stops the preview, rebuilds the channel (1 video, 2 sound), selects the
  // inputs in use again and starts the preview.
  int32_t UpdateChannel(int32_t kind);
  // -1 without a video channel or when the camera cannot be opened.
  int32_t StartPreview();
  int32_t StopPreview();
  // From the preview view's timer: takes the newest frame into the preview
  // picture and the sound blocks; reports a lost camera (1524, value 0).
  // The last result: 0, -1, or -2211 when the camera is gone.
  int32_t Idle();

  // A new toolkit picture of the newest frame (count 1); 0, or -1 before
  // the first frame.
  int32_t CapturePic(PubImage::QelPicture** picture);
  // The preview picture (32-bit A, R, G, B), null before the preview.
  GWorldPtr GetSGGWorld() const { return m_preview; }
  bool FrameSeen() const { return m_bFrameSeen; }
  // Frames taken into the preview picture since the engine was made.
  uint64_t FrameCount() const { return m_frameCount; }
  // The preview view's picture of each frame, made on the capture thread.
  CPreviewPictures& ViewPictures() const { return *m_pictures; }

  // The size frames arrive at; 1, or 0 without a video channel.
  int32_t GetVideoResolution(SIZE& size);
  // Accepted (1) only when 0 < width <= source width and 0 < height <=
  // source height; else 0 and unchanged.
  int32_t SetVideoResolution(const SIZE& size);
  int32_t SetVideoCompressorType(uint32_t codec);
  int32_t GetVideoCompressorType(uint32_t& codec) const;
  int32_t SetVideoQuality(uint32_t quality);
  int32_t GetVideoQuality(int32_t& quality) const;
  int32_t FrameRate() const { return m_frameRate; }
  // Select an input by name; 1 when selected.
  int32_t SetVideoDevice(const std::u16string& name);
  int32_t SetAudioDevice(const std::u16string& name);
  int32_t GetUsedVideoName(std::u16string& name) const;
  int32_t GetUsedAudioName(std::u16string& name) const;
  // Every input of every device that can be used now, in list order.
  int32_t GetVideoDeviceName(std::vector<std::u16string>& names) const;
  int32_t GetAudioDeviceName(std::vector<std::u16string>& names) const;
  int32_t GetOEMDeviceName(std::u16string& name, uint32_t vendor, uint32_t product) const;
  // The settings dialog of the camera's picture and the sound input (the
  // sound input's alone): 1 when shown, 0 without the device.
  int32_t DoCameraSetting(int32_t all);
  int32_t DoAudioSetting();

  // The effect chain's switches and levels, taken by the next frame.
  int32_t EnableFrameJudge(int32_t on);
  int32_t EnableDenoise(int32_t on);
  int32_t EnableDelight(int32_t on);
  int32_t SetDenoiseLevel(int32_t level);
  int32_t SetDelightLevel(int32_t level);

  bool HasVideo() const { return m_pVideo != nullptr; }
  bool HasSound() const { return m_pSound != nullptr; }
  media::VideoCapture* Video() const { return m_pVideo.get(); }
  media::SoundCapture* Sound() const { return m_pSound.get(); }
  // Frames the effect chain saw since the preview started.
  uint64_t FramesProcessed() const { return m_framesProcessed; }
  // Threads the effect chain spreads a frame over now; 0 without one.
  int32_t EffectThreadCount();

  // The once-a-second sound watch (timer 3001).
  void CheckSoundDevice();

  // Recording: a movie of the preview (and the sound, when the microphone
  // has already delivered in this preview) written by the exporter. Start:
  // 0, or -1 before the first frame, without a camera or while recording.
  // Stop: 0 when any frame went into the movie, else -1.
  // The movie begins with the picture on show when recording starts and
  // with the sound taken at that picture's moment; each frame of the movie
  // is the camera's picture of that moment, so a second of movie is a
  // second of camera time and picture and sound stay together.
  static constexpr uint32_t kFrameClockTimer = 3000;
  int32_t StartRecord(const std::u16string& path);
  int32_t StopRecord();
  bool IsRecording() const { return m_bRecording; }
  // Whether the movie's writes failed (a full disk, a quota, a folder gone):
  // asked while recording, and after the stop of that recording until the
  // next one starts. A failed movie that cannot be played is stopped with -1.
  bool RecordWriteFailed();
  // The frame clock (timer 3000): a camera that stopped delivering still
  // fills the movie, with its last picture.
  void OnFrameClock();
  uint64_t FramesDelivered() const { return m_framesDelivered; }
  uint64_t SoundBytesDelivered() const { return m_soundBytes; }
  // Frames of the last recording that repeated an older picture because
  // the encoder was behind.
  uint64_t LastBacklogRepeats() const { return m_backlogRepeats; }
  // The movie frames a picture taken `sinceStartUs` after the first frame
  // starts to show: the first frame slot at or after its moment.
  static uint64_t FrameSlotAt(int64_t sinceStartUs, uint32_t frameRate);
  // Samples of a block taken `sinceStartUs` after the first frame (negative:
  // before it) that lie before the movie's start: cut from the first block;
  // negative: silence to put before it.
  static int64_t SamplesBeforeStart(int64_t sinceStartUs, uint32_t sampleRate);

 private:
  struct EffectSettings {
    std::atomic<int32_t> judge{0}, denoise{0}, delight{0};
    std::atomic<int32_t> denoiseLevel{30}, delightLevel{50};
    std::atomic<bool> changed{true};
  };
  static void TimerProc(void* owner, uint32_t id, void* data);
  void OnFrame(media::Frame& frame);  // worker thread
  bool EnsurePreview(int32_t width, int32_t height);
  void ReportDevice(int32_t value);
  bool RunSettingsDialog(uint8_t parts);
  void OnSoundBlock(const uint8_t* data, size_t bytes, int64_t clockUs);
  void QueueSound(const uint8_t* data, size_t bytes, int64_t clockUs);
  // Queues the picture on show for every frame slot before `slot`.
  void FillFramesTo(uint64_t slot);
  void ReleaseRecorder();

  ICaptureListener* m_pListener;
  uint8_t m_channels;
  std::unique_ptr<media::VideoCapture> m_pVideo;
  std::unique_ptr<media::SoundCapture> m_pSound;
  // The preview picture: a world over the pixels of the frame on show,
  // which Idle() swaps for the newest frame's instead of copying them.
  GWorldPtr m_preview = nullptr;
  plat::Offscreen m_previewWorld;
  media::Frame m_shown;
  std::unique_ptr<CPreviewPictures> m_pictures;
  uint32_t m_codec = 0x6D703476;  // 'mp4v'
  int32_t m_quality = 100;
  int32_t m_frameRate = 15;
  bool m_bFrameSeen = false;
  uint64_t m_frameCount = 0;
  int64_t m_previewClockUs = 0;  // when the picture on show was taken
  bool m_bSoundSeen = false;
  bool m_bVideoLost = false;
  bool m_bSoundLost = false;
  bool m_bPreviewing = false;
  std::u16string m_usedVideo, m_usedSound;
  SIZE m_requested{640, 480};

  // The effect chain runs on the capture thread: the object belongs to that
  // thread while the preview runs; the settings reach it through atomics.
  std::mutex m_effectLock;
  std::unique_ptr<CVideoRealEffect> m_pEffect;
  EffectSettings m_effect;
  // Every switch off: frames pass the chain untouched, so it is not called
  // (capture thread).
  bool m_chainIdle = true;
  std::atomic<uint64_t> m_framesProcessed{0};

  // Recording (main thread).
  bool m_bRecording = false;
  bool m_bRecordSound = false;
  CCaptureSource* m_pSource = nullptr;
  CORVExport* m_pExporter = nullptr;
  int64_t m_recordStartUs = 0;  // when the movie's first frame was taken
  uint64_t m_framesDelivered = 0;
  uint64_t m_soundBytes = 0;
  uint64_t m_backlogRepeats = 0;
  bool m_writeFailed = false;
  std::u16string m_recordPath;
  uint32_t m_soundRate = 0;
  uint16_t m_soundChannels = 0, m_soundBits = 16;
  // The last few sound blocks, so that a recording can begin with the sound
  // of the moment its first picture was taken.
  struct SoundBlock {
    std::vector<uint8_t> bytes;
    int64_t clockUs;
  };
  std::deque<SoundBlock> m_recentSound;
};
