#pragma once
// The frames and sound of a recording on their way to the movie exporter:
// the main thread queues copies of the preview picture (each with a repeat
// count) and blocks of sound; the exporter's encode threads drain both
// queues and hand the pictures back for reuse.
#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "CORVUnknown.h"
#include "CQelLock.h"
#include "IORVSource.h"
#include "WaveFormat.h"

class CCaptureSource : public IORVSource, public CORVUnknown {
 public:
  // Pictures waiting at most: past it a new frame adds to the repeats of
  // the last one queued, so a slow encoder costs frames, not memory.
  static constexpr size_t kMaxQueuedPictures = 30;
  static constexpr ORVRESULT kEndOfSound = 4096;

  CCaptureSource();

  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override { return DefaultQueryInterface(iid, out); }
  ORVRESULT SetFilePath(const WCHAR*) override { return 0; }
  ORVRESULT GetAudioData(tWAVEFORMATEX* format, int32_t time, uint32_t wanted, uint32_t* got,
                         unsigned char* buffer) override;
  GWorldPtr GetVideoData(int32_t time, int64_t* start, int64_t* end) override;
  ORVRESULT ResetVideoData(GWorldPtr world) override;
  ORVRESULT SetEffect(int32_t, int32_t) override { return 0; }
  ORVRESULT SetTrimParam(uint32_t, uint32_t) override { return 0; }
  ORVRESULT Open() override { return 0; }
  ORVRESULT Close() override;
  ORVRESULT GetDuration(int32_t* duration) override;
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;

  // Queues a copy of `picture` for end - start frames; 0, or -1 when no copy
  // could be made.
  int32_t SetVideoDate(GWorldPtr picture, int64_t start, int64_t end);
  // Queues a copy of the block; the first format given is kept.
  int32_t SetAudioData(const tWAVEFORMATEX& format, uint32_t length, const unsigned char* data);
  void SetBeAudio(int32_t on) { m_bWithAudio = on; }
  void SetBeUseBuffer(int32_t use, int32_t limit);

  // Pictures queued and not yet handed out (for tests and the log).
  size_t QueuedPictures();
  // Frames that went in as repeats because the encoder was behind.
  uint64_t BacklogRepeats() const { return m_backlogRepeats; }

 protected:
  ~CCaptureSource() override;

 private:
  struct Frame {
    GWorldPtr picture;
    uint32_t count;
  };
  struct Block {
    std::vector<unsigned char> bytes;
  };

  CQelLock m_videoLock, m_soundLock, m_pictureLock, m_soundPoolLock;
  std::deque<Frame> m_video;
  std::deque<Block> m_sound;
  std::deque<GWorldPtr> m_picturePool;
  std::deque<std::vector<unsigned char>> m_soundPool;
  tWAVEFORMATEX m_format{};
  std::atomic<int32_t> m_bClosed{0};
  int32_t m_bWithAudio = 1;
  int32_t m_bUseBuffers = 0;
  int32_t m_nPoolLimit = 5;
  int32_t m_nPictures = 0;
  int32_t m_nSoundBuffers = 0;
  std::atomic<uint64_t> m_backlogRepeats{0};
};
