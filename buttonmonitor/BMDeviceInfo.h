#pragma once
// One camera model: its USB ids, the request addresses to read, and the
// decoder of its button byte into a button status and the command due.
//
// Button status: -1 no answer, 0 no button down, 1 zoom in, 2 zoom out,
// 3 record.
#include <cstdint>
#include <memory>
#include <vector>

#include "BMNotification.h"

class BMDeviceInfo {
 public:
  virtual ~BMDeviceInfo() = default;

  int32_t venderId() const { return _venderId; }
  int32_t productId() const { return _productId; }
  const std::vector<int>& addressArray() const { return _addressArray; }

  // Decodes the bytes just read, one per address; anything but exactly one
  // byte leaves the status and command as they were.
  virtual void setCurrentStatus(const std::vector<uint8_t>& bytes) {}
  // The camera was (re)connected: the next byte decoded only tells the
  // buttons' state and sends nothing.
  virtual void resetBaseline() {}

  int buttonStatusForCurrentStatus() const { return _btnStatus; }
  // The command due for the last decode (the model keeps it until its next
  // decode); null when none.
  const std::shared_ptr<BMNotification>& notificationForCurrentStatus() const { return _notification; }

 protected:
  BMDeviceInfo(int32_t vendor, int32_t product, std::vector<int> addresses)
      : _venderId(vendor), _productId(product), _addressArray(std::move(addresses)) {}
  // Checks the common rule and clears the last decode; false when the
  // bytes are to be ignored.
  bool beginDecode(const std::vector<uint8_t>& bytes, uint8_t* byte);

  int32_t _venderId;
  int32_t _productId;
  std::vector<int> _addressArray;
  int _btnStatus = 0;
  std::shared_ptr<BMNotification> _notification;
};
