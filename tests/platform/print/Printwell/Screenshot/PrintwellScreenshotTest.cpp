// The print dialog as a user sees it, on the GTK backend under a private X
// server: three photos on the "Letter, two 4 x 6 in" layout, the first page
// large and the pages in the strip (build/screenshots/print-dialog.png).
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "EmailTestSupport.h"
#include "LoopWait.h"
#include "PngColours.h"
#include "PrintwellTestSupport.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelImageControl.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;
using namespace printwelltest;

namespace {

TEST(PrintwellScreenshot, TheDialogWithALayoutFilled) {
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
  if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
  ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
  const fs::path dir = testenv::MakeTempDir("printwell-shot");
  UsePrinters(dir);
  emailtest::MakePhoto(dir / "board.jpg", "800x600");
  emailtest::MakePhoto(dir / "page.jpg", "600x800");
  emailtest::MakePhoto(dir / "model.jpg", "640x480");
  const fs::path out = testenv::BuildDir() / "screenshots";
  fs::create_directories(out);
  const fs::path png = out / "print-dialog.png";
  fs::remove(png);

  bool shot = false;
  g_timeout_add(20, [](gpointer data) {
    auto* done = static_cast<bool*>(data);
    CQelModalWnd* w = emailtest::ModalWith("prtc_Print");
    GtkWidget* top = w ? qel::gtk::NativeWindow(w) : nullptr;
    if (!top || !gtk_widget_get_mapped(top)) return gboolean(G_SOURCE_CONTINUE);
    EXPECT_TRUE(ChooseLayout(w, u"Photo Paper", u"Letter, two 4 x 6 in"));
    testloop::PumpFor(400);
    // The page and the strip show pictures; two pages for three photos.
    auto* page = qel::ImageControl::From(hl::FindElement(w, "imgc_Page"));
    EXPECT_TRUE(page && page->Pict());
    EXPECT_EQ(hl::Read(w, "view_PageNum").text, u"Page 1 of 2");
    EXPECT_TRUE(qel::gtk::SaveWindowPng(w, (testenv::BuildDir() / "screenshots/print-dialog.png").string()));
    *done = hl::Click(w, "butn_Cancel");
    return gboolean(G_SOURCE_REMOVE);
  }, &shot);
  EXPECT_EQ(CallPrint({dir / "board.jpg", dir / "page.jpg", dir / "model.jpg"}), 0);
  EXPECT_TRUE(shot);
  // A real window has many colours; a blank or failed shot a handful.
  EXPECT_GT(testpng::DistinctColours(png), 500u);
}

}  // namespace
