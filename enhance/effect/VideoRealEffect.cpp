#include "VideoRealEffect.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ColorConvert.h"
#include "DynamicLight.h"
#include "FrameJudge.h"
#include "driver/AvdDenoiser.h"

namespace {

// The buffers are plain zeroed allocations; null when memory is short.
uint8_t* NewClear(int64_t bytes) {
  if (bytes <= 0) return nullptr;
  return static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
}

int32_t ClampLevel(int32_t level) { return level < 0 ? 0 : (level > 100 ? 100 : level); }

}  // namespace

namespace {
// At most a thread for every half million pixels, up to the processor's: a
// small preview is done sooner on one thread than by waking others.
int32_t ThreadsFor(int32_t width, int32_t height) {
  const int64_t pixels = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
  return static_cast<int32_t>(std::clamp<int64_t>(pixels / 500000, 1, enh::WorkerPool::DefaultThreads()));
}
}  // namespace

CVideoRealEffect::CVideoRealEffect(int32_t width, int32_t height)
    : m_width(width),
      m_height(height),
      m_tuner(std::make_unique<ThreadTuner>(ThreadsFor(width, height))) {
  m_pool = std::make_unique<enh::WorkerPool>(m_tuner->Threads());
  InitTab();
  InitFrameJudger();
  InitDenoiser();
  InitDelighter();
  if (width > 0 && height > 0) {
    const int64_t pixels = static_cast<int64_t>(width) * height;
    m_planes = NewClear(pixels * 3);
    m_yuy2Pitch = (2 * width + 3) & ~3;
    m_yuy2[0] = NewClear(static_cast<int64_t>(m_yuy2Pitch) * height);
  }
}

CVideoRealEffect::~CVideoRealEffect() {
  ReleaseFrameJudger();
  ReleaseDenoiser();
  ReleaseDelighter();
  std::free(m_lastGood);
  std::free(m_planes);
  std::free(m_yuy2[0]);
  std::free(m_yuy2[1]);
}

void CVideoRealEffect::InitFrameJudger() {
  if (AFJ_FrameJudge_Init(nullptr, &m_judge) != 0) {
    m_judge = nullptr;
    std::printf("Init AFJ Frame Judger Err!\n");
  }
}

void CVideoRealEffect::InitDenoiser() {
#if VIDEOEFFECT_WITH_DENOISER
  if (AVD_CreateHandle(nullptr, &m_denoiser) != 0 || !m_denoiser) {
    m_denoiser = nullptr;
    return;
  }
  AVD_SetDenoiserType(m_denoiser, AVD_TYPE_VIDEO_LUMA);
  AVD_SetTunerLevel(m_denoiser, 0, 1, AVD_TUNE_SHARP);    // chroma sharpening off
  AVD_SetTunerLevel(m_denoiser, 0, 1, AVD_TUNE_DENOISE);  // chroma denoising off
  AVD_SetTunerLevel(m_denoiser, 0, 0, AVD_TUNE_SHARP);    // luma sharpening off
#endif
}

void CVideoRealEffect::InitDelighter() {
  if (ADL_InitDynamiclight(nullptr, &m_delighter, m_width, m_height, ADL_FMT_YUY2) != ADL_OK)
    m_delighter = nullptr;
}

void CVideoRealEffect::ReleaseFrameJudger() {
  AFJ_FrameJudge_Uninit(nullptr, m_judge);
  m_judge = nullptr;
}

void CVideoRealEffect::ReleaseDenoiser() {
#if VIDEOEFFECT_WITH_DENOISER
  AVD_ReleaseHandle(m_denoiser);
#endif
  m_denoiser = nullptr;
}

void CVideoRealEffect::ReleaseDelighter() { ADL_UninitDynamiclight(nullptr, &m_delighter); }

void CVideoRealEffect::SetThreadCount(int32_t threads) {
  threads = threads < 1 ? 1 : (threads > 64 ? 64 : threads);
  m_tuner.reset();
  if (threads != ThreadCount()) m_pool = std::make_unique<enh::WorkerPool>(threads);
}

int32_t CVideoRealEffect::ThreadCount() const { return m_pool->Threads(); }

void CVideoRealEffect::Tune(std::chrono::steady_clock::duration took) {
  m_tuner->Took(std::chrono::duration<double, std::milli>(took).count());
}

int32_t CVideoRealEffect::SetDenoiseLevel(int32_t level) {
  m_denoiseLevel = ClampLevel(level);
#if VIDEOEFFECT_WITH_DENOISER
  if (m_denoiser) {
    AVD_SetTunerLevel(m_denoiser, m_denoiseLevel, 0, AVD_TUNE_DENOISE);
    return AVD_SetTunerLevel(m_denoiser, m_denoiseLevel >> 1, 0, AVD_TUNE_NOISE);
  }
#endif
  return 0;
}

int32_t CVideoRealEffect::SetDelightLevel(int32_t level) {
  m_delightLevel = ClampLevel(level);
  return m_delightLevel;
}

int32_t CVideoRealEffect::DoEffect(uint8_t* pixels, int32_t width, int32_t height, int32_t depth,
                                   int32_t rowBytes) {
  // The buffers are sized for the object's frame; another size is shown as it is.
  if (!pixels || width != m_width || height != m_height || width <= 0 || height <= 0 ||
      static_cast<int64_t>(rowBytes) < 4LL * width)
    return 1;
  // The pool follows the tuner's count from one frame to the next.
  if (m_tuner && m_tuner->Threads() != ThreadCount()) m_pool = std::make_unique<enh::WorkerPool>(m_tuner->Threads());
  // Every step below may spread its rows over the object's threads.
  const enh::ParallelScope threads(m_pool.get());

  const bool effects = (m_denoiseOn || m_delightOn) && m_yuy2[0];
  int32_t work = effects ? FreeYuy2() : -1;
  bool converted = false;
  if (m_judgeOn && m_planes) {
    // The judge reads only the Y plane. With effects to run, the YUY2 copy
    // is made in the same pass (a rejected frame just leaves it unused).
    if (work >= 0) {
      RGB32ToYUY2AndLuma(m_yuy2[work], m_yuy2Pitch, m_planes, pixels, rowBytes, width, height);
      converted = true;
    } else {
      RGB32ToLumaPlane(m_planes, pixels, width, height, rowBytes);
    }
    if (JudgeFrame(m_planes, width, height, rowBytes) == 0) {
      // A bad verdict that persists is the scene, not a torn frame: past the
      // limit the frames go on to the preview.
      if (m_heldInARow < kMaxHeldFrames) {
        ++m_heldInARow;
        ++m_errorFrames;
        if (m_errorFrames % 10 == 0) {
          std::printf("Error Frame %d\n", m_errorFrames);
          std::fflush(stdout);
        }
        if (m_keptYuy2 >= 0)
          YUY2ToRGB32(pixels, rowBytes, m_yuy2[m_keptYuy2], m_yuy2Pitch, width, height);
        else if (m_lastGood && m_lastGoodRowBytes == rowBytes)
          std::memcpy(pixels, m_lastGood, static_cast<size_t>(rowBytes) * height);
        return 0;
      }
    } else {
      m_heldInARow = 0;
    }
  }

  if (effects) {
    if (work < 0) {
      work = 0;  // no room for two copies: the kept frame goes back to a plain copy
      m_keptYuy2 = -1;
    }
    const auto start = std::chrono::steady_clock::now();
    uint8_t* yuy2 = m_yuy2[work];
    if (!converted) RGB32ToYUY2(yuy2, m_yuy2Pitch, pixels, rowBytes, width, height);
    const bool denoise = m_denoiseOn && m_denoiseLevel != 0, delight = m_delightOn && m_delightLevel != 0;
    if (denoise) Denoise(yuy2, width, height, m_yuy2Pitch);
    if (delight) Delight(yuy2, width, height, m_yuy2Pitch);
    YUY2ToRGB32(pixels, rowBytes, yuy2, m_yuy2Pitch, width, height);
    if (m_tuner && (denoise || delight)) Tune(std::chrono::steady_clock::now() - start);
  }

  KeepGoodFrame(pixels, rowBytes, work);
  return 1;
}

// A YUY2 copy this frame may use, one not holding the kept frame; -1 when
// the second copy cannot be had.
int32_t CVideoRealEffect::FreeYuy2() {
  if (m_keptYuy2 != 0) return 0;
  if (!m_yuy2[1]) m_yuy2[1] = NewClear(static_cast<int64_t>(m_yuy2Pitch) * m_height);
  return m_yuy2[1] ? 1 : -1;
}

void CVideoRealEffect::KeepGoodFrame(const uint8_t* pixels, int32_t rowBytes, int32_t fromYuy2) {
  // A frame that came back whole from a YUY2 copy (every pixel converted, no
  // bytes between rows) is that copy: keeping it costs nothing.
  if (fromYuy2 >= 0 && m_width % 2 == 0 && rowBytes == 4 * m_width) {
    m_keptYuy2 = fromYuy2;
    return;
  }
  m_keptYuy2 = -1;
  const size_t bytes = static_cast<size_t>(rowBytes) * m_height;
  if (m_lastGood && m_lastGoodRowBytes != rowBytes) {
    std::free(m_lastGood);
    m_lastGood = nullptr;
  }
  if (!m_lastGood) {
    m_lastGood = NewClear(static_cast<int64_t>(bytes));
    m_lastGoodRowBytes = m_lastGood ? rowBytes : 0;
  }
  // Kept from the first accepted frame on, so a rejection right after it
  // shows that frame and not a cleared one.
  if (m_lastGood) std::memcpy(m_lastGood, pixels, bytes);
}

int32_t CVideoRealEffect::JudgeFrame(const uint8_t* planes, int32_t width, int32_t height,
                                     int32_t rowBytes) {
  AfjImage image;
  image.width = width;
  image.height = height;
  image.format = AFJ_FMT_PLANES;
  image.pitch[0] = image.pitch[1] = image.pitch[2] = width;
  const int64_t plane = static_cast<int64_t>(width) * height;
  image.plane[0] = planes;
  image.plane[1] = planes + plane;
  image.plane[2] = planes + 2 * plane;
  const AfjBand band{height / 2, height / 2};
  int32_t verdict = AFJ_FRAME_GOOD;
  if (AFJ_JudgeFrame(nullptr, m_judge, &image, &band, &verdict) != 0) return AFJ_FRAME_GOOD;
  return verdict;
}

void CVideoRealEffect::Denoise(uint8_t* yuy2, int32_t width, int32_t height, int32_t pitch) {
#if VIDEOEFFECT_WITH_DENOISER
  if (!m_denoiser) return;
  AVD_IMAGE image;
  image.width = width;
  image.height = height;
  image.format = AVD_FMT_YUYV;
  image.pitch[0] = pitch;
  image.plane[0] = yuy2;
  AVD_Denoise(m_denoiser, &image, &image, nullptr, nullptr);
#else
  (void)yuy2, (void)width, (void)height, (void)pitch;
#endif
}

void CVideoRealEffect::Delight(uint8_t* yuy2, int32_t width, int32_t height, int32_t pitch) {
  AdlFrameDesc image;
  image.width = width;
  image.height = height;
  image.format = ADL_FMT_YUY2;
  image.pitch[0] = pitch;
  image.pixels = yuy2;
  int32_t params[ADL_PARAM_COUNT];
  ADL_GetVideoDefaultParam(params);
  params[ADL_PARAM_STRETCH] = 100 - m_delightLevel;
  ADL_VideoDynamiclight(nullptr, m_delighter, &image, nullptr, params);
}
