// The capture page and its dialogs as a user sees them: the main program on
// the GTK backend under a private X server, saved as PNG files in the build
// folder (build/screenshots/) for anyone to look at.
#include <cairo.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "LoopWait.h"
#include "MyQelApp.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "PrivateDisplay.h"
#include "os/ProcessTable.h"
#include "qel/QelBackend.h"

namespace fs = std::filesystem;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;

void PumpPending() {
  for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

// Runs the loop for a while: native widgets settle in their places.
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

// Pixels of the rectangle that differ between two PNGs of one size.
int DifferingPixels(const fs::path& a, const fs::path& b, const SRect32& r) {
  cairo_surface_t* sa = cairo_image_surface_create_from_png(a.c_str());
  cairo_surface_t* sb = cairo_image_surface_create_from_png(b.c_str());
  int differ = -1;
  if (cairo_surface_status(sa) == CAIRO_STATUS_SUCCESS && cairo_surface_status(sb) == CAIRO_STATUS_SUCCESS &&
      cairo_image_surface_get_width(sa) == cairo_image_surface_get_width(sb) &&
      cairo_image_surface_get_height(sa) == cairo_image_surface_get_height(sb)) {
    differ = 0;
    const int stride = cairo_image_surface_get_stride(sa);
    const int w = cairo_image_surface_get_width(sa), h = cairo_image_surface_get_height(sa);
    for (int y = std::max(0, r.top); y < std::min(h, r.bottom); ++y) {
      const auto* ra = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(sa) + y * stride);
      const auto* rb = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(sb) + y * stride);
      for (int x = std::max(0, r.left); x < std::min(w, r.right); ++x) differ += ra[x] != rb[x];
    }
  }
  cairo_surface_destroy(sa);
  cairo_surface_destroy(sb);
  return differ;
}

bool TraceHas(const fs::path& trace, const std::string& prefix) {
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

class CaptureScreenshot : public ::testing::Test {
 protected:
  void Begin(bool withCamera) {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ::setenv("DUNSELLOW_CAPTURE_DEVICES", withCamera ? "synthetic" : "real", 1);
    trace_ = testenv::MakeTempDir("trace") / "trace.log";
    ::setenv("DUNSELLOW_TRACE", trace_.c_str(), 1);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    frame_ = theApp.GetMainFrame();
    frame_->SetProcessTable(&processes_);
    out_ = testenv::BuildDir() / "screenshots";
    fs::create_directories(out_);
    ASSERT_TRUE(PumpUntil([this] { return Mapped(frame_); }));
    theApp.SetMacCommandLine(u"-Capture/Open");
    frame_->GetCommand();
    // Until the launch animations have ended and the camera was tried.
    ASSERT_TRUE(PumpUntil([this] {
      return TraceHas(trace_, "capture camera") && !frame_->Root()->FindByName("cata_Active", true);
    }));
    PumpFor(1200);
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }

  fs::path Save(const std::string& name) {
    const fs::path png = out_ / name;
    EXPECT_TRUE(qel::gtk::SaveWindowPng(frame_, png.string()));
    int width = 0, height = 0;
    EXPECT_GE(DistinctColours(png, &width, &height), 16u) << png;  // not blank
    EXPECT_GE(width, 720);
    return png;
  }

  fs::path ShootModal(const std::string& name, const char* button) {
    ModalShot shot{out_ / name, false, frame_};
    ShootNextModal(&shot);
    qel::Element* e = frame_->Root()->FindByName(button, true);
    EXPECT_NE(e, nullptr);
    if (e) EXPECT_TRUE(e->Click());
    EXPECT_TRUE(shot.saved) << name;
    int width = 0, height = 0;
    EXPECT_GE(DistinctColours(shot.png, &width, &height), 16u) << name;
    return shot.png;
  }

  fs::path trace_, out_;
  CMyMainFrame* frame_ = nullptr;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(CaptureScreenshot, TheLivePictureMovesAndTheDialogsShow) {
  Begin(true);
  ASSERT_TRUE(TraceHas(trace_, "capture camera 1"));
  const fs::path first = Save("capture-page.png");
  PumpFor(600);
  const fs::path second = Save("capture-page-later.png");
  qel::Element* area = frame_->Root()->FindByName("cata_PreviewCamera", true);
  ASSERT_NE(area, nullptr);
  EXPECT_GT(DifferingPixels(first, second, area->Bounds()), 100);
  ShootModal("capture-settings.png", "butn_CaptureSettings");
  ShootModal("camera-settings.png", "butn_camsetting");
  ShootModal("capture-question.png", "chck_SoftEject");
}

TEST_F(CaptureScreenshot, WithoutACameraThePageSaysSo) {
  Begin(false);
  ASSERT_TRUE(TraceHas(trace_, "capture camera 0"));
  qel::Element* panel = frame_->Root()->FindByName("Panel_Disconnect", true);
  ASSERT_TRUE(panel && panel->EffectivelyVisible());
  Save("capture-page-no-camera.png");
  ShootModal("capture-warning.png", "chck_SoftEject");
}

}  // namespace
