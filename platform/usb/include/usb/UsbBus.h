#pragma once
// USB devices as the button monitor needs them: find cameras by vendor and
// product, learn when they come and go, and send vendor control requests on
// the default pipe without claiming an interface or detaching the kernel's
// driver (the video driver keeps streaming).
//
// Everything here is called from one thread: events are only gathered when
// the owner calls Bus::TakeEvents.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat::usb {

// Results of device calls, numbered as libusb numbers them.
enum Result : int {
  kOk = 0,
  kErrorIo = -1,
  kErrorInvalidParam = -2,
  kErrorAccess = -3,
  kErrorNoDevice = -4,
  kErrorNotFound = -5,
  kErrorBusy = -6,
  kErrorTimeout = -7,
  kErrorPipe = -9,
  kErrorOther = -99,
};

// Bus number followed by the port path; smaller places compare first.
using Location = std::vector<uint8_t>;
std::string LocationText(const Location& location);  // "1-2.3"

struct ControlRequest {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
};

// Interface class and subclass of a camera's video-control interface.
inline constexpr uint8_t kClassVideo = 14;
inline constexpr uint8_t kSubclassVideoControl = 1;

class Device {
 public:
  virtual ~Device() = default;
  virtual uint16_t VendorId() const = 0;
  virtual uint16_t ProductId() const = 0;
  virtual Location GetLocation() const = 0;
  // Makes the device ready for control requests when its active
  // configuration has an interface of `interfaceClass`/`subclass`: kOk, or
  // kErrorNotFound without such an interface, or why it cannot be opened.
  // Claims nothing.
  virtual int OpenForControl(uint8_t interfaceClass, uint8_t subclass) = 0;
  virtual void Close() = 0;
  // A device-to-host control request on pipe 0 into `data` (request.length
  // bytes): the number of bytes received, or a negative Result.
  virtual int ControlIn(const ControlRequest& request, uint8_t* data) = 0;
};

// Devices are compared by address: a bus hands out one object per device
// for as long as anybody holds it.
using DevicePtr = std::shared_ptr<Device>;

struct Event {
  enum Kind { kArrived, kLeft } kind;
  DevicePtr device;
};

class Bus {
 public:
  virtual ~Bus() = default;
  // Starts noticing arrivals and removals of devices with these ids; a
  // handle for Unwatch, or -1 when it cannot be set up.
  virtual int Watch(uint16_t vendor, uint16_t product) = 0;
  // Stops it; events already gathered for it are dropped.
  virtual void Unwatch(int handle) = 0;
  // The devices with these ids present now, in the bus's order.
  virtual std::vector<DevicePtr> Present(uint16_t vendor, uint16_t product) = 0;
  // What arrived and left since the last call, for watched ids, in order.
  virtual std::vector<Event> TakeEvents() = 0;
};

}  // namespace plat::usb
