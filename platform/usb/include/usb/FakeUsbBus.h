#pragma once
// A scripted bus for tests and for running the monitor without a camera.
// Devices are plugged and unplugged by the caller (or by a script, one step
// per TakeEvents); each answers control requests from its own list of
// scripted results and records every request it was sent.
//
// Script text, one command per line ('#' starts a comment):
//   device <name> <vvvv>:<pppp> <bus>-<port>[.<port>...] [novc] [noaccess]
//   plug <name>                      present from now on, announced as an arrival
//   unplug <name>                    gone, announced as a removal
//   bytes <name> <hh|err> ...        answers of the next control requests;
//                                    the last one repeats
//   step                             what follows happens at the next TakeEvents
// Hex numbers without prefix; "novc": no video-control interface;
// "noaccess": opening fails with kErrorAccess.
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usb/UsbBus.h"

namespace plat::usb {

class FakeUsbDevice : public Device {
 public:
  struct Spec {
    std::string name{};
    uint16_t vendor = 0;
    uint16_t product = 0;
    Location location{};
    bool videoControl = true;
    bool accessDenied = false;
  };
  // One scripted reply: a byte, or a failed transfer.
  struct Reply {
    bool ok = true;
    uint8_t byte = 0xFF;
  };

  explicit FakeUsbDevice(Spec spec) : spec_(std::move(spec)) {}

  uint16_t VendorId() const override { return spec_.vendor; }
  uint16_t ProductId() const override { return spec_.product; }
  Location GetLocation() const override { return spec_.location; }
  int OpenForControl(uint8_t interfaceClass, uint8_t subclass) override;
  void Close() override { open_ = false; }
  int ControlIn(const ControlRequest& request, uint8_t* data) override;

  const Spec& spec() const { return spec_; }
  bool plugged() const { return plugged_; }
  bool isOpen() const { return open_; }
  // Appends replies; until the first one the device answers 0xFF.
  void QueueBytes(std::initializer_list<uint8_t> bytes);
  void QueueError();
  // Every request received, as its eight setup bytes.
  const std::vector<std::vector<uint8_t>>& requests() const { return requests_; }

 private:
  friend class FakeUsbBus;
  Spec spec_;
  bool plugged_ = false;
  bool open_ = false;
  std::deque<Reply> replies_;
  Reply last_{};
  std::vector<std::vector<uint8_t>> requests_;
};

class FakeUsbBus : public Bus {
 public:
  FakeUsbBus() = default;
  // A bus that plays `script`; nullptr with `error` set when it cannot be read.
  static std::unique_ptr<FakeUsbBus> FromScript(const std::string& script, std::string* error);

  // Makes a device known to the bus (not yet plugged).
  std::shared_ptr<FakeUsbDevice> Add(FakeUsbDevice::Spec spec);
  std::shared_ptr<FakeUsbDevice> Find(const std::string& name) const;
  void Plug(const std::shared_ptr<FakeUsbDevice>& device);
  void Unplug(const std::shared_ptr<FakeUsbDevice>& device);
  // Makes the next Watch calls fail (matching cannot be set up).
  void FailWatches(bool fail) { failWatches_ = fail; }
  size_t watchCount() const { return watches_.size(); }
  size_t watchesMade() const { return static_cast<size_t>(nextHandle_ - 1); }

  int Watch(uint16_t vendor, uint16_t product) override;
  void Unwatch(int handle) override;
  std::vector<DevicePtr> Present(uint16_t vendor, uint16_t product) override;
  std::vector<Event> TakeEvents() override;

 private:
  struct Step {
    std::vector<std::vector<std::string>> commands;
  };
  bool Run(const std::vector<std::string>& words, std::string* error);
  int WatchFor(const Device& device) const;
  void Queue(Event::Kind kind, const std::shared_ptr<FakeUsbDevice>& device);

  std::vector<std::shared_ptr<FakeUsbDevice>> devices_;  // in bus order
  std::map<int, std::pair<uint16_t, uint16_t>> watches_;
  std::vector<std::pair<int, Event>> queue_;
  std::deque<Step> steps_;
  int nextHandle_ = 1;
  bool failWatches_ = false;
};

}  // namespace plat::usb
