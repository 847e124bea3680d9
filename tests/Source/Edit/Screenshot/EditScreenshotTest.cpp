// The home page with the module buttons and the edit page with an album of
// photos and a movie, as a user sees them: the main program on the GTK
// backend under a private X server, saved as PNG files in the build folder
// (build/screenshots/).
#include <cairo.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "LoopWait.h"
#include "PngColours.h"
#include "MyQelApp.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "img/Bitmap.h"
#include "img/ImageFile.h"
#include "media/MovieWriter.h"
#include "os/ProcessTable.h"
#include "qel/QelAlbum.h"
#include "qel/QelBackend.h"
#include "qel/QelElementLayers.h"

namespace fs = std::filesystem;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;
using testpng::DistinctColours;

bool Mapped(CQelWindow* w) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  return top && gtk_widget_get_mapped(top);
}

// A photographed page: paper with a tint, a heading bar and lines of "text".
void WritePage(const fs::path& path, int hue) {
  const int width = 800, height = 600;
  img::Bitmap b = img::Bitmap::Create(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int x = 0; x < width; ++x) {
      const double shade = 0.85 + 0.15 * std::cos((x - width / 2) / 500.0) * std::cos((y - height / 2) / 400.0);
      int r = int(240 * shade), g = int(236 * shade), bl = int(226 * shade);
      const bool heading = y > 70 && y < 120 && x > 100 && x < 520;
      const bool line = y > 170 && y < 520 && (y - 170) % 36 < 12 && x > 100 && x < 700 - ((y / 36) % 3) * 90;
      const bool picture = x > 560 && x < 700 && y > 60 && y < 150;
      if (heading) r = 40 + hue, g = 60, bl = 120 - hue / 2;
      if (line) r = g = bl = 70;
      if (picture) r = 200 - hue, g = 120 + hue / 2, bl = 60;
      row[3 * x] = uint8_t(bl), row[3 * x + 1] = uint8_t(g), row[3 * x + 2] = uint8_t(r);
    }
  }
  img::SaveJpeg(b, path.string(), img::JpegOptions{});
}

void WriteMovie(const fs::path& path) {
  media::MovieWriterSettings s;
  s.path = path.string();
  s.size = {320, 240};
  s.fps = 10;
  s.videoType = media::FourCC('p', 'n', 'g', ' ');
  media::MovieWriter writer;
  if (writer.Open(s) != 0) return;
  std::vector<uint8_t> argb(320 * 240 * 4);
  for (int n = 0; n < 10; ++n) {
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        uint8_t* p = &argb[(size_t(y) * 320 + x) * 4];
        p[0] = 255, p[1] = uint8_t(60 + x / 3), p[2] = uint8_t(90 + y / 3), p[3] = uint8_t(160 + n * 8);
      }
    }
    writer.WriteVideo(argb.data(), 320, 240, 320 * 4);
  }
  writer.Finish();
}

class EditScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    const fs::path media = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
    fs::create_directories(media);
    WriteMovie(media / "Lesson.mov");
    for (int i = 0; i < 5; ++i) WritePage(media / ("Page" + std::to_string(i + 1) + ".jpg"), i * 30);
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

  fs::path out_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

bool ThumbnailsShown(qel::Element* root) {
  for (const char* name : {"albumtable", "albumtable1", "albumtable2"}) {
    auto* album = dynamic_cast<qel::Album*>(root->FindByName(name, true));
    if (!album || !album->Visible()) continue;
    if (album->Count() == 0) return false;
    for (int32_t i = 0; i < album->Count(); ++i) {
      qel::Element* item = album->ItemPanel(i);
      if (!item) continue;
      qel::Element* view = item->FindByName("view_ThumbImage", true);
      qel::ElementLayers* layers = view ? view->Layers(false) : nullptr;
      if (!layers || !layers->Layer()->Surface()) return false;
    }
    return true;
  }
  return false;
}

TEST_F(EditScreenshot, TheHomePageAndTheEditPage) {
  CMyMainFrame* frame = theApp.GetMainFrame();
  ASSERT_TRUE(PumpUntil([frame] { return Mapped(frame); }));
  PumpFor(300);
  qel::Element* row = frame->Root()->FindByName("cata_Butn", true);
  ASSERT_NE(row, nullptr);
  EXPECT_GE(row->Children().size(), 1u);
  const fs::path home = out_ / "home-page.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(frame, home.string()));

  theApp.SetMacCommandLine(u"-Edit/Open");
  frame->GetCommand();
  ASSERT_TRUE(PumpUntil([frame] {
    qel::Element* root = frame->Root();
    qel::Element* view = root->FindByName("cata_view", true);
    return view && view->EffectivelyVisible() && !root->FindByName("cata_Active", true) && ThumbnailsShown(root);
  }));
  PumpFor(300);
  const fs::path page = out_ / "edit-page.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(frame, page.string()));
  for (const fs::path& png : {home, page}) {
    SCOPED_TRACE(png.string());
    EXPECT_GE(DistinctColours(png), 16u);  // not blank: text, icons, pictures
  }
}

}  // namespace
