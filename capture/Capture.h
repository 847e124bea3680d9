#pragma once
// The capture facade between the panel and the engine: it holds the user's
// choices (size, inputs, sound switch, quality, codec, OEM camera identity)
// and hands them to the engine when the live picture starts. One facade at
// a time: a new one destroys the previous one. Results: 1 success, 0 failure.
#include <cstdint>
#include <string>
#include <vector>

#include "ICaptureListener.h"
#include "PubImage.h"
#include "qel/QelTypes.h"

class CCaptureManage;
class CCaptureWindow;

class CCapture {
 public:
  CCapture(WindowRef moduleWindow, ICaptureListener* listener);
  virtual ~CCapture();
  static CCapture* GetInstance();

  int32_t StartPreview();
  int32_t StopPreview();
  int32_t StartRecord(const std::u16string& path);
  int32_t StopRecord();
  // Whether the movie being recorded, or the last one stopped, could not be written.
  bool RecordWriteFailed();
  // A new picture of the newest frame (count 1); 1, or 0 without one.
  int32_t CapturePicture(PubImage::QelPicture** picture);
  CCaptureWindow* Window() const { return m_pWindow; }

  // Input names, through the live engine or a temporary one.
  int32_t GetVideoDevice(std::vector<std::u16string>& names);
  int32_t GetAudioDevice(std::vector<std::u16string>& names);
  int32_t GetActiveDevice(std::u16string& video, std::u16string& sound);
  int32_t RefreshDevice(int32_t video, int32_t sound);
  int32_t GetOEMDeviceName(std::u16string& name);

  void SetActiveDevice(const std::u16string& video, const std::u16string& sound);
  void SetVideoSize(const SIZE& size) { m_videoSize = size; }
  SIZE GetVideoSize() const { return m_videoSize; }
  void SetWithAudio(int32_t on) { m_bWithAudio = on; }
  void SetOEMSupport(int32_t on, uint32_t vendor, uint32_t product);
  void SetVideoQuality(int32_t quality);
  void SetVideoCodecType(uint32_t codec);

  int32_t EnableFrameJudge(int32_t on);
  int32_t EnableDenoise(int32_t on);
  int32_t EnableDelight(int32_t on);
  int32_t SetDenoiseLevel(int32_t level);
  int32_t SetDelightLevel(int32_t level);

  // The preview view's rectangle and zoom; 0 without a view.
  int32_t SetPreviewRect(const SRect32& rect);
  int32_t ZoomPreviewSize(double zoom);
  int32_t DoCamSetting();

 private:
  // The live engine, or a temporary one for a question asked without it.
  template <typename Fn>
  int32_t WithEngine(Fn fn);

  CCaptureWindow* m_pWindow = nullptr;
  WindowRef m_hModuleWindow;
  ICaptureListener* m_pListener;
  SIZE m_videoSize{640, 480};
  std::u16string m_strVideoInput, m_strSoundInput;
  int32_t m_bWithAudio = 0;
  int32_t m_bOEMSupport = 0;
  uint32_t m_nOEMVendor = 0, m_nOEMProduct = 0;
  int32_t m_nQuality = 50;
  uint32_t m_nCodec = 0x61766331;  // 'avc1' until the panel chooses
};
