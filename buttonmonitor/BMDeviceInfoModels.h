#pragma once
// The supported camera models. Buttons are active low: a clear bit means
// that the button is down.
#include "BMDeviceInfo.h"

inline constexpr int32_t kBMCameraVendor = 0x04B8;
inline constexpr int kBMButtonAddress = 0x84;

// Zoom buttons: zoom in bit 0x40, zoom out bit 0x02; zoom in wins.
class BMDeviceInfoKestrune : public BMDeviceInfo {
 public:
  static constexpr int32_t kProductId = 0x0F01;
  BMDeviceInfoKestrune() : BMDeviceInfo(kBMCameraVendor, kProductId, {kBMButtonAddress}) {}
  void setCurrentStatus(const std::vector<uint8_t>& bytes) override;
};

// A latching record switch, bit 0x01: one record command when it goes down
// and one when it comes up, never while it stays.
class BMRecordSwitchDeviceInfo : public BMDeviceInfo {
 public:
  void setCurrentStatus(const std::vector<uint8_t>& bytes) override;
  void resetBaseline() override { _hasBaseline = false; }
  bool isRecording() const { return _isRecording; }

 protected:
  explicit BMRecordSwitchDeviceInfo(int32_t product) : BMDeviceInfo(kBMCameraVendor, product, {kBMButtonAddress}) {}

 private:
  bool _isRecording = false;
  bool _hasBaseline = false;
};

class BMDeviceInfoLumbrel : public BMRecordSwitchDeviceInfo {
 public:
  static constexpr int32_t kProductId = 0x0C02;
  BMDeviceInfoLumbrel() : BMRecordSwitchDeviceInfo(kProductId) {}
};

class BMDeviceInfoQuorvin : public BMRecordSwitchDeviceInfo {
 public:
  static constexpr int32_t kProductId = 0x0C05;
  BMDeviceInfoQuorvin() : BMRecordSwitchDeviceInfo(kProductId) {}
};
