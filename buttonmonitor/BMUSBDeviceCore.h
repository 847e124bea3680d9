#pragma once
// The monitor's USB side: finds one supported camera, makes its
// video-control interface ready, reads and decodes the button byte, and
// notices when the camera goes so it can take the next one.
//
// Connection status: 0 no camera held; 1 a camera is held and ready for
// requests; -1 a camera is held but cannot be asked.
#include <memory>
#include <vector>

#include "BMDeviceInfoManager.h"
#include "usb/UsbBus.h"

class BMUSBDeviceCore {
 public:
  // `bus` may be null (no USB on this machine): arming then fails.
  explicit BMUSBDeviceCore(plat::usb::Bus* bus,
                           BMDeviceInfoManager& models = BMDeviceInfoManager::sharedInstance());
  // Stops watching, closes the camera, drops the model.
  ~BMUSBDeviceCore();
  BMUSBDeviceCore(const BMUSBDeviceCore&) = delete;
  BMUSBDeviceCore& operator=(const BMUSBDeviceCore&) = delete;

  // Watches every model and takes a camera already present: 0, or -1 when
  // watching cannot be set up.
  int runUSBConnectionCheck();
  int getUSBConnectionStatus() const { return _usbConnectionStatus; }
  // Reads and decodes the buttons: the button status, and in `out` (when
  // given and the read succeeded) the model's current command, null when
  // none is due.
  int getBtnStatus(std::shared_ptr<BMNotification>* out);
  // Takes the arrivals and removals the bus noticed since the last call.
  void processUSBEvents();

  const std::shared_ptr<BMDeviceInfo>& deviceInfo() const { return _deviceInfo; }

 private:
  void deviceAdded(const std::vector<plat::usb::DevicePtr>& candidates);
  void deviceNotification(const plat::usb::Event& event);
  int getInterface(const plat::usb::DevicePtr& device);
  int interfaceControlRequest(const plat::usb::ControlRequest& request, uint8_t* data);
  void scanPresent();

  plat::usb::Bus* _bus;
  BMDeviceInfoManager& _models;
  std::vector<int> _watches;
  int _usbConnectionStatus = 0;
  plat::usb::DevicePtr _device;               // the held camera
  std::shared_ptr<BMDeviceInfo> _deviceInfo;  // its model; non-null while one is held
};
