// The movie editor on the edit page as a user sees it: a movie chosen in
// the album, trimmed and brightened, its picture in the preview, on the GTK
// backend under a private X server (build/screenshots/movie-editor.png).
#include <cairo.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>

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
#include "os/ProcessTable.h"
#include "qel/QelBackend.h"
#include "qel/QelElementLayers.h"

namespace fs = std::filesystem;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;
using testpng::DistinctColours;

class MovieEditScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    const fs::path media = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
    fs::create_directories(media);
    const std::string movie = (media / "Lesson.mov").string();
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=640x360:r=30:d=6 -f lavfi -i "
                           "sine=frequency=440:duration=6 -c:v mpeg4 -q:v 3 -c:a pcm_s16le '" + movie + "'")
                              .c_str()),
              0);
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

TEST_F(MovieEditScreenshot, TheMovieEditor) {
  CMyMainFrame* frame = theApp.GetMainFrame();
  theApp.SetMacCommandLine(u"-Edit/Open");
  frame->GetCommand();
  // The plug-in is a bundle of its own: the test sees it through its window.
  qel::Element* root = frame->Root();
  ASSERT_TRUE(PumpUntil([&] {
    qel::Element* movie = root->FindByName("vcata1", true);
    qel::Element* picture = root->FindByName("view_PreviewFrame", true);
    qel::ElementLayers* layers = picture ? picture->Layers(false) : nullptr;
    return movie && movie->EffectivelyVisible() && picture->EffectivelyVisible() && layers &&
           layers->Layer()->Surface();
  }));
  // A little brighter: Reset and Save come on.
  qel::Element* brightness = root->FindByName("hscrl_1", true);
  ASSERT_NE(brightness, nullptr);
  EXPECT_EQ(brightness->Scroll().min, -128);
  EXPECT_EQ(brightness->Scroll().max, 128);
  brightness->UserScroll(24);
  PumpFor(600);
  qel::Element* reset = root->FindByName("butn_Reset", true);
  ASSERT_NE(reset, nullptr);
  EXPECT_TRUE(reset->Enabled());
  qel::Element* duration = root->FindByName("view_Duration", true);
  ASSERT_NE(duration, nullptr);
  EXPECT_EQ(duration->Text(), u"00:00:06");
  const fs::path png = out_ / "movie-editor.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(frame, png.string()));
  EXPECT_GE(DistinctColours(png), 64u);  // the movie's picture, not a blank area
  // Reset leaves nothing to save when the program ends.
  EXPECT_TRUE(reset->Click());
  PumpFor(100);
  EXPECT_FALSE(reset->Enabled());
  EXPECT_EQ(brightness->Scroll().pos, 0);
}

}  // namespace
