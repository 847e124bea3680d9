// The photo editor as a user sees it: the main program on the GTK backend
// under a private X server, a photo turned and brightened in the edit page,
// then with the crop frame over it; saved as PNG files in the build folder
// (build/screenshots/photo-editor*.png).
#include <cairo.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "LoopWait.h"
#include "PngColours.h"
#include "MyQelApp.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "os/ProcessTable.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;
using testpng::DistinctColours;

// A photographed worksheet on a desk: paper, a heading, lines and a figure.
void WritePhoto(const fs::path& path) {
  const int width = 1600, height = 1200;
  img::Bitmap b = img::Bitmap::Create(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int x = 0; x < width; ++x) {
      const bool paper = x > 200 && x < 1400 && y > 80 && y < 1120;
      const double light = 0.8 + 0.2 * std::cos((x - 700) / 900.0) * std::cos((y - 500) / 800.0);
      int r = int(120 * light), g = int(86 * light), bl = int(60 * light);  // the desk
      if (paper) r = int(236 * light), g = int(232 * light), bl = int(220 * light);
      const bool heading = paper && y > 180 && y < 260 && x > 320 && x < 1000;
      const bool line = paper && y > 340 && y < 1020 && (y - 340) % 60 < 14 && x > 320 && x < 1280 - ((y / 60) % 4) * 110;
      const double dx = x - 1150, dy = y - 230;
      const bool figure = paper && dx * dx + dy * dy < 80 * 80;
      if (heading) r = 40, g = 70, bl = 140;
      if (line) r = g = bl = 60;
      if (figure) r = 200, g = 90, bl = 50;
      row[3 * x] = uint8_t(bl), row[3 * x + 1] = uint8_t(g), row[3 * x + 2] = uint8_t(r);
    }
  }
  img::JpegOptions o;
  o.quality = 92;
  img::SaveJpeg(b, path.string(), o);
}

class PhotoEditorScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    const fs::path media = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
    fs::create_directories(media);
    WritePhoto(media / "Worksheet.jpg");
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    theApp.GetMainFrame()->SetProcessTable(&processes_);
    out_ = testenv::BuildDir() / "screenshots";
    fs::create_directories(out_);
  }
  void TearDown() override {
    if (!started_) return;
    theApp.ExitInstance();
  }
  fs::path Shot(const char* name) {
    PumpFor(300);
    const fs::path png = out_ / name;
    EXPECT_TRUE(qel::gtk::SaveWindowPng(theApp.GetMainFrame(), png.string()));
    EXPECT_GE(DistinctColours(png), 16u) << png;  // not blank: the photo, text, icons
    return png;
  }

  fs::path out_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(PhotoEditorScreenshot, ThePhotoEditedAndThenCropped) {
  CMyMainFrame* frame = theApp.GetMainFrame();
  ASSERT_TRUE(PumpUntil([frame] {
    GtkWidget* top = qel::gtk::NativeWindow(frame);
    return top && gtk_widget_get_mapped(top);
  }));
  theApp.SetMacCommandLine(u"-Edit/Open");
  frame->GetCommand();
  ASSERT_TRUE(PumpUntil([frame] {
    qel::Element* view = frame->Root()->FindByName("imgc", true);
    return view && view->EffectivelyVisible();
  }));
  ASSERT_TRUE(hl::MoveSlider(frame, "hscrl_1", 15));
  ASSERT_TRUE(hl::MoveSlider(frame, "hscrl_2", 20));
  ASSERT_TRUE(hl::MoveSlider(frame, "hscrl_3", 3));
  ASSERT_TRUE(hl::Click(frame, "butn_rotate_right"));
  ASSERT_TRUE(hl::Click(frame, "butn_rotate_left"));
  Shot("photo-editor.png");
  ASSERT_TRUE(hl::Click(frame, "chck_Crop"));
  EXPECT_TRUE(frame->Root()->FindByName("butn_Crop", true)->EffectivelyVisible());
  Shot("photo-editor-crop.png");
  // The edits are dropped here, so leaving asks nothing.
  ASSERT_TRUE(hl::Click(frame, "butn_Cancel"));
  ASSERT_TRUE(hl::Click(frame, "butn_Reset"));
  EXPECT_FALSE(frame->Root()->FindByName("butn_Reset", true)->EffectivelyEnabled());
}

}  // namespace
