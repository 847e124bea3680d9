#include "usb/FakeUsbBus.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace plat::usb {

int FakeUsbDevice::OpenForControl(uint8_t interfaceClass, uint8_t subclass) {
  if (!plugged_) return kErrorNoDevice;
  bool matches = interfaceClass == kClassVideo && subclass == kSubclassVideoControl;
  if (!spec_.videoControl || !matches) return kErrorNotFound;
  if (spec_.accessDenied) return kErrorAccess;
  open_ = true;
  return kOk;
}

int FakeUsbDevice::ControlIn(const ControlRequest& r, uint8_t* data) {
  requests_.push_back({r.requestType, r.request, uint8_t(r.value & 0xFF), uint8_t(r.value >> 8),
                       uint8_t(r.index & 0xFF), uint8_t(r.index >> 8), uint8_t(r.length & 0xFF),
                       uint8_t(r.length >> 8)});
  if (!open_ || !plugged_) return kErrorNoDevice;
  if (!replies_.empty()) {
    last_ = replies_.front();
    replies_.pop_front();
  }
  if (!last_.ok) return kErrorIo;
  if (r.length == 0) return 0;
  data[0] = last_.byte;
  return 1;
}

void FakeUsbDevice::QueueBytes(std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) replies_.push_back({true, b});
}

void FakeUsbDevice::QueueError() { replies_.push_back({false, 0}); }

std::shared_ptr<FakeUsbDevice> FakeUsbBus::Add(FakeUsbDevice::Spec spec) {
  auto device = std::make_shared<FakeUsbDevice>(std::move(spec));
  devices_.push_back(device);
  return device;
}

std::shared_ptr<FakeUsbDevice> FakeUsbBus::Find(const std::string& name) const {
  for (const auto& d : devices_) {
    if (d->spec().name == name) return d;
  }
  return nullptr;
}

void FakeUsbBus::Plug(const std::shared_ptr<FakeUsbDevice>& device) {
  if (!device || device->plugged_) return;
  device->plugged_ = true;
  Queue(Event::kArrived, device);
}

void FakeUsbBus::Unplug(const std::shared_ptr<FakeUsbDevice>& device) {
  if (!device || !device->plugged_) return;
  device->plugged_ = false;
  device->open_ = false;
  Queue(Event::kLeft, device);
}

void FakeUsbBus::Queue(Event::Kind kind, const std::shared_ptr<FakeUsbDevice>& device) {
  int handle = WatchFor(*device);
  if (handle > 0) queue_.push_back({handle, {kind, device}});
}

int FakeUsbBus::WatchFor(const Device& device) const {
  for (const auto& [handle, ids] : watches_) {
    if (ids.first == device.VendorId() && ids.second == device.ProductId()) return handle;
  }
  return 0;
}

int FakeUsbBus::Watch(uint16_t vendor, uint16_t product) {
  if (failWatches_) return -1;
  watches_[nextHandle_] = {vendor, product};
  return nextHandle_++;
}

void FakeUsbBus::Unwatch(int handle) {
  watches_.erase(handle);
  std::erase_if(queue_, [handle](const auto& q) { return q.first == handle; });
}

std::vector<DevicePtr> FakeUsbBus::Present(uint16_t vendor, uint16_t product) {
  std::vector<DevicePtr> out;
  for (const auto& d : devices_) {
    if (d->plugged_ && d->VendorId() == vendor && d->ProductId() == product) out.push_back(d);
  }
  return out;
}

std::vector<Event> FakeUsbBus::TakeEvents() {
  if (!steps_.empty()) {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    for (const auto& words : step.commands) Run(words, nullptr);
  }
  std::vector<Event> events;
  for (auto& q : queue_) events.push_back(std::move(q.second));
  queue_.clear();
  return events;
}

namespace {

bool ParseHex(const std::string& text, unsigned max, unsigned* out) {
  if (text.empty() || text.size() > 4) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 16);
  if (*end != '\0' || v > max) return false;
  *out = static_cast<unsigned>(v);
  return true;
}

// "1-2.3" -> {1, 2, 3}
bool ParseLocation(const std::string& text, Location* out) {
  std::string normal = text;
  std::replace(normal.begin(), normal.end(), '-', '.');
  std::istringstream in(normal);
  for (std::string part; std::getline(in, part, '.');) {
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    int v = std::atoi(part.c_str());
    if (v > 255) return false;
    out->push_back(static_cast<uint8_t>(v));
  }
  return !out->empty();
}

}  // namespace

bool FakeUsbBus::Run(const std::vector<std::string>& w, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string& verb = w[0];
  if (verb == "device") {
    if (w.size() < 4) return fail("device needs a name, ids and a location");
    FakeUsbDevice::Spec spec;
    spec.name = w[1];
    size_t colon = w[2].find(':');
    unsigned vendor = 0, product = 0;
    if (colon == std::string::npos || !ParseHex(w[2].substr(0, colon), 0xFFFF, &vendor) ||
        !ParseHex(w[2].substr(colon + 1), 0xFFFF, &product))
      return fail("bad ids: " + w[2]);
    spec.vendor = static_cast<uint16_t>(vendor);
    spec.product = static_cast<uint16_t>(product);
    if (!ParseLocation(w[3], &spec.location)) return fail("bad location: " + w[3]);
    for (size_t i = 4; i < w.size(); ++i) {
      if (w[i] == "novc") spec.videoControl = false;
      else if (w[i] == "noaccess") spec.accessDenied = true;
      else return fail("unknown device flag: " + w[i]);
    }
    if (Find(spec.name)) return fail("device named twice: " + spec.name);
    Add(std::move(spec));
    return true;
  }
  if (w.size() < 2) return fail(verb + " needs a device name");
  auto device = Find(w[1]);
  if (!device) return fail("unknown device: " + w[1]);
  if (verb == "plug" && w.size() == 2) {
    Plug(device);
  } else if (verb == "unplug" && w.size() == 2) {
    Unplug(device);
  } else if (verb == "bytes") {
    for (size_t i = 2; i < w.size(); ++i) {
      unsigned b = 0;
      if (w[i] == "err") device->QueueError();
      else if (ParseHex(w[i], 0xFF, &b)) device->QueueBytes({static_cast<uint8_t>(b)});
      else return fail("bad byte: " + w[i]);
    }
  } else {
    return fail("unknown command: " + verb);
  }
  return true;
}

std::unique_ptr<FakeUsbBus> FakeUsbBus::FromScript(const std::string& script, std::string* error) {
  auto bus = std::make_unique<FakeUsbBus>();
  std::istringstream in(script);
  Step* step = nullptr;
  int lineNumber = 0;
  // The commands before the first "step" run now; device lines always do,
  // so later steps can name every device.
  for (std::string line; std::getline(in, line);) {
    ++lineNumber;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    std::string why;
    if (w[0] == "step" && w.size() == 1) {
      bus->steps_.emplace_back();
      step = &bus->steps_.back();
      continue;
    }
    if (!step || w[0] == "device") {
      if (!bus->Run(w, &why)) {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
        return nullptr;
      }
      continue;
    }
    // Checked now against a scratch copy of the device list, run later.
    bool known = w.size() >= 2 && bus->Find(w[1]) &&
                 (((w[0] == "plug" || w[0] == "unplug") && w.size() == 2) || w[0] == "bytes");
    for (size_t i = 2; known && w[0] == "bytes" && i < w.size(); ++i) {
      unsigned b = 0;
      known = w[i] == "err" || ParseHex(w[i], 0xFF, &b);
    }
    if (!known) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": bad step command: " + line;
      return nullptr;
    }
    step->commands.push_back(std::move(w));
  }
  return bus;
}

}  // namespace plat::usb
