#include "CaptureSource.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "ORVGuid.h"
#include "ORVImageTools.h"
#include "ORVTrace.h"
#include "os/Offscreen.h"

namespace {

class Hold {
 public:
  explicit Hold(CQelLock& lock) : m_lock(lock) { m_lock.Lock(); }
  ~Hold() { m_lock.Unlock(); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  CQelLock& m_lock;
};

// The readers look for new data this often.
constexpr auto kPoll = std::chrono::milliseconds(5);

}  // namespace

CCaptureSource::CCaptureSource() = default;

CCaptureSource::~CCaptureSource() {
  for (Frame& f : m_video) plat::DisposeOffscreen(f.picture);
  for (GWorldPtr p : m_picturePool) plat::DisposeOffscreen(p);
}

ORVRESULT CCaptureSource::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (iid == IID_IORVUnknown) return GetInterface(static_cast<IORVSource*>(this), out);
  if (out) *out = nullptr;
  return static_cast<ORVRESULT>(0x81500001u);
}

void CCaptureSource::SetBeUseBuffer(int32_t use, int32_t limit) {
  m_bUseBuffers = use;
  m_nPoolLimit = limit;
}

int32_t CCaptureSource::SetVideoDate(GWorldPtr picture, int64_t start, int64_t end) {
  const uint32_t count = uint32_t(end - start);
  if (!picture || count == 0) return 0;
  {
    Hold hold(m_videoLock);
    if (m_video.size() >= kMaxQueuedPictures) {
      // The encoder is behind: the last queued picture stands for these.
      m_video.back().count += count;
      m_backlogRepeats += count;
      return 0;
    }
  }
  GWorldPtr copy = nullptr;
  if (m_bUseBuffers) {
    Hold hold(m_pictureLock);
    if (!m_picturePool.empty()) {
      copy = m_picturePool.front();
      m_picturePool.pop_front();
      int32_t disposed = 0;
      while (m_picturePool.size() > size_t(m_nPoolLimit)) {
        plat::DisposeOffscreen(m_picturePool.front());
        m_picturePool.pop_front();
        ++disposed;
      }
      if (disposed) {
        m_nPictures -= disposed;
        OrvTrace("capture source: " + std::to_string(m_nPictures) + " picture buffers");
      }
    }
  }
  if (copy && (copy->width != picture->width || copy->height != picture->height)) {
    plat::DisposeOffscreen(copy);
    copy = nullptr;
    --m_nPictures;
  }
  if (!copy) {
    copy = plat::NewOffscreen(picture->width, picture->height, picture->depth);
    if (!copy) return -1;
    ++m_nPictures;
    OrvTrace("capture source: " + std::to_string(m_nPictures) + " picture buffers");
  }
  ORVGF::MyCopyGWorld(picture, copy);
  Hold hold(m_videoLock);
  m_video.push_back(Frame{copy, count});
  return 0;
}

int32_t CCaptureSource::SetAudioData(const tWAVEFORMATEX& format, uint32_t length, const unsigned char* data) {
  if (!data || length == 0) return 0;
  std::vector<unsigned char> buffer;
  if (m_bUseBuffers) {
    Hold hold(m_soundPoolLock);
    if (!m_soundPool.empty()) {
      buffer = std::move(m_soundPool.front());
      m_soundPool.pop_front();
    }
  }
  if (buffer.capacity() < length) {
    ++m_nSoundBuffers;
    OrvTrace("capture source: " + std::to_string(m_nSoundBuffers) + " sound buffers");
  }
  buffer.assign(data, data + length);
  Hold hold(m_soundLock);
  m_sound.push_back(Block{std::move(buffer)});
  if (m_format.nChannels == 0) m_format = format;
  return 0;
}

ORVRESULT CCaptureSource::Close() {
  m_bClosed = 1;
  return 0;
}

ORVRESULT CCaptureSource::GetDuration(int32_t* duration) {
  // Open: the exporter writes until the source runs dry.
  if (duration) *duration = 0;
  return 0;
}

size_t CCaptureSource::QueuedPictures() {
  Hold hold(m_videoLock);
  return m_video.size();
}

GWorldPtr CCaptureSource::GetVideoData(int32_t, int64_t* start, int64_t* end) {
  if (start) *start = 0;
  if (end) *end = 0;
  for (;;) {
    {
      Hold hold(m_videoLock);
      if (!m_video.empty()) {
        Frame& f = m_video.front();
        GWorldPtr picture = f.picture;
        if (--f.count == 0) m_video.pop_front();
        return picture;
      }
    }
    if (m_bClosed) return nullptr;
    std::this_thread::sleep_for(kPoll);
  }
}

ORVRESULT CCaptureSource::ResetVideoData(GWorldPtr world) {
  if (!world) return 0;
  {
    // Still queued: it is handed out again.
    Hold hold(m_videoLock);
    if (!m_video.empty() && m_video.front().picture == world) return 0;
  }
  if (m_bUseBuffers) {
    Hold hold(m_pictureLock);
    m_picturePool.push_back(world);
    return 0;
  }
  plat::DisposeOffscreen(world);
  return 0;
}

ORVRESULT CCaptureSource::GetAudioData(tWAVEFORMATEX*, int32_t, uint32_t, uint32_t* got, unsigned char* buffer) {
  if (!m_bWithAudio) return kEndOfSound;
  for (;;) {
    {
      Hold hold(m_soundLock);
      if (!m_sound.empty()) {
        Block& b = m_sound.front();
        if (!buffer) {
          if (got) *got = uint32_t(b.bytes.size());
          return 0;
        }
        // The caller asked for the length first and passes that much room.
        std::memcpy(buffer, b.bytes.data(), b.bytes.size());
        if (got) *got = uint32_t(b.bytes.size());
        std::vector<unsigned char> done = std::move(b.bytes);
        m_sound.pop_front();
        if (m_bUseBuffers) {
          Hold pool(m_soundPoolLock);
          m_soundPool.push_back(std::move(done));
        }
        return 0;
      }
    }
    if (m_bClosed) return kEndOfSound;
    std::this_thread::sleep_for(kPoll);
  }
}
