#pragma once
// The about window: the monitor's icon, name, version and copyright, read
// from the monitor's own bundle (this code runs in its process).
#include <string>

typedef struct _GtkWidget GtkWidget;

class BMAboutWindowController {
 public:
  ~BMAboutWindowController();
  // Centres the window on the screen and shows it.
  void showWindow();
  // "Version <CFBundleVersion> (<CFBundleShortVersionString>)".
  static std::string versionText();
  static std::string copyrightText();

 private:
  void awakeFromNib();
  GtkWidget* _window = nullptr;
};
