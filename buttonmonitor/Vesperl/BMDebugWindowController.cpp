#include "BMDebugWindowController.h"

#include <gtk/gtk.h>

#include <cstdio>

#include "BMDebugTexts.h"
#include "BMNotificationCenter.h"

namespace {

constexpr char kWindowTitle[] = "Camera Button Monitor";

BMDebugWindowController* sharedDWC = nullptr;

GtkWidget* AddRow(GtkGrid* grid, int row, const char* caption, const char* fieldName) {
  GtkWidget* label = gtk_label_new(caption);
  gtk_widget_set_halign(label, GTK_ALIGN_END);
  gtk_style_context_add_class(gtk_widget_get_style_context(label), "dim-label");
  GtkWidget* field = gtk_label_new("");
  gtk_widget_set_name(field, fieldName);
  gtk_widget_set_halign(field, GTK_ALIGN_START);
  gtk_label_set_selectable(GTK_LABEL(field), TRUE);
  gtk_label_set_width_chars(GTK_LABEL(field), 16);  // the longest text, so the window never jumps
  gtk_label_set_xalign(GTK_LABEL(field), 0);
  gtk_grid_attach(grid, label, 0, row, 1, 1);
  gtk_grid_attach(grid, field, 1, row, 1, 1);
  return field;
}

}  // namespace

BMDebugWindowController* BMDebugWindowController::sharedInstance(BMNotificationCenter* center) {
  if (!sharedDWC) sharedDWC = new BMDebugWindowController(center);  // lives as long as the process
  sharedDWC->showDebugWindow();
  return sharedDWC;
}

BMDebugWindowController::BMDebugWindowController(BMNotificationCenter* center) {
  BMButtonTexts off = BMButtonStatusTexts(0);
  _systemStatus = BMSystemStatusText(0);
  _zoomIn = off.zoomIn;
  _zoomOut = off.zoomOut;
  _record = off.record;
  _hasDisplay = gtk_init_check(nullptr, nullptr);
  if (center) {
    center->addObserver(kBMZoomBtnStateChange, [this](int v) { zoomBtnStateChange(v); });
    center->addObserver(kBMWebCamSystemStatusChange, [this](int v) { webCamSystemStatusChange(v); });
  }
}

void BMDebugWindowController::loadWindow() {
  _window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(_window, "BMDebugWindow");
  gtk_window_set_title(GTK_WINDOW(_window), kWindowTitle);
  gtk_window_set_resizable(GTK_WINDOW(_window), FALSE);
  gtk_window_set_icon_name(GTK_WINDOW(_window), "camera-photo");
  // The close box hides the window; the controller and its observers stay.
  g_signal_connect(_window, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 18);
  gtk_container_set_border_width(GTK_CONTAINER(box), 18);
  GtkWidget* heading = gtk_label_new(nullptr);
  gtk_label_set_markup(GTK_LABEL(heading), "<b>Camera buttons</b>");
  gtk_widget_set_halign(heading, GTK_ALIGN_START);
  gtk_box_pack_start(GTK_BOX(box), heading, FALSE, FALSE, 0);

  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 16);
  _webCamSystemStatusField = AddRow(GTK_GRID(grid), 0, "Connection", "_webCamSystemStatusField");
  _webCamZoomStatus_ZoomInField = AddRow(GTK_GRID(grid), 1, "Zoom in", "_webCamZoomStatus_ZoomInField");
  _webCamZoomStatus_ZoomOutField = AddRow(GTK_GRID(grid), 2, "Zoom out", "_webCamZoomStatus_ZoomOutField");
  _webCamButtonStatus_RecordField = AddRow(GTK_GRID(grid), 3, "Record", "_webCamButtonStatus_RecordField");
  gtk_box_pack_start(GTK_BOX(box), grid, FALSE, FALSE, 0);

  GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_EDGE);
  gtk_box_set_spacing(GTK_BOX(buttons), 8);
  GtkWidget* version = gtk_button_new_with_mnemonic("_About");
  gtk_widget_set_name(version, "versionButton");
  GtkWidget* cancel = gtk_button_new_with_mnemonic("_Close");
  gtk_widget_set_name(cancel, "cancelButton");
  g_signal_connect_swapped(version, "clicked", G_CALLBACK(+[](BMDebugWindowController* c) { c->versionClicked(); }),
                           this);
  g_signal_connect_swapped(cancel, "clicked", G_CALLBACK(+[](BMDebugWindowController* c) { c->cancelClicked(); }),
                           this);
  gtk_container_add(GTK_CONTAINER(buttons), version);
  gtk_container_add(GTK_CONTAINER(buttons), cancel);
  gtk_box_pack_end(GTK_BOX(box), buttons, FALSE, FALSE, 0);

  gtk_container_add(GTK_CONTAINER(_window), box);
  gtk_widget_show_all(box);
  showFields();
}

void BMDebugWindowController::showFields() {
  if (!_hasDisplay) {
    std::fprintf(stderr, "Pressmon debug: status=%s zoomin=%s zoomout=%s record=%s\n", _systemStatus.c_str(),
                 _zoomIn.c_str(), _zoomOut.c_str(), _record.c_str());
    return;
  }
  if (!_window) return;
  gtk_label_set_text(GTK_LABEL(_webCamSystemStatusField), _systemStatus.c_str());
  gtk_label_set_text(GTK_LABEL(_webCamZoomStatus_ZoomInField), _zoomIn.c_str());
  gtk_label_set_text(GTK_LABEL(_webCamZoomStatus_ZoomOutField), _zoomOut.c_str());
  gtk_label_set_text(GTK_LABEL(_webCamButtonStatus_RecordField), _record.c_str());
}

void BMDebugWindowController::showDebugWindow() {
  if (!_hasDisplay) {
    showFields();
    return;
  }
  if (!_window) loadWindow();
  if (gtk_widget_get_visible(_window)) return;
  gtk_widget_show(_window);
  gtk_window_set_title(GTK_WINDOW(_window), versionString().c_str());
}

std::string BMDebugWindowController::versionString() const {
  return _window ? gtk_window_get_title(GTK_WINDOW(_window)) : kWindowTitle;
}

void BMDebugWindowController::closeDebugWindow() {
  if (_window && gtk_widget_get_visible(_window)) gtk_widget_hide(_window);
}

void BMDebugWindowController::cancelClicked() { closeDebugWindow(); }

void BMDebugWindowController::versionClicked() {
  if (_hasDisplay) _aboutWindowController.showWindow();
}

void BMDebugWindowController::webCamSystemStatusChange(int value) {
  _systemStatus = BMSystemStatusText(value);
  showFields();
}

void BMDebugWindowController::zoomBtnStateChange(int value) {
  BMButtonTexts texts = BMButtonStatusTexts(value);
  _zoomIn = texts.zoomIn;
  _zoomOut = texts.zoomOut;
  _record = texts.record;
  showFields();
}
