#include "media/CaptureDevices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <mutex>

#include "FFmpeg.h"
#include "V4l2Probe.h"

namespace media {
namespace {

// "key=value,key=value" from an environment variable, for programs whose
// stand-ins a test scripts from outside (each plug-in has its own copy of
// this layer, so calls in one binary do not reach another).
std::vector<std::pair<std::string, std::string>> EnvironmentPairs(const char* variable) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const char* text = std::getenv(variable);
  if (!text) return pairs;
  std::string all = text;
  for (size_t at = 0; at <= all.size();) {
    size_t end = all.find(',', at);
    if (end == std::string::npos) end = all.size();
    std::string item = all.substr(at, end - at);
    size_t eq = item.find('=');
    if (eq != std::string::npos) pairs.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    at = end + 1;
  }
  return pairs;
}

int64_t Number(const std::string& text, int64_t fallback) {
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  return end && end != text.c_str() && *end == 0 ? v : fallback;
}

SyntheticCamera CameraFromEnvironment() {
  SyntheticCamera camera;
  for (const auto& [key, value] : EnvironmentPairs("DUNSELLOW_SYNTHETIC_CAMERA")) {
    if (key == "bounds") {
      int w = 0, h = 0;
      if (std::sscanf(value.c_str(), "%dx%d", &w, &h) == 2 && w > 0 && h > 0) camera.bounds = {w, h};
    } else if (key == "fps") {
      double fps = std::atof(value.c_str());
      if (fps > 0 && fps <= 240) camera.fps = fps;
    } else if (key == "lose_at") {
      camera.loseAtFrame = Number(value, -1);
    } else if (key == "bad_at") {
      camera.badFrameAt = Number(value, -1);
    } else if (key == "stamp") {
      camera.stampClock = Number(value, 0) != 0;
    } else if (key == "name") {
      camera.name = value;
    } else if (key == "input") {
      camera.inputs = {value};
    } else if (key == "inputs") {  // several, split by '|'
      camera.inputs.clear();
      for (size_t at = 0; at <= value.size();) {
        size_t end = std::min(value.find('|', at), value.size());
        if (end > at) camera.inputs.push_back(value.substr(at, end - at));
        at = end + 1;
      }
      if (camera.inputs.empty()) camera.inputs = {"Input 1"};
    }
  }
  return camera;
}

SyntheticMicrophone MicrophoneFromEnvironment() {
  SyntheticMicrophone microphone;
  for (const auto& [key, value] : EnvironmentPairs("DUNSELLOW_SYNTHETIC_MICROPHONE")) {
    if (key == "rate") {
      int64_t rate = Number(value, 0);
      if (rate >= 8000 && rate <= 192000) microphone.sampleRate = uint32_t(rate);
    } else if (key == "channels") {
      int64_t channels = Number(value, 0);
      if (channels == 1 || channels == 2) microphone.channels = uint16_t(channels);
    } else if (key == "lose_after") {
      microphone.loseAfterBlocks = Number(value, -1);
    } else if (key == "beep") {
      microphone.beepEachSecond = Number(value, 0) != 0;
    } else if (key == "name") {
      microphone.name = value;
    } else if (key == "input") {
      microphone.inputs = {value};
    }
  }
  return microphone;
}

struct Settings {
  std::mutex mutex;
  bool modeSet = false;
  DeviceMode mode = DeviceMode::Auto;
  SyntheticCamera camera = CameraFromEnvironment();
  SyntheticMicrophone microphone = MicrophoneFromEnvironment();
};

Settings& TheSettings() {
  static Settings settings;
  return settings;
}

DeviceMode ModeFromEnvironment() {
  const char* value = std::getenv("DUNSELLOW_CAPTURE_DEVICES");
  if (!value) return DeviceMode::Auto;
  if (std::strcmp(value, "synthetic") == 0) return DeviceMode::SyntheticOnly;
  if (std::strcmp(value, "real") == 0) return DeviceMode::RealOnly;
  return DeviceMode::Auto;
}

// A camera with one input is picked by its own name: UVC cameras all call
// their one input "Camera 1", which would not tell two cameras apart.
std::vector<std::string> CameraInputNames(const V4l2Info& info) {
  if (info.inputs.size() == 1) return {info.card};
  std::vector<std::string> names;
  for (const std::string& input : info.inputs) names.push_back(info.card + ": " + input);
  return names;
}

std::vector<CaptureDevice> RealCameras() {
  std::vector<CaptureDevice> devices;
  for (const std::string& node : V4l2Nodes()) {
    V4l2Info info;
    bool ok = ProbeV4l2(node, &info);
    if (!ok && !info.busy) continue;
    CaptureDevice device;
    device.kind = DeviceKind::Video;
    device.id = node;
    device.backend = "video4linux2";
    if (ok) {
      device.name = info.card;
      device.inputs = CameraInputNames(info);
    } else {
      device.name = node;
      device.unavailable = true;
    }
    devices.push_back(std::move(device));
  }
  return devices;
}

std::vector<CaptureDevice> ListSources(const char* backend, bool (*keep)(const char* name)) {
  std::vector<CaptureDevice> devices;
  ff::RegisterDevices();
  const AVInputFormat* format = av_find_input_format(backend);
  AVDeviceInfoList* list = nullptr;
  if (!format || avdevice_list_input_sources(format, nullptr, nullptr, &list) < 0 || !list) {
    avdevice_free_list_devices(&list);
    return devices;
  }
  for (int i = 0; i < list->nb_devices; ++i) {
    const AVDeviceInfo* info = list->devices[i];
    if (!info->device_name || !keep(info->device_name)) continue;
    CaptureDevice device;
    device.kind = DeviceKind::Sound;
    device.id = info->device_name;
    device.backend = backend;
    device.name = info->device_description ? info->device_description : info->device_name;
    device.inputs = {device.name};
    devices.push_back(std::move(device));
  }
  avdevice_free_list_devices(&list);
  return devices;
}

bool KeepPulseSource(const char* name) {
  size_t n = std::strlen(name);
  return !(n > 8 && std::strcmp(name + n - 8, ".monitor") == 0);  // loop-backs of outputs
}

bool KeepAlsaSource(const char* name) {
  return std::strncmp(name, "plughw:", 7) == 0;  // one per card and device, converting
}

std::vector<CaptureDevice> RealMicrophones() {
  std::vector<CaptureDevice> devices = ListSources("pulse", KeepPulseSource);
  if (devices.empty()) devices = ListSources("alsa", KeepAlsaSource);
  return devices;
}

}  // namespace

void SetDeviceMode(DeviceMode mode) {
  std::lock_guard lock(TheSettings().mutex);
  TheSettings().mode = mode;
  TheSettings().modeSet = true;
}

DeviceMode GetDeviceMode() {
  std::lock_guard lock(TheSettings().mutex);
  return TheSettings().modeSet ? TheSettings().mode : ModeFromEnvironment();
}

void SetSyntheticCamera(const SyntheticCamera& camera) {
  std::lock_guard lock(TheSettings().mutex);
  TheSettings().camera = camera;
}

SyntheticCamera GetSyntheticCamera() {
  std::lock_guard lock(TheSettings().mutex);
  return TheSettings().camera;
}

void SetSyntheticMicrophone(const SyntheticMicrophone& microphone) {
  std::lock_guard lock(TheSettings().mutex);
  TheSettings().microphone = microphone;
}

SyntheticMicrophone GetSyntheticMicrophone() {
  std::lock_guard lock(TheSettings().mutex);
  return TheSettings().microphone;
}

std::vector<CaptureDevice> ListVideoDevices() {
  DeviceMode mode = GetDeviceMode();
  std::vector<CaptureDevice> devices;
  if (mode != DeviceMode::SyntheticOnly) devices = RealCameras();
  if (mode == DeviceMode::SyntheticOnly || (mode == DeviceMode::Auto && devices.empty())) {
    SyntheticCamera camera = GetSyntheticCamera();
    CaptureDevice device;
    device.kind = DeviceKind::Video;
    device.name = camera.name;
    device.id = "synthetic";
    device.backend = "lavfi";
    device.inputs = camera.inputs;
    devices.push_back(std::move(device));
  }
  return devices;
}

std::vector<CaptureDevice> ListSoundDevices() {
  DeviceMode mode = GetDeviceMode();
  std::vector<CaptureDevice> devices;
  if (mode != DeviceMode::SyntheticOnly) devices = RealMicrophones();
  if (mode == DeviceMode::SyntheticOnly || (mode == DeviceMode::Auto && devices.empty())) {
    SyntheticMicrophone microphone = GetSyntheticMicrophone();
    CaptureDevice device;
    device.kind = DeviceKind::Sound;
    device.name = microphone.name;
    device.id = "synthetic";
    device.backend = "lavfi";
    device.inputs = microphone.inputs;
    devices.push_back(std::move(device));
  }
  return devices;
}

bool FindInput(const std::vector<CaptureDevice>& devices, const std::string& inputName,
               size_t* device, int* input) {
  for (size_t d = 0; d < devices.size(); ++d) {
    if (devices[d].unavailable) continue;
    for (size_t i = 0; i < devices[d].inputs.size(); ++i) {
      if (devices[d].inputs[i] != inputName) continue;
      if (device) *device = d;
      if (input) *input = int(i);
      return true;
    }
  }
  return false;
}

bool FindDevice(const std::vector<CaptureDevice>& devices, const std::string& id,
                CaptureDevice* found) {
  for (const CaptureDevice& device : devices) {
    if (device.id != id || device.unavailable) continue;
    if (found) *found = device;
    return true;
  }
  return false;
}

std::string FindUsbCameraName(uint16_t vendor, uint16_t product) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/sys/class/video4linux", ec)) {
    // The node's device is a USB interface; the USB device above it holds the ids.
    fs::path dir = fs::canonical(entry.path() / "device", ec);
    if (ec) continue;
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
      std::ifstream vendorFile(dir / "idVendor"), productFile(dir / "idProduct");
      if (!vendorFile || !productFile) continue;
      unsigned v = 0, p = 0;
      vendorFile >> std::hex >> v;
      productFile >> std::hex >> p;
      if (v != vendor || p != product) break;
      V4l2Info info;
      if (!ProbeV4l2("/dev/" + entry.path().filename().string(), &info)) break;
      return CameraInputNames(info).front();
    }
  }
  return {};
}

}  // namespace media
