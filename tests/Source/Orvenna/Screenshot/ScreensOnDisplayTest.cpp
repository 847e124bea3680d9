// The main program's screens as a user sees them: the program in this
// process on the GTK backend under a private X server. The home page, the
// Options and About dialogs and a message box are saved as PNG files in the
// build folder (build/screenshots/); the main window's shape is read back
// from the X server, and its size at a display scale of 2.
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
#include "ORVPubTools.h"
#include "PrivateDisplay.h"
#include "Profile.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "os/ProcessTable.h"
#include "qel/QelBackend.h"
#include "qel/QelMenuBar.h"

// Xlib's macros (None, Bool, ...) last.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

namespace fs = std::filesystem;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;
using testpng::DistinctColours;

bool Mapped(CQelWindow* w) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  return top && gtk_widget_get_mapped(top);
}

// The next modal window once it is on screen: saved, then closed.
struct ModalShot {
  fs::path png;
  bool saved = false;
};

void ShootNextModal(ModalShot* shot) {
  g_timeout_add(20, [](gpointer data) {
    auto* s = static_cast<ModalShot*>(data);
    for (CQelWindow* w : QelWindows()) {
      auto* modal = dynamic_cast<CQelModalWnd*>(w);
      if (!modal || !modal->InModal() || !Mapped(w)) continue;
      PumpFor(300);
      s->saved = qel::gtk::SaveWindowPng(w, s->png.string());
      modal->EndModal(CQelModalWnd::kResultCancel);
      return gboolean(G_SOURCE_REMOVE);
    }
    return gboolean(G_SOURCE_CONTINUE);
  }, shot);
}

class ScreensOnDisplay : public ::testing::Test {
 protected:
  void Start() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    Frame()->SetProcessTable(&processes_);
    out_ = testenv::BuildDir() / "screenshots";
    fs::create_directories(out_);
    ASSERT_TRUE(PumpUntil([this] { return Mapped(Frame()); }));
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  CMyMainFrame* Frame() { return theApp.GetMainFrame(); }
  Window XWindow() { return GDK_WINDOW_XID(gtk_widget_get_window(qel::gtk::NativeWindow(Frame()))); }
  Display* XDisplay() { return GDK_WINDOW_XDISPLAY(gtk_widget_get_window(qel::gtk::NativeWindow(Frame()))); }

  fs::path out_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(ScreensOnDisplay, HomePageOptionsAboutAndAMessageBox) {
  // The home page with the program's own picture behind it.
  SaveProfileInt(u"Option", u"Background Mode", 2);
  Start();
  PumpFor(300);
  fs::path home = out_ / "main-window.png";
  ASSERT_TRUE(qel::gtk::SaveWindowPng(Frame(), home.string()));

  ModalShot options{out_ / "options.png"};
  ShootNextModal(&options);
  ASSERT_TRUE(QelChooseMenuCommand(Frame(), QelFourCC("opti")));
  EXPECT_TRUE(options.saved);

  ModalShot about{out_ / "about.png"};
  ShootNextModal(&about);
  ASSERT_TRUE(QelChooseMenuCommand(Frame(), QelFourCC("abou")));
  EXPECT_TRUE(about.saved);

  ModalShot box{out_ / "message-box.png"};
  ShootNextModal(&box);
  CORVPubTools::MessageBox(Frame()->GetWindowRef(),
                           u"This folder cannot be used as the media folder. The media folder stays as it was.\n\n"
                           u"You cannot save files in this folder.",
                           u"Dunsellow", 0x30);
  EXPECT_TRUE(box.saved);

  for (const fs::path& png : {home, options.png, about.png, box.png}) {
    SCOPED_TRACE(png.string());
    EXPECT_GE(DistinctColours(png), 16u);  // text, icons, controls, the picture
  }
}

TEST_F(ScreensOnDisplay, MainWindowShapeIsOnTheXServer) {
  Start();
  auto covered = [&](int x, int y) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(XDisplay(), XWindow(), ShapeBounding, &count, &ordering);
    bool in = false;
    for (int i = 0; i < count; ++i) {
      const XRectangle& r = rects[i];
      in = in || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
    }
    if (rects) XFree(rects);
    return in;
  };
  SRect32 b = Frame()->Bounds();
  const int w = b.right - b.left, h = b.bottom - b.top;
  ASSERT_TRUE(PumpUntil([&] { return !covered(0, 0); })) << "the top-left corner is cut";
  EXPECT_FALSE(covered(w - 1, 0));
  EXPECT_TRUE(covered(w / 2, 0));
  EXPECT_TRUE(covered(0, h - 1));
  EXPECT_TRUE(covered(w - 1, h - 1));
}

TEST_F(ScreensOnDisplay, AtScaleTwoTheWindowIsScaledOnce) {
  ::setenv("QEL_SCALE", "2", 1);
  Start();
  EXPECT_DOUBLE_EQ(g_dRatio, 1.0) << "GTK scales; the program's own sizes do not scale again";
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  ASSERT_TRUE(PumpUntil([&] {
    XGetGeometry(XDisplay(), XWindow(), &root, &x, &y, &width, &height, &border, &depth);
    return width >= 1440;
  }));
  EXPECT_EQ(width, 1440u) << "720 pixels of layout at scale 2";
  EXPECT_EQ(height, 1080u);
  SRect32 b = Frame()->Bounds();
  EXPECT_EQ(b.right - b.left, 720) << "the toolkit's sizes stay in layout pixels";
}

}  // namespace
