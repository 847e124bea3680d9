#include "CaptureManage.h"

#include <cstdio>
#include <cstring>

#include "CameraControlStore.h"
#include "DlgCameraSetting.h"
#include "ORVGF.h"
#include "ORVImageTools.h"
#include "ORVTrace.h"
#include "PreviewPictures.h"
#include "Profile.h"
#include "VideoRealEffect.h"
#include "media/CaptureDevices.h"
#include "media/SoundCapture.h"
#include "media/VideoCapture.h"
#include "os/Offscreen.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

CCaptureManage* g_engine = nullptr;

std::vector<std::u16string> InputNames(const std::vector<media::CaptureDevice>& devices) {
  std::vector<std::u16string> names;
  for (const media::CaptureDevice& d : devices) {
    if (d.unavailable) continue;
    for (const std::string& input : d.inputs) names.push_back(QelFromUTF8(input));
  }
  return names;
}

}  // namespace

CCaptureManage::CCaptureManage(ICaptureListener* listener, uint8_t channels, int32_t)
    : m_pListener(listener), m_channels(channels), m_pictures(std::make_unique<CPreviewPictures>()) {
  delete g_engine;
  g_engine = this;
  InitChannel(channels);
}

CCaptureManage::~CCaptureManage() {
  if (m_bRecording) StopRecord();
  ReleaseRecorder();
  StopPreview();
  UnInitChannel(kVideo | kSound);
  m_preview = nullptr;
  if (g_engine == this) g_engine = nullptr;
}

CCaptureManage* CCaptureManage::GetInstance() { return g_engine; }

int32_t CCaptureManage::InitChannel(uint8_t channels) {
  int32_t result = 0;
  if (channels & kVideo) {
    m_pVideo = std::make_unique<media::VideoCapture>();
    // The default camera: the first listed one; a chosen input replaces it.
    const std::vector<media::CaptureDevice> cameras = media::ListVideoDevices();
    bool chosen = false;
    for (const media::CaptureDevice& d : cameras) {
      if (!d.unavailable && !d.inputs.empty() && m_pVideo->SelectDevice(d, 0) == 0) {
        chosen = true;
        break;
      }
    }
    if (!chosen) {
      m_pVideo.reset();
      result = -1;
    } else {
      const media::Size bounds = m_pVideo->SourceBounds();
      OrvTrace("capture video bounds " + std::to_string(bounds.width) + "x" + std::to_string(bounds.height));
    }
  }
  if (channels & kSound) {
    m_pSound = std::make_unique<media::SoundCapture>();
    bool chosen = false;
    for (const media::CaptureDevice& d : media::ListSoundDevices()) {
      if (!d.unavailable && !d.inputs.empty() && m_pSound->SelectDevice(d, 0) == 0) {
        chosen = true;
        break;
      }
    }
    if (!chosen) {
      m_pSound.reset();
      result = -1;
    }
  }
  return result;
}

int32_t CCaptureManage::UnInitChannel(uint8_t channels) {
  if ((channels & kVideo) && m_pVideo) {
    m_pVideo->Stop();
    m_pVideo.reset();
    std::lock_guard<std::mutex> hold(m_effectLock);
    m_pEffect.reset();
  }
  if ((channels & kSound) && m_pSound) {
    m_pSound->Stop();
    m_pSound.reset();
  }
  return 0;
}

int32_t CCaptureManage::UpdateChannel(int32_t kind) {
  StopPreview();
  const std::u16string video = m_usedVideo, sound = m_usedSound;
  UnInitChannel(uint8_t(kind));
  InitChannel(uint8_t(kind));
  if (!video.empty()) SetVideoDevice(video);
  if (!sound.empty()) SetAudioDevice(sound);
  return StartPreview();
}

bool CCaptureManage::EnsurePreview(int32_t width, int32_t height) {
  if (m_preview && m_preview->width == width && m_preview->height == height) return true;
  m_preview = nullptr;
  if (width <= 0 || height <= 0) return false;
  // Black until the first frame, in the camera's frame layout, so that the
  // frames' pixels can be swapped in.
  media::Frame blank;
  blank.Resize(width, height);
  m_shown = std::move(blank);
  m_previewWorld = plat::Offscreen{width, height, plat::kOffscreenARGB32, m_shown.rowBytes, m_shown.pixels.data()};
  m_preview = &m_previewWorld;
  std::lock_guard<std::mutex> hold(m_effectLock);
  // One effect object per picture size: the size frames really arrive at.
  m_pEffect = std::make_unique<CVideoRealEffect>(width, height);
  m_effect.changed = true;
  m_chainIdle = true;
  return true;
}

int32_t CCaptureManage::StartPreview() {
  if (!m_pVideo) return -1;
  const media::Size bounds = m_pVideo->SourceBounds();
  const bool fits = m_requested.cx > 0 && m_requested.cy > 0 && m_requested.cx <= bounds.width &&
                    m_requested.cy <= bounds.height;
  if (fits) m_pVideo->SetSize(media::Size{m_requested.cx, m_requested.cy});
  else m_pVideo->SetSize(bounds);
  const media::Size delivered = m_pVideo->GetSize();
  if (!EnsurePreview(delivered.width, delivered.height)) return -1;
  m_pictures->Reset();
  m_pVideo->SetFrameHook([this](media::Frame& f) {
    OnFrame(f);
    m_pictures->Make(f);
  });
  m_bFrameSeen = false;
  m_bSoundSeen = false;
  m_recentSound.clear();
  m_framesProcessed = 0;
  if (m_pVideo->Start() != 0) return -1;
  CameraControlStore::Restore(m_pVideo->Device());
  m_usedVideo = QelFromUTF8(m_pVideo->InputName());
  m_bVideoLost = false;
  if (m_pSound) {
    m_usedSound = QelFromUTF8(m_pSound->InputName());
    if (m_pSound->Start() != 0) std::fprintf(stderr, "capture: the microphone cannot be opened\n");
    m_bSoundLost = false;
  }
  QelInstallTimer(this, kSoundWatchTimer, 1000, 1000, &CCaptureManage::TimerProc, this);
  m_bPreviewing = true;
  return 0;
}

int32_t CCaptureManage::StopPreview() {
  QelRemoveTimer(this, kSoundWatchTimer);
  m_bPreviewing = false;
  if (m_pVideo) {
    m_bVideoLost = false;
    m_pVideo->Stop();
  }
  if (m_pSound) {
    m_bSoundLost = false;
    m_pSound->Stop();
  }
  return 0;
}

void CCaptureManage::TimerProc(void*, uint32_t id, void* data) {
  auto* self = static_cast<CCaptureManage*>(data);
  if (self != g_engine) return;
  if (id == kSoundWatchTimer) self->CheckSoundDevice();
  else if (id == kFrameClockTimer) self->OnFrameClock();
}

// Worker thread: every frame passes the effect chain once, in order.
void CCaptureManage::OnFrame(media::Frame& frame) {
  std::lock_guard<std::mutex> hold(m_effectLock);
  CVideoRealEffect* effect = m_pEffect.get();
  if (!effect) return;
  ++m_framesProcessed;
  if (m_effect.changed.exchange(false)) {
    const bool idle = !m_effect.judge && !m_effect.denoise && !m_effect.delight;
    if (m_chainIdle && !idle) {
      // The chain keeps the last frame it passed, to show in place of a
      // rejected one, and kept none while it was not called: this frame
      // passes with every switch still off and is kept; the switches take
      // effect from the next frame on.
      effect->DoEffect(frame.pixels.data(), frame.width, frame.height, 32, frame.rowBytes);
      m_effect.changed = true;
      m_chainIdle = false;
      return;
    }
    effect->EnableFrameJudge(m_effect.judge);
    effect->EnableDenoise(m_effect.denoise);
    effect->EnableDelight(m_effect.delight);
    effect->SetDenoiseLevel(m_effect.denoiseLevel);
    effect->SetDelightLevel(m_effect.delightLevel);
    m_chainIdle = idle;
  }
  if (!m_chainIdle) effect->DoEffect(frame.pixels.data(), frame.width, frame.height, 32, frame.rowBytes);
}

int32_t CCaptureManage::EffectThreadCount() {
  std::lock_guard<std::mutex> hold(m_effectLock);
  return m_pEffect ? m_pEffect->ThreadCount() : 0;
}

void CCaptureManage::ReportDevice(int32_t value) {
  if (m_pListener) m_pListener->Receive(1524, &value, this);
}

int32_t CCaptureManage::Idle() {
  int32_t result = -1;
  if (m_pSound && m_bPreviewing && !m_bSoundLost) {
    result = m_pSound->IdleTimed(
        [this](const uint8_t* data, size_t bytes, int64_t clockUs) { OnSoundBlock(data, bytes, clockUs); });
  }
  if (m_pVideo && !m_bVideoLost) {
    result = m_pVideo->Idle([this](media::Frame& f) {
      if (!m_preview || m_preview->width != f.width || m_preview->height != f.height) return;
      // The picture on show fills the movie up to this one's moment.
      if (m_bRecording) FillFramesTo(FrameSlotAt(f.clockUs - m_recordStartUs, uint32_t(m_frameRate)));
      if (f.rowBytes == m_shown.rowBytes && f.pixels.size() == m_shown.pixels.size()) {
        // The frame's pixels become the picture on show; the camera gets the
        // old ones back to fill.
        std::swap(f.pixels, m_shown.pixels);
        m_previewWorld.pixels = m_shown.pixels.data();
      } else {
        const size_t row = size_t(f.width) * 4;
        for (int32_t y = 0; y < f.height; ++y)
          std::memcpy(m_preview->pixels + size_t(y) * size_t(m_preview->rowBytes), f.Row(y), row);
      }
      m_pictures->Show(f.index);
      m_bFrameSeen = true;
      m_previewClockUs = f.clockUs;
      ++m_frameCount;
    });
    if (result == media::kVideoDeviceLost) {
      m_bVideoLost = true;
      OrvTrace("capture camera lost");
      ReportDevice(0);
    }
  }
  return result;
}

void CCaptureManage::CheckSoundDevice() {
  if (!m_pSound || m_bSoundLost || !m_bPreviewing) return;
  if (m_pSound->CheckDevice() == media::kSoundDeviceLost) {
    m_bSoundLost = true;
    OrvTrace("capture microphone lost");
    ReportDevice(1);
  }
}

int32_t CCaptureManage::CapturePic(PubImage::QelPicture** picture) {
  if (!picture) return -1;
  *picture = nullptr;
  if (!m_bFrameSeen || !m_pVideo || !m_preview) return -1;
  *picture = ORVGF::PixMapHandleToPict(m_preview);
  return *picture ? 0 : -1;
}

int32_t CCaptureManage::GetVideoResolution(SIZE& size) {
  if (!m_pVideo) return 0;
  const media::Size s = m_pVideo->GetSize();
  size = SIZE{s.width, s.height};
  return 1;
}

int32_t CCaptureManage::SetVideoResolution(const SIZE& size) {
  if (!m_pVideo) return 0;
  const media::Size bounds = m_pVideo->SourceBounds();
  if (size.cx <= 0 || size.cy <= 0 || size.cx > bounds.width || size.cy > bounds.height) return 0;
  m_requested = size;
  return 1;
}

int32_t CCaptureManage::SetVideoCompressorType(uint32_t codec) {
  // 'mp4v' and 'mjpa' are the movie compressors the recorder offers.
  if (codec != 0x6D703476 && codec != 0x6D6A7061) return -1;
  m_codec = codec;
  return 0;
}

int32_t CCaptureManage::GetVideoCompressorType(uint32_t& codec) const {
  codec = m_codec;
  return 0;
}

int32_t CCaptureManage::SetVideoQuality(uint32_t q) {
  if (q >= 90) m_quality = 90, m_frameRate = 15;
  else if (q >= 50) m_quality = 70, m_frameRate = 10;
  else m_quality = 50, m_frameRate = 5;
  return 0;
}

int32_t CCaptureManage::GetVideoQuality(int32_t& quality) const {
  quality = m_quality;
  return 0;
}

int32_t CCaptureManage::SetVideoDevice(const std::u16string& name) {
  if (!m_pVideo || name.empty() || m_pVideo->Running()) return 0;
  return m_pVideo->SelectInput(QelToUTF8(name)) == 0 ? 1 : 0;
}

int32_t CCaptureManage::SetAudioDevice(const std::u16string& name) {
  if (!m_pSound || name.empty() || m_pSound->Running()) return 0;
  return m_pSound->SelectInput(QelToUTF8(name)) == 0 ? 1 : 0;
}

int32_t CCaptureManage::GetUsedVideoName(std::u16string& name) const {
  if (!m_pVideo) return 0;
  name = QelFromUTF8(m_pVideo->InputName());
  return name.empty() ? 0 : 1;
}

int32_t CCaptureManage::GetUsedAudioName(std::u16string& name) const {
  if (!m_pSound) return 0;
  name = QelFromUTF8(m_pSound->InputName());
  return name.empty() ? 0 : 1;
}

int32_t CCaptureManage::GetVideoDeviceName(std::vector<std::u16string>& names) const {
  names = InputNames(media::ListVideoDevices());
  return 1;
}

int32_t CCaptureManage::GetAudioDeviceName(std::vector<std::u16string>& names) const {
  names = InputNames(media::ListSoundDevices());
  return 1;
}

int32_t CCaptureManage::GetOEMDeviceName(std::u16string& name, uint32_t vendor, uint32_t product) const {
  const std::string found = media::FindUsbCameraName(uint16_t(vendor), uint16_t(product));
  if (found.empty()) return 0;
  name = QelFromUTF8(found);
  return 1;
}

int32_t CCaptureManage::DoCameraSetting(int32_t) {
  if (!m_pVideo) return 0;
  RunSettingsDialog(CDlgCameraSetting::kCamera | CDlgCameraSetting::kSound);
  return 1;
}

int32_t CCaptureManage::DoAudioSetting() {
  if (!m_pSound) return 0;
  return RunSettingsDialog(CDlgCameraSetting::kSound) ? 1 : 0;
}

bool CCaptureManage::RunSettingsDialog(uint8_t parts) {
  const media::CaptureDevice camera = m_pVideo ? m_pVideo->Device() : media::CaptureDevice{};
  const media::CaptureDevice microphone = m_pSound ? m_pSound->Device() : media::CaptureDevice{};
  CDlgCameraSetting dialog(parts, camera, microphone);
  WindowRef parent = ORVGF::vGetLastPopupWindow();
  if (!dialog.Create(u"CameraSetting.aui", nullptr, parent)) return false;
  OrvTrace("camera settings shown");
  dialog.DoModal();
  // Another sound input chosen: the sound starts again with it.
  WCHAR chosen[1024] = {};
  LoadProfileString(u"Section_Capture", u"AudioDevice", u"", chosen, 1024);
  if (m_pSound && chosen[0] && std::u16string(chosen) != m_usedSound && m_bPreviewing) {
    m_usedSound = chosen;
    UpdateChannel(kSound);
  }
  return true;
}

int32_t CCaptureManage::EnableFrameJudge(int32_t on) {
  m_effect.judge = on;
  m_effect.changed = true;
  return 0;
}

int32_t CCaptureManage::EnableDenoise(int32_t on) {
  m_effect.denoise = on;
  m_effect.changed = true;
  return 0;
}

int32_t CCaptureManage::EnableDelight(int32_t on) {
  m_effect.delight = on;
  m_effect.changed = true;
  return 0;
}

int32_t CCaptureManage::SetDenoiseLevel(int32_t level) {
  m_effect.denoiseLevel = level;
  m_effect.changed = true;
  return 0;
}

int32_t CCaptureManage::SetDelightLevel(int32_t level) {
  m_effect.delightLevel = level;
  m_effect.changed = true;
  return 0;
}
