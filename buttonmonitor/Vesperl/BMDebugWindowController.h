#pragma once
// The debug window: the monitor's connection state and which button it saw
// down, learnt only from the monitor's notifications. Without a display the
// same fields are written to standard error, one line per change.
#include <string>

#include "BMAboutWindowController.h"

class BMNotificationCenter;

class BMDebugWindowController {
 public:
  // The one controller of the process: made on first call (observing
  // `center`), then its window is shown when it is not visible.
  static BMDebugWindowController* sharedInstance(BMNotificationCenter* center);

  void showDebugWindow();
  // The window's title, unchanged.
  std::string versionString() const;
  void closeDebugWindow();
  void cancelClicked();
  void versionClicked();
  void webCamSystemStatusChange(int value);
  void zoomBtnStateChange(int value);

  bool hasWindow() const { return _window != nullptr; }

 private:
  explicit BMDebugWindowController(BMNotificationCenter* center);
  void loadWindow();
  void showFields();

  bool _hasDisplay = false;
  GtkWidget* _window = nullptr;
  GtkWidget* _webCamSystemStatusField = nullptr;
  GtkWidget* _webCamZoomStatus_ZoomInField = nullptr;
  GtkWidget* _webCamZoomStatus_ZoomOutField = nullptr;
  GtkWidget* _webCamButtonStatus_RecordField = nullptr;
  // The fields' texts, starting as the values the monitor starts from (0).
  std::string _systemStatus;
  std::string _zoomIn;
  std::string _zoomOut;
  std::string _record;
  BMAboutWindowController _aboutWindowController;
};
