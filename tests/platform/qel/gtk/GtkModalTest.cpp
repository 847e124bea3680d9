// Modal dialogs on the GTK backend: a nested loop over a modal, transient
// window, answered by the keyboard.
#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "qel/QelLayout.h"

namespace gtktest {
namespace {

const char* kMain = R"(<layout name="cata_root" w="300" h="200"/>)";
const char* kDialog = R"(<layout name="cata_root" w="200" h="80">
  <element type="butn" name="butn_OK" x="10" y="40" w="80" h="28" text="OK"/>
</layout>)";

struct Answer {
  const char* name;
  guint keyval;
  int32_t result;
};

void PrintTo(const Answer& a, std::ostream* os) { *os << a.name; }

struct DialogRun {
  CQelDialog* dialog;
  guint keyval;
  bool answered = false;
  bool modal = false;
  GtkWidget* parent = nullptr;
};

class GtkModalTest : public GtkBackendTest, public ::testing::WithParamInterface<Answer> {};

TEST_P(GtkModalTest, KeyAnswersTheDialog) {
  RecordingWindow main;
  ASSERT_TRUE(main.Open(kMain, u"Main"));
  CQelDialog dialog;
  qel::Element* root = qel::LoadLayoutString(kDialog, ".");
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(dialog.CreateFromPanel(root->Handle(), nullptr, main.GetWindowRef()));
  root->Release();

  DialogRun run{&dialog, GetParam().keyval};
  // Answered once the dialog is on screen, as a user would.
  guint answer = g_timeout_add(10, [](gpointer p) {
    auto* r = static_cast<DialogRun*>(p);
    GtkWidget* top = qel::gtk::NativeWindow(r->dialog);
    if (!top || !gtk_widget_get_mapped(top)) return gboolean(G_SOURCE_CONTINUE);
    r->modal = gtk_window_get_modal(GTK_WINDOW(top));
    r->parent = GTK_WIDGET(gtk_window_get_transient_for(GTK_WINDOW(top)));
    r->answered = true;
    SendKey(r->dialog, r->keyval);
    return gboolean(G_SOURCE_REMOVE);
  }, &run);
  guint guard = g_timeout_add_seconds(20, [](gpointer d) {
    static_cast<CQelDialog*>(d)->EndModal(99);
    return gboolean(G_SOURCE_REMOVE);
  }, &dialog);

  EXPECT_EQ(dialog.DoModal(), GetParam().result);
  g_source_remove(guard);
  if (!run.answered) g_source_remove(answer);
  EXPECT_TRUE(run.modal);
  EXPECT_EQ(run.parent, qel::gtk::NativeWindow(&main));
  EXPECT_FALSE(dialog.IsCreated());
}

INSTANTIATE_TEST_SUITE_P(Keys, GtkModalTest,
                         ::testing::Values(Answer{"Escape", GDK_KEY_Escape, CQelModalWnd::kResultCancel},
                                           Answer{"Return", GDK_KEY_Return, CQelModalWnd::kResultOK},
                                           Answer{"KeypadEnter", GDK_KEY_KP_Enter, CQelModalWnd::kResultOK}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gtktest
