#pragma once
// The monitor's controller: polls the camera's buttons on a timer, turns
// presses into commands with auto-repeat for a held zoom button, hands them
// to the main program, and in debug mode reports its state to the debug
// window through in-process notifications.
#include <chrono>
#include <cstdint>
#include <memory>

#include "BMMainProgram.h"
#include "BMNotificationCenter.h"
#include "BMTimers.h"
#include "BMUSBDeviceCore.h"

class BMMainController {
 public:
  // `bus` may be null (no USB here): the monitor then waits without a camera.
  BMMainController(BMTimers& timers, plat::usb::Bus* bus, BMMainProgram& program,
                   BMDeviceInfoManager& models = BMDeviceInfoManager::sharedInstance());
  ~BMMainController();
  BMMainController(const BMMainController&) = delete;
  BMMainController& operator=(const BMMainController&) = delete;

  // Start-up: debug window when asked, the USB core, the first poll in 0.1 s.
  void applicationDidFinishLaunching(bool debugMode);

  void BMCheckButtonStatus(BMTimers::Id timer);
  void BMAutoRepeatTime(BMTimers::Id timer);
  bool BMCheckIsORV3Ready();
  void BMResetMemberValues();

  // Debug mode.
  void BMShowDebugWindow();
  void BMPostDebugInfo(const char* name, int value);
  BMNotificationCenter& notificationCenter() { return _notificationCenter; }

  // The current core and the interval chosen by the last poll (tests).
  BMUSBDeviceCore* usbDevice() const { return _usbDevice.get(); }
  std::chrono::milliseconds lastPollInterval() const { return _lastPollInterval; }

 private:
  void makeCore();
  void schedulePoll(std::chrono::milliseconds interval);

  BMTimers& _timers;
  plat::usb::Bus* _bus;
  BMMainProgram& _program;
  BMDeviceInfoManager& _models;
  BMNotificationCenter _notificationCenter;

  bool _autorepeat = false;
  bool _isOn_ZIn = false;
  bool _isOn_ZOut = false;
  uint32_t _msCount = 0;
  bool _isDebugMode = false;
  int32_t _lastWebCamSystemStatus = 0;
  int32_t _lastZoomBtnState = 0;
  std::unique_ptr<BMUSBDeviceCore> _usbDevice;
  std::shared_ptr<BMNotification> _notificationAutoRepeat;
  int32_t _ioServProcErr = 0;

  BMTimers::Id _pollTimer = 0;
  BMTimers::Id _autoRepeatTimer = 0;
  std::chrono::milliseconds _lastPollInterval{0};
};
