// The capture page and its dialogs as a user sees them: the main program on
// the GTK backend under a private X server, saved as PNG files in the build
// folder (build/screenshots/) for anyone to look at.
#include <cairo.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "MyQelApp.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "PrivateDisplay.h"
#include "os/ProcessTable.h"
#include "qel/QelBackend.h"

namespace fs = std::filesystem;

namespace {

bool PumpUntil(const std::function<bool()>& done) {
  bool expired = false;
  guint guard = g_timeout_add_seconds(20, [](gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return gboolean(G_SOURCE_REMOVE);
  }, &expired);
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (!expired) g_source_remove(guard);
  return !expired;
}

void PumpPending() {
  for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

// Runs the loop for a while: native widgets settle in their places.
void PumpFor(guint ms) {
  bool done = false;
  g_timeout_add(ms, [](gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return gboolean(G_SOURCE_REMOVE);
  }, &done);
  while (!done) g_main_context_iteration(nullptr, TRUE);
}

bool Mapped(CQelWindow* w) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  return top && gtk_widget_get_mapped(top);
}

size_t DistinctColours(const fs::path& png, int* width, int* height) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  std::set<uint32_t> colours;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    *width = cairo_image_surface_get_width(s);
    *height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < *height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < *width; ++x) colours.insert(row[x]);
    }
  }
  cairo_surface_destroy(s);
  return colours.size();
}

// The next modal window once it is on screen: saved to `png`, then closed.
struct ModalShot {
  fs::path png;
  bool saved = false;
  CQelWindow* main = nullptr;
};

void ShootNextModal(ModalShot* shot) {
  g_timeout_add(20, [](gpointer data) {
    auto* s = static_cast<ModalShot*>(data);
    for (CQelWindow* w : QelWindows()) {
      auto* modal = dynamic_cast<CQelModalWnd*>(w);
      if (!modal || w == s->main || !modal->InModal() || !Mapped(w)) continue;
      PumpFor(300);
      s->saved = qel::gtk::SaveWindowPng(w, s->png.string());
      modal->EndModal(CQelModalWnd::kResultCancel);
      return gboolean(G_SOURCE_REMOVE);
    }
    return gboolean(G_SOURCE_CONTINUE);
  }, shot);
}

class CaptureScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    theApp.GetMainFrame()->SetProcessTable(&processes_);
    out_ = testenv::BuildDir() / "screenshots";
    fs::create_directories(out_);
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }

  void Shoot(const char* scale) {
    CMyMainFrame* frame = theApp.GetMainFrame();
    ASSERT_TRUE(PumpUntil([frame] { return Mapped(frame); }));
    theApp.SetMacCommandLine(u"-Capture/Open");
    frame->GetCommand();
    // Until the launch animations have ended and the camera was tried.
    ASSERT_TRUE(PumpUntil([frame] {
      qel::Element* root = frame->Root();
      qel::Element* panel = root->FindByName("Panel_Disconnect", true);
      return panel && panel->EffectivelyVisible() && !root->FindByName("cata_Active", true);
    }));
    PumpFor(300);
    const fs::path page = out_ / (std::string("capture-page") + scale + ".png");
    ASSERT_TRUE(qel::gtk::SaveWindowPng(frame, page.string()));

    ModalShot settings{out_ / (std::string("capture-settings") + scale + ".png"), false, frame};
    ShootNextModal(&settings);
    qel::Element* button = frame->Root()->FindByName("butn_CaptureSettings", true);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->Click());
    EXPECT_TRUE(settings.saved);

    ModalShot warning{out_ / (std::string("capture-warning") + scale + ".png"), false, frame};
    ShootNextModal(&warning);
    qel::Element* eject = frame->Root()->FindByName("chck_SoftEject", true);
    ASSERT_NE(eject, nullptr);
    ASSERT_TRUE(eject->Click());
    EXPECT_TRUE(warning.saved);

    for (const fs::path& png : {page, settings.png, warning.png}) {
      SCOPED_TRACE(png.string());
      int width = 0, height = 0;
      EXPECT_GE(DistinctColours(png, &width, &height), 16u);  // not blank: text, icons, controls
      EXPECT_GE(width, 400);
      EXPECT_GE(height, 150);
    }
  }

  fs::path out_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(CaptureScreenshot, ThePageTheSettingsAndAWarning) { Shoot(""); }

}  // namespace
