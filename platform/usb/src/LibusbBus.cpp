#include "usb/LibusbBus.h"

#include <libusb.h>

#include <algorithm>
#include <map>
#include <sys/time.h>

namespace plat::usb {

namespace {

// Control requests that take longer than this count as failed.
constexpr unsigned kControlTimeoutMs = 200;

// Shared by the bus and every device it handed out, so a device held after
// its bus has gone still closes against a live context.
struct Context {
  libusb_context* ctx = nullptr;
  ~Context() {
    if (ctx) libusb_exit(ctx);
  }
};

Location LocationOf(libusb_device* dev) {
  Location location{libusb_get_bus_number(dev)};
  uint8_t ports[8];
  int n = libusb_get_port_numbers(dev, ports, sizeof ports);
  for (int i = 0; i < n; ++i) location.push_back(ports[i]);
  return location;
}

bool HasInterface(libusb_device* dev, uint8_t interfaceClass, uint8_t subclass, int* error) {
  libusb_config_descriptor* config = nullptr;
  *error = libusb_get_active_config_descriptor(dev, &config);
  if (*error != 0) return false;
  bool found = false;
  for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
    const libusb_interface& itf = config->interface[i];
    for (int a = 0; a < itf.num_altsetting && !found; ++a) {
      found = itf.altsetting[a].bInterfaceClass == interfaceClass &&
              itf.altsetting[a].bInterfaceSubClass == subclass;
    }
  }
  libusb_free_config_descriptor(config);
  return found;
}

class LibusbDevice : public Device {
 public:
  LibusbDevice(std::shared_ptr<Context> context, libusb_device* dev) : context_(std::move(context)), dev_(dev) {
    libusb_ref_device(dev_);
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(dev_, &desc) == 0) {
      vendor_ = desc.idVendor;
      product_ = desc.idProduct;
    }
  }
  ~LibusbDevice() override {
    Close();
    libusb_unref_device(dev_);
  }

  uint16_t VendorId() const override { return vendor_; }
  uint16_t ProductId() const override { return product_; }
  Location GetLocation() const override { return LocationOf(dev_); }

  int OpenForControl(uint8_t interfaceClass, uint8_t subclass) override {
    int error = 0;
    if (!HasInterface(dev_, interfaceClass, subclass, &error)) return error != 0 ? error : kErrorNotFound;
    if (handle_) return kOk;
    // Opening the device node claims no interface: the kernel's video
    // driver stays bound and vendor requests still pass.
    return libusb_open(dev_, &handle_);
  }

  void Close() override {
    if (handle_) libusb_close(handle_);
    handle_ = nullptr;
  }

  int ControlIn(const ControlRequest& r, uint8_t* data) override {
    if (!handle_) return kErrorIo;
    return libusb_control_transfer(handle_, r.requestType | LIBUSB_ENDPOINT_IN, r.request, r.value, r.index, data,
                                   r.length, kControlTimeoutMs);
  }

  libusb_device* raw() const { return dev_; }

 private:
  std::shared_ptr<Context> context_;
  libusb_device* dev_;
  libusb_device_handle* handle_ = nullptr;
  uint16_t vendor_ = 0;
  uint16_t product_ = 0;
};

class LibusbBus : public Bus {
 public:
  explicit LibusbBus(std::shared_ptr<Context> context)
      : context_(std::move(context)), hotplug_(libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0) {}

  ~LibusbBus() override {
    for (auto& [handle, watch] : watches_) {
      if (watch->registered) libusb_hotplug_deregister_callback(context_->ctx, watch->callback);
    }
    for (libusb_device* dev : known_) libusb_unref_device(dev);
  }

  int Watch(uint16_t vendor, uint16_t product) override {
    auto watch = std::make_unique<WatchEntry>();
    watch->bus = this;
    watch->handle = nextHandle_;
    watch->vendor = vendor;
    watch->product = product;
    if (hotplug_) {
      int rc = libusb_hotplug_register_callback(
          context_->ctx,
          static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
          static_cast<libusb_hotplug_flag>(0), vendor, product, LIBUSB_HOTPLUG_MATCH_ANY, &LibusbBus::OnHotplug,
          watch.get(), &watch->callback);
      if (rc != LIBUSB_SUCCESS) return -1;
      watch->registered = true;
    } else if (watches_.empty()) {
      // Without hot-plug the device list is compared with this snapshot.
      Snapshot(&known_);
    }
    watches_[watch->handle] = std::move(watch);
    return nextHandle_++;
  }

  void Unwatch(int handle) override {
    auto it = watches_.find(handle);
    if (it == watches_.end()) return;
    if (it->second->registered) libusb_hotplug_deregister_callback(context_->ctx, it->second->callback);
    watches_.erase(it);
    std::erase_if(queue_, [handle](const Queued& q) { return q.handle == handle; });
  }

  std::vector<DevicePtr> Present(uint16_t vendor, uint16_t product) override {
    std::vector<DevicePtr> out;
    libusb_device** list = nullptr;
    ssize_t n = libusb_get_device_list(context_->ctx, &list);
    for (ssize_t i = 0; i < n; ++i) {
      if (Matches(list[i], vendor, product)) out.push_back(Wrap(list[i]));
    }
    if (n >= 0) libusb_free_device_list(list, 1);
    return out;
  }

  std::vector<Event> TakeEvents() override {
    if (hotplug_) {
      timeval zero{0, 0};
      libusb_handle_events_timeout_completed(context_->ctx, &zero, nullptr);
    } else if (!watches_.empty()) {
      CompareWithSnapshot();
    }
    std::vector<Event> events;
    for (Queued& q : queue_) events.push_back(std::move(q.event));
    queue_.clear();
    return events;
  }

 private:
  struct WatchEntry {
    LibusbBus* bus = nullptr;
    int handle = 0;
    uint16_t vendor = 0;
    uint16_t product = 0;
    bool registered = false;
    libusb_hotplug_callback_handle callback{};
  };
  struct Queued {
    int handle;
    Event event;
  };

  static int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device* dev, libusb_hotplug_event event, void* data) {
    auto* watch = static_cast<WatchEntry*>(data);
    Event::Kind kind = event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED ? Event::kArrived : Event::kLeft;
    watch->bus->queue_.push_back({watch->handle, {kind, watch->bus->Wrap(dev)}});
    return 0;  // stay registered
  }

  static bool Matches(libusb_device* dev, uint16_t vendor, uint16_t product) {
    libusb_device_descriptor desc{};
    return libusb_get_device_descriptor(dev, &desc) == 0 && desc.idVendor == vendor && desc.idProduct == product;
  }

  // One object per device while anybody holds it, so callers compare
  // devices by address.
  DevicePtr Wrap(libusb_device* dev) {
    std::erase_if(wrappers_, [](const auto& entry) { return entry.second.expired(); });
    if (auto held = wrappers_[dev].lock()) return held;
    auto device = std::make_shared<LibusbDevice>(context_, dev);
    wrappers_[dev] = device;
    return device;
  }

  const WatchEntry* WatchFor(libusb_device* dev) const {
    for (const auto& [handle, watch] : watches_) {
      if (Matches(dev, watch->vendor, watch->product)) return watch.get();
    }
    return nullptr;
  }

  void Snapshot(std::vector<libusb_device*>* out) {
    libusb_device** list = nullptr;
    ssize_t n = libusb_get_device_list(context_->ctx, &list);
    for (ssize_t i = 0; i < n; ++i) out->push_back(libusb_ref_device(list[i]));
    if (n >= 0) libusb_free_device_list(list, 1);
  }

  void CompareWithSnapshot() {
    std::vector<libusb_device*> now;
    Snapshot(&now);
    auto contains = [](const std::vector<libusb_device*>& v, libusb_device* d) {
      return std::find(v.begin(), v.end(), d) != v.end();
    };
    for (libusb_device* dev : known_) {
      const WatchEntry* watch = contains(now, dev) ? nullptr : WatchFor(dev);
      if (watch) queue_.push_back({watch->handle, {Event::kLeft, Wrap(dev)}});
    }
    for (libusb_device* dev : now) {
      const WatchEntry* watch = contains(known_, dev) ? nullptr : WatchFor(dev);
      if (watch) queue_.push_back({watch->handle, {Event::kArrived, Wrap(dev)}});
    }
    for (libusb_device* dev : known_) libusb_unref_device(dev);
    known_ = std::move(now);
  }

  std::shared_ptr<Context> context_;
  bool hotplug_;
  int nextHandle_ = 1;
  std::map<int, std::unique_ptr<WatchEntry>> watches_;
  std::vector<Queued> queue_;
  std::map<libusb_device*, std::weak_ptr<LibusbDevice>> wrappers_;
  std::vector<libusb_device*> known_;  // the last device list, without hot-plug
};

}  // namespace

std::unique_ptr<Bus> OpenLibusbBus(std::string* error) {
  auto context = std::make_shared<Context>();
  int rc = libusb_init(&context->ctx);
  if (rc != LIBUSB_SUCCESS) {
    context->ctx = nullptr;
    if (error) *error = libusb_strerror(static_cast<libusb_error>(rc));
    return nullptr;
  }
  return std::make_unique<LibusbBus>(std::move(context));
}

}  // namespace plat::usb
