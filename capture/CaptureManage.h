#pragma once
// The capture engine: owns the camera and sound inputs, the preview picture
// and the per-frame hook. This build has no camera layer behind it: the
// engine finds no device, so every operation answers its failure result and
// the device lists are empty. Results: 0 success, -1 failure.
#include <cstdint>
#include <string>
#include <vector>

#include "ICaptureListener.h"
#include "qel/QelTypes.h"

class CCaptureManage {
 public:
  enum ChannelFlags : uint8_t { kVideo = 1, kSound = 2 };

  // Destroys a previous engine first (one engine at a time).
  CCaptureManage(ICaptureListener* listener, uint8_t channels, int32_t unused);
  virtual ~CCaptureManage();
  static CCaptureManage* GetInstance();

  int32_t InitChannel(uint8_t channels);
  int32_t UnInitChannel(uint8_t channels);
  int32_t UpdateChannel(int32_t kind);
  int32_t StartPreview();
  int32_t StopPreview();
  int32_t Idle();

  int32_t GetVideoResolution(SIZE& size);
  int32_t SetVideoResolution(const SIZE& size);
  int32_t SetVideoCompressorType(uint32_t codec);
  int32_t GetVideoCompressorType(uint32_t& codec) const;
  int32_t SetVideoQuality(uint32_t quality);
  int32_t GetVideoQuality(int32_t& quality) const;
  int32_t SetVideoDevice(const std::u16string& name);
  int32_t SetAudioDevice(const std::u16string& name);
  int32_t GetUsedVideoName(std::u16string& name) const;
  int32_t GetUsedAudioName(std::u16string& name) const;
  int32_t GetVideoDeviceName(std::vector<std::u16string>& names) const;
  int32_t GetAudioDeviceName(std::vector<std::u16string>& names) const;
  int32_t GetOEMDeviceName(std::u16string& name, uint32_t vendor, uint32_t product) const;
  int32_t DoCameraSetting(int32_t all);
  int32_t DoAudioSetting();

  int32_t EnableFrameJudge(int32_t on);
  int32_t EnableDenoise(int32_t on);
  int32_t EnableDelight(int32_t on);
  int32_t SetDenoiseLevel(int32_t level);
  int32_t SetDelightLevel(int32_t level);

  bool HasVideo() const { return m_bVideoReady; }

 private:
  ICaptureListener* m_pListener;
  uint8_t m_channels;
  bool m_bVideoReady = false;
  bool m_bSoundReady = false;
  uint32_t m_codec = 0x6D703476;  // 'mp4v'
  int32_t m_quality = 100;
  int32_t m_frameRate = 15;
  std::u16string m_usedVideo, m_usedSound;
  SIZE m_size{640, 480};
};
