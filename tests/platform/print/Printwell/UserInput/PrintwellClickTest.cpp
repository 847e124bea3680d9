// The print dialog used through the X server as a user does (clicks and keys
// by XTest), every control once with its effect checked: the layout lists,
// the paper and printer lists, copies, the page strip, the printer's own
// settings (GTK's print dialog), Save as Pictures with GTK's file chooser,
// Print, and Cancel and the close button.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "EmailTestUser.h"
#include "PrintwellTestSupport.h"
#include "PrintwellTestUser.h"
#include "PrivateDisplay.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelBackend.h"
#include "qel/QelAlbum.h"
#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;
using namespace printwelltest;

namespace {

class PrintwellClick : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    dir_ = testenv::MakeTempDir("printwell-click");
    spool_ = UsePrinters(dir_);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) emailtest::MakePhoto(dir_ / name, "640x480");
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
  }

  // The album's call, started on the GTK thread; the script acts meanwhile.
  void StartPrinting() {
    answer_ = 99;
    g_idle_add([](gpointer self) {
      auto* t = static_cast<PrintwellClick*>(self);
      t->answer_ = CallPrint({t->dir_ / "a.jpg", t->dir_ / "b.jpg", t->dir_ / "c.jpg"});
      return gboolean(G_SOURCE_REMOVE);
    }, this);
  }
  // Runs the steps; windows a failed step left open are closed afterwards.
  void Script(const std::function<void()>& steps) {
    user_->Run([&] {
      steps();
      for (int round = 0; round < 20 && !user_->WaitFor([this] { return answer_ != 99; }, 2); ++round) {
        ADD_FAILURE() << "a window was left open";
        user_->OnMain([] {
          for (CQelWindow* w : QelWindows())
            if (auto* modal = dynamic_cast<CQelModalWnd*>(w); modal && modal->InModal())
              modal->EndModal(CQelModalWnd::kResultCancel);
        });
      }
    });
  }
  CQelWindow* WaitForDialog() {
    CQelWindow* found = nullptr;
    if (!user_->WaitFor([&] { return (found = emailtest::ModalWith("prtc_Print")) != nullptr; })) return nullptr;
    std::optional<POINT> before;
    for (int tries = 0; tries < 50; ++tries) {
      std::optional<POINT> now = user_->Where(found, "butn_Print");
      if (now && before && now->x == before->x && now->y == before->y) return user_->Focus(found) ? found : nullptr;
      before = now;
      user_->Settle();
    }
    return nullptr;
  }
  bool Click(CQelWindow* w, const char* element) { return emailtest::HandClick(*user_, w, element); }
  // Opens the list and picks the item shown as `label`.
  bool Pick(CQelWindow* w, const char* combo, const std::string& label) {
    return printwelltest::Pick(*user_, w, combo, label);
  }
  bool Becomes(CQelWindow* w, const char* element, const std::u16string& text) {
    return user_->WaitFor([&] { return hl::Read(w, element).text == text; });
  }
  bool Shows(CQelWindow* w, const char* combo, const std::u16string& text) {
    return user_->WaitFor([&] {
      qel::Element* e = hl::FindElement(w, combo);
      return e && e->Selection() >= 0 && e->Items()[size_t(e->Selection())].text == text;
    });
  }
  bool Enabled(CQelWindow* w, const char* element, bool on) {
    return user_->WaitFor([&] { return hl::Read(w, element).enabled == on; });
  }

  fs::path dir_, spool_;
  std::optional<testenv::XUser> user_;
  int32_t answer_ = 99;
};

TEST_F(PrintwellClick, EveryControlOnceThenPrint) {
  StartPrinting();
  Script([&] {
    CQelWindow* w = WaitForDialog();
    ASSERT_NE(w, nullptr);
    // The layout lists: a photo-paper layout brings its paper.
    ASSERT_TRUE(Pick(w, "comb_Brand", "Photo Paper"));
    ASSERT_TRUE(Shows(w, "comb_Brand", u"Photo Paper"));
    ASSERT_TRUE(Pick(w, "comb_Template", "4 x 6 in borderless"));
    ASSERT_TRUE(Shows(w, "comb_Paper", u"4 x 6 in"));
    ASSERT_TRUE(Becomes(w, "view_PageNum", u"Page 1 of 3"));
    // Copies, and the strip over six pages.
    ASSERT_TRUE(Click(w, "butn_CopiesMore"));
    ASSERT_TRUE(Becomes(w, "view_Copies", u"2"));
    ASSERT_TRUE(Becomes(w, "view_PageNum", u"Page 1 of 6"));
    // The control's page strip: the second page chosen there.
    qel::Element* second = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] {
      auto* strip = dynamic_cast<qel::Album*>(hl::FindElement(w, "albm_Pages"));
      second = strip && strip->Count() == 6 ? strip->ItemPanel(1) : nullptr;
      return second != nullptr;
    }));
    ASSERT_TRUE(user_->Click(w, second->FindByName("imgc_cont", true)));
    ASSERT_TRUE(Becomes(w, "view_PageNum", u"Page 2 of 6"));
    ASSERT_TRUE(Click(w, "butn_CopiesLess"));
    ASSERT_TRUE(Becomes(w, "view_Copies", u"1"));
    ASSERT_TRUE(Becomes(w, "view_PageNum", u"Page 2 of 3"));  // the page shown stays
    // Another printer brings its papers; back to the photo printer.
    ASSERT_TRUE(Pick(w, "comb_Printer", "Print to File (PDF)"));
    ASSERT_TRUE(user_->WaitFor([&] { return ItemOf(w, "comb_Paper", u"A4") >= 0; }));
    ASSERT_TRUE(Pick(w, "comb_Printer", "Photo Jet"));
    ASSERT_TRUE(user_->WaitFor([&] { return ItemOf(w, "comb_Paper", u"A4") < 0; }));
    // The paper list: Letter keeps the layout, the cells now on Letter.
    ASSERT_TRUE(Pick(w, "comb_Paper", "Letter"));
    ASSERT_TRUE(Shows(w, "comb_Paper", u"Letter"));
    ASSERT_TRUE(Shows(w, "comb_Template", u"4 x 6 in borderless"));
    // The printer's own settings: GTK's print dialog, given up with Escape.
    ASSERT_TRUE(Click(w, "butn_PrinterSettings"));
    ASSERT_TRUE(user_->WaitFor([] { return testenv::ShownToplevel("GtkPrintUnixDialog") != nullptr; }));
    ASSERT_TRUE(user_->Key("Escape"));
    ASSERT_TRUE(user_->WaitFor([] { return testenv::ShownToplevel("GtkPrintUnixDialog") == nullptr; }));
    ASSERT_TRUE(Shows(w, "comb_Paper", u"Letter"));
    // The pages as pictures, named in GTK's file chooser.
    ASSERT_TRUE(Click(w, "butn_SaveImages"));
    ASSERT_TRUE(user_->WaitFor([] { return testenv::ShownToplevel("GtkFileChooserDialog") != nullptr; }));
    user_->Settle();
    ASSERT_TRUE(user_->Key("ctrl+a"));
    ASSERT_TRUE(user_->Type((dir_ / "p.jpg").string()));
    ASSERT_TRUE(user_->Key("Return"));
    ASSERT_TRUE(user_->WaitFor([&] { return fs::exists(dir_ / "p_2.jpg"); }));
    ASSERT_TRUE(user_->WaitFor([&] { return hl::Read(w, "butn_Print").enabled; }));
    // Print: one job, and the dialog ends.
    ASSERT_TRUE(Click(w, "butn_Print"));
    ASSERT_TRUE(user_->WaitFor([&] { return answer_ != 99; }, 60));
  });
  EXPECT_EQ(answer_, 1);
  EXPECT_TRUE(fs::exists(dir_ / "p.jpg") && fs::exists(dir_ / "p_1.jpg"));
  EXPECT_EQ(Jobs(spool_).size(), 1u);
}

TEST_F(PrintwellClick, CancelAndCloseEndWithoutPrinting) {
  for (const char* how : {"butn_Cancel", "butn_close_mac"}) {
    SCOPED_TRACE(how);
    StartPrinting();
    Script([&] {
      CQelWindow* w = WaitForDialog();
      ASSERT_NE(w, nullptr);
      ASSERT_TRUE(Click(w, how));
      ASSERT_TRUE(user_->WaitFor([&] { return answer_ != 99; }));
    });
    EXPECT_EQ(answer_, 0);
  }
  EXPECT_TRUE(Jobs(spool_).empty());
}

}  // namespace
