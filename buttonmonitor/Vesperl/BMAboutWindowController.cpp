#include "BMAboutWindowController.h"

#include <gtk/gtk.h>

#include "os/Bundle.h"

BMAboutWindowController::~BMAboutWindowController() {
  if (_window) gtk_widget_destroy(_window);
}

std::string BMAboutWindowController::versionText() {
  auto bundle = plat::Bundle::Main();
  std::string version = bundle ? bundle->InfoString("CFBundleVersion").value_or("") : "";
  std::string shortVersion = bundle ? bundle->InfoString("CFBundleShortVersionString").value_or("") : "";
  return "Version " + version + " (" + shortVersion + ")";
}

std::string BMAboutWindowController::copyrightText() {
  auto bundle = plat::Bundle::Main();
  return bundle ? bundle->InfoString("NSHumanReadableCopyright").value_or("") : "";
}

void BMAboutWindowController::awakeFromNib() {
  _window = gtk_about_dialog_new();
  gtk_widget_set_name(_window, "BMAboutWindow");
  GtkAboutDialog* about = GTK_ABOUT_DIALOG(_window);
  gtk_about_dialog_set_program_name(about, "Camera Button Monitor");
  gtk_about_dialog_set_logo_icon_name(about, "camera-photo");
  gtk_about_dialog_set_version(about, versionText().c_str());
  gtk_about_dialog_set_copyright(about, copyrightText().c_str());
  gtk_about_dialog_set_comments(about, "Turns the document camera's buttons into commands for Dunsellow.");
  // Closing only hides it: the debug window may show it again.
  g_signal_connect(_window, "response", G_CALLBACK(gtk_widget_hide), nullptr);
  g_signal_connect(_window, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
}

void BMAboutWindowController::showWindow() {
  if (!_window) awakeFromNib();
  gtk_window_set_position(GTK_WINDOW(_window), GTK_WIN_POS_CENTER);
  gtk_window_present(GTK_WINDOW(_window));
}
