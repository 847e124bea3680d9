// Windows of the GTK backend: shown, titled, rendered, closed.
#include <cstdlib>
#include <filesystem>

#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "TestEnvironment.h"

namespace gtktest {
namespace {

const char* kLayout = R"(<layout name="cata_root" w="240" h="120" bg="#ffffff">
  <element type="text" name="text_Hello" x="10" y="10" w="220" h="20" text="Hello from GTK"/>
  <element type="butn" name="butn_Go" x="10" y="70" w="90" h="30" text="Go"/>
  <element type="butn" name="butn_close_mac" x="140" y="70" w="90" h="30" text="Close"/>
</layout>)";

using GtkWindowTest = GtkBackendTest;

TEST_F(GtkWindowTest, ShowsWithTheTitleTheProgramSet) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Camera \u00e9t\u00e9"));
  GtkWidget* top = qel::gtk::NativeWindow(&w);
  ASSERT_NE(top, nullptr);
  EXPECT_TRUE(gtk_widget_get_visible(top));
  EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(top)));
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(top)), "Camera \u00e9t\u00e9");
  w.SetTitle(u"Renamed");
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(top)), "Renamed");
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(top), &width, &height);
  EXPECT_EQ(width, 240);
  EXPECT_EQ(height, 120);
}

TEST_F(GtkWindowTest, RenderingSavedAsPngShowsTheElements) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Render"));
  std::string png = (testenv::MakeTempDir() / "window.png").string();
  ASSERT_TRUE(qel::gtk::SaveWindowPng(&w, png));
  int width = 0, height = 0;
  // The white panel alone is most of the picture; text and frames add ink
  // of other colours.
  EXPECT_GT(CountInkPixels(png, &width, &height), 240 * 120 / 2);
  EXPECT_EQ(width, 240);
  EXPECT_EQ(height, 120);
}

TEST_F(GtkWindowTest, ScreenshotVariableWritesTheFirstDrawnWindow) {
  std::string png = (testenv::MakeTempDir() / "shot.png").string();
  setenv("QEL_SCREENSHOT", png.c_str(), 1);
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Shot"));
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(png); }));
  PumpPending();
  int width = 0, height = 0;
  EXPECT_GT(CountInkPixels(png, &width, &height), 0);
  EXPECT_EQ(width, 240);
  unsetenv("QEL_SCREENSHOT");
}

TEST_F(GtkWindowTest, CloseControlTakesTheWindowDown) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Close"));
  w.SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  ClickAtPoint(&w, CentreOf(&w, "butn_close_mac"));
  EXPECT_FALSE(w.IsCreated());
  EXPECT_EQ(qel::gtk::NativeWindow(&w), nullptr);
  PumpPending();  // the host goes on the next turn, after its own handler
}

TEST_F(GtkWindowTest, ProgramMovesAndSizesTheNativeWindow) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Bounds"));
  w.SetMinSize(200, 100);
  SRect32 r{50, 60, 50 + 150, 60 + 300};  // narrower than the minimum
  w.MoveWindow(&r);
  GtkWidget* top = qel::gtk::NativeWindow(&w);
  ASSERT_TRUE(PumpUntil([&] {
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(top), &width, &height);
    return width == 200 && height == 300;
  }));
  SRect32 b = w.Bounds();
  EXPECT_EQ(b.right - b.left, 200);
  EXPECT_EQ(b.bottom - b.top, 300);
}

TEST_F(GtkWindowTest, ActivationIsReportedAsMessageSix) {
  RecordingWindow first, second;
  std::vector<intptr_t> first_seen, second_seen;
  auto record = [](std::vector<intptr_t>& seen) {
    return [&seen](QELWPARAM wp, QELLPARAM, bool&) {
      seen.push_back(wp);
      return intptr_t(0);
    };
  };
  first.RegisterMessage(QEL_WM_ACTIVATE, record(first_seen));
  second.RegisterMessage(QEL_WM_ACTIVATE, record(second_seen));
  ASSERT_TRUE(first.Open(kLayout, u"First"));
  ASSERT_TRUE(PumpUntil([&] { return !first_seen.empty(); }));
  EXPECT_EQ(first_seen.back(), 1);
  ASSERT_TRUE(second.Open(kLayout, u"Second"));
  ASSERT_TRUE(PumpUntil([&] { return !second_seen.empty() && first_seen.back() == 0; }));
  EXPECT_EQ(second_seen.back(), 1);
}

}  // namespace
}  // namespace gtktest
