// The e-mail windows as a user sees them, on the GTK backend under a
// private X server: the confirm dialog with a photo in its preview
// (build/screenshots/email-confirm.png) and the progress window while the
// mail program is opened (build/screenshots/email-progress.png).
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "FakeXdgEmail.h"
#include "LoopWait.h"
#include "MediaTools.h"
#include "NuvoDlgParam.h"
#include "PngColours.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelImageControl.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using testloop::PumpFor;
using testpng::DistinctColours;

bool Mapped(CQelWindow* w) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  return top && gtk_widget_get_mapped(top);
}

// Runs `step` on the modal window holding `element` once it is up.
void WhenUp(const char* element, std::function<void(CQelModalWnd*)> step) {
  struct Pending {
    std::string element;
    std::function<void(CQelModalWnd*)> step;
  };
  g_timeout_add(20, [](gpointer data) {
    auto* p = static_cast<Pending*>(data);
    CQelModalWnd* w = emailtest::ModalWith(p->element.c_str());
    if (w && !Mapped(w)) w = nullptr;
    if (!w) return gboolean(G_SOURCE_CONTINUE);
    p->step(w);
    delete p;
    return gboolean(G_SOURCE_REMOVE);
  }, new Pending{element, std::move(step)});
}

class EmailScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ::setenv("DUNSELLOW_MAIL", "xdg-email", 1);
    out_ = testenv::BuildDir() / "screenshots";
    fs::create_directories(out_);
    media_ = testenv::MakeTempDir("media");
    emailtest::MakePhoto(media_ / "Lesson 4 board.jpg", "800x600");
    emailtest::MakeMovie(media_ / "Lesson 4 experiment.mov", "640x360");
  }

  int32_t Send() {
    std::vector<std::u16string> files{QelFromUTF8((media_ / "Lesson 4 board.jpg").string()),
                                      QelFromUTF8((media_ / "Lesson 4 experiment.mov").string())};
    bool found = false;
    int32_t answer = CallBundleDialog(u"ZylEmail.bundle", "OrvMailDlg", files, nullptr, false, nullptr, &found);
    EXPECT_TRUE(found);
    return answer;
  }

  fs::path out_, media_;
};

TEST_F(EmailScreenshot, TheConfirmDialogAndTheProgressWindow) {
  testmail::FakeXdgEmail fake;
  // The mail program keeps xdg-email waiting: the progress window stays up.
  ::setenv("FAKE_MAIL_SLEEP", "20", 1);
  const fs::path confirmPng = out_ / "email-confirm.png", progressPng = out_ / "email-progress.png";
  fs::remove(confirmPng);
  fs::remove(progressPng);
  bool confirmed = false, cancelled = false;
  WhenUp("imgc_EmailPreview", [&](CQelModalWnd* w) {
    PumpFor(400);
    auto* preview = qel::ImageControl::From(hl::FindElement(w, "imgc_EmailPreview"));
    EXPECT_TRUE(preview && preview->Pict());
    EXPECT_TRUE(qel::gtk::SaveWindowPng(w, confirmPng.string()));
    EXPECT_EQ(hl::Read(w, "view_AttachNum").text, u"1/2");
    confirmed = hl::Click(w, "butn_Attach");
  });
  WhenUp("hscl_progress", [&](CQelModalWnd* w) {
    ASSERT_TRUE(testloop::PumpUntil([&] { return hl::Read(w, "hscl_progress").scroll_pos == 100; }));
    PumpFor(300);
    EXPECT_TRUE(qel::gtk::SaveWindowPng(w, progressPng.string()));
    cancelled = hl::Click(w, "butn_Cancel");
  });
  EXPECT_EQ(Send(), 1);
  ::unsetenv("FAKE_MAIL_SLEEP");
  EXPECT_TRUE(confirmed);
  EXPECT_TRUE(cancelled);
  // A real window has many colours; a blank or failed shot a handful.
  EXPECT_GT(DistinctColours(confirmPng), 200u);
  EXPECT_GT(DistinctColours(progressPng), 20u);
  // The message went to the mail program before Cancel stopped the wait.
  ASSERT_TRUE(testloop::PumpUntil([&] { return fake.Calls().size() == 1; }));
  EXPECT_EQ(fake.Calls()[0][2], "Photos and movies: Lesson 4 board.jpg, Lesson 4 experiment.mov");
}

}  // namespace
