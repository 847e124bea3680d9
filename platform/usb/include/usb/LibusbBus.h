#pragma once
// The real bus through libusb-1.0: hot-plug notices when libusb offers them,
// else a comparison of the device list at every TakeEvents.
#include <memory>

#include "usb/UsbBus.h"

namespace plat::usb {

// nullptr when libusb cannot start (no USB file system, for instance);
// `error` (when given) receives libusb's reason.
std::unique_ptr<Bus> OpenLibusbBus(std::string* error = nullptr);

}  // namespace plat::usb
