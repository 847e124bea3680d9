// The print and page set-up dialogs as a user meets them: GTK's dialogs on
// a private X server, answered with the keyboard through the X server.
#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>
#include <gtest/gtest.h>

#include <string>

#include "CPrintManager.h"
#include "PrivateDisplay.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelBackend.h"

namespace {

// The dialog as GTK draws it, into the build folder's screenshots.
void SaveScreenshot(GtkWidget* dialog, const std::string& name) {
  const int w = gtk_widget_get_allocated_width(dialog), h = gtk_widget_get_allocated_height(dialog);
  cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(shot);
  gtk_widget_draw(dialog, cr);
  cairo_destroy(cr);
  auto dir = testenv::BuildDir() / "screenshots";
  std::filesystem::create_directories(dir);
  cairo_surface_write_to_png(shot, (dir / name).c_str());
  cairo_surface_destroy(shot);
}

class PrintDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    testenv::StartWindowManager();
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the display";
    user = std::make_unique<testenv::XUser>();
    ASSERT_TRUE(user->Ready()) << "the X server has no XTest";
    mgr = std::make_unique<CZylPrintManager>(nullptr);  // no printers: the file destination
  }

  // Runs a dialog; the dialog's own loop acts as the user once it is drawn
  // and ready: a key ("Escape") or a click on the button of a response.
  // Everything stays on the GTK thread. Gives the manager's answer.
  int32_t Answer(bool pageSetup, const std::string& key, const std::string& screenshot) {
    return Answer(pageSetup, key, 0, screenshot);
  }
  int32_t Click(bool pageSetup, GtkResponseType response, const std::string& screenshot) {
    return Answer(pageSetup, "", response, screenshot);
  }

  struct Plan {
    testenv::XUser* user;
    GType type;
    bool pageSetup;
    std::string key;
    int response;
    std::string screenshot;
    int ticks = 0;
    int shownTicks = 0;
    bool acted = false;
  };

  static gboolean Act(gpointer data) {
    Plan& plan = *static_cast<Plan*>(data);
    GtkWidget* d = testenv::ShownToplevel(plan.type);
    GdkWindow* w = d ? gtk_widget_get_window(d) : nullptr;
    GtkWidget* button = d && plan.response ? gtk_dialog_get_widget_for_response(GTK_DIALOG(d), plan.response) : nullptr;
    // Drawn once; or, where the frame clock does not count its frames (seen
    // under the thread sanitizer), shown for a second.
    const bool viewable = w && gdk_window_is_viewable(w);
    plan.shownTicks = viewable ? plan.shownTicks + 1 : 0;
    const bool drawn = viewable && ((gdk_window_get_frame_clock(w) &&
                                     gdk_frame_clock_get_frame_counter(gdk_window_get_frame_clock(w)) >= 1) ||
                                    plan.shownTicks > 20);
    const bool ready = drawn && (!plan.response || (button && gtk_widget_is_drawable(button))) &&
                       (plan.pageSetup || gtk_print_unix_dialog_get_selected_printer(GTK_PRINT_UNIX_DIALOG(d)));
    if (!ready) {
      if (++plan.ticks < 400) return G_SOURCE_CONTINUE;  // 20 s
      if (d) gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL);  // never left open
      return G_SOURCE_REMOVE;
    }
    SaveScreenshot(d, plan.screenshot);
    plan.acted = plan.response ? button && plan.user->Click(button) : plan.user->Key(plan.key);
    if (!plan.acted) gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL);
    return G_SOURCE_REMOVE;
  }

  int32_t Answer(bool pageSetup, const std::string& key, int response, const std::string& screenshot) {
    Plan plan{user.get(), pageSetup ? GTK_TYPE_PAGE_SETUP_UNIX_DIALOG : GTK_TYPE_PRINT_UNIX_DIALOG, pageSetup, key,
              response, screenshot};
    guint source = g_timeout_add(50, &PrintDialogs::Act, &plan);
    const int32_t result = pageSetup ? mgr->PageSetup(nullptr) : mgr->DoPrintSetup(nullptr, 1);
    g_source_remove_by_user_data(&plan);
    (void)source;
    EXPECT_TRUE(plan.acted) << "the dialog did not take the user's answer";
    return result;
  }

  std::unique_ptr<testenv::XUser> user;
  std::unique_ptr<CZylPrintManager> mgr;
};

TEST_F(PrintDialogs, EscapeCancelsAndReturnPrintsToTheChosenFile) {
  const std::string out = (testenv::MakeTempDir("dialog") / "chosen.pdf").string();
  mgr->SetOutputFile(out);
  mgr->SetPortrait(1);
  EXPECT_EQ(Answer(false, "Escape", "print-dialog.png"), 0);
  EXPECT_EQ(Answer(false, "Return", "print-dialog-again.png"), 1);
  EXPECT_EQ(mgr->GetDestinationType(), kZylDestinationFile);
  // The job goes to the file the dialog kept.
  ASSERT_EQ(mgr->StartPrint(u"From the dialog"), 1);
  ASSERT_EQ(mgr->StartPage(), 1);
  ASSERT_EQ(mgr->EndPage(), 1);
  ASSERT_EQ(mgr->EndPrint(0), 1) << mgr->LastJobError();
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(PrintDialogs, PageSetupAnswersTheUser) {
  EXPECT_EQ(Click(true, GTK_RESPONSE_CANCEL, "page-setup-dialog.png"), 0);
  mgr->SetPortrait(0);
  EXPECT_EQ(Click(true, GTK_RESPONSE_OK, "page-setup-dialog-again.png"), 1);
  EXPECT_EQ(mgr->GetPortrait(), 0);  // the orientation it was shown with
}

}  // namespace
