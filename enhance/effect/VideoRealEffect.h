#pragma once
// Per-frame effect chain of the live preview, in place on a 32-bit frame
// (bytes A, R, G, B): bad-frame judge, then denoise and dynamic light on a
// YUY2 copy, converted back. One object per preview size; nothing runs until
// the owner switches an effect on and gives it a level.

#include <chrono>
#include <cstdint>
#include <memory>

#include "ThreadTuner.h"
#include "WorkerPool.h"

struct AfjJudge;
struct AvdDenoiser;
struct AdlEngine;

class CVideoRealEffect {
 public:
  // Rejections in a row after which frames are shown again although the
  // judge still calls them bad: a steady scene feature (a page edge, a ruled
  // line) trips the judge on every frame, a torn frame does not repeat.
  static constexpr int32_t kMaxHeldFrames = 5;

  CVideoRealEffect(int32_t width, int32_t height);
  virtual ~CVideoRealEffect();
  CVideoRealEffect(const CVideoRealEffect&) = delete;
  CVideoRealEffect& operator=(const CVideoRealEffect&) = delete;

  // 1 when the frame was accepted (whether or not an effect ran), 0 when the
  // judge rejected it and the last good frame was put in its place. A frame
  // of another size than the object's is left as it is (1). depth is unused.
  int32_t DoEffect(uint8_t* pixels, int32_t width, int32_t height, int32_t depth,
                   int32_t rowBytes);

  // Clamped to 0..100; returns the denoiser's previous luma noise level (0
  // without a denoiser).
  int32_t SetDenoiseLevel(int32_t level);
  // Clamped to 0..100; returns the stored level.
  int32_t SetDelightLevel(int32_t level);

  // Threads one frame is spread over (1: the calling thread alone); the
  // frame comes out the same on any number. New objects choose for
  // themselves (ThreadTuner): one while one keeps up, at most one for every
  // half million pixels; a set count stays.
  void SetThreadCount(int32_t threads);
  int32_t ThreadCount() const;

  void EnableFrameJudge(int32_t on) { m_judgeOn = on != 0; }
  void EnableDenoise(int32_t on) { m_denoiseOn = on != 0; }
  void EnableDelight(int32_t on) { m_delightOn = on != 0; }

  int32_t DenoiseLevel() const { return m_denoiseLevel; }
  int32_t DelightLevel() const { return m_delightLevel; }
  int32_t ErrorFrameCount() const { return m_errorFrames; }
  bool HasDenoiser() const { return m_denoiser != nullptr; }
  bool HasDelighter() const { return m_delighter != nullptr; }

  // The chain's steps, on the object's own buffers.
  int32_t JudgeFrame(const uint8_t* planes, int32_t width, int32_t height, int32_t rowBytes);
  void Denoise(uint8_t* yuy2, int32_t width, int32_t height, int32_t pitch);
  void Delight(uint8_t* yuy2, int32_t width, int32_t height, int32_t pitch);

 private:
  void InitFrameJudger();
  void InitDenoiser();
  void InitDelighter();
  void ReleaseFrameJudger();
  void ReleaseDenoiser();
  void ReleaseDelighter();
  void KeepGoodFrame(const uint8_t* pixels, int32_t rowBytes, int32_t fromYuy2);
  int32_t FreeYuy2();
  void Tune(std::chrono::steady_clock::duration took);

  int32_t m_width;
  int32_t m_height;
  uint8_t* m_lastGood = nullptr;  // rowBytes x height of the last accepted frame
  int32_t m_lastGoodRowBytes = 0;
  uint8_t* m_planes = nullptr;  // Y, U, V planes, width bytes a row
  // YUY2 copies, m_yuy2Pitch bytes a row. When the last accepted frame came
  // back from one of them whole, that copy is kept in its place (m_keptYuy2)
  // and the next frame uses the other.
  uint8_t* m_yuy2[2] = {nullptr, nullptr};
  int32_t m_yuy2Pitch = 0;
  int32_t m_keptYuy2 = -1;
  AfjJudge* m_judge = nullptr;
  AvdDenoiser* m_denoiser = nullptr;
  AdlEngine* m_delighter = nullptr;
  int32_t m_delightLevel = 0;
  int32_t m_denoiseLevel = 0;
  bool m_judgeOn = false;
  bool m_denoiseOn = false;
  bool m_delightOn = false;
  int32_t m_errorFrames = 0;
  std::unique_ptr<enh::WorkerPool> m_pool;
  std::unique_ptr<ThreadTuner> m_tuner;  // null once a count was set
  int32_t m_heldInARow = 0;  // rejections since the last accepted frame
};
