#pragma once
// The camera's own picture settings (whatever the device offers: brightness,
// contrast, white balance, exposure, focus ...) with their ranges and
// defaults, and the sound input and its level. Every change is applied at
// once and kept for that camera (CameraControlStore), so it comes back
// whenever the camera starts again. Closing answers 0.
#include <cstdint>
#include <string>
#include <vector>

#include "CDlgBase.h"
#include "media/CameraControls.h"
#include "media/CaptureDevices.h"

class CDlgCameraSetting : public CDlgBase {
 public:
  enum Parts : uint8_t { kCamera = 1, kSound = 2 };
  // The devices the engine uses now; a part whose device is missing is
  // left out.
  CDlgCameraSetting(uint8_t parts, media::CaptureDevice camera, media::CaptureDevice microphone);
  void RegisterCallBacks() override;
  int32_t DidCreate() override;

  static constexpr int32_t kRowHeight = 36;

 private:
  struct Row {
    media::CameraControl control;
    qel::Element* value = nullptr;  // the slider, check box or list
    qel::Element* number = nullptr;
  };
  static int32_t OnControl(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnSound(QelObject element, int32_t event, QELLPARAM param, void* data);
  int32_t BuildRows();
  void Apply(Row& row, int32_t value);
  void ShowValue(Row& row);
  void Defaults();

  uint8_t m_parts;
  media::CaptureDevice m_camera;
  media::CaptureDevice m_microphone;
  std::vector<Row> m_rows;
  std::vector<media::CaptureDevice> m_sources;  // the sound inputs listed
};
