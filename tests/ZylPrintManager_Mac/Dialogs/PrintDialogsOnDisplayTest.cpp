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

// The dialog of this type that is on screen, or null.
GtkWidget* Shown(GType type) {
  GtkWidget* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (G_TYPE_CHECK_INSTANCE_TYPE(w, type) && gtk_widget_get_mapped(w)) found = w;
  }
  g_list_free(all);
  return found;
}

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

  // Opens a dialog from the loop (it runs its own), answers it with a key
  // ("Escape") or a click on the button of a response once it shows, and
  // gives the manager's answer.
  int32_t Answer(bool pageSetup, const std::string& key, const std::string& screenshot) {
    return Answer(pageSetup, key, 0, screenshot);
  }
  int32_t Click(bool pageSetup, GtkResponseType response, const std::string& screenshot) {
    return Answer(pageSetup, "", response, screenshot);
  }
  int32_t Answer(bool pageSetup, const std::string& key, int response, const std::string& screenshot) {
    int32_t result = -1;
    user->Run([&] {
      ASSERT_TRUE(user->OnMain([&] {
        g_idle_add_full(G_PRIORITY_DEFAULT,
                        [](gpointer data) -> gboolean {
                          auto* self = static_cast<std::pair<PrintDialogs*, std::pair<bool, int32_t*>>*>(data);
                          CZylPrintManager* m = self->first->mgr.get();
                          *self->second.second = self->second.first ? m->PageSetup(nullptr) : m->DoPrintSetup(nullptr, 1);
                          return G_SOURCE_REMOVE;
                        },
                        new std::pair<PrintDialogs*, std::pair<bool, int32_t*>>(this, {pageSetup, &result}),
                        [](gpointer data) { delete static_cast<std::pair<PrintDialogs*, std::pair<bool, int32_t*>>*>(data); });
      }));
      const GType type = pageSetup ? GTK_TYPE_PAGE_SETUP_UNIX_DIALOG : GTK_TYPE_PRINT_UNIX_DIALOG;
      ASSERT_TRUE(user->WaitFor([&] { return Shown(type) != nullptr; }));
      // Let the dialog find its printers and settle before the key.
      ASSERT_TRUE(user->WaitFor([&] {
        GtkWidget* d = Shown(type);
        return d && (pageSetup || gtk_print_unix_dialog_get_selected_printer(GTK_PRINT_UNIX_DIALOG(d)) != nullptr);
      }));
      // Drawn once and placed by the window manager before the user acts.
      user->WaitFor(
          [&] {
            GdkWindow* w = gtk_widget_get_window(Shown(type));
            return w && gdk_window_is_viewable(w) && gdk_window_get_frame_clock(w) &&
                   gdk_frame_clock_get_frame_counter(gdk_window_get_frame_clock(w)) >= 1;
          },
          5);
      user->Settle();
      GtkWidget* button = nullptr;
      user->OnMain([&] {
        SaveScreenshot(Shown(type), screenshot);
        if (response) button = gtk_dialog_get_widget_for_response(GTK_DIALOG(Shown(type)), response);
      });
      const bool sent = response ? button && user->Click(button) : user->Key(key);
      if (!sent || !user->WaitFor([&] { return result != -1; })) {
        user->OnMain([&] { gtk_dialog_response(GTK_DIALOG(Shown(type)), GTK_RESPONSE_CANCEL); });  // not left open
        ADD_FAILURE() << "the dialog did not take the user's answer";
      }
    });
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
