// The debug bundle as the monitor loads it: on a private X server its
// window follows the monitor's notifications and opens the about window;
// both are saved as PNG files in the build folder.
#include <cairo.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "BMNotificationCenter.h"
#include "PrivateDisplay.h"
#include "TestEnvironment.h"
#include "VesperlEntry.h"
#include "Vesperl/BMDebugTexts.h"

namespace fs = std::filesystem;

namespace {

fs::path PressmonBundle() { return testenv::StageDir() / "Pressmon.app"; }

void PumpPending() {
  for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

bool PumpUntil(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done() && std::chrono::steady_clock::now() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
  }
  PumpPending();
  return done();
}

GtkWidget* Named(GtkWidget* root, const char* name) {
  if (std::string(gtk_widget_get_name(root)) == name) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* c = children; c && !found; c = c->next) found = Named(GTK_WIDGET(c->data), name);
  g_list_free(children);
  return found;
}

GtkWidget* Toplevel(const char* name) {
  GList* tops = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* t = tops; t && !found; t = t->next) {
    if (std::string(gtk_widget_get_name(GTK_WIDGET(t->data))) == name) found = GTK_WIDGET(t->data);
  }
  g_list_free(tops);
  return found;
}

std::string Text(GtkWidget* window, const char* field) {
  GtkWidget* label = Named(window, field);
  return label ? gtk_label_get_text(GTK_LABEL(label)) : "<missing>";
}

// Draws the window's contents into a PNG under the build folder; the
// number of distinct colours in it.
size_t SaveScreenshot(GtkWidget* window, const std::string& name) {
  // Once the window has been painted on screen its layout is current.
  bool painted = false;
  gulong handler = g_signal_connect_after(window, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, bool* flag) {
                                            *flag = true;
                                            return FALSE;
                                          }),
                                          &painted);
  gtk_widget_queue_draw(window);
  PumpUntil([&] { return painted; });
  g_signal_handler_disconnect(window, handler);
  int w = gtk_widget_get_allocated_width(window), h = gtk_widget_get_allocated_height(window);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  gtk_widget_draw(window, cr);
  cairo_destroy(cr);
  fs::path dir = testenv::BuildDir() / "screenshots";
  fs::create_directories(dir);
  cairo_surface_write_to_png(s, (dir / name).c_str());
  cairo_surface_flush(s);
  std::set<uint32_t> colours;
  const unsigned char* data = cairo_image_surface_get_data(s);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) colours.insert(reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s))[x]);
  cairo_surface_destroy(s);
  return colours.size();
}

TEST(DebugTexts, FieldsForEveryReportedValue) {
  const std::vector<std::pair<int, const char*>> status = {
      {0, "Dev <---> App"}, {1, "Waiting Dev"}, {2, "Waiting App"}, {3, "Waiting App, Dev"}, {7, "Waiting App, Dev"},
      {-1, "Waiting App, Dev"}};
  for (const auto& [value, text] : status) EXPECT_STREQ(BMSystemStatusText(value), text) << value;
  const std::vector<std::tuple<int, std::string>> buttons = {
      {-1, "OFF OFF OFF"}, {0, "OFF OFF OFF"}, {1, "ON OFF OFF"}, {2, "OFF ON OFF"}, {3, "OFF OFF ON"}, {4, "OFF OFF OFF"}};
  for (const auto& [value, text] : buttons) {
    BMButtonTexts t = BMButtonStatusTexts(value);
    EXPECT_EQ(std::string(t.zoomIn) + " " + t.zoomOut + " " + t.record, text) << value;
  }
}

TEST(DebugWindow, FollowsTheNotificationsAndShowsTheAboutWindow) {
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GSETTINGS_BACKEND", "memory", 1);
  // The about window reads the monitor's own bundle.
  setenv("DUNSELLOW_BUNDLE", PressmonBundle().c_str(), 1);
  fs::path binary = PressmonBundle() / "Contents/Resources/Vesperl.bundle/Contents/MacOS/Vesperl.so";
  void* library = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<VesperlSharedInstanceFunction>(dlsym(library, kVesperlSharedInstanceSymbol));
  ASSERT_NE(entry, nullptr);

  BMNotificationCenter center;
  void* controller = entry(&center);
  ASSERT_NE(controller, nullptr);
  GtkWidget* window = Toplevel("BMDebugWindow");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "Camera Button Monitor");
  // Before any notification: the values the monitor starts from.
  EXPECT_EQ(Text(window, "_webCamSystemStatusField"), "Dev <---> App");

  center.postNotificationName(kBMWebCamSystemStatusChange, 2);
  center.postNotificationName(kBMZoomBtnStateChange, 1);
  PumpPending();
  EXPECT_EQ(Text(window, "_webCamSystemStatusField"), "Waiting App");
  EXPECT_EQ(Text(window, "_webCamZoomStatus_ZoomInField"), "ON");
  EXPECT_EQ(Text(window, "_webCamZoomStatus_ZoomOutField"), "OFF");
  EXPECT_EQ(Text(window, "_webCamButtonStatus_RecordField"), "OFF");
  EXPECT_GE(SaveScreenshot(window, "pressmon-debug-window.png"), 4u);

  // Asking again while it is visible makes no second controller.
  EXPECT_EQ(entry(&center), controller);
  // Closed, it still follows; asked again, it comes back.
  gtk_button_clicked(GTK_BUTTON(Named(window, "cancelButton")));
  EXPECT_FALSE(gtk_widget_get_visible(window));
  center.postNotificationName(kBMZoomBtnStateChange, 3);
  EXPECT_EQ(Text(window, "_webCamButtonStatus_RecordField"), "ON");
  entry(&center);
  EXPECT_TRUE(gtk_widget_get_visible(window));

  gtk_button_clicked(GTK_BUTTON(Named(window, "versionButton")));
  GtkWidget* about = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    about = Toplevel("BMAboutWindow");
    return about && gtk_widget_get_mapped(about);
  }));
  EXPECT_STREQ(gtk_about_dialog_get_version(GTK_ABOUT_DIALOG(about)), "Version 1.0.0 (1.0.0)");
  EXPECT_NE(std::string(gtk_about_dialog_get_copyright(GTK_ABOUT_DIALOG(about))).find("Copyright"), std::string::npos);
  EXPECT_GE(SaveScreenshot(about, "pressmon-about-window.png"), 4u);
}

}  // namespace
