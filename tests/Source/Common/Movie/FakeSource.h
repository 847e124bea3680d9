#pragma once
// A source for the exporter: numbered frames and a tone, with a gate that
// holds the video side at a chosen frame until the test opens it.
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "CORVUnknown.h"
#include "IORVSource.h"
#include "WaveFormat.h"
#include "os/Offscreen.h"

class FakeSource : public IORVSource, public CORVUnknown {
 public:
  FakeSource(int frames, int32_t width, int32_t height, uint32_t soundBytes, uint32_t blockBytes)
      : m_frames(frames), m_soundLeft(soundBytes), m_block(blockBytes),
        m_world(plat::NewOffscreen(width, height, plat::kOffscreenARGB32)) {}

  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override { return DefaultQueryInterface(iid, out); }
  ORVRESULT SetFilePath(const WCHAR*) override { return 0; }
  ORVRESULT GetAudioData(tWAVEFORMATEX*, int32_t, uint32_t, uint32_t* got, unsigned char* buffer) override {
    if (m_audioFails) return ORV_E_FAIL;
    std::lock_guard lock(m_mutex);
    if (m_soundLeft == 0) return 4096;
    uint32_t n = std::min(m_soundLeft, m_block);
    *got = n;
    if (!buffer) return 0;
    for (uint32_t i = 0; i + 1 < n; i += 2) {
      int16_t v = int16_t(8000 * std::sin(double(m_soundPos++) * 0.14));
      std::memcpy(buffer + i, &v, 2);
    }
    m_soundLeft -= n;
    return 0;
  }
  GWorldPtr GetVideoData(int32_t, int64_t* start, int64_t* end) override {
    std::unique_lock lock(m_mutex);
    if (m_next == m_holdAt) {
      m_held = true;
      m_cv.notify_all();
      m_cv.wait(lock, [&] { return m_holdAt != m_next; });
    }
    if (m_next >= m_frames) return nullptr;
    std::memset(m_world->pixels, 16 + (m_next * 8) % 224, size_t(m_world->rowBytes) * m_world->height);
    ++m_next;
    *start = *end = 0;
    return m_badFrames ? m_bad : m_world;
  }
  ORVRESULT ResetVideoData(GWorldPtr) override { ++m_resets; return 0; }
  ORVRESULT SetEffect(int32_t, int32_t) override { return 0; }
  ORVRESULT SetTrimParam(uint32_t, uint32_t) override { return 0; }
  ORVRESULT Open() override { return 0; }
  ORVRESULT Close() override { return 0; }
  ORVRESULT GetDuration(int32_t* duration) override {
    *duration = m_duration;
    return 0;
  }

  void HoldAt(int frame) {
    std::lock_guard lock(m_mutex);
    m_holdAt = frame;
  }
  // Waits until the video side sits at the gate.
  void WaitHeld() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_held; });
  }
  void Open_() {
    std::lock_guard lock(m_mutex);
    m_holdAt = -1;
    m_cv.notify_all();
  }

  int32_t m_duration = 0;
  std::atomic<bool> m_audioFails{false};
  bool m_badFrames = false;
  std::atomic<int> m_resets{0};

 protected:
  ~FakeSource() override {
    plat::DisposeOffscreen(m_world);
    plat::DisposeOffscreen(m_bad);
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  int m_frames;
  int m_next = 0;
  int m_holdAt = -1;
  bool m_held = false;
  uint32_t m_soundLeft;
  uint32_t m_block;
  uint64_t m_soundPos = 0;
  plat::Offscreen* m_world;
  plat::Offscreen* m_bad = plat::NewOffscreen(8, 8, plat::kOffscreenMono);
};
