#pragma once
// Cameras and microphones, as lists of devices with named inputs. What the
// user picks (and what settings store) is an input name.
#include <cstdint>
#include <string>
#include <vector>

#include "media/Frame.h"

namespace media {

// Answers of the capture objects when their device went away.
constexpr int kVideoDeviceLost = -2211;
constexpr int kSoundDeviceLost = -220;

enum class DeviceKind { Video, Sound };

struct CaptureDevice {
  DeviceKind kind = DeviceKind::Video;
  std::string name;                 // what the device calls itself
  std::string id;                   // /dev/videoN, a PulseAudio source, "synthetic"
  std::string backend;              // FFmpeg input format: video4linux2, pulse, alsa, lavfi
  bool unavailable = false;         // listed but cannot be opened now
  std::vector<std::string> inputs;  // input names, at least one for a usable device
  int selectedInput = 0;
};

// The stand-in camera: an FFmpeg test picture that moves, so tests and
// machines without a camera run the same capture code a real camera runs.
struct SyntheticCamera {
  std::string name = "Test Camera A";
  std::vector<std::string> inputs = {"Input 1"};
  Size bounds = {1920, 1080};  // the largest size it offers
  double fps = 30.0;
  int64_t loseAtFrame = -1;    // report the device gone after this many frames
  int64_t badFrameAt = -1;     // this frame arrives torn: its lower half green, as
                               // a USB camera's frame that lost its data
  bool stampClock = false;     // carry the capture clock and frame number (ClockStamp.h)
};

// The stand-in microphone: a sine tone, 16-bit.
struct SyntheticMicrophone {
  std::string name = "Test Microphone";
  std::vector<std::string> inputs = {"Tone 1"};
  uint32_t sampleRate = 44100;
  uint16_t channels = 2;
  double frequency = 1000.0;
  int64_t loseAfterBlocks = -1;  // report the device gone after this many blocks
  bool beepEachSecond = false;   // the tone only in the first tenth of every second of
                                 // the capture clock, silence otherwise
};

// Which devices the lists hold. Auto lists the real ones and the stand-ins
// only when there is no real device of that kind. The default comes from
// DUNSELLOW_CAPTURE_DEVICES (auto, synthetic or real).
enum class DeviceMode { Auto, SyntheticOnly, RealOnly };
void SetDeviceMode(DeviceMode mode);
DeviceMode GetDeviceMode();

void SetSyntheticCamera(const SyntheticCamera& camera);
SyntheticCamera GetSyntheticCamera();
void SetSyntheticMicrophone(const SyntheticMicrophone& microphone);
SyntheticMicrophone GetSyntheticMicrophone();

std::vector<CaptureDevice> ListVideoDevices();
std::vector<CaptureDevice> ListSoundDevices();

// The first input called `inputName` across the devices, in list order.
bool FindInput(const std::vector<CaptureDevice>& devices, const std::string& inputName,
               size_t* device, int* input);

// The device whose id (and kind) matches; false when it is not listed now.
bool FindDevice(const std::vector<CaptureDevice>& devices, const std::string& id,
                CaptureDevice* found = nullptr);

// The camera whose USB vendor and product ids match (its device name); empty
// when none is plugged in.
std::string FindUsbCameraName(uint16_t vendor, uint16_t product);

}  // namespace media
