#include "BMMainController.h"

namespace {

constexpr std::chrono::milliseconds kPollInterval{100};
constexpr std::chrono::milliseconds kSlowPollInterval{1000};
constexpr std::chrono::milliseconds kAutoRepeatInterval{150};
// Polls a zoom button stays down, after the one that first saw it, before
// auto-repeat starts.
constexpr uint32_t kAutoRepeatAfter = 5;

}  // namespace

BMMainController::BMMainController(BMTimers& timers, plat::usb::Bus* bus, BMMainProgram& program,
                                   BMDeviceInfoManager& models)
    : _timers(timers), _bus(bus), _program(program), _models(models) {}

BMMainController::~BMMainController() {
  if (_pollTimer) _timers.Invalidate(_pollTimer);
  if (_autoRepeatTimer) _timers.Invalidate(_autoRepeatTimer);
  _usbDevice.reset();
  _notificationAutoRepeat.reset();
}

void BMMainController::applicationDidFinishLaunching(bool debugMode) {
  _isDebugMode = debugMode;
  if (_isDebugMode) BMShowDebugWindow();
  BMResetMemberValues();
  makeCore();
  schedulePoll(kPollInterval);
}

void BMMainController::makeCore() {
  // The old core goes first: it stops watching before the new one starts.
  _usbDevice.reset();
  _usbDevice = std::make_unique<BMUSBDeviceCore>(_bus, _models);
  _ioServProcErr = _usbDevice->runUSBConnectionCheck();
}

void BMMainController::schedulePoll(std::chrono::milliseconds interval) {
  _lastPollInterval = interval;
  _pollTimer = _timers.Schedule(interval, false, [this](BMTimers::Id id) { BMCheckButtonStatus(id); });
}

void BMMainController::BMResetMemberValues() {
  _isOn_ZIn = false;
  _isOn_ZOut = false;
  _msCount = 0;
  _autorepeat = false;
  _notificationAutoRepeat.reset();
}

bool BMMainController::BMCheckIsORV3Ready() {
  for (const char* name : BMMainProgram::kApplicationNames) {
    if (_program.BMIsAlreadyLaunched(name)) return true;
  }
  return false;
}

void BMMainController::BMCheckButtonStatus(BMTimers::Id timer) {
  // Arrivals and removals noticed since the last poll come first.
  _usbDevice->processUSBEvents();
  int rc = _usbDevice->getUSBConnectionStatus();
  std::shared_ptr<BMNotification> notification;
  int state = _usbDevice->getBtnStatus(&notification);
  bool ready = BMCheckIsORV3Ready();
  _timers.Invalidate(timer);
  _pollTimer = 0;

  if (_ioServProcErr != 0 || rc == -1) makeCore();

  std::chrono::milliseconds interval = kPollInterval;
  switch (state) {
    case 1:
    case 2: {
      bool& thisOn = state == 1 ? _isOn_ZIn : _isOn_ZOut;
      bool& otherOn = state == 1 ? _isOn_ZOut : _isOn_ZIn;
      if (!thisOn) {
        _autorepeat = false;
        _notificationAutoRepeat.reset();
        _msCount = 0;
        thisOn = true;
      } else if (!_autorepeat) {
        ++_msCount;
      }
      otherOn = false;
      break;
    }
    case -1:
      BMResetMemberValues();
      interval = kSlowPollInterval;
      break;
    default:
      BMResetMemberValues();
      break;
  }

  if (_msCount == kAutoRepeatAfter) {
    _autorepeat = true;
    _notificationAutoRepeat = notification;
    if (_notificationAutoRepeat) _notificationAutoRepeat->post(_program);
    // One auto-repeat timer at a time.
    if (_autoRepeatTimer) _timers.Invalidate(_autoRepeatTimer);
    _autoRepeatTimer =
        _timers.Schedule(kAutoRepeatInterval, true, [this](BMTimers::Id id) { BMAutoRepeatTime(id); });
    _msCount = 0;
  }
  if (!_autorepeat && notification) notification->post(_program);

  if (!ready && !_isDebugMode) {
    interval = kSlowPollInterval;
  } else if (_isDebugMode) {
    int systemStatus = ready ? (rc == 1 ? 0 : 1) : (rc == 1 ? 2 : 3);
    if (systemStatus != _lastWebCamSystemStatus) BMPostDebugInfo(kBMWebCamSystemStatusChange, systemStatus);
    if (state != _lastZoomBtnState) BMPostDebugInfo(kBMZoomBtnStateChange, state);
    _lastWebCamSystemStatus = systemStatus;
    _lastZoomBtnState = state;
  }
  schedulePoll(interval);
}

void BMMainController::BMAutoRepeatTime(BMTimers::Id timer) {
  if (_autorepeat) {
    if (_notificationAutoRepeat) _notificationAutoRepeat->post(_program);
    return;
  }
  _timers.Invalidate(timer);
  if (_autoRepeatTimer == timer) _autoRepeatTimer = 0;
}

void BMMainController::BMPostDebugInfo(const char* name, int value) {
  _notificationCenter.postNotificationName(name, value);
}
