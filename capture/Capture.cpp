#include "Capture.h"

#include <memory>

#include "BasePanel.h"
#include "CaptureManage.h"
#include "CaptureWindow.h"
#include "ORVGF.h"

namespace {
CCapture* g_capture = nullptr;
}  // namespace

CCapture::CCapture(WindowRef moduleWindow, ICaptureListener* listener)
    : m_hModuleWindow(moduleWindow), m_pListener(listener) {
  delete g_capture;
  g_capture = this;
}

CCapture::~CCapture() {
  delete m_pWindow;
  m_pWindow = nullptr;
  delete CCaptureManage::GetInstance();
  if (g_capture == this) g_capture = nullptr;
}

CCapture* CCapture::GetInstance() { return g_capture; }

template <typename Fn>
int32_t CCapture::WithEngine(Fn fn) {
  if (CCaptureManage* engine = CCaptureManage::GetInstance()) return fn(*engine);
  CCaptureManage temporary(m_pListener, CCaptureManage::kVideo | CCaptureManage::kSound, 1);
  return fn(temporary);
}

int32_t CCapture::StartPreview() {
  if (!m_hModuleWindow) return 0;
  CCaptureManage* engine = CCaptureManage::GetInstance();
  if (!engine) {
    engine = new CCaptureManage(m_pListener, m_bWithAudio ? CCaptureManage::kVideo | CCaptureManage::kSound
                                                          : CCaptureManage::kVideo, 1);
  }
  engine->SetVideoResolution(m_videoSize);
  if (!engine->SetVideoDevice(m_strVideoInput) && m_bOEMSupport) {
    std::u16string oem;
    if (engine->GetOEMDeviceName(oem, m_nOEMVendor, m_nOEMProduct)) {
      m_strVideoInput = oem;
      engine->SetVideoDevice(m_strVideoInput);
    }
  }
  engine->SetAudioDevice(m_strSoundInput);
  engine->SetVideoCompressorType(m_nCodec);
  engine->SetVideoQuality(uint32_t(m_nQuality));
  int32_t result = 0;
  if (engine->StartPreview() == 0) {
    engine->GetUsedVideoName(m_strVideoInput);
    engine->GetUsedAudioName(m_strSoundInput);
    engine->GetVideoResolution(m_videoSize);
    result = 1;
  }
  // The view goes into the capture page's preview area.
  if (!m_pWindow) {
    CBasePanel* panel = ORVGF::vGetPanelHandle();
    qel::Element* area = panel ? ORVGF::GetElementByName(panel->Page(), "cata_PreviewCamera") : nullptr;
    m_pWindow = new CCaptureWindow(m_pListener, m_hModuleWindow, area);
  }
  m_pWindow->SetConnectState(true);
  m_pWindow->ShowHIView(true);
  return result;
}

int32_t CCapture::StopPreview() {
  if (CCaptureManage* engine = CCaptureManage::GetInstance()) {
    engine->StopPreview();
    delete engine;
  }
  delete m_pWindow;
  m_pWindow = nullptr;
  return 1;
}

int32_t CCapture::CapturePicture(PubImage::QelPicture** picture) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine && engine->CapturePic(picture) == 0 && picture && *picture ? 1 : 0;
}

int32_t CCapture::StartRecord(const std::u16string& path) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  if (!engine || engine->StartRecord(path) != 0) return 0;
  if (m_pWindow) m_pWindow->ShowRecordTime(true);
  return 1;
}

int32_t CCapture::StopRecord() {
  if (m_pWindow) m_pWindow->ShowRecordTime(false);
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine && engine->StopRecord() == 0 ? 1 : 0;
}

bool CCapture::RecordWriteFailed() {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine && engine->RecordWriteFailed();
}

int32_t CCapture::GetVideoDevice(std::vector<std::u16string>& names) {
  return WithEngine([&](CCaptureManage& e) { return e.GetVideoDeviceName(names); });
}

int32_t CCapture::GetAudioDevice(std::vector<std::u16string>& names) {
  return WithEngine([&](CCaptureManage& e) { return e.GetAudioDeviceName(names); });
}

int32_t CCapture::GetActiveDevice(std::u16string& video, std::u16string& sound) {
  WithEngine([&](CCaptureManage& e) {
    e.GetUsedVideoName(m_strVideoInput);
    e.GetUsedAudioName(m_strSoundInput);
    return 1;
  });
  video = m_strVideoInput;
  sound = m_strSoundInput;
  return 1;
}

int32_t CCapture::RefreshDevice(int32_t video, int32_t sound) {
  return WithEngine([&](CCaptureManage& e) {
    if (video) e.UpdateChannel(CCaptureManage::kVideo);
    if (sound) e.UpdateChannel(CCaptureManage::kSound);
    return 1;
  });
}

int32_t CCapture::GetOEMDeviceName(std::u16string& name) {
  return WithEngine([&](CCaptureManage& e) { return e.GetOEMDeviceName(name, m_nOEMVendor, m_nOEMProduct); });
}

void CCapture::SetActiveDevice(const std::u16string& video, const std::u16string& sound) {
  m_strVideoInput = video;
  m_strSoundInput = sound;
}

void CCapture::SetOEMSupport(int32_t on, uint32_t vendor, uint32_t product) {
  m_bOEMSupport = on;
  m_nOEMVendor = vendor;
  m_nOEMProduct = product;
}

void CCapture::SetVideoQuality(int32_t quality) {
  m_nQuality = quality;
  if (CCaptureManage* engine = CCaptureManage::GetInstance()) engine->SetVideoQuality(uint32_t(quality));
}

void CCapture::SetVideoCodecType(uint32_t codec) {
  m_nCodec = codec;
  if (CCaptureManage* engine = CCaptureManage::GetInstance()) engine->SetVideoCompressorType(codec);
}

int32_t CCapture::EnableFrameJudge(int32_t on) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->EnableFrameJudge(on) : 0;
}

int32_t CCapture::EnableDenoise(int32_t on) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->EnableDenoise(on) : 0;
}

int32_t CCapture::EnableDelight(int32_t on) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->EnableDelight(on) : 0;
}

int32_t CCapture::SetDenoiseLevel(int32_t level) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->SetDenoiseLevel(level) : 0;
}

int32_t CCapture::SetDelightLevel(int32_t level) {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->SetDelightLevel(level) : 0;
}

int32_t CCapture::SetPreviewRect(const SRect32& rect) {
  if (!m_pWindow) return 0;
  m_pWindow->AdjustPreviewRect(rect);
  return 1;
}

int32_t CCapture::ZoomPreviewSize(double zoom) {
  if (!m_pWindow) return 0;
  CCaptureWindow::ZoomPreviewSize(zoom);
  if (qel::Element* view = m_pWindow->View()) view->Invalidate();
  return 1;
}

int32_t CCapture::DoCamSetting() {
  CCaptureManage* engine = CCaptureManage::GetInstance();
  return engine ? engine->DoCameraSetting(0) : 0;
}
