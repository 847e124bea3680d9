#include "CaptureManage.h"

namespace {
CCaptureManage* g_engine = nullptr;
}  // namespace

CCaptureManage::CCaptureManage(ICaptureListener* listener, uint8_t channels, int32_t)
    : m_pListener(listener), m_channels(channels) {
  delete g_engine;
  g_engine = this;
  InitChannel(channels);
}

CCaptureManage::~CCaptureManage() {
  StopPreview();
  UnInitChannel(kVideo | kSound);
  if (g_engine == this) g_engine = nullptr;
}

CCaptureManage* CCaptureManage::GetInstance() { return g_engine; }

// No camera or sound input can be opened here: the channels stay unbuilt.
int32_t CCaptureManage::InitChannel(uint8_t) { return -1; }

int32_t CCaptureManage::UnInitChannel(uint8_t channels) {
  if (channels & kVideo) m_bVideoReady = false;
  if (channels & kSound) m_bSoundReady = false;
  return 0;
}

int32_t CCaptureManage::UpdateChannel(int32_t kind) {
  StopPreview();
  UnInitChannel(uint8_t(kind));
  InitChannel(uint8_t(kind));
  return StartPreview();
}

int32_t CCaptureManage::StartPreview() { return m_bVideoReady ? 0 : -1; }
int32_t CCaptureManage::StopPreview() { return 0; }
int32_t CCaptureManage::Idle() { return -1; }

int32_t CCaptureManage::GetVideoResolution(SIZE& size) {
  if (!m_bVideoReady) return 0;
  size = m_size;
  return 1;
}

int32_t CCaptureManage::SetVideoResolution(const SIZE& size) {
  if (!m_bVideoReady || size.cx <= 0 || size.cy <= 0) return 0;
  m_size = size;
  return 1;
}

int32_t CCaptureManage::SetVideoCompressorType(uint32_t codec) {
  // 'mp4v' and 'mjpa' are the movie compressors the recorder knows.
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

int32_t CCaptureManage::SetVideoDevice(const std::u16string&) { return 0; }
int32_t CCaptureManage::SetAudioDevice(const std::u16string&) { return 0; }

int32_t CCaptureManage::GetUsedVideoName(std::u16string& name) const {
  if (m_usedVideo.empty()) return 0;
  name = m_usedVideo;
  return 1;
}

int32_t CCaptureManage::GetUsedAudioName(std::u16string& name) const {
  if (m_usedSound.empty()) return 0;
  name = m_usedSound;
  return 1;
}

int32_t CCaptureManage::GetVideoDeviceName(std::vector<std::u16string>& names) const {
  names.clear();
  return 1;
}

int32_t CCaptureManage::GetAudioDeviceName(std::vector<std::u16string>& names) const {
  names.clear();
  return 1;
}

int32_t CCaptureManage::GetOEMDeviceName(std::u16string&, uint32_t, uint32_t) const { return 0; }
int32_t CCaptureManage::DoCameraSetting(int32_t) { return m_bVideoReady ? 1 : 0; }
int32_t CCaptureManage::DoAudioSetting() { return 0; }

int32_t CCaptureManage::EnableFrameJudge(int32_t) { return m_bVideoReady ? 1 : 0; }
int32_t CCaptureManage::EnableDenoise(int32_t) { return m_bVideoReady ? 1 : 0; }
int32_t CCaptureManage::EnableDelight(int32_t) { return m_bVideoReady ? 1 : 0; }
int32_t CCaptureManage::SetDenoiseLevel(int32_t) { return m_bVideoReady ? 1 : 0; }
int32_t CCaptureManage::SetDelightLevel(int32_t) { return m_bVideoReady ? 1 : 0; }
