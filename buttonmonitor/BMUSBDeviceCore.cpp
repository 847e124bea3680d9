#include "BMUSBDeviceCore.h"

#include <cstdio>

namespace {

// Printed once per process: the core is replaced at every poll while it
// cannot arm, and the reason does not change.
void ReportOnce(bool* done, const char* text) {
  if (*done) return;
  *done = true;
  std::fputs(text, stderr);
}

bool s_matchingReported = false;
bool s_accessReported = false;

}  // namespace

BMUSBDeviceCore::BMUSBDeviceCore(plat::usb::Bus* bus, BMDeviceInfoManager& models) : _bus(bus), _models(models) {}

BMUSBDeviceCore::~BMUSBDeviceCore() {
  if (_bus) {
    for (int handle : _watches) _bus->Unwatch(handle);
  }
  if (_device) _device->Close();
}

int BMUSBDeviceCore::runUSBConnectionCheck() {
  // Watches are set up once per core; a re-arming after a removal only
  // looks at what is present.
  if (_watches.empty()) {
    for (const auto& model : _models.supportedDeviceArray()) {
      int handle = _bus ? _bus->Watch(static_cast<uint16_t>(model->venderId()),
                                      static_cast<uint16_t>(model->productId()))
                        : -1;
      if (handle < 0) {
        ReportOnce(&s_matchingReported, "KestruneBM:IOServiceMatching failure.\n");
        return -1;
      }
      _watches.push_back(handle);
    }
  }
  scanPresent();
  return 0;
}

void BMUSBDeviceCore::scanPresent() {
  for (const auto& model : _models.supportedDeviceArray()) {
    deviceAdded(_bus->Present(static_cast<uint16_t>(model->venderId()), static_cast<uint16_t>(model->productId())));
  }
}

void BMUSBDeviceCore::deviceAdded(const std::vector<plat::usb::DevicePtr>& candidates) {
  // A held camera is never replaced by a later one.
  if (_deviceInfo) return;
  plat::usb::DevicePtr kept;
  for (const auto& device : candidates) {
    // The smallest location wins; on a tie the one seen first stays.
    if (!kept || device->GetLocation() < kept->GetLocation()) kept = device;
  }
  if (!kept) return;
  _deviceInfo = _models.deviceInfoWithProductId(kept->ProductId());
  if (!_deviceInfo) return;
  _device = kept;
  _deviceInfo->resetBaseline();
  _usbConnectionStatus = getInterface(kept) == 0 ? 1 : -1;
}

int BMUSBDeviceCore::getInterface(const plat::usb::DevicePtr& device) {
  int rc = device->OpenForControl(plat::usb::kClassVideo, plat::usb::kSubclassVideoControl);
  if (rc == plat::usb::kErrorAccess) {
    std::string text = "Pressmon: no permission to open the camera on USB " +
                       plat::usb::LocationText(device->GetLocation()) +
                       "; install the udev rule 70-dunsellow-camera.rules and plug the camera in again.\n";
    ReportOnce(&s_accessReported, text.c_str());
  }
  return rc == plat::usb::kOk ? 0 : -50;
}

void BMUSBDeviceCore::processUSBEvents() {
  if (!_bus) return;
  for (const plat::usb::Event& event : _bus->TakeEvents()) {
    if (event.kind == plat::usb::Event::kArrived) {
      deviceAdded({event.device});
    } else {
      deviceNotification(event);
    }
  }
}

void BMUSBDeviceCore::deviceNotification(const plat::usb::Event& event) {
  // Only the held camera's removal matters.
  if (!_device || event.device != _device) return;
  _device->Close();
  _device.reset();
  _usbConnectionStatus = 0;
  _deviceInfo.reset();
  scanPresent();
}

int BMUSBDeviceCore::interfaceControlRequest(const plat::usb::ControlRequest& request, uint8_t* data) {
  if (!_device || _usbConnectionStatus != 1) return -1;
  return _device->ControlIn(request, data) == request.length ? 0 : -1;
}

int BMUSBDeviceCore::getBtnStatus(std::shared_ptr<BMNotification>* out) {
  if (!_device || _usbConnectionStatus != 1 || !_deviceInfo) return -1;
  std::vector<uint8_t> bytes;
  for (int address : _deviceInfo->addressArray()) {
    uint8_t byte = 0;
    plat::usb::ControlRequest request{0xC1, 0x00, 0x0000, static_cast<uint16_t>(address), 1};
    if (interfaceControlRequest(request, &byte) != 0) return -1;
    bytes.push_back(byte);
  }
  _deviceInfo->setCurrentStatus(bytes);
  if (out) *out = _deviceInfo->notificationForCurrentStatus();
  return _deviceInfo->buttonStatusForCurrentStatus();
}
