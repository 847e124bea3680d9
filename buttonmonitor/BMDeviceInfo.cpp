#include "BMDeviceInfo.h"

#include "BMDeviceInfoModels.h"

bool BMDeviceInfo::beginDecode(const std::vector<uint8_t>& bytes, uint8_t* byte) {
  if (bytes.size() != 1) return false;
  _notification.reset();
  _btnStatus = 0;
  *byte = bytes[0];
  return true;
}

void BMDeviceInfoKestrune::setCurrentStatus(const std::vector<uint8_t>& bytes) {
  uint8_t byte = 0;
  if (!beginDecode(bytes, &byte)) return;
  if (!(byte & 0x40)) {
    _btnStatus = 1;
  } else if (!(byte & 0x02)) {
    _btnStatus = 2;
  }
  _notification = BMNotification::initWithBtnStatus(_btnStatus);
}

void BMRecordSwitchDeviceInfo::setCurrentStatus(const std::vector<uint8_t>& bytes) {
  uint8_t byte = 0;
  if (!beginDecode(bytes, &byte)) return;
  bool down = !(byte & 0x01);
  _btnStatus = down ? 3 : 0;
  // The first byte after a connection is the switch's position, not a
  // change: a switch moved while the camera was away must not toggle
  // recording on its own.
  if (_hasBaseline && down != _isRecording) _notification = BMNotification::initWithBtnStatus(3);
  _isRecording = down;
  _hasBaseline = true;
}
